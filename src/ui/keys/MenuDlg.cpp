#include "ui/keys/MenuDlg.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>

#include "ui/QtText.h"

namespace {

QPointer<CMenuDlg> g_pOpenMenu;  // the top menu open now

constexpr QRgb kBorder = 0x646464, kBack = 0x050505, kText = 0xDCDCDC, kHover = 0x2A2A2A;

}  // namespace

CMenuDlg::CMenuDlg(QWidget* pOwner, std::vector<MenuItem> items, QPoint ptTopLeft, QSize itemSize, int nValue,
                   int nParent)
    : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint), m_pOwner(pOwner), m_items(std::move(items)),
      m_itemSize(itemSize), m_nValue(nValue)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setMouseTracking(true);
    m_rows = MenuChildren(m_items, nParent);
    if (nParent == kMenuTop) {
        CloseCurrent();
        g_pOpenMenu = this;
    }
    setGeometry(QRect(ptTopLeft, QSize(m_itemSize.width(), int(m_rows.size()) * m_itemSize.height() + 2)));
}

CMenuDlg::~CMenuDlg()
{
    if (m_pChild) m_pChild->m_pParentMenu = nullptr;
    if (m_pParentMenu && m_pParentMenu->m_pChild == this) m_pParentMenu->m_pChild = nullptr;
}

CMenuDlg* CMenuDlg::Current() { return g_pOpenMenu.data(); }

void CMenuDlg::CloseCurrent()
{
    if (CMenuDlg* p = g_pOpenMenu.data()) {
        g_pOpenMenu = nullptr;
        p->CloseChild();
        p->close();
    }
}

int CMenuDlg::RowAt(const QPoint& pt) const
{
    if (pt.x() < 0 || pt.x() >= width() || pt.y() < 1) return -1;
    const int n = (pt.y() - 1) / std::max(1, m_itemSize.height());
    return n < int(m_rows.size()) ? n : -1;
}

void CMenuDlg::CloseChild()
{
    if (!m_pChild) return;
    m_pChild->CloseChild();
    CMenuDlg* p = m_pChild;
    m_pChild = nullptr;
    p->m_pParentMenu = nullptr;
    p->close();
}

void CMenuDlg::HoverRow(int nRow)
{
    if (nRow == m_nHover) return;
    m_nHover = nRow;
    update();
    CloseChild();
    if (nRow < 0 || nRow >= int(m_rows.size())) return;
    const size_t i = m_rows[size_t(nRow)];
    if (!IsMenuHeader(m_items, i)) return;
    // The children open at the right edge, their last row level with the header.
    const size_t nChildren = MenuChildren(m_items, int(i)).size();
    const QPoint ptRow = mapToGlobal(QPoint(width(), 1 + nRow * m_itemSize.height()));
    const int nTop = ptRow.y() - int(nChildren - 1) * m_itemSize.height() - 1;
    m_pChild = new CMenuDlg(m_pOwner, m_items, QPoint(ptRow.x(), nTop), m_itemSize, m_nValue, int(i));
    m_pChild->m_pParentMenu = this;
    connect(m_pChild, &CMenuDlg::Chosen, this, &CMenuDlg::Finish);
    m_pChild->show();
}

bool CMenuDlg::ChooseRow(int nRow)
{
    if (nRow < 0 || nRow >= int(m_rows.size())) return false;
    const size_t i = m_rows[size_t(nRow)];
    if (IsMenuHeader(m_items, i)) return false;
    Finish(m_items[i].dwCode);
    return true;
}

void CMenuDlg::Finish(uint32_t dwCode)
{
    const int nValue = m_nValue;
    if (m_pParentMenu) {
        emit Chosen(dwCode, nValue);  // the top menu reports and closes
        return;
    }
    // Closed before the owner hears of the choice: it may open a dialog.
    QPointer<CMenuDlg> self(this);
    CloseChild();
    if (g_pOpenMenu == this) g_pOpenMenu = nullptr;
    hide();
    emit Chosen(dwCode, nValue);
    if (self) close();
}

bool CMenuDlg::PickPath(const QStringList& path)
{
    CMenuDlg* pMenu = this;
    for (qsizetype n = 0; n < path.size(); ++n) {
        if (!pMenu) return false;
        int nRow = -1;
        for (size_t r = 0; r < pMenu->m_rows.size(); ++r)
            if (ToQString(pMenu->m_items[pMenu->m_rows[r]].strText) == path[n]) {
                nRow = int(r);
                break;
            }
        if (nRow < 0) return false;
        pMenu->HoverRow(nRow);
        if (n + 1 == path.size()) return pMenu->ChooseRow(nRow);
        pMenu = pMenu->m_pChild;
    }
    return false;
}

void CMenuDlg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(kBack));
    p.setPen(QColor(kBorder));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    for (size_t r = 0; r < m_rows.size(); ++r) {
        const QRect rc(1, 1 + int(r) * m_itemSize.height(), width() - 2, m_itemSize.height());
        if (int(r) == m_nHover) p.fillRect(rc, QColor(kHover));
        const MenuItem& item = m_items[m_rows[r]];
        p.setPen(QColor(kText));
        p.drawText(rc.adjusted(10, 0, -16, 0), Qt::AlignVCenter | Qt::AlignLeft,
                   ToQString(item.strText.substr(0, kMenuTextMax)));
        if (IsMenuHeader(m_items, m_rows[r]))
            p.drawText(rc.adjusted(0, 0, -6, 0), Qt::AlignVCenter | Qt::AlignRight, QStringLiteral("\u25B8"));
    }
}

void CMenuDlg::mouseMoveEvent(QMouseEvent* e) { HoverRow(RowAt(e->position().toPoint())); }

void CMenuDlg::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) return;
    if (!rect().contains(e->position().toPoint())) {
        if (!m_pParentMenu) CloseCurrent();
        return;
    }
    ChooseRow(RowAt(e->position().toPoint()));
}

void CMenuDlg::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape) {
        if (m_pParentMenu) close();
        else CloseCurrent();
        return;
    }
    QWidget::keyPressEvent(e);
}
