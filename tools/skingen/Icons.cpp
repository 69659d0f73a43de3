#include "Icons.h"

#include <QPainterPath>
#include <QPolygonF>
#include <QtMath>
#include <initializer_list>

namespace skingen {

namespace {

QPointF Polar(QPointF c, qreal r, qreal fDeg)
{
    const qreal a = qDegreesToRadians(fDeg);
    return {c.x() + r * std::cos(a), c.y() - r * std::sin(a)};
}

void Polyline(QPainter& p, std::initializer_list<QPointF> points)
{
    p.drawPolyline(QPolygonF(QList<QPointF>(points)));
}

void FillPolygon(QPainter& p, std::initializer_list<QPointF> points, const QColor& color)
{
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPolygon(QPolygonF(QList<QPointF>(points)));
    p.restore();
}

// A circular arrow: an arc from fStart sweeping fSweep degrees (positive is
// anticlockwise) with a filled head at its end.
void ArcArrow(QPainter& p, QPointF c, qreal r, qreal fStart, qreal fSweep, const QColor& color)
{
    QPainterPath path;
    const QRectF rc(c.x() - r, c.y() - r, 2 * r, 2 * r);
    path.arcMoveTo(rc, fStart);
    path.arcTo(rc, fStart, fSweep);
    p.drawPath(path);
    const qreal fEnd = fStart + fSweep;
    const QPointF end = Polar(c, r, fEnd);
    // Tangent in the direction of travel, and the radial direction.
    const qreal a = qDegreesToRadians(fEnd);
    const qreal s = fSweep >= 0 ? 1 : -1;
    const QPointF t(-std::sin(a) * s, -std::cos(a) * s);
    const QPointF n(std::cos(a), -std::sin(a));
    FillPolygon(p, {end + t * 3.5, end + n * 3.2 - t * 0.5, end - n * 3.2 - t * 0.5}, color);
}

void Dot(QPainter& p, QPointF c, qreal r, const QColor& color)
{
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(c, r, r);
    p.restore();
}

QPainterPath MouseOutline()
{
    QPainterPath path;
    path.moveTo(12, 3);
    path.cubicTo(17, 3, 19, 6, 19, 11);
    path.lineTo(19, 15);
    path.cubicTo(19, 19, 16, 21, 12, 21);
    path.cubicTo(8, 21, 5, 19, 5, 15);
    path.lineTo(5, 11);
    path.cubicTo(5, 6, 7, 3, 12, 3);
    path.closeSubpath();
    return path;
}

}  // namespace

void DrawIcon(QPainter& p, Icon icon, const QRectF& rc, const QColor& color, qreal fStroke)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(rc.topLeft());
    p.scale(rc.width() / 24.0, rc.height() / 24.0);
    p.setPen(QPen(color, fStroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const QPointF c(12, 12);
    switch (icon) {
    case Icon::Plus:
        p.drawLine(QPointF(12, 6), QPointF(12, 18));
        p.drawLine(QPointF(6, 12), QPointF(18, 12));
        break;
    case Icon::Minus:
        p.drawLine(QPointF(6, 12), QPointF(18, 12));
        break;
    case Icon::Trash:
        p.drawLine(QPointF(5, 7), QPointF(19, 7));
        Polyline(p, {{10, 7}, {10, 4.5}, {14, 4.5}, {14, 7}});
        Polyline(p, {{7, 7}, {8, 19.5}, {16, 19.5}, {17, 7}});
        p.drawLine(QPointF(10.5, 10.5), QPointF(10.5, 16));
        p.drawLine(QPointF(13.5, 10.5), QPointF(13.5, 16));
        break;
    case Icon::Pencil:
        p.drawPolygon(QPolygonF({{5, 19}, {6, 15}, {15.5, 5.5}, {18.5, 8.5}, {9, 18}}));
        p.drawLine(QPointF(13.5, 7.5), QPointF(16.5, 10.5));
        break;
    case Icon::Reset:
        ArcArrow(p, c, 7, 100, 280, color);
        break;
    case Icon::RotateCw:
        ArcArrow(p, c, 7, 150, -260, color);
        break;
    case Icon::RotateCcw:
        ArcArrow(p, c, 7, 30, 260, color);
        break;
    case Icon::ChevronLeft: Polyline(p, {{14.5, 6}, {8.5, 12}, {14.5, 18}}); break;
    case Icon::ChevronRight: Polyline(p, {{9.5, 6}, {15.5, 12}, {9.5, 18}}); break;
    case Icon::ChevronUp: Polyline(p, {{6, 14.5}, {12, 8.5}, {18, 14.5}}); break;
    case Icon::ChevronDown: Polyline(p, {{6, 9.5}, {12, 15.5}, {18, 9.5}}); break;
    case Icon::TriangleDown: FillPolygon(p, {{6.5, 8.5}, {17.5, 8.5}, {12, 15.5}}, color); break;
    case Icon::TriangleRight: FillPolygon(p, {{8.5, 6.5}, {15.5, 12}, {8.5, 17.5}}, color); break;
    case Icon::Gear: {
        QPolygonF teeth;
        for (int k = 0; k < 8; ++k) {
            const qreal a = k * 45.0;
            teeth << Polar(c, 7, a - 15) << Polar(c, 9.5, a - 8) << Polar(c, 9.5, a + 8) << Polar(c, 7, a + 15);
        }
        p.drawPolygon(teeth);
        p.drawEllipse(c, 3, 3);
        break;
    }
    case Icon::Close:
        p.drawLine(QPointF(7, 7), QPointF(17, 17));
        p.drawLine(QPointF(17, 7), QPointF(7, 17));
        break;
    case Icon::Minimise: p.drawLine(QPointF(7, 12), QPointF(17, 12)); break;
    case Icon::Record: Dot(p, c, 6.5, color); break;
    case Icon::Keyboard:
        p.drawRoundedRect(QRectF(3, 6, 18, 12), 2.5, 2.5);
        for (qreal x : {7.0, 10.3, 13.6, 17.0}) {
            Dot(p, {x, 9.8}, 1.1, color);
            Dot(p, {x, 12.8}, 1.1, color);
        }
        p.drawLine(QPointF(9, 15.3), QPointF(15, 15.3));
        break;
    case Icon::Flag:
        p.drawLine(QPointF(6, 4), QPointF(6, 20));
        p.drawPolygon(QPolygonF({{6, 5}, {18, 5}, {15, 9}, {18, 13}, {6, 13}}));
        break;
    case Icon::Flame: {
        QPainterPath path;
        path.moveTo(12, 2.5);
        path.cubicTo(16.5, 7, 18.5, 10.5, 18.5, 14.5);
        path.cubicTo(18.5, 18.5, 15.5, 21.5, 12, 21.5);
        path.cubicTo(8.5, 21.5, 5.5, 18.5, 5.5, 14.5);
        path.cubicTo(5.5, 11.5, 7.5, 9.5, 9, 7.5);
        path.cubicTo(9.5, 10, 10.5, 11.5, 12, 12);
        path.cubicTo(12.5, 9, 11, 6.5, 12, 2.5);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawPath(path);
        break;
    }
    case Icon::Clock:
        p.drawEllipse(c, 8.5, 8.5);
        Polyline(p, {{12, 7}, {12, 12}, {15.5, 14}});
        break;
    case Icon::KeyDown:
    case Icon::KeyUp:
        p.drawRoundedRect(QRectF(3.5, 3.5, 17, 17), 3.5, 3.5);
        p.drawLine(QPointF(12, 7.5), QPointF(12, 16.5));
        if (icon == Icon::KeyDown) Polyline(p, {{8.5, 13}, {12, 16.5}, {15.5, 13}});
        else Polyline(p, {{8.5, 11}, {12, 7.5}, {15.5, 11}});
        break;
    case Icon::Move:
        p.drawLine(QPointF(12, 3.5), QPointF(12, 20.5));
        p.drawLine(QPointF(3.5, 12), QPointF(20.5, 12));
        Polyline(p, {{9.5, 6}, {12, 3.5}, {14.5, 6}});
        Polyline(p, {{9.5, 18}, {12, 20.5}, {14.5, 18}});
        Polyline(p, {{6, 9.5}, {3.5, 12}, {6, 14.5}});
        Polyline(p, {{18, 9.5}, {20.5, 12}, {18, 14.5}});
        break;
    case Icon::Scroll:
        p.drawRoundedRect(QRectF(7, 3, 10, 18), 5, 5);
        p.drawLine(QPointF(12, 7), QPointF(12, 10.5));
        break;
    case Icon::Bulb:
        p.drawEllipse(QPointF(12, 10.5), 5.5, 5.5);
        p.drawLine(QPointF(10, 19), QPointF(14, 19));
        p.drawLine(QPointF(10.5, 21.5), QPointF(13.5, 21.5));
        for (qreal a : {90.0, 30.0, 150.0, 0.0, 180.0}) p.drawLine(Polar({12, 10.5}, 8, a), Polar({12, 10.5}, 10, a));
        break;
    case Icon::Gauge: {
        QPainterPath path;
        const QRectF rcArc(3.5, 5.5, 17, 17);
        path.arcMoveTo(rcArc, 200);
        path.arcTo(rcArc, 200, -220);
        p.drawPath(path);
        p.drawLine(QPointF(12, 14), Polar({12, 14}, 6, 55));
        Dot(p, {12, 14}, 1.8, color);
        break;
    }
    case Icon::Sliders:
        for (auto [y, x] : {std::pair{6.5, 15.0}, {12.0, 8.5}, {17.5, 13.0}}) {
            p.drawLine(QPointF(4, y), QPointF(x - 2.5, y));
            p.drawLine(QPointF(x + 2.5, y), QPointF(20, y));
            p.drawEllipse(QPointF(x, y), 2.2, 2.2);
        }
        break;
    case Icon::Macro:
        p.drawRoundedRect(QRectF(3.5, 4.5, 7, 7), 1.8, 1.8);
        p.drawRoundedRect(QRectF(13.5, 4.5, 7, 7), 1.8, 1.8);
        Polyline(p, {{7, 15}, {7, 18}, {17, 18}});
        Polyline(p, {{14.5, 15.5}, {17, 18}, {14.5, 20.5}});
        break;
    case Icon::Trajectory: {
        for (int i = 0; i < 6; ++i) {
            const qreal t = i / 6.0;
            const QPointF pt = (1 - t) * (1 - t) * QPointF(4, 20) + 2 * (1 - t) * t * QPointF(6, 7) + t * t * QPointF(16, 8);
            Dot(p, pt, 1.3, color);
        }
        p.drawEllipse(QPointF(17.5, 8), 3.5, 3.5);
        Dot(p, {17.5, 8}, 1.2, color);
        break;
    }
    case Icon::LiftOff: {
        p.drawLine(QPointF(2.5, 20), QPointF(21.5, 20));
        QPainterPath body;
        body.moveTo(3.5, 14);
        body.cubicTo(3.5, 9, 8, 7.5, 11, 7.5);
        body.cubicTo(14, 7.5, 15.5, 10, 15.5, 14);
        body.closeSubpath();
        p.drawPath(body);
        p.drawLine(QPointF(19.5, 7), QPointF(19.5, 16.5));
        Polyline(p, {{17.5, 9}, {19.5, 7}, {21.5, 9}});
        Polyline(p, {{17.5, 14.5}, {19.5, 16.5}, {21.5, 14.5}});
        break;
    }
    case Icon::Lifebuoy:
        p.drawEllipse(c, 8.5, 8.5);
        p.drawEllipse(c, 3.5, 3.5);
        for (qreal a : {45.0, 135.0, 225.0, 315.0}) p.drawLine(Polar(c, 3.5, a), Polar(c, 8.5, a));
        break;
    case Icon::Music:
        for (auto [x, top] : {std::pair{4.5, 12.0}, {8.5, 6.0}, {12.5, 9.0}, {16.5, 4.0}, {20.5, 10.0}})
            p.drawLine(QPointF(x, top), QPointF(x, 19.5));
        break;
    case Icon::Mouse:
        p.drawPath(MouseOutline());
        p.drawLine(QPointF(12, 3.5), QPointF(12, 10));
        p.drawLine(QPointF(5.5, 10.5), QPointF(18.5, 10.5));
        break;
    case Icon::Pad:
        p.drawRoundedRect(QRectF(2.5, 5.5, 19, 13), 3, 3);
        p.setPen(QPen(color, fStroke * 0.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawRoundedRect(QRectF(5.5, 8.5, 13, 7), 1.5, 1.5);
        break;
    case Icon::Bolt:
        FillPolygon(p, {{13.5, 2}, {5.5, 13.5}, {11, 13.5}, {10, 22}, {18.5, 10}, {13, 10}, {14.5, 2}}, color);
        break;
    case Icon::Dots:
        for (qreal x : {6.5, 12.0, 17.5}) Dot(p, {x, 12}, 1.7, color);
        break;
    case Icon::Profile: {
        p.drawEllipse(QPointF(12, 8), 3.8, 3.8);
        QPainterPath path;
        path.moveTo(4.5, 20.5);
        path.cubicTo(4.5, 15.5, 8, 13.8, 12, 13.8);
        path.cubicTo(16, 13.8, 19.5, 15.5, 19.5, 20.5);
        p.drawPath(path);
        break;
    }
    case Icon::Crosshair:
        p.drawEllipse(c, 7, 7);
        p.drawLine(QPointF(12, 2), QPointF(12, 8));
        p.drawLine(QPointF(12, 16), QPointF(12, 22));
        p.drawLine(QPointF(2, 12), QPointF(8, 12));
        p.drawLine(QPointF(16, 12), QPointF(22, 12));
        Dot(p, c, 1.5, color);
        break;
    }
    p.restore();
}

}  // namespace skingen
