// The seven gun cells of the gun presets window: their rectangles in the
// window (where the page's gun buttons lie) and their pictures.
#pragma once

#include <QPainter>
#include <QRectF>

#include "Palette.h"

namespace skingen {

inline constexpr int kGunCount = 7;
QRectF GunCellRect(int nGun);
void DrawGunCell(QPainter& p, const Palette& pal, const QRectF& rc, int nGun, bool bHover);

}  // namespace skingen
