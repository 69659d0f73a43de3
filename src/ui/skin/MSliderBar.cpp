#include "ui/skin/MSliderBar.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <numeric>

#include "ui/QtText.h"
#include "ui/skin/SkinContext.h"
#include "ui/skin/SkinImages.h"
#include "ui/skin/SliderScale.h"

CMSliderBar::CMSliderBar(QWidget* pParent, const QRect& rc, const QImage& imgThumb, const skin::SkinTheme& theme)
    : CSkinSlider(pParent, Qt::Horizontal, theme)
{
    // Every paint covers the whole bar (background piece or plain fill).
    setAttribute(Qt::WA_OpaquePaintEvent);
    SetLiveNotify(true);
    setGeometry(rc);
    m_rcTrack = QRect(0, (rc.height() - 3) / 2, rc.width(), 3);
    m_imgThumb = imgThumb.isNull() ? QImage() : imgThumb.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    m_nThumbW = skin::LogicalSize(m_imgThumb).width();
    ComputePositions();
}

void CMSliderBar::SetBackground(const QImage& imgPage, const QRect& rcSource)
{
    m_imgBack = imgPage;
    m_rcBackSrc = rcSource;
    update();
}

void CMSliderBar::SetBackFill(ZColor clr)
{
    m_clrBackFill = clr;
    update();
}

void CMSliderBar::SetTrack(const QRect& rc)
{
    m_rcTrack = rc;
    ComputePositions();
}

void CMSliderBar::SetColors(ZColor clrTrack, ZColor clrFill)
{
    m_clrTrack = clrTrack;
    m_clrFill = clrFill;
    update();
}

void CMSliderBar::ComputePositions()
{
    if (!slider::ComputeScale(m_rcTrack.width(), m_nThumbW, int(m_values.size()), m_pos))
        skin::Warn(QStringLiteral("Scale num too much"), QStringLiteral("Warning"), m_pPrompt);
    for (int& n : m_pos) n += m_rcTrack.left();
    // A shorter list keeps the position when it still exists, else goes to the first.
    const int nCount = int(m_values.size());
    const int nKeep = value() < nCount ? value() : 0;
    {
        const QSignalBlocker block(this);
        setRange(0, std::max(nCount - 1, 0));
        setValue(nKeep);
    }
    PlaceThumb();
}

void CMSliderBar::PlaceThumb()
{
    m_nThumbX = m_pos.empty() ? m_rcTrack.left() + m_nThumbW / 2 : m_pos[size_t(std::clamp(value(), 0, int(m_pos.size()) - 1))];
    update();
}

void CMSliderBar::SetValueRange(int nLow, int nHigh)
{
    const long long nCount = std::clamp<long long>((long long)nHigh - nLow + 1, 0, slider::kMaxScale);
    m_values.resize(size_t(nCount));
    std::iota(m_values.begin(), m_values.end(), nLow);
    ComputePositions();
}

bool CMSliderBar::SetValues(std::span<const int> values)
{
    if (values.size() > size_t(slider::kMaxScale)) return false;
    m_values.assign(values.begin(), values.end());
    ComputePositions();
    return true;
}

bool CMSliderBar::SelectValue(int nValue)
{
    auto it = std::find(m_values.begin(), m_values.end(), nValue);
    if (it == m_values.end()) return false;
    setValue(int(it - m_values.begin()));
    PlaceThumb();
    return true;
}

int CMSliderBar::ValueOfPosition(int nPos) const
{
    if (m_values.empty()) return 0;
    return m_values[size_t(std::clamp(nPos, 0, int(m_values.size()) - 1))];
}

void CMSliderBar::SetScale(float fScale)
{
    if (m_bScaled) return;
    m_bScaled = true;
    const QRect rc = geometry();
    setGeometry(int(float(rc.x()) * fScale), int(float(rc.y()) * fScale), int(float(rc.width()) * fScale),
                int(float(rc.height()) * fScale));
    m_rcTrack = QRect(int(float(m_rcTrack.x()) * fScale), int(float(m_rcTrack.y()) * fScale),
                      int(float(m_rcTrack.width()) * fScale), int(float(m_rcTrack.height()) * fScale));
    m_nThumbW = int(float(m_nThumbW) * fScale);
    m_fThumbScale = fScale;
    ComputePositions();
}

int CMSliderBar::IndexAt(int x) const { return slider::NearestIndexSplit(m_pos, x); }

void CMSliderBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!m_imgBack.isNull()) {
        const qreal f = m_imgBack.devicePixelRatio();
        p.drawImage(QRectF(rect()), m_imgBack,
                    QRectF(m_rcBackSrc.x() * f, m_rcBackSrc.y() * f, m_rcBackSrc.width() * f, m_rcBackSrc.height() * f));
    } else {
        p.fillRect(rect(), ToQColor(m_clrBackFill));
    }
    p.fillRect(m_rcTrack, ToQColor(m_clrTrack));
    if (m_clrFill != 0 && m_nThumbX > m_rcTrack.left())
        p.fillRect(QRect(m_rcTrack.left(), m_rcTrack.top(), m_nThumbX - m_rcTrack.left(), m_rcTrack.height()),
                   ToQColor(m_clrFill));
    if (!m_imgThumb.isNull()) {
        const QSize szThumb = skin::LogicalSize(m_imgThumb);
        const QSize sz(int(float(szThumb.width()) * m_fThumbScale), int(float(szThumb.height()) * m_fThumbScale));
        p.drawImage(QRect(QPoint(m_nThumbX - sz.width() / 2, m_nThumbTop), sz), m_imgThumb);
    }
    DrawFocus(p);
    if (m_bFrameDebug) {
        p.setPen(ToQColor(0x0000FF));
        for (int x : m_pos) p.drawLine(x, 0, x, height() - 1);
    }
}

void CMSliderBar::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) return;
    if (m_values.empty()) {
        skin::Warn(QStringLiteral("m_nItemNum<=0"), m_strTitle, m_pPrompt);
        return;
    }
    m_nPressX = m_nThumbX;
    m_nGrab = m_pos[size_t(value())] - int(e->position().x());
    BeginDrag();
}

void CMSliderBar::mouseMoveEvent(QMouseEvent* e)
{
    if (!IsDragging()) return;
    const int nMin = m_rcTrack.left() + m_nThumbW / 2;
    const int nMax = std::max(nMin, m_rcTrack.left() + m_rcTrack.width() - m_nThumbW + m_nThumbW / 2);
    m_nThumbX = std::clamp(int(e->position().x()) + m_nGrab, nMin, nMax);
    update();
    const int nIndex = IndexAt(m_nThumbX);
    if (nIndex >= 0) DragOver(nIndex);
}

void CMSliderBar::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || !IsDragging()) return;
    // A plain click chooses the value under the pointer; a drag the one under the thumb.
    EndDrag(IndexAt(m_nThumbX == m_nPressX ? int(e->position().x()) : m_nThumbX));
}

void CMSliderBar::hideEvent(QHideEvent* e)
{
    if (IsDragging()) EndDrag(IndexAt(m_nThumbX));
    CSkinSlider::hideEvent(e);
}

void CMSliderBar::keyPressEvent(QKeyEvent* e)
{
    if (m_values.empty()) {
        QWidget::keyPressEvent(e);
        return;
    }
    CSkinSlider::keyPressEvent(e);
}

void CMSliderBar::wheelEvent(QWheelEvent* e)
{
    if (m_values.empty()) return;
    CSkinSlider::wheelEvent(e);
}
