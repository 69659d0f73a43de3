#include "ui/skin/ComboPopup.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "ui/QtText.h"
#include "ui/skin/SkinContext.h"

namespace {
ComboMenuFactory& Factory()
{
    static ComboMenuFactory s_factory;
    return s_factory;
}
}  // namespace

void SetComboMenuFactory(ComboMenuFactory factory) { Factory() = std::move(factory); }

std::unique_ptr<IComboMenu> MakeComboMenu()
{
    if (Factory()) return Factory()();
    return std::make_unique<CComboPopup>();
}

CComboPopup::CComboPopup() : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setFont(skin::InterfaceFont());
}

void CComboPopup::Open(QWidget* pOwner, const ComboMenuRequest& request,
                       std::function<void(int nCode, int nTag)> onChoice)
{
    if (pOwner) setFont(pOwner->font());
    m_req = request;
    m_onChoice = std::move(onChoice);
    m_nHover = -1;
    setGeometry(m_req.rcGlobal);
    show();
    setFocus(Qt::PopupFocusReason);
}

void CComboPopup::Close()
{
    hide();
}

QRect CComboPopup::ItemRect(int nIndex) const
{
    return QRect(0, nIndex * m_req.nItemHeight, width(), m_req.nItemHeight);
}

int CComboPopup::IndexAt(const QPoint& pt) const
{
    if (!rect().contains(pt) || m_req.nItemHeight <= 0) return -1;
    const int n = pt.y() / m_req.nItemHeight;
    return n < int(m_req.items.size()) ? n : -1;
}

void CComboPopup::Choose(int nIndex)
{
    if (nIndex < 0 || nIndex >= int(m_req.items.size())) return;
    const int nCode = m_req.items[size_t(nIndex)].nCode;
    hide();
    // The owner may open the list again from inside the callback; take it first.
    auto onChoice = std::move(m_onChoice);
    m_onChoice = nullptr;
    if (onChoice) onChoice(nCode, m_req.nTag);
}

void CComboPopup::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), m_req.clrBack);
    const QFontMetrics fm(font());
    for (int i = 0; i < int(m_req.items.size()); ++i) {
        const QRect rc = ItemRect(i);
        if (i == m_nHover) p.fillRect(rc, m_req.clrItem);
        p.setPen(i == m_nHover ? m_req.clrTextOv : m_req.clrTextNr);
        const QRect rcText = rc.adjusted(6, 0, -4, 0);
        p.drawText(rcText, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   fm.elidedText(m_req.items[size_t(i)].strText, Qt::ElideRight, rcText.width()));
    }
    p.setPen(m_req.clrTextNr);
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void CComboPopup::mouseMoveEvent(QMouseEvent* e)
{
    const int n = IndexAt(e->position().toPoint());
    if (n != m_nHover) {
        m_nHover = n;
        update();
    }
}

void CComboPopup::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) return;
    Choose(IndexAt(e->position().toPoint()));
}

void CComboPopup::leaveEvent(QEvent*)
{
    m_nHover = -1;
    update();
}

void CComboPopup::keyPressEvent(QKeyEvent* e)
{
    const int nCount = int(m_req.items.size());
    switch (e->key()) {
    case Qt::Key_Down: m_nHover = nCount ? (m_nHover + 1) % nCount : -1; break;
    case Qt::Key_Up: m_nHover = nCount ? (m_nHover <= 0 ? nCount - 1 : m_nHover - 1) : -1; break;
    case Qt::Key_Home: m_nHover = nCount ? 0 : -1; break;
    case Qt::Key_End: m_nHover = nCount - 1; break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space: Choose(m_nHover); return;
    case Qt::Key_Escape: hide(); return;
    default: QWidget::keyPressEvent(e); return;
    }
    update();
}
