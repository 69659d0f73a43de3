#include "ui/skin/PngSliderBar.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>

#include "core/Gvar.h"
#include "ui/QtText.h"
#include "ui/skin/SkinContext.h"
#include "ui/skin/SliderScale.h"

// ---- thumb --------------------------------------------------------------------

CPngSlider::CPngSlider(CPngSliderBar* pBar) : QWidget(pBar), m_pBar(pBar)
{
    setObjectName(QStringLiteral("thumb"));
    setFocusPolicy(Qt::NoFocus);
}

void CPngSlider::SetImage(const QImage& img)
{
    m_img = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    resize(m_img.size());
    update();
}

void CPngSlider::paintEvent(QPaintEvent*)
{
    // The bar under this child shows through where the thumb picture is transparent.
    QPainter p(this);
    p.drawImage(QPoint(0, 0), m_img);
}

void CPngSlider::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) return;
    m_bDragging = true;
    m_ptPress = e->position().toPoint();
    m_nLastSent = INT_MIN;
    m_nBefore = m_pBar->GetPos();
}

void CPngSlider::mouseMoveEvent(QMouseEvent* e)
{
    if (!m_bDragging) return;
    const QPoint pt = e->position().toPoint();
    const bool bVert = m_pBar->m_bVertical;
    const int nEdge = bVert ? y() + pt.y() - m_ptPress.y() : x() + pt.x() - m_ptPress.x();
    m_pBar->DragThumbTo(nEdge);
    if (m_pBar->m_bLiveNotify) {
        const int nCentre = (bVert ? y() + height() / 2 : x() + width() / 2);
        const int nValue = m_pBar->ValueAt(nCentre);
        if (nValue != m_nLastSent) {
            m_nLastSent = nValue;
            emit m_pBar->moving(nValue, m_pBar->m_nBarId);
        }
    }
}

void CPngSlider::FinishDrag()
{
    m_bDragging = false;
    const int nCentre = m_pBar->m_bVertical ? y() + height() / 2 : x() + width() / 2;
    const int nValue = m_pBar->ValueAt(nCentre);
    m_nLastSent = INT_MIN;
    m_pBar->SetPos(nValue, nValue != m_nBefore);
}

void CPngSlider::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || !m_bDragging) return;
    FinishDrag();
}

void CPngSlider::hideEvent(QHideEvent* e)
{
    // A drag cut short by the page going away still leaves the thumb on a value.
    if (m_bDragging) FinishDrag();
    QWidget::hideEvent(e);
}

// ---- bar ----------------------------------------------------------------------

CPngSliderBar::CPngSliderBar(QWidget* parent, bool bVertical) : QWidget(parent), m_bVertical(bVertical)
{
    setFocusPolicy(Qt::StrongFocus);
    m_bFrameDebug = gVar.nFrameDebug != 0;
    m_pThumb = new CPngSlider(this);
}

QImage CPngSliderBar::Compose(const QImage& imgBackPiece, const QImage& img) const
{
    QImage out(size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    if (!imgBackPiece.isNull()) p.drawImage(QPoint(0, 0), imgBackPiece);
    if (!img.isNull()) p.drawImage(m_ptTrackOffset, img);  // the painter clips to the bar
    return out;
}

void CPngSliderBar::SetImages(const QImage& imgTrack, const QImage& imgFill, const QImage& imgThumb,
                              const QImage& imgBackPiece)
{
    m_imgTrack = Compose(imgBackPiece, imgTrack);
    m_imgFill = imgFill.isNull() ? QImage() : Compose(imgBackPiece, imgFill);
    if (!imgThumb.isNull()) m_pThumb->SetImage(imgThumb);
    PlaceThumb();
    update();
}

void CPngSliderBar::SetMarkImage(const QImage& imgMark)
{
    m_imgMark = imgMark.isNull() ? QImage() : imgMark.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    update();
}

void CPngSliderBar::SetRange(int nLow, int nHigh)
{
    m_nLow = nLow;
    m_nHigh = nHigh;
}

void CPngSliderBar::SetScalePos(std::span<const int> positions)
{
    if ((long long)positions.size() != (long long)m_nHigh - m_nLow + 1)
        skin::Warn(QStringLiteral("CPngSlider::SetScalePos  dwScale and Range unmatch!"), QStringLiteral("Warning"),
                   m_pPrompt);
    const size_t nCount = std::min(positions.size(), size_t(slider::kMaxScale));
    m_scale.assign(positions.begin(), positions.begin() + nCount);
    PlaceThumb();
}

void CPngSliderBar::ComputeScale()
{
    std::vector<int> positions;
    const int nThumb = m_bVertical ? m_pThumb->height() : m_pThumb->width();
    const long long nCount = std::clamp<long long>((long long)m_nHigh - m_nLow + 1, 0, slider::kMaxScale);
    if (!slider::ComputeScale(Length(), nThumb, int(nCount), positions))
        skin::Warn(QStringLiteral("Scale num too much"), QStringLiteral("Warning"), m_pPrompt);
    SetScalePos(positions);
}

int CPngSliderBar::ValueAt(int nPoint) const
{
    return slider::ValueAtPoint(nPoint, m_nLow, m_nHigh, m_scale, Length());
}

int CPngSliderBar::PosOf(int nValue) const
{
    if (nValue < m_nLow || nValue > m_nHigh) return -1;
    return slider::CenterOfValue(nValue, m_nLow, m_nHigh, m_scale, Length()) + 1;
}

int CPngSliderBar::GetPos() const { return m_nIndex < m_nLow || m_nIndex > m_nHigh ? 0 : m_nIndex; }

void CPngSliderBar::PlaceThumb()
{
    const int nCentre = slider::CenterOfValue(m_nIndex, m_nLow, m_nHigh, m_scale, Length());
    if (m_bVertical)
        m_pThumb->move(0, nCentre - m_pThumb->height() / 2);
    else
        m_pThumb->move(nCentre - m_pThumb->width() / 2, 0);
}

void CPngSliderBar::SetPos(int nValue, bool bNotify)
{
    if (nValue < m_nLow || nValue > m_nHigh) nValue = m_nLow;
    m_nIndex = nValue;
    PlaceThumb();
    if (HasFill()) m_nFillLen = std::max(PosOf(nValue), 0);
    update();
    if (bNotify) emit released(nValue, m_nBarId);
}

void CPngSliderBar::DragThumbTo(int nEdge)
{
    const int nThumb = m_bVertical ? m_pThumb->height() : m_pThumb->width();
    nEdge = std::clamp(nEdge, 0, std::max(Length() - nThumb, 0));
    if (m_bVertical)
        m_pThumb->move(0, nEdge);
    else
        m_pThumb->move(nEdge, 0);
    if (HasFill()) m_nFillLen = nEdge;
    update();
}

void CPngSliderBar::StepTo(int nValue)
{
    nValue = std::clamp(nValue, m_nLow, std::max(m_nLow, m_nHigh));
    const int nBefore = GetPos();
    SetPos(nValue, false);
    if (GetPos() != nBefore) emit released(GetPos(), m_nBarId);
}

void CPngSliderBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(QPoint(0, 0), m_imgTrack);
    if (!m_imgFill.isNull() && m_nFillLen > 0) {
        const QRect rcFill = m_bVertical ? QRect(0, 0, m_imgFill.width(), m_nFillLen)
                                         : QRect(0, 0, m_nFillLen, m_imgFill.height());
        p.drawImage(rcFill.topLeft(), m_imgFill, rcFill);
    }
    if (!m_imgMark.isNull()) {
        const int nCross = (m_bVertical ? width() : height()) / 2 - 1;
        for (int nPos : m_scale) {
            if (m_bVertical)
                p.drawImage(QPoint(nCross, nPos + m_ptTrackOffset.y() - m_imgMark.height() / 2), m_imgMark);
            else
                p.drawImage(QPoint(nPos + m_ptTrackOffset.x() - m_imgMark.width() / 2, nCross), m_imgMark);
        }
    }
    if (m_bKeyFocus && hasFocus()) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    if (m_bFrameDebug) {
        p.setPen(ToQColor(0x0000FF));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        std::vector<int> lines = m_scale;
        if (lines.empty() && m_nHigh > m_nLow)
            for (int i = 0, nStep = Length() / (m_nHigh - m_nLow); nStep > 0 && i * nStep < Length(); ++i)
                lines.push_back(i * nStep);
        for (size_t i = 0; i < lines.size(); ++i) {
            p.setPen(ToQColor(i % 50 == 0 ? 0xFF0000 : i % 10 == 0 ? 0xFFFFFF : 0x0000FF));
            if (m_bVertical)
                p.drawLine(0, lines[i], width() - 1, lines[i]);
            else
                p.drawLine(lines[i], 0, lines[i], height() - 1);
        }
    }
}

void CPngSliderBar::mousePressEvent(QMouseEvent* e)
{
    m_bPressed = e->button() == Qt::LeftButton;
}

void CPngSliderBar::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || !m_bPressed) return;
    m_bPressed = false;
    const QPoint pt = e->position().toPoint();
    if (!rect().contains(pt)) return;
    const int nBefore = GetPos();
    const int nValue = ValueAt(m_bVertical ? pt.y() : pt.x());
    SetPos(nValue, false);
    if (nValue != nBefore) emit released(nValue, m_nBarId);
}

void CPngSliderBar::keyPressEvent(QKeyEvent* e)
{
    if (m_pThumb->IsDragging()) return;
    const int nPage = std::max(1, (m_nHigh - m_nLow) / 10);
    const int nNow = GetPos();
    switch (e->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down: StepTo(nNow - 1); break;
    case Qt::Key_Right:
    case Qt::Key_Up: StepTo(nNow + 1); break;
    case Qt::Key_PageDown: StepTo(nNow - nPage); break;
    case Qt::Key_PageUp: StepTo(nNow + nPage); break;
    case Qt::Key_Home: StepTo(m_nLow); break;
    case Qt::Key_End: StepTo(m_nHigh); break;
    default: QWidget::keyPressEvent(e); return;
    }
    e->accept();
}

void CPngSliderBar::wheelEvent(QWheelEvent* e)
{
    if (m_pThumb->IsDragging()) return;
    m_nWheel += e->angleDelta().y();
    const int nSteps = m_nWheel / 120;
    m_nWheel %= 120;
    if (nSteps) StepTo(GetPos() + nSteps);
    e->accept();
}

void CPngSliderBar::focusInEvent(QFocusEvent* e)
{
    m_bKeyFocus = e->reason() == Qt::TabFocusReason || e->reason() == Qt::BacktabFocusReason;
    update();
    QWidget::focusInEvent(e);
}

void CPngSliderBar::focusOutEvent(QFocusEvent* e)
{
    m_bKeyFocus = false;
    update();
    QWidget::focusOutEvent(e);
}
