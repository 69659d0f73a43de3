// The image slider: a track picture, an optional filled-track picture that grows
// up to the thumb, an optional row of scale marks, and a thumb picture in a child
// window of its own that the user drags. Values are whole numbers nLow..nHigh,
// each with a fixed pixel position along the bar. The owner hears moving()
// while the thumb is dragged and released() when a drag, a click on the track,
// a key or the wheel changed the value.
#pragma once

#include <QImage>
#include <QWidget>
#include <climits>
#include <span>
#include <vector>

class IPrompt;
class CPngSliderBar;

// Message numbers of the slider reports (value and control identifier follow).
constexpr int kMsgSliderReleased = 0x800;
constexpr int kMsgSliderMoving = 0x801;
// Child identifier of the thumb window.
constexpr int kSliderThumbId = 104;

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

    CPngSliderBar* m_pBar;
    QImage m_img;
    bool m_bDragging = false;
    QPoint m_ptPress;
    int m_nLastSent = INT_MIN;   // nothing sent yet in this drag, so the first value always goes out
    int m_nBefore = 0;
};

class CPngSliderBar : public QWidget {
    Q_OBJECT
public:
    explicit CPngSliderBar(QWidget* parent = nullptr, bool bVertical = false);

    void SetId(int nId) { m_nBarId = nId; }
    int Id() const { return m_nBarId; }
    bool IsVertical() const { return m_bVertical; }
    // Where the track and fill pictures lie inside the bar.
    void SetTrackOffset(const QPoint& pt) { m_ptTrackOffset = pt; }
    // Composes track and fill over imgBackPiece (the page background under the bar,
    // bar-sized) clipped to the bar, and gives the thumb its picture. A null fill
    // drops the filled part; a null thumb keeps the old one.
    void SetImages(const QImage& imgTrack, const QImage& imgFill, const QImage& imgThumb, const QImage& imgBackPiece);
    void SetMarkImage(const QImage& imgMark);
    const QImage& TrackImage() const { return m_imgTrack; }
    bool HasFill() const { return !m_imgFill.isNull(); }

    void SetRange(int nLow, int nHigh);
    int Low() const { return m_nLow; }
    int High() const { return m_nHigh; }
    // Thumb centre per value, for nLow + i. A count that does not match the range
    // is reported (and taken, at most 600 positions).
    void SetScalePos(std::span<const int> positions);
    const std::vector<int>& ScalePos() const { return m_scale; }
    // Even positions for the whole range over the bar's length with the thumb's size.
    void ComputeScale();

    // A value outside the range becomes nLow. With bNotify, released() is sent.
    void SetPos(int nValue, bool bNotify = false);
    // The value, or 0 when it lies outside the range.
    int GetPos() const;
    // Thumb centre of the value + 1; -1 outside the range.
    int PosOf(int nValue) const;
    int ValueAt(int nPoint) const;
    int Length() const { return m_bVertical ? height() : width(); }
    int FillLen() const { return m_nFillLen; }
    // Send moving() while the thumb is dragged.
    void SetLiveNotify(bool b) { m_bLiveNotify = b; }
    bool LiveNotify() const { return m_bLiveNotify; }
    CPngSlider* Thumb() { return m_pThumb; }
    void SetFrameDebug(bool b) { m_bFrameDebug = b; update(); }
    void SetPrompt(IPrompt* pPrompt) { m_pPrompt = pPrompt; }

signals:
    void moving(int nValue, int nId);     // kMsgSliderMoving
    void released(int nValue, int nId);   // kMsgSliderReleased

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    friend class CPngSlider;
    void PlaceThumb();
    // The thumb's leading edge while it is dragged there.
    void DragThumbTo(int nEdge);
    // A change by key or wheel: the value moves there and is reported when it changed.
    void StepTo(int nValue);
    QImage Compose(const QImage& imgBackPiece, const QImage& img) const;

    int m_nBarId = 0;
    int m_nLow = 0, m_nHigh = 0;
    int m_nIndex = 0;
    std::vector<int> m_scale;
    bool m_bVertical;
    bool m_bLiveNotify = false;
    QImage m_imgTrack, m_imgFill, m_imgMark;
    int m_nFillLen = 0;
    QPoint m_ptTrackOffset;
    bool m_bFrameDebug = false;
    bool m_bPressed = false;
    bool m_bKeyFocus = false;
    int m_nWheel = 0;
    IPrompt* m_pPrompt = nullptr;
    CPngSlider* m_pThumb;
};
