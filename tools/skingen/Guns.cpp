#include "Guns.h"

#include <QPainterPath>
#include <array>

#include "Paint.h"

namespace skingen {

namespace {

struct GunCell {
    int l, t, r, b;  // the button area in the window, right and bottom exclusive
    const char* pszName;
};

// Indexed by gun number; the areas are where the page's gun buttons lie.
constexpr std::array<GunCell, kGunCount> kCells = {{
    {17, 209, 208, 323, "M4"},
    {210, 93, 401, 207, "AKM"},
    {17, 325, 208, 440, "M16"},
    {210, 209, 401, 323, "UMP9"},
    {17, 442, 208, 556, "SCAR-L"},
    {210, 325, 401, 440, "TOMPSON"},
    {210, 442, 401, 556, "UZI"},
}};

enum class Mag { Straight, Curved, Drum, InGrip };

struct GunShape {
    double fLength;  // of a full rifle
    bool bStock, bWoodStock, bCarryHandle, bScope, bForegrip;
    Mag mag;
};

constexpr std::array<GunShape, kGunCount> kShapes = {{
    {1.0, true, false, false, false, false, Mag::Straight},  // M4
    {1.0, true, true, false, false, false, Mag::Curved},     // AKM
    {1.0, true, false, true, false, false, Mag::Straight},   // M16
    {0.8, true, false, false, false, false, Mag::Straight},  // UMP9
    {1.0, true, false, false, true, false, Mag::Straight},   // SCAR-L
    {0.9, true, true, false, false, true, Mag::Drum},        // TOMPSON
    {0.62, false, false, false, false, false, Mag::InGrip},  // UZI
}};

// A side view on a 100 x 40 grid, muzzle to the right.
QPainterPath GunPath(const GunShape& s)
{
    QPainterPath path;
    const double L = s.fLength;
    const double x0 = s.bStock ? 22 * L : 30;
    const double xEnd = 100 * L + (1 - L) * 30;
    path.addRect(QRectF(x0, 10, 40 * L, 11));                          // receiver
    path.addRect(QRectF(x0 + 40 * L, 12, (xEnd - x0 - 40 * L) * 0.45, 7.5));  // handguard
    const double xBarrel = x0 + 40 * L + (xEnd - x0 - 40 * L) * 0.45;
    path.addRect(QRectF(xBarrel, 14.5, xEnd - xBarrel - 3, 2.5));      // barrel
    path.addRect(QRectF(xEnd - 4, 13.5, 4, 4.5));                     // muzzle
    if (s.bStock) {
        QPolygonF stock;
        if (s.bWoodStock) stock << QPointF(0, 15) << QPointF(x0, 12) << QPointF(x0, 21) << QPointF(2, 28) << QPointF(0, 28);
        else stock << QPointF(2, 12) << QPointF(x0, 12) << QPointF(x0, 19) << QPointF(6, 25) << QPointF(2, 25);
        path.addPolygon(stock);
        path.closeSubpath();
    }
    const double xGrip = x0 + 12 * L;
    QPolygonF grip;
    if (s.mag == Mag::InGrip) grip << QPointF(xGrip + 6, 21) << QPointF(xGrip + 14, 21) << QPointF(xGrip + 13, 38) << QPointF(xGrip + 5, 38);
    else grip << QPointF(xGrip, 21) << QPointF(xGrip + 6, 21) << QPointF(xGrip + 3, 31) << QPointF(xGrip - 3, 31);
    path.addPolygon(grip);
    path.closeSubpath();
    const double xMag = x0 + 24 * L;
    switch (s.mag) {
    case Mag::Straight: {
        QPolygonF mag;
        mag << QPointF(xMag, 21) << QPointF(xMag + 7, 21) << QPointF(xMag + 8, 33) << QPointF(xMag + 1, 33);
        path.addPolygon(mag);
        path.closeSubpath();
        break;
    }
    case Mag::Curved: {
        QPainterPath mag;
        mag.moveTo(xMag, 21);
        mag.lineTo(xMag + 7, 21);
        mag.quadTo(xMag + 9, 28, xMag + 14, 33);
        mag.lineTo(xMag + 7, 35);
        mag.quadTo(xMag + 2, 29, xMag, 21);
        path.addPath(mag);
        break;
    }
    case Mag::Drum: path.addEllipse(QPointF(xMag + 4, 27), 7, 7); break;
    case Mag::InGrip: break;
    }
    if (s.bCarryHandle) {
        path.addRect(QRectF(x0 + 10 * L, 5, 20 * L, 2.5));
        path.addRect(QRectF(x0 + 10 * L, 5, 2.5, 5));
        path.addRect(QRectF(x0 + 30 * L - 2.5, 5, 2.5, 5));
    }
    if (s.bScope) {
        path.addRoundedRect(QRectF(x0 + 8 * L, 3.5, 22 * L, 5), 2, 2);
        path.addRect(QRectF(x0 + 14 * L, 8, 2, 2));
        path.addRect(QRectF(x0 + 22 * L, 8, 2, 2));
    }
    if (s.bForegrip) path.addRect(QRectF(xBarrel - 8, 19, 3.5, 9));
    path.setFillRule(Qt::WindingFill);
    return path.simplified();
}

}  // namespace

QRectF GunCellRect(int nGun)
{
    const GunCell& c = kCells[size_t(nGun)];
    return {double(c.l), double(c.t), double(c.r - c.l), double(c.b - c.t)};
}

void DrawGunCell(QPainter& p, const Palette& pal, const QRectF& rc, int nGun, bool bHover)
{
    const QRectF cell = rc.adjusted(2, 2, -2, -2);
    if (bHover) {
        FillRound(p, cell, 8, Vertical(cell, Mix(pal.accent, pal.plate, 0.26), Mix(pal.accent, pal.plate, 0.12)));
        StrokeRound(p, cell, 8, pal.accent, 1.5);
    } else {
        FillRound(p, cell, 8, Vertical(cell, pal.plateTop, pal.plate));
        StrokeRound(p, cell, 8, pal.plateBorder);
    }
    const QPainterPath gun = GunPath(kShapes[size_t(nGun)]);
    const QRectF area(cell.left() + 14, cell.top() + 14, cell.width() - 28, cell.height() - 46);
    const qreal k = std::min(area.width() / 100.0, area.height() / 40.0);
    p.save();
    p.translate(area.left() + (area.width() - 100 * k) / 2, area.top() + (area.height() - 40 * k) / 2);
    p.scale(k, k);
    p.setPen(Qt::NoPen);
    p.setBrush(bHover ? pal.accent : pal.glyph);
    p.drawPath(gun);
    p.restore();
    Text(p, QRectF(cell.left() + 12, cell.bottom() - 30, cell.width() - 24, 22), QString::fromLatin1(kCells[size_t(nGun)].pszName),
         bHover ? pal.glyphHover : pal.text, 13, QFont::Bold, Qt::AlignLeft | Qt::AlignVCenter);
}

}  // namespace skingen
