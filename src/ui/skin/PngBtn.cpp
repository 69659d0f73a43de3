#include "ui/skin/PngBtn.h"

#include <QEnterEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QPainter>

#include "ui/QtText.h"
#include "ui/skin/SkinContext.h"
#include "ui/skin/SkinImages.h"

ButtonLook SelectButtonLook(bool bCheckMode, bool bChecked, bool bEnabled, bool bHover, bool bDown)
{
    enum { kNr, kOv, kDn };
    if (bCheckMode) {
        if (bChecked) return bEnabled ? ButtonLook{CPngBtn::kImgDn, kDn} : ButtonLook{CPngBtn::kImgOff, kNr};
        if (bHover) return {CPngBtn::kImgOv, kOv};
        if (!bEnabled) return {CPngBtn::kImgOff, kNr};
        return {CPngBtn::kImgNr, kNr};
    }
    if (bChecked || bDown) return {CPngBtn::kImgDn, kDn};
    if (bHover) return {CPngBtn::kImgOv, kOv};
    if (!bEnabled) return {CPngBtn::kImgOff, kNr};
    return {CPngBtn::kImgNr, kNr};
}

CPngBtn::CPngBtn(QWidget* parent, const skin::SkinTheme& theme) : QAbstractButton(parent)
{
    // Reachable with Tab and pressed with Space, but a mouse click does not take
    // the focus away from an edit field on the page.
    setFocusPolicy(Qt::TabFocus);
    setFont(theme.font);
    m_clrText[0] = ToZColor(theme.clrBtnTextNr);
    m_clrText[1] = ToZColor(theme.clrBtnTextOv);
    m_clrText[2] = ToZColor(theme.clrBtnTextDn);
    m_bFrameDebug = theme.bFrameDebug;
    m_bStretch = theme.fScale > 1.0;
    // The caption is also the name a screen reader announces (Qt's own text()).
    connect(this, &QAbstractButton::toggled, this, [this] { update(); });
}

void CPngBtn::SetImages(const QImage& imgNr, const QImage& imgOv, const QImage& imgDn, const QRect* pSource)
{
    const QImage* src[3] = {&imgNr, &imgOv, &imgDn};
    for (int i = 0; i < 3; ++i) {
        const QImage& img = *src[i];
        if (img.width() == 0)
            m_img[i] = QImage();
        else
            m_img[i] = (pSource ? img.copy(*pSource) : img.copy()).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    m_img[kImgOff] = m_img[kImgNr];
    update();
}

void CPngBtn::SetBackground(const QImage& imgPage, const QRect& rc)
{
    m_imgBack = imgPage.isNull() ? QImage() : skin::CutBackground(imgPage, rc);
    update();
}

bool CPngBtn::SetIcon(const QImage& imgIcon, int x, int y)
{
    m_imgIcon = imgIcon.isNull() ? QImage() : imgIcon.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (y == -1) y = (height() - skin::LogicalSize(m_imgIcon).height()) / 2;
    m_ptIcon = QPoint(x, y);
    update();
    return !m_imgIcon.isNull();
}

void CPngBtn::SetTextMargin(int nMargin)
{
    m_nMargin = nMargin;
    update();
}

void CPngBtn::SetTextColors(ZColor clrNr, ZColor clrOv, ZColor clrDn)
{
    m_clrText[0] = clrNr;
    m_clrText[1] = clrOv;
    m_clrText[2] = clrDn;
    update();
}

void CPngBtn::SetScale(float fScale)
{
    m_fScale = fScale;
    m_ptIcon = QPoint(int(float(m_ptIcon.x()) * fScale), int(float(m_ptIcon.y()) * fScale));
    update();
}

void CPngBtn::SetStretch(bool bStretch)
{
    m_bStretch = bStretch;
    update();
}

void CPngBtn::SetFrameDebug(bool bFrameDebug)
{
    m_bFrameDebug = bFrameDebug;
    update();
}

ButtonLook CPngBtn::CurrentLook() const
{
    return SelectButtonLook(isCheckable(), isChecked(), isEnabled(), m_bHover, isDown());
}

QSize CPngBtn::sizeHint() const
{
    return m_img[kImgNr].isNull() ? QSize(20, 20) : skin::LogicalSize(m_img[kImgNr]);
}

void CPngBtn::DrawLayer(QPainter& p, const QImage& img) const
{
    if (img.isNull()) return;
    if (m_bStretch)
        p.drawImage(QRect(0, 0, width() + 1, height() + 1), img);
    else
        p.drawImage(QPoint(0, 0), img);
}

void CPngBtn::DrawIcon(QPainter& p) const
{
    if (m_imgIcon.isNull()) return;
    const QSize szIcon = skin::LogicalSize(m_imgIcon);
    const QSize sz(int(float(szIcon.width()) * m_fScale), int(float(szIcon.height()) * m_fScale));
    p.drawImage(QRect(m_ptIcon, sz), m_imgIcon);
}

void CPngBtn::DrawCaption(QPainter& p, const QRect& rc, Qt::Alignment hAlign, ZColor clr, bool bWrap) const
{
    const QString strText = text();
    if (strText.isEmpty()) return;
    p.setFont(font());
    p.setPen(ToQColor(clr));
    if (bWrap) {
        p.drawText(rc, int(hAlign | Qt::AlignVCenter | Qt::TextWordWrap), strText);
        return;
    }
    const QString strShown = QFontMetrics(font()).elidedText(strText, Qt::ElideRight, std::max(rc.width(), 0));
    p.drawText(rc, int(hAlign | Qt::AlignVCenter | Qt::TextSingleLine), strShown);
}

void CPngBtn::DrawFrames(QPainter& p) const
{
    if (m_bKeyFocus && hasFocus()) {
        p.setPen(QPen(ToQColor(m_clrText[1]), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(1, 1, -2, -2));
    }
    if (m_bFrameDebug) {
        p.setPen(ToQColor(kFrameDebugColor));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void CPngBtn::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const ButtonLook look = CurrentLook();
    DrawLayer(p, m_imgBack);
    DrawLayer(p, m_img[look.nImage]);
    DrawIcon(p);
    QRect rc = rect();
    rc.setLeft(rc.left() + Margin());
    DrawCaption(p, rc, m_nMargin < 1 ? Qt::AlignHCenter : Qt::AlignLeft, m_clrText[look.nTextColor]);
    DrawFrames(p);
}

void CPngBtn::enterEvent(QEnterEvent* e)
{
    m_bHover = true;
    update();
    QAbstractButton::enterEvent(e);
}

void CPngBtn::leaveEvent(QEvent* e)
{
    m_bHover = false;
    update();
    QAbstractButton::leaveEvent(e);
}

void CPngBtn::changeEvent(QEvent* e)
{
    // A button disabled under the pointer gets no leave notification afterwards.
    if (e->type() == QEvent::EnabledChange && !isEnabled()) m_bHover = false;
    QAbstractButton::changeEvent(e);
}

void CPngBtn::focusInEvent(QFocusEvent* e)
{
    m_bKeyFocus = e->reason() == Qt::TabFocusReason || e->reason() == Qt::BacktabFocusReason ||
                  e->reason() == Qt::ShortcutFocusReason;
    QAbstractButton::focusInEvent(e);
}

void CPngBtn::focusOutEvent(QFocusEvent* e)
{
    m_bKeyFocus = false;
    QAbstractButton::focusOutEvent(e);
}
