#include "ui/skin/ComboBtn.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <algorithm>

#include "core/Log.h"
#include "ui/skin/SkinImages.h"

namespace {
const std::vector<ComboItem> s_empty;
}

CComboBtn::CComboBtn(QWidget* parent, const skin::SkinTheme& theme)
    : CPngBtn(parent, theme), m_clrMenuNr(theme.clrMenuTextNr), m_clrMenuOv(theme.clrMenuTextOv),
      m_clrListBack(theme.clrListBack), m_clrListItem(theme.clrListItem), m_bTips(theme.bTips)
{
    // Connected before any owner connects, so the list is open when the owner hears the click.
    connect(this, &QAbstractButton::clicked, this, [this] { OpenList(); });
}

CComboBtn::~CComboBtn() = default;

void CComboBtn::AddItem(int nList, int nValue, const QString& strName)
{
    if (nList < 0 || nList >= kListCount) return;
    m_lists[nList].push_back({nValue, strName});
    if (m_lists[nList].size() == size_t(kMaxShown) + 1)
        LogPrintf("combo list %d has more than %d items; the rest cannot be chosen\n", nList, kMaxShown);
}

void CComboBtn::ClearList(int nList)
{
    if (nList < 0 || nList >= kListCount) return;
    m_lists[nList].clear();
    if (nList == m_nList) SelectIndex(-1);
}

const std::vector<ComboItem>& CComboBtn::List(int nList) const
{
    return nList >= 0 && nList < kListCount ? m_lists[nList] : s_empty;
}

void CComboBtn::SetActiveList(int nList)
{
    if (nList >= 0 && nList < kListCount) m_nList = nList;
}

void CComboBtn::SelectIndex(int i)
{
    if (i < 0) {
        m_nSel = -1;
        m_nValue = -1;
        setText(QString());
        if (m_bTips) setToolTip(QString());
        return;
    }
    const std::vector<ComboItem>& list = m_lists[m_nList];
    if (size_t(i) >= list.size()) return;
    m_nSel = i;
    m_nValue = list[size_t(i)].nValue;
    setText(list[size_t(i)].strName);
    if (m_bTips) setToolTip(list[size_t(i)].strName);
}

bool CComboBtn::SelectValue(int nValue)
{
    const std::vector<ComboItem>& list = m_lists[m_nList];
    const size_t nCount = std::min(list.size(), size_t(kMaxShown));
    for (size_t i = 0; i < nCount; ++i) {
        if (list[i].nValue == nValue) {
            SelectIndex(int(i));
            return true;
        }
    }
    return false;
}

bool CComboBtn::SetItemName(int nList, int nValue, const QString& strName)
{
    if (nList < 0 || nList >= kListCount) return false;
    auto it = std::find_if(m_lists[nList].begin(), m_lists[nList].end(),
                           [nValue](const ComboItem& item) { return item.nValue == nValue; });
    if (it == m_lists[nList].end()) return false;
    it->strName = strName;
    if (nList == m_nList && m_nSel >= 0) SelectIndex(m_nSel);
    return true;
}

void CComboBtn::SetMenu(std::unique_ptr<IComboMenu> pMenu) { m_pMenu = std::move(pMenu); }

IComboMenu* CComboBtn::Menu()
{
    if (!m_pMenu) m_pMenu = MakeComboMenu();
    return m_pMenu.get();
}

QRect CComboBtn::ListRect(const QRect& rcButton, int nHeight, int nWidth, int nPlace, const QRect& rcScreen)
{
    const int nScreenBottom = rcScreen.y() + rcScreen.height();
    const int nButtonBottom = rcButton.y() + rcButton.height();
    int nTop;
    if (nPlace == 1) {
        nTop = rcButton.y() - nHeight / 2;
        if (nTop + nHeight >= nScreenBottom - 30) nTop = nScreenBottom - 30 - nHeight;
    } else {
        nTop = nButtonBottom + nHeight > nScreenBottom ? rcButton.y() - nHeight : nButtonBottom;
    }
    // A list taller than the room on either side would start off the screen; keep
    // all of it that fits visible.
    nTop = std::clamp(nTop, rcScreen.y(), std::max(rcScreen.y(), nScreenBottom - nHeight));
    const int nLeft = std::clamp(rcButton.x(), rcScreen.x(), std::max(rcScreen.x(), rcScreen.x() + rcScreen.width() - nWidth));
    return QRect(nLeft, nTop, nWidth, nHeight);
}

bool CComboBtn::OpenList()
{
    const std::vector<ComboItem>& list = m_lists[m_nList];
    ComboMenuRequest req;
    for (size_t i = 0; i < list.size() && i < size_t(kMaxShown); ++i) req.items.push_back({list[i].nValue, list[i].strName});
    if (req.items.empty()) return false;
    req.nItemHeight = m_fScale > 1.0f ? int(float(kItemHeight) * m_fScale) : kItemHeight;
    const int nHeight = int(req.items.size()) * req.nItemHeight;
    const int nWidth = m_nListWidth < 1 ? width() - 4 : m_nListWidth;
    const QRect rcButton(mapToGlobal(QPoint(0, 0)), size());
    const QScreen* pScreen = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect rcScreen = pScreen ? pScreen->availableGeometry() : QRect(0, 0, 1 << 16, 1 << 16);
    req.rcGlobal = ListRect(rcButton, nHeight, nWidth, m_nListPlace, rcScreen);
    req.clrTextNr = m_clrMenuNr;
    req.clrTextOv = m_clrMenuOv;
    req.clrBack = m_clrListBack;
    req.clrItem = m_clrListItem;
    req.nTag = m_nList;
    IComboMenu* pMenu = Menu();
    if (!pMenu) return false;
    pMenu->Open(this, req, [this](int nCode, int) { OnMenuChoice(nCode); });
    return true;
}

void CComboBtn::OnMenuChoice(int nValue)
{
    if (m_pMenu && m_pMenu->IsOpen()) m_pMenu->Close();
    if (SelectValue(nValue)) emit changed(m_nValue);
}

void CComboBtn::mouseDoubleClickEvent(QMouseEvent* e)
{
    // The second click of a double click would reopen the list that the first one opened.
    e->accept();
}

void CComboBtn::keyPressEvent(QKeyEvent* e)
{
    // Alt+Down or F4 open the list, as in any drop-down list; Space is the button's own click.
    if ((e->key() == Qt::Key_Down && (e->modifiers() & Qt::AltModifier)) || e->key() == Qt::Key_F4) {
        OpenList();
        return;
    }
    CPngBtn::keyPressEvent(e);
}
