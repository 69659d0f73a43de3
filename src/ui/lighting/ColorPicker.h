// The colour picker panel the lighting, DPI and music pages embed: a colour
// wheel inside its ring, red, green and blue bars with a number field each, a
// swatch of the current colour and eight preset swatches (gVar.clrPick); the
// compact form shows seven preset swatches only.
//
// A colour the user chooses on the panel (a click on the wheel or a swatch,
// a bar released, a number typed) goes out as colorChanged(); a colour set by
// the program (setColor) is only shown.
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>
#include <array>

#include "core/Types.h"
#include "ui/skin/SkinTheme.h"

class CMSliderBar;
class QLineEdit;

class CColorPicker : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY colorChanged)
public:
    explicit CColorPicker(QWidget* parent = nullptr, const skin::SkinTheme& theme = skin::Theme());

    QColor color() const;
    // Shows a colour without reporting it: the bars, the fields and the swatch follow.
    void setColor(const QColor& clr);

    // Full panel (default) or the compact row of seven swatches.
    void setFull(bool bFull);
    bool isFull() const { return m_bFull; }
    // Whether the bars follow the mouse (gVar.nRGBBarDrop); they always show the values.
    void setBarsDraggable(bool b);
    // The preset swatches (eight; the compact panel shows the first seven).
    void setSwatches(const std::array<ZColor, 8>& clrs);
    // Reloads the images of the chosen skin and lays the panel out again at the
    // interface scale.
    void reskin();

    // Where things are, for the pages and the tests.
    QRect wheelRect() const { return m_rcWheel; }
    QRect swatchRect(int i) const;
    QRect currentRect() const { return m_rcCur; }
    CMSliderBar* bar(int i) const { return m_bars[size_t(i)]; }
    QLineEdit* field(int i) const { return m_edits[size_t(i)]; }

signals:
    void colorChanged(const QColor& clr);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;

private:
    enum { kBars = 1, kFields = 2, kReport = 4 };
    void SetColour(ZColor clr, int nFlags);
    void Layout();
    void OnBarReleased();
    void OnFieldEdited(int i);
    bool OnWheel(const QPoint& pt) const;

    const skin::SkinTheme& m_theme;
    ZColor m_clr;
    bool m_bFull = true;
    double m_fScale = 1.0;
    QImage m_imgWheel, m_imgRing, m_imgThumb;
    QRect m_rcWheel, m_rcRing, m_rcCur;
    std::array<QRect, 8> m_rcSwatch;
    std::array<QRect, 7> m_rcCompact;
    std::array<ZColor, 8> m_swatch{};
    std::array<CMSliderBar*, 3> m_bars{};
    std::array<QLineEdit*, 3> m_edits{};
};
