// What the gallery draws controls on: a page cut from the chosen skin's main
// window background, never shown on the screen, and the small helpers that put
// a control into a state the way a pointer would.
#pragma once

#include <QImage>
#include <QRect>
#include <QWidget>

namespace gallery {

// Pixels at the interface scale.
int S(int v);
QRect S(const QRect& rc);

// A top-level page of w x h unscaled pixels with a piece of "main_nr.png"
// (from its open middle part) as background. Shown without a screen window.
class CGalleryPage final : public QWidget {
public:
    CGalleryPage(int w, int h);
    // The background at the page's (scaled) size, for the controls' own pieces.
    const QImage& Back() const { return m_imgBack; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QImage m_imgBack;
};

// How many pixels per unit the shots hold (a 200 % screen: 2).
void SetShotRatio(double fRatio);
double ShotRatio();
// The page's pixels (children included) in rc.
QImage ShotOf(QWidget* pPage, const QRect& rc);
// A widget drawn whole at the shot ratio.
QImage ShotOfWidget(QWidget* pWidget);
// A window's pixels; it is shown, without a screen window, when it is not yet.
QImage ShotOfWindow(QWidget* pWindow);
// The pointer enters or leaves the widget.
void Enter(QWidget* pWidget);
void Leave(QWidget* pWidget);
// The pointer moves to pt inside the widget, no button held.
void MoveTo(QWidget* pWidget, const QPoint& pt);

}  // namespace gallery
