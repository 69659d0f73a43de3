// The device pictures shared by every skin: the mouse (top, side and bottom
// views and the view with every button lit), the pad, and the lighting masks
// that say which of their pixels take the LED colour.
#pragma once

#include <QImage>
#include <QRect>
#include <vector>

#include "Paint.h"

namespace skingen {

enum class MouseView { Top, TopLit, Side, Bottom };
QImage MousePicture(QSize size, MouseView view);
QImage MouseMask(QSize size);

// Where the mouse's buttons lie on the top view, in key slot order: left,
// right, wheel, forward, back, DPI up, DPI down. The mouse description's
// marks (Mark1 ... Mark7 of its sensor section) should use these rectangles.
std::vector<QRect> MouseMarks();

QImage PadPicture(QSize size);
QImage PadMask(QSize size);

}  // namespace skingen
