#include "ui/skin/PngSliderBar.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "ui/QtText.h"
#include "ui/skin/SkinContext.h"
#include "ui/skin/SkinImages.h"
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
    resize(skin::LogicalSize(m_img));
    update();
}

void CPngSlider::paintEvent(QPaintEvent*)
{
    // The bar under this child shows through where the thumb picture is transparent.
    QPainter p(this);
    p.drawImage(QPoint(0, 0), m_img);
}

int CPngSlider::Centre() const
{
    return m_pBar->orientation() == Qt::Vertical ? y() + height() / 2 : x() + width() / 2;
}

void CPngSlider::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) return;
    m_bDragging = true;
    m_ptPress = e->position().toPoint();
    m_pBar->BeginDrag();
}

void CPngSlider::mouseMoveEvent(QMouseEvent* e)
{
    if (!m_bDragging) return;
    const QPoint pt = e->position().toPoint();
    const bool bVert = m_pBar->orientation() == Qt::Vertical;
    m_pBar->DragThumbTo(bVert ? y() + pt.y() - m_ptPress.y() : x() + pt.x() - m_ptPress.x());
    m_pBar->DragOver(m_pBar->ValueAt(Centre()));
}

void CPngSlider::FinishDrag()
{
    m_bDragging = false;
    m_pBar->EndDrag(m_pBar->ValueAt(Centre()));
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

CPngSliderBar::CPngSliderBar(QWidget* parent, Qt::Orientation orientation, const skin::SkinTheme& theme)
    : CSkinSlider(parent, orientation, theme), m_pThumb(new CPngSlider(this))
{
}

QImage CPngSliderBar::Compose(const QImage& imgBackPiece, const QImage& img) const
{
    // As many pixels per unit as the pictures have, so a sharp picture stays sharp.
    const qreal fRatio = !img.isNull() ? img.devicePixelRatio() : !imgBackPiece.isNull() ? imgBackPiece.devicePixelRatio() : 1.0;
    QImage out(QSize(int(std::lround(width() * fRatio)), int(std::lround(height() * fRatio))),
               QImage::Format_ARGB32_Premultiplied);
    out.setDevicePixelRatio(fRatio);
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

void CPngSliderBar::SetScalePos(std::span<const int> positions)
{
    if ((long long)positions.size() != (long long)maximum() - minimum() + 1)
        skin::Warn(QStringLiteral("CPngSlider::SetScalePos  dwScale and Range unmatch!"), QStringLiteral("Warning"),
                   m_pPrompt);
    const size_t nCount = std::min(positions.size(), size_t(slider::kMaxScale));
    m_scale.assign(positions.begin(), positions.begin() + nCount);
    PlaceThumb();
}

void CPngSliderBar::ComputeScale()
{
    std::vector<int> positions;
    const int nThumb = orientation() == Qt::Vertical ? m_pThumb->height() : m_pThumb->width();
    const long long nCount = std::clamp<long long>((long long)maximum() - minimum() + 1, 0, slider::kMaxScale);
    if (!slider::ComputeScale(Length(), nThumb, int(nCount), positions))
        skin::Warn(QStringLiteral("Scale num too much"), QStringLiteral("Warning"), m_pPrompt);
    SetScalePos(positions);
}

int CPngSliderBar::ValueAt(int nPoint) const
{
    return slider::ValueAtPoint(nPoint, minimum(), maximum(), m_scale, Length());
}

int CPngSliderBar::PosOf(int nValue) const
{
    if (nValue < minimum() || nValue > maximum()) return -1;
    return slider::CenterOfValue(nValue, minimum(), maximum(), m_scale, Length()) + 1;
}

bool CPngSliderBar::SelectValue(int nValue)
{
    const bool bInside = nValue >= minimum() && nValue <= maximum();
    setValue(bInside ? nValue : minimum());
    PlaceThumb();
    return bInside;
}

void CPngSliderBar::PlaceThumb()
{
    if (!m_pThumb) return;
    const int nCentre = slider::CenterOfValue(value(), minimum(), maximum(), m_scale, Length());
    if (orientation() == Qt::Vertical)
        m_pThumb->move(0, nCentre - m_pThumb->height() / 2);
    else
        m_pThumb->move(nCentre - m_pThumb->width() / 2, 0);
    if (HasFill()) m_nFillLen = std::max(PosOf(value()), 0);
    update();
}

void CPngSliderBar::DragThumbTo(int nEdge)
{
    const int nThumb = orientation() == Qt::Vertical ? m_pThumb->height() : m_pThumb->width();
    nEdge = std::clamp(nEdge, 0, std::max(Length() - nThumb, 0));
    if (orientation() == Qt::Vertical)
        m_pThumb->move(0, nEdge);
    else
        m_pThumb->move(nEdge, 0);
    if (HasFill()) m_nFillLen = nEdge;
    update();
}

void CPngSliderBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const bool bVertical = orientation() == Qt::Vertical;
    p.drawImage(QPoint(0, 0), m_imgTrack);
    if (!m_imgFill.isNull() && m_nFillLen > 0) {
        const QRect rcFill = bVertical ? QRect(0, 0, width(), m_nFillLen) : QRect(0, 0, m_nFillLen, height());
        const qreal f = m_imgFill.devicePixelRatio();
        p.drawImage(QRectF(rcFill), m_imgFill, QRectF(0, 0, rcFill.width() * f, rcFill.height() * f));
    }
    if (!m_imgMark.isNull()) {
        const QSize szMark = skin::LogicalSize(m_imgMark);
        const int nCross = (bVertical ? width() : height()) / 2 - 1;
        for (int nPos : m_scale) {
            if (bVertical)
                p.drawImage(QPoint(nCross, nPos + m_ptTrackOffset.y() - szMark.height() / 2), m_imgMark);
            else
                p.drawImage(QPoint(nPos + m_ptTrackOffset.x() - szMark.width() / 2, nCross), m_imgMark);
        }
    }
    DrawFocus(p);
    if (m_bFrameDebug) {
        std::vector<int> lines = m_scale;
        if (lines.empty() && maximum() > minimum())
            for (int i = 0, nStep = Length() / (maximum() - minimum()); nStep > 0 && i * nStep < Length(); ++i)
                lines.push_back(i * nStep);
        for (size_t i = 0; i < lines.size(); ++i) {
            p.setPen(ToQColor(i % 50 == 0 ? 0xFF0000 : i % 10 == 0 ? 0xFFFFFF : 0x0000FF));
            if (bVertical)
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
    Choose(ValueAt(orientation() == Qt::Vertical ? pt.y() : pt.x()), value());
}

void CPngSliderBar::keyPressEvent(QKeyEvent* e)
{
    if (m_pThumb->IsDragging()) return;
    CSkinSlider::keyPressEvent(e);
}

void CPngSliderBar::wheelEvent(QWheelEvent* e)
{
    if (m_pThumb->IsDragging()) return;
    CSkinSlider::wheelEvent(e);
}
