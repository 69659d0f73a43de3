// The drawn slider: a coloured track with a coloured part left of the thumb, a
// thumb picture, and an arbitrary list of up to 600 values spread evenly along
// the track. Its positions are indices into the list (value() is an index,
// SelectedValue() the list's value); moving() and released() carry list values.
#pragma once

#include <QImage>
#include <span>
#include <vector>

#include "core/Types.h"
#include "ui/skin/SkinSlider.h"

class CMSliderBar : public CSkinSlider {
    Q_OBJECT
public:
    // A bar at rc in pParent; the thumb picture's width is the thumb width. The
    // track lies 3 pixels high across the whole bar, centred, until SetTrack.
    CMSliderBar(QWidget* pParent, const QRect& rc, const QImage& imgThumb,
                const skin::SkinTheme& theme = skin::Theme());

    // The page background and the bar's rectangle in it; without one the bar is
    // filled with the back-fill colour. Colours: a fill colour of 0 draws no fill.
    void SetBackground(const QImage& imgPage, const QRect& rcSource);
    void SetBackFill(ZColor clr);
    // The track inside the bar; the value positions follow it.
    void SetTrack(const QRect& rc);
    void SetColors(ZColor clrTrack, ZColor clrFill);

    // Values nLow, nLow + 1, ... nHigh (at most 600).
    void SetValueRange(int nLow, int nHigh);
    // Ignored (false) for more than 600 values.
    bool SetValues(std::span<const int> values);
    // Moves the thumb to the first position with that value; false when the list has none.
    bool SelectValue(int nValue) override;
    // The list's value at a position; 0 when the list is empty.
    int ValueOfPosition(int nPos) const override;
    int ThumbX() const { return m_nThumbX; }
    int ThumbWidth() const { return m_nThumbW; }
    const std::vector<int>& Positions() const { return m_pos; }
    const std::vector<int>& Values() const { return m_values; }
    const QRect& Track() const { return m_rcTrack; }
    // Multiplies the bar, its track and thumb by the factor; applies only once.
    void SetScale(float fScale);

protected:
    void PlaceThumb() override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void ComputePositions();
    int IndexAt(int x) const;

    std::vector<int> m_values;
    std::vector<int> m_pos;
    int m_nThumbX = 0;
    int m_nPressX = 0;
    int m_nGrab = 0;
    QRect m_rcTrack;
    ZColor m_clrTrack = 0, m_clrFill = 0, m_clrBackFill = 0;
    QImage m_imgThumb;
    int m_nThumbW = 0;
    int m_nThumbTop = 0;
    QImage m_imgBack;
    QRect m_rcBackSrc;
    bool m_bScaled = false;
    float m_fThumbScale = 1.0f;
};
