#include "Controls.h"

#include <QtMath>
#include <algorithm>

namespace skingen {

namespace {

const QColor kOnAccent(0x06, 0x1a, 0x24);  // glyphs drawn on the accent
const QColor kGreen(0x34, 0xd1, 0x7a);

QColor GlyphFor(const Palette& pal, State state)
{
    return state == State::Dn ? pal.accent : state == State::Ov ? pal.glyphHover : pal.glyph;
}

QRectF Centred(QSize size, qreal w, qreal h, qreal dy = 0)
{
    return {(size.width() - w) / 2.0, (size.height() - h) / 2.0 + dy, w, h};
}

// The soft accent pill that marks the chosen navigation or device button.
void SelectedPill(QPainter& p, const QRectF& rc, const Palette& pal)
{
    FillRound(p, rc, 9, Vertical(rc, WithAlpha(pal.accent, 52), WithAlpha(pal.accent, 26)));
    StrokeRound(p, rc, 9, WithAlpha(pal.accent, 120));
}

}  // namespace

QImage PushButton(const Palette& pal, QSize size, State state)
{
    return Draw(size, [&](QPainter& p) { Plate(p, QRect(QPoint(0, 0), size), 4, pal, state); });
}

QImage ComboButton(const Palette& pal, QSize size, State state)
{
    return Draw(size, [&](QPainter& p) {
        Plate(p, QRect(QPoint(0, 0), size), 4, pal, state);
        const qreal s = std::min(16, size.height() - 6);
        const QRectF rc(size.width() - s - 5, (size.height() - s) / 2.0, s, s);
        DrawIcon(p, Icon::ChevronDown, rc, state == State::Nr ? pal.glyph : pal.accent, 2.4);
    });
}

QImage IconButton(const Palette& pal, QSize size, State state, Icon icon, const QColor* pGlyph)
{
    return Draw(size, [&](QPainter& p) {
        const QRect rc(QPoint(0, 0), size);
        if (state == State::Nr) {
            FillRound(p, rc, 5, Vertical(rc, pal.plateTop, pal.plate));
            StrokeRound(p, rc, 5, pal.plateBorder);
        } else {
            Plate(p, rc, 5, pal, state);
        }
        const qreal s = size.width() * 0.75;
        DrawIcon(p, icon, Centred(size, s, s), pGlyph ? *pGlyph : GlyphFor(pal, state), 2.3);
    });
}

QImage WindowButton(const Palette& pal, QSize size, State state, Icon icon, bool bDanger)
{
    return Draw(size, [&](QPainter& p) {
        const QRectF rc(0, 0, size.width(), size.height());
        QColor glyph = pal.glyph;
        if (state != State::Nr) {
            p.setPen(Qt::NoPen);
            p.setBrush(bDanger ? pal.danger : pal.plateHoverTop);
            p.drawEllipse(rc);
            glyph = bDanger ? QColor(Qt::white) : pal.glyphHover;
        }
        const qreal s = size.width() * 0.7;
        DrawIcon(p, icon, Centred(size, s, s), glyph, 2.6);
    });
}

QImage CheckBox(const Palette& pal, QSize size, State state)
{
    return Draw(size, [&](QPainter& p) {
        const QRect rc(QPoint(0, 0), size);
        if (state == State::Dn) {
            FillRound(p, rc, 3.5, Vertical(rc, pal.accent.lighter(115), pal.accent));
            const qreal k = size.width() / 17.0;
            p.setPen(QPen(kOnAccent, 2.0 * k, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPolyline(QPolygonF({QPointF(4.3 * k, 8.8 * k), QPointF(7.3 * k, 11.8 * k), QPointF(12.7 * k, 5.4 * k)}));
        } else {
            Sunken(p, rc, 3.5, pal, state == State::Ov);
        }
    });
}

QImage RadioBox(const Palette& pal, QSize size, State state)
{
    return Draw(size, [&](QPainter& p) {
        const QRectF rc(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
        p.setBrush(Vertical(rc, pal.field.darker(115), pal.field));
        p.setPen(QPen(state == State::Nr ? pal.fieldBorder : pal.accent, 1.0));
        p.drawEllipse(rc);
        if (state == State::Dn) {
            p.setPen(Qt::NoPen);
            p.setBrush(pal.accent);
            p.drawEllipse(rc.center(), size.width() * 0.24, size.height() * 0.24);
        }
    });
}

QImage Switch(const Palette& pal, QSize size, bool bOn)
{
    return Draw(size, [&](QPainter& p) {
        const QRectF rc(0, 0, size.width(), size.height());
        const qreal r = size.height() / 2.0;
        if (bOn) {
            FillRound(p, rc, r, Vertical(rc, pal.accent.lighter(110), pal.accent.darker(115)));
        } else {
            FillRound(p, rc, r, Vertical(rc, pal.field.darker(110), pal.track));
            StrokeRound(p, rc, r, pal.fieldBorder);
        }
        const qreal k = r - 3;
        const QPointF c(bOn ? size.width() - r : r, r);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 60));
        p.drawEllipse(c + QPointF(0, 0.8), k, k);
        p.setBrush(bOn ? QColor(Qt::white) : pal.glyph);
        p.drawEllipse(c, k, k);
    });
}

QImage NaviButton(const Palette& pal, QSize size, State state, Icon icon)
{
    return Draw(size, [&](QPainter& p) {
        if (state == State::Dn) SelectedPill(p, QRectF(6.5, 0.5, size.width() - 13, size.height() - 1), pal);
        const qreal s = std::min(26, size.height() - 8);
        DrawIcon(p, icon, Centred(size, s, s), GlyphFor(pal, state), 1.9);
    });
}

QImage DeviceButton(const Palette& pal, QSize size, State state, Icon icon)
{
    return Draw(size, [&](QPainter& p) {
        if (state == State::Dn) SelectedPill(p, QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), pal);
        const qreal s = std::min(size.width(), size.height()) - 14;
        DrawIcon(p, icon, Centred(size, s, s), GlyphFor(pal, state), 1.8);
    });
}

QImage LevelCell(const Palette& pal, QSize size, bool bSelected, bool bTwoLines)
{
    return Draw(size, [&](QPainter& p) {
        const QRect rc(QPoint(0, 0), size);
        if (bSelected) {
            FillRound(p, rc, 4, Vertical(rc, Mix(pal.accent, pal.plate, 0.32), Mix(pal.accent, pal.plate, 0.20)));
            StrokeRound(p, rc, 4, pal.accent, 1.5);
        } else {
            FillRound(p, rc, 4, Vertical(rc, pal.plateTop, pal.plate));
            StrokeRound(p, rc, 4, pal.plateBorder);
        }
        if (bTwoLines) {
            const qreal y = size.height() / 2.0;
            p.fillRect(QRectF(8, y - 0.5, size.width() - 16, 1), WithAlpha(bSelected ? pal.accent : pal.plateBorder, 150));
        }
    });
}

QImage RateLabel(const Palette& pal, QSize size, const QString& strRate)
{
    return Draw(size, [&](QPainter& p) {
        const QRect rc(QPoint(0, 0), size);
        Plate(p, rc, 5, pal, State::Nr);
        Text(p, rc, strRate + QStringLiteral("Hz"), pal.glyphHover, 11, QFont::Bold);
    });
}

QImage Battery(const Palette& pal, QSize size, BatteryKind kind)
{
    return Draw(size, [&](QPainter& p) {
        const qreal w = size.width(), h = size.height();
        const QRectF body(1, 3, w - 7, h - 6);
        FillRound(p, body, 4, WithAlpha(pal.field, 200));
        StrokeRound(p, body, 4, pal.glyph, 1.5);
        FillRound(p, QRectF(w - 5, h / 2 - 3.5, 3.5, 7), 1.2, pal.glyph);
        const QRectF inner = body.adjusted(3.5, 3.5, -3.5, -3.5);
        if (kind == BatteryKind::Full) FillRound(p, inner, 2, Vertical(inner, kGreen.lighter(115), kGreen.darker(110)));
        if (kind == BatteryKind::Charging) DrawIcon(p, Icon::Bolt, Centred(QSize(int(w - 6), int(h)), h - 6, h - 6), pal.accent);
    });
}

QImage KeyboardButton(const Palette& pal, QSize size, State state)
{
    return Draw(size, [&](QPainter& p) {
        Plate(p, QRect(QPoint(0, 0), size), 4, pal, state);
        const qreal s = size.height() - 4;
        DrawIcon(p, Icon::Keyboard, Centred(size, s, s), GlyphFor(pal, state), 1.8);
    });
}

QImage DotButton(const Palette& pal, QSize size, State state)
{
    return Draw(size, [&](QPainter& p) {
        Plate(p, QRect(QPoint(0, 0), size), 4, pal, state);
        const qreal s = size.height() - 4;
        DrawIcon(p, Icon::Dots, Centred(size, s, s), GlyphFor(pal, state));
    });
}

QImage Track(const Palette& pal, QSize size, bool bFilled)
{
    return Draw(size, [&](QPainter& p) {
        // Five pixels high across the middle: the thumb is as high as the bar.
        const QRectF line(0, (size.height() - 5) / 2, size.width(), 5);
        if (bFilled) FillRound(p, line, 2.5, Vertical(line, pal.accent.lighter(120), pal.accent.darker(110)));
        else FillRound(p, line, 2.5, Vertical(line, pal.field, pal.track));
    });
}

QImage Groove(const Palette& pal, QSize size, bool bFilled)
{
    return Draw(size, [&](QPainter& p) {
        const QRect rc(QPoint(0, 0), size);
        const qreal r = size.height() / 2.0;
        if (!bFilled) {
            Sunken(p, rc, r, pal, false);
            return;
        }
        FillRound(p, rc, r, Vertical(rc, pal.accent.lighter(120), pal.accent.darker(115)));
        p.fillRect(QRectF(r, 1, size.width() - 2 * r, 1), QColor(255, 255, 255, 70));
    });
}

QImage RgbTrack(const Palette& pal, QSize size)
{
    return Draw(size, [&](QPainter& p) {
        const QRectF line(0, (size.height() - 5) / 2, size.width(), 5);
        FillRound(p, line, 2.5, Vertical(line, pal.field, pal.track));
        for (int i = 1; i < 4; ++i) {
            const qreal x = std::round(size.width() * i / 4.0) + 0.5;
            p.fillRect(QRectF(x - 0.5, line.top() + 1, 1, 3), WithAlpha(pal.glyphDim, 160));
        }
    });
}

QImage Thumb(const Palette& pal, QSize size, bool bOutline)
{
    return Draw(size, [&](QPainter& p) {
        const QRectF rc(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
        if (bOutline) {
            FillRound(p, rc, 3, Vertical(rc, pal.plateHoverTop, pal.plate));
            StrokeRound(p, rc, 3, pal.accent, 1.5);
            return;
        }
        FillRound(p, rc, 3, Vertical(rc, QColor(0xf4, 0xf7, 0xfa), QColor(0xc4, 0xcc, 0xd6)));
        StrokeRound(p, rc, 3, QColor(0, 0, 0, 110));
        p.fillRect(QRectF(size.width() / 2.0 - 0.5, 3.5, 1, size.height() - 7), pal.accent.darker(105));
    });
}

QImage ScaleDot(const Palette& pal, QSize size)
{
    return Draw(size, [&](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(pal.glyph);
        p.drawEllipse(QRectF(0, 0, size.width(), size.height()));
    });
}

QImage RgbPointer(const Palette& pal, QSize size)
{
    return Draw(size, [&](QPainter& p) {
        const qreal w = size.width(), h = size.height();
        p.setPen(QPen(QColor(0, 0, 0, 150), 1.0));
        p.setBrush(pal.glyphHover);
        p.drawPolygon(QPolygonF({QPointF(0.5, 0.5), QPointF(w - 0.5, 0.5), QPointF(w / 2, h - 0.5)}));
    });
}

QImage ColourWheel(QSize size)
{
    // Hue round the circle, white in the middle, full value: every colour a
    // light can show, ready for the eyedropper.
    QImage img(size, QImage::Format_ARGB32);
    const qreal cx = size.width() / 2.0, cy = size.height() / 2.0, r = std::min(cx, cy) - 0.5;
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const qreal dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            const qreal d = std::hypot(dx, dy);
            const qreal cover = std::clamp(r + 0.5 - d, 0.0, 1.0);
            qreal hue = std::atan2(-dy, dx) / (2 * M_PI);
            if (hue < 0) hue += 1;
            QColor c = QColor::fromHsvF(float(hue), float(std::min(1.0, d / r)), 1.0f);
            c.setAlphaF(float(cover));
            img.setPixelColor(x, y, c);
        }
    }
    return img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage ColourRing(const Palette& pal, QSize size)
{
    // Centred where the wheel lies: the panel puts the ring at (4, 6) and the
    // wheel at (15, 15), so the wheel's centre is 2 pixels above the image's.
    return Draw(size, [&](QPainter& p) {
        const QPointF c(size.width() / 2.0, size.height() / 2.0 - 2);
        const qreal rOuter = std::min(c.x(), c.y()) - 0.5, rInner = rOuter - 6.5;
        QPainterPath ring;
        ring.addEllipse(c, rOuter, rOuter);
        ring.addEllipse(c, rInner, rInner);
        ring.setFillRule(Qt::OddEvenFill);
        QLinearGradient g(c - QPointF(0, rOuter), c + QPointF(0, rOuter));
        g.setColorAt(0, pal.plateHoverTop);
        g.setColorAt(1, pal.plate.darker(120));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawPath(ring);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(pal.plateBorder, 1.0));
        p.drawEllipse(c, rOuter - 0.5, rOuter - 0.5);
        p.setPen(QPen(QColor(0, 0, 0, 120), 1.0));
        p.drawEllipse(c, rInner + 0.5, rInner + 0.5);
        p.setPen(QPen(WithAlpha(pal.glyph, 140), 1.0));
        for (int i = 0; i < 12; ++i) {
            const qreal a = qDegreesToRadians(i * 30.0);
            const QPointF u(std::cos(a), -std::sin(a));
            p.drawLine(c + u * (rInner + 2), c + u * (rOuter - 2.5));
        }
    });
}

QImage ListIcon(QSize size, Icon icon, const QColor& color)
{
    return Draw(size, [&](QPainter& p) { DrawIcon(p, icon, QRectF(0, 0, size.width(), size.height()), color, 2.1); });
}

QImage NumberBadge(const Palette& pal, QSize size, int n)
{
    return Draw(size, [&](QPainter& p) {
        const QRectF rc(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
        p.setPen(QPen(pal.accent, 1.0));
        p.setBrush(Vertical(rc, pal.plateTop, pal.plate));
        p.drawEllipse(rc);
        Text(p, QRectF(0, 0, size.width(), size.height() - 0.5), QString::number(n), pal.glyphHover, n < 10 ? 11 : 9,
             QFont::Bold);
    });
}

QImage TreeGlyph(const Palette& pal, QSize size, bool bExpanded)
{
    return Draw(size, [&](QPainter& p) {
        DrawIcon(p, bExpanded ? Icon::TriangleDown : Icon::TriangleRight, QRectF(0, 0, size.width(), size.height()),
                 pal.glyph);
    });
}

QImage MenuItem(const Palette& pal, QSize size, bool bHover, bool bHasSub)
{
    return Draw(size, [&](QPainter& p) {
        const QRect rc(QPoint(0, 0), size);
        p.fillRect(rc, QColor(0x0a, 0x0b, 0x0d));
        if (bHover) {
            p.fillRect(rc, WithAlpha(pal.accent, 46));
            p.fillRect(QRect(0, 0, 2, size.height()), pal.accent);
        }
        if (bHasSub) {
            const qreal s = size.height() - 8;
            DrawIcon(p, Icon::TriangleRight, QRectF(size.width() - s - 4, 4, s, s), bHover ? pal.accent : pal.glyph);
        }
    });
}

QImage AudioBar(QSize size)
{
    // Segments lit from the bottom: green to 40 %, yellow to 80 %, red above,
    // as the meter's own colours go.
    return Draw(size, [&](QPainter& p) {
        const int nSeg = 3, nGap = 1;
        for (int y = size.height() - nSeg; y >= 0; y -= nSeg + nGap) {
            const qreal f = 1.0 - (y + nSeg / 2.0) / size.height();
            const QColor c = f < 0.4 ? QColor(0x2b, 0xd4, 0x6a) : f < 0.8 ? QColor(0xf5, 0xc5, 0x42) : QColor(0xff, 0x4b, 0x4b);
            FillRound(p, QRectF(1, y, size.width() - 2, nSeg), 1, c);
        }
    });
}

QImage UpdateMark(QSize size)
{
    return Draw(size, [&](QPainter& p) {
        const QRectF rc(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
        p.setPen(QPen(QColor(0x0b, 0x0d, 0x10), 1.0));
        p.setBrush(Vertical(rc, QColor(0xff, 0x6b, 0x6d), QColor(0xe5, 0x38, 0x3d)));
        p.drawEllipse(rc);
    });
}

QImage HeightPicture(const Palette& pal, QSize size)
{
    return Draw(size, [&](QPainter& p) {
        const qreal s = size.height();
        DrawIcon(p, Icon::LiftOff, QRectF((size.width() - s) / 2.0, 0, s, s), pal.glyph, 1.6);
    });
}

QImage FireKeyLogo(const Palette& pal, QSize size)
{
    return Draw(size, [&](QPainter& p) {
        const QRectF rc(1, 1, size.width() - 2, size.height() - 2);
        p.setPen(QPen(pal.plateBorder, 1.0));
        p.setBrush(Vertical(rc, pal.plateTop, pal.plate));
        p.drawEllipse(rc);
        DrawIcon(p, Icon::Crosshair, rc.adjusted(7, 7, -7, -7), pal.accent, 1.8);
    });
}

}  // namespace skingen
