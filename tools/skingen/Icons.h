// Line icons on a 24-unit grid, drawn into any square with one colour.
#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>

namespace skingen {

enum class Icon {
    Plus, Minus, Trash, Pencil, Reset, ChevronLeft, ChevronRight, ChevronUp, ChevronDown, RotateCw, RotateCcw,
    Gear, Close, Minimise, Record, Keyboard, Flag, Flame, Clock, KeyDown, KeyUp, Move, Scroll, Bulb, Gauge,
    Sliders, Macro, Trajectory, LiftOff, Lifebuoy, Music, Mouse, Pad, Bolt, Dots, Profile, Crosshair,
    TriangleDown, TriangleRight,
};

// fStroke is the line width in grid units (2 draws 2-pixel lines in a 24-pixel square).
void DrawIcon(QPainter& p, Icon icon, const QRectF& rc, const QColor& color, qreal fStroke = 2.0);

}  // namespace skingen
