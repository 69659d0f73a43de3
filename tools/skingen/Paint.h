// Drawing helpers shared by every image: a fresh transparent canvas, crisp
// rounded rectangles, the raised and sunken surfaces of the controls, text.
#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <functional>

#include "Palette.h"

namespace skingen {

// The state an image shows: normal, pointer over it, pressed or checked.
enum class State { Nr, Ov, Dn };

// A transparent image of that size with fn's drawing on it (antialiased). At a
// drawing scale above 1 the image holds that many pixels per unit (its device
// pixel ratio), and fn draws in the same units as at scale 1.
QImage Draw(QSize size, const std::function<void(QPainter&)>& fn);
// The scale every Draw() draws at until it is changed (1 by default).
void SetDrawScale(double fScale);
double DrawScale();
// A piece of an image in its own units (copy() counts pixels).
QImage CopyUnits(const QImage& img, const QRect& rc);

// Rounded rectangles whose edges sit on whole pixels: rc is given in pixels
// (as a QRect covers them) and the 1-pixel outline is drawn inside it.
QPainterPath RoundPath(const QRectF& rc, qreal fRadius);
void FillRound(QPainter& p, const QRectF& rc, qreal fRadius, const QBrush& brush);
void StrokeRound(QPainter& p, const QRectF& rc, qreal fRadius, const QColor& color, qreal fWidth = 1.0);
QLinearGradient Vertical(const QRectF& rc, const QColor& top, const QColor& bottom);

// A raised button surface for the state: gradient, outline, a faint top light.
void Plate(QPainter& p, const QRect& rc, qreal fRadius, const Palette& pal, State state);
// A sunken field (check box, cell, groove), optionally lit by the accent.
void Sunken(QPainter& p, const QRect& rc, qreal fRadius, const Palette& pal, bool bActive);

// The face the generator writes with; installed everywhere the build runs.
QFont Face(int nPixelSize, QFont::Weight weight = QFont::DemiBold);
void Text(QPainter& p, const QRectF& rc, const QString& str, const QColor& color, int nPixelSize,
          QFont::Weight weight = QFont::DemiBold, int nAlign = Qt::AlignCenter);

// Soft shadow under a shape: the shape's path blurred by stacking faint copies.
void Shadow(QPainter& p, const QPainterPath& path, int nSpread, int nAlpha);

}  // namespace skingen
