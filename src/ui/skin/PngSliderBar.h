// The image slider: a track picture, an optional filled-track picture that grows
// up to the thumb, an optional row of scale marks, and a thumb picture in a child
// window of its own that the user drags. Its positions are its values, whole
// numbers minimum()..maximum(), each with a fixed pixel position along the bar
// (the scale). What it reports is CSkinSlider's.
#pragma once

#include <QImage>
#include <QWidget>
#include <span>
#include <vector>

#include "ui/skin/SkinSlider.h"

class CPngSliderBar;

// The thumb: paints the thumb picture and turns a drag into values.
class CPngSlider final : public QWidget {
    Q_OBJECT
public:
    explicit CPngSlider(CPngSliderBar* pBar);
    void SetImage(const QImage& img);
    const QImage& Image() const { return m_img; }
    bool IsDragging() const { return m_bDragging; }

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void FinishDrag();
    int Centre() const;

    CPngSliderBar* m_pBar;
    QImage m_img;
    bool m_bDragging = false;
    QPoint m_ptPress;
};

class CPngSliderBar : public CSkinSlider {
    Q_OBJECT
public:
    explicit CPngSliderBar(QWidget* parent = nullptr, Qt::Orientation orientation = Qt::Horizontal,
                           const skin::SkinTheme& theme = skin::Theme());

    // Where the track and fill pictures lie inside the bar.
    void SetTrackOffset(const QPoint& pt) { m_ptTrackOffset = pt; }
    // Composes track and fill over imgBackPiece (the page background under the bar,
    // bar-sized) clipped to the bar, and gives the thumb its picture. A null fill
    // drops the filled part; a null thumb keeps the old one.
    void SetImages(const QImage& imgTrack, const QImage& imgFill, const QImage& imgThumb, const QImage& imgBackPiece);
    void SetMarkImage(const QImage& imgMark);
    const QImage& TrackImage() const { return m_imgTrack; }
    bool HasFill() const { return !m_imgFill.isNull(); }

    // Thumb centre per value, for minimum() + i. A count that does not match the
    // range is reported (and taken, at most 600 positions).
    void SetScalePos(std::span<const int> positions);
    const std::vector<int>& ScalePos() const { return m_scale; }
    // Even positions for the whole range over the bar's length with the thumb's size.
    void ComputeScale();

    // A value outside the range moves the slider to its low end (false).
    bool SelectValue(int nValue) override;
    // Thumb centre of the value + 1; -1 outside the range.
    int PosOf(int nValue) const;
    int ValueAt(int nPoint) const;
    int Length() const { return orientation() == Qt::Vertical ? height() : width(); }
    int FillLen() const { return m_nFillLen; }
    CPngSlider* Thumb() { return m_pThumb; }

protected:
    void PlaceThumb() override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    friend class CPngSlider;
    // The thumb's leading edge while it is dragged there.
    void DragThumbTo(int nEdge);
    QImage Compose(const QImage& imgBackPiece, const QImage& img) const;

    std::vector<int> m_scale;
    QImage m_imgTrack, m_imgFill, m_imgMark;
    int m_nFillLen = 0;
    QPoint m_ptTrackOffset;
    bool m_bPressed = false;
    CPngSlider* m_pThumb;
};
