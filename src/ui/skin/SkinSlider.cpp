#include "ui/skin/SkinSlider.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>

#include "ui/QtText.h"

CSkinSlider::CSkinSlider(QWidget* parent, Qt::Orientation orientation, const skin::SkinTheme& theme)
    : QAbstractSlider(parent), m_bFrameDebug(theme.bFrameDebug), m_strTitle(theme.strTitle)
{
    setOrientation(orientation);
    setFocusPolicy(Qt::StrongFocus);
    // The value changes when a drag ends, not while the thumb is moved.
    setTracking(false);
    setRange(0, 0);
}

void CSkinSlider::SetFrameDebug(bool b)
{
    m_bFrameDebug = b;
    update();
}

void CSkinSlider::UpdatePageStep() { setPageStep(std::max(1, (maximum() - minimum()) / 10)); }

void CSkinSlider::Choose(int nPos, int nBefore)
{
    setValue(nPos);
    PlaceThumb();  // also when the value stayed: a drag left the thumb between positions
    if (value() != nBefore) emit released(SelectedValue());
}

void CSkinSlider::BeginDrag()
{
    m_nBefore = value();
    m_bSentAny = false;
    setSliderDown(true);
}

void CSkinSlider::DragOver(int nPos)
{
    setSliderPosition(nPos);
    // The first value of a drag always goes out, even when it is the one it started from.
    if (!m_bLiveNotify || (m_bSentAny && nPos == m_nLastSent)) return;
    m_bSentAny = true;
    m_nLastSent = nPos;
    emit moving(ValueOfPosition(nPos));
}

void CSkinSlider::EndDrag(int nPos)
{
    setSliderPosition(nPos);
    setSliderDown(false);
    Choose(nPos, m_nBefore);
}

void CSkinSlider::sliderChange(SliderChange change)
{
    if (change == SliderRangeChange) UpdatePageStep();
    if (change != SliderStepsChange && !isSliderDown()) PlaceThumb();
    update();
    QAbstractSlider::sliderChange(change);
}

void CSkinSlider::keyPressEvent(QKeyEvent* e)
{
    // Keys wait while the thumb is dragged.
    if (isSliderDown()) {
        e->ignore();
        return;
    }
    const int nBefore = value();
    QAbstractSlider::keyPressEvent(e);
    PlaceThumb();
    if (value() != nBefore) emit released(SelectedValue());
}

void CSkinSlider::wheelEvent(QWheelEvent* e)
{
    // One position for every notch of the wheel (Qt's own slider moves
    // several lines per notch).
    if (isSliderDown()) return;
    m_nWheel += e->angleDelta().y();
    const int nSteps = m_nWheel / 120;
    m_nWheel %= 120;
    if (nSteps) {
        const int nBefore = value();
        Choose(std::clamp(nBefore + nSteps * singleStep(), minimum(), maximum()), nBefore);
    }
    e->accept();
}

void CSkinSlider::focusInEvent(QFocusEvent* e)
{
    m_bKeyFocus = e->reason() == Qt::TabFocusReason || e->reason() == Qt::BacktabFocusReason;
    update();
    QAbstractSlider::focusInEvent(e);
}

void CSkinSlider::focusOutEvent(QFocusEvent* e)
{
    m_bKeyFocus = false;
    update();
    QAbstractSlider::focusOutEvent(e);
}

void CSkinSlider::DrawFocus(QPainter& p) const
{
    if (m_bKeyFocus && hasFocus()) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    if (m_bFrameDebug) {
        p.setPen(ToQColor(0x0000FF));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}
