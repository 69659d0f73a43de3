// The drawn slider: a coloured track with a coloured part left of the thumb, a
// thumb picture, and an arbitrary list of up to 600 values spread evenly along
// the track. The owner sets and hears values, never positions: moving() while
// the thumb is dragged, released() when a drag, a click, a key or the wheel chose
// another value.
#pragma once

#include <QImage>
#include <QWidget>
#include <span>
#include <vector>

#include "core/Types.h"

class IPrompt;

class CMSliderBar : public QWidget {
    Q_OBJECT
public:
    explicit CMSliderBar(QWidget* parent = nullptr);

    // Set before Create: the page background and the bar's rectangle in it, the
    // track inside the bar (default: 3 pixels high, full width, centred), the
    // colours (a fill colour of 0 draws no fill).
    void SetBackground(const QImage& imgPage, const QRect& rcSource);
    void SetBackFill(ZColor clr) { m_clrBackFill = clr; }
    void SetTrack(const QRect& rc) { m_rcTrack = rc; }
    void SetColors(ZColor clrTrack, ZColor clrFill);
    // Places the bar at rc in its parent; the thumb picture's width is the thumb width.
    void Create(const QRect& rc, int nId, const QImage& imgThumb);

    // Values nLow, nLow + 1, ... nHigh (at most 600).
    void SetRange(int nLow, int nHigh);
    // Ignored (false) for more than 600 values.
    bool SetValues(std::span<const int> values);
    // Moves the thumb to the first position with that value; false when the list has none.
    bool SelectValue(int nValue);
    // The current value; 0 when the list is empty.
    int Value() const;
    int CurIndex() const { return m_nCur; }
    int ThumbX() const { return m_nThumbX; }
    int ThumbWidth() const { return m_nThumbW; }
    const std::vector<int>& Positions() const { return m_pos; }
    const std::vector<int>& Values() const { return m_values; }
    const QRect& Track() const { return m_rcTrack; }
    // Multiplies the bar, its track and thumb by the factor; applies only once.
    void SetScale(float fScale);
    void SetLiveNotify(bool b) { m_bLiveNotify = b; }
    void SetId(int nId) { m_nId = nId; }
    int Id() const { return m_nId; }
    void SetFrameDebug(bool b) { m_bFrameDebug = b; update(); }
    void SetPrompt(IPrompt* pPrompt) { m_pPrompt = pPrompt; }

signals:
    void moving(int nValue, int nId);     // kMsgSliderMoving
    void released(int nValue, int nId);   // kMsgSliderReleased

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void ComputePositions();
    int IndexAt(int x) const;
    // Makes index n current (keys, wheel) and reports it when it changed.
    void StepTo(int nIndex);
    void EndDrag(int nIndex);

    int m_nId = 0;
    std::vector<int> m_values;
    std::vector<int> m_pos;
    int m_nCur = 0;
    int m_nThumbX = 0;
    int m_nPressX = 0;
    int m_nGrab = 0;
    bool m_bDragging = false;
    bool m_bLiveNotify = true;
    int m_nLastIndex = -1;
    QRect m_rcTrack;
    ZColor m_clrTrack = 0, m_clrFill = 0, m_clrBackFill = 0;
    QImage m_imgThumb;
    int m_nThumbW = 0;
    int m_nThumbTop = 0;
    QImage m_imgBack;
    QRect m_rcBackSrc;
    bool m_bScaled = false;
    float m_fThumbScale = 1.0f;
    bool m_bFrameDebug = false;
    bool m_bKeyFocus = false;
    int m_nWheel = 0;
    IPrompt* m_pPrompt = nullptr;
};
