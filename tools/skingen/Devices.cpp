#include "Devices.h"

#include <QPainterPath>
#include <QtMath>

#include "Icons.h"

namespace skingen {

namespace {

// The mouse is drawn on a 320 x 410 grid and scaled to the size asked for.
constexpr qreal kMouseW = 320, kMouseH = 410;

const QColor kSeam(0x08, 0x0a, 0x0c);
const QColor kDiffuser(0x3d, 0x44, 0x4f);  // unlit light guides: they take the LED colour through the mask

QPainterPath Body()
{
    QPainterPath half;
    half.moveTo(160, 24);
    half.cubicTo(206, 24, 232, 50, 237, 102);
    half.cubicTo(242, 152, 258, 228, 256, 292);
    half.cubicTo(254, 352, 214, 392, 160, 392);
    half.cubicTo(106, 392, 66, 352, 64, 292);
    half.cubicTo(62, 228, 78, 152, 83, 102);
    half.cubicTo(88, 50, 114, 24, 160, 24);
    half.closeSubpath();
    return half;
}

// The area in front of the palm, where the two main buttons lie.
QPainterPath FrontZone()
{
    QPainterPath zone;
    zone.moveTo(0, 0);
    zone.lineTo(kMouseW, 0);
    zone.lineTo(kMouseW, 170);
    zone.cubicTo(240, 186, 80, 186, 0, 170);
    zone.closeSubpath();
    return zone;
}

QPainterPath Rect(const QRectF& rc, qreal r)
{
    QPainterPath path;
    path.addRoundedRect(rc, r, r);
    return path;
}

QPainterPath ButtonArea(bool bLeft)
{
    const QRectF side = bLeft ? QRectF(0, 0, 158.5, kMouseH) : QRectF(161.5, 0, kMouseW, kMouseH);
    QPainterPath clip;
    clip.addRect(side);
    return Body().intersected(FrontZone()).intersected(clip).subtracted(Rect(QRectF(144, 58, 32, 118), 14));
}

const QRectF kWheelWell(146, 62, 28, 64);
const QRectF kWheel(151, 68, 18, 52);
const QRectF kDpiUp(149, 134, 22, 15);
const QRectF kDpiDown(149, 155, 22, 15);
const QRectF kForward(56, 194, 18, 40);
const QRectF kBack(56, 242, 18, 40);

QPainterPath LightStrip(bool bLeft)
{
    QPainterPath strip;
    if (bLeft) {
        strip.moveTo(72, 206);
        strip.cubicTo(68, 262, 74, 330, 114, 366);
    } else {
        strip.moveTo(248, 206);
        strip.cubicTo(252, 262, 246, 330, 206, 366);
    }
    return strip;
}

void Emblem(QPainter& p, QPointF c, qreal r, const QColor& color, qreal fWidth)
{
    QPolygonF hex;
    for (int i = 0; i < 6; ++i) {
        const qreal a = qDegreesToRadians(90.0 + 60.0 * i);
        hex << QPointF(c.x() + r * std::cos(a), c.y() - r * std::sin(a));
    }
    p.setPen(QPen(color, fWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(hex);
    const qreal k = r * 0.45;
    p.drawPolyline(QPolygonF({c + QPointF(-k, -k), c + QPointF(k, -k), c + QPointF(-k, k), c + QPointF(k, k)}));
}

struct Callout {
    int n;
    QPointF badge, anchor;
};

const Callout kCallouts[] = {
    {1, {22, 100}, {104, 104}}, {4, {22, 214}, {58, 214}}, {5, {22, 262}, {58, 262}}, {3, {298, 74}, {172, 86}},
    {2, {298, 100}, {216, 104}}, {6, {298, 142}, {172, 141}}, {7, {298, 164}, {172, 162}},
};

// The pictures are shared by both skins: callouts in mid greys read on either.
void Badge(QPainter& p, const Palette& pal, QPointF c, int n, bool bLit)
{
    p.setPen(QPen(bLit ? pal.accent : pal.glyph, 1.0));
    p.setBrush(bLit ? pal.accent : pal.plate);
    p.drawEllipse(c, 8, 8);
    Text(p, QRectF(c.x() - 8, c.y() - 8.5, 16, 16), QString::number(n), bLit ? QColor(0x06, 0x1a, 0x24) : pal.glyphHover,
         10, QFont::Bold);
}

void Callouts(QPainter& p, const Palette& pal, bool bLit)
{
    for (const Callout& c : kCallouts) {
        const QColor line = bLit ? pal.accent : WithAlpha(pal.glyph, 170);
        p.setPen(QPen(line, 1.0));
        const qreal dir = c.anchor.x() > c.badge.x() ? 1 : -1;
        p.drawLine(c.badge + QPointF(dir * 8, 0), QPointF(c.anchor.x(), c.badge.y()));
        if (std::abs(c.anchor.y() - c.badge.y()) > 0.5) p.drawLine(QPointF(c.anchor.x(), c.badge.y()), c.anchor);
        p.setPen(Qt::NoPen);
        p.setBrush(line);
        p.drawEllipse(c.anchor, 2, 2);
        Badge(p, pal, c.badge, c.n, bLit);
    }
}

void Cable(QPainter& p)
{
    p.setPen(QPen(QColor(0x15, 0x18, 0x1c), 6, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(160, 0), QPointF(160, 22));
    FillRound(p, QRectF(152, 12, 16, 14), 4, QColor(0x1d, 0x21, 0x27));
}

void ShellFill(QPainter& p, const Palette& pal, const QPainterPath& path)
{
    QRadialGradient g(QPointF(140, 170), 260);
    g.setColorAt(0, pal.shellTop);
    g.setColorAt(0.55, pal.shell);
    g.setColorAt(1, pal.shell.darker(150));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawPath(path);
}

void TopView(QPainter& p, const Palette& pal, bool bLit)
{
    const QPainterPath body = Body();
    Cable(p);
    Shadow(p, body, 6, 90);
    ShellFill(p, pal, body);
    // The two main buttons: lighter plates with a seam round them.
    for (bool bLeft : {true, false}) {
        const QPainterPath button = ButtonArea(bLeft);
        QLinearGradient g(0, 24, 0, 180);
        g.setColorAt(0, pal.shellTop.lighter(112));
        g.setColorAt(1, pal.shell.lighter(118));
        p.setPen(QPen(kSeam, 1.5));
        p.setBrush(g);
        p.drawPath(button);
        // A soft sheen on the front of each button.
        QRadialGradient sheen(QPointF(bLeft ? 122 : 198, 70), 60);
        sheen.setColorAt(0, QColor(255, 255, 255, 26));
        sheen.setColorAt(1, QColor(255, 255, 255, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(sheen);
        p.drawPath(button);
    }
    // Wheel in its well, ribbed.
    FillRound(p, kWheelWell, 13, QColor(0x0a, 0x0c, 0x0f));
    FillRound(p, kWheel, 8.5, Vertical(kWheel, QColor(0x45, 0x4c, 0x57), QColor(0x22, 0x27, 0x2e)));
    p.setPen(QPen(QColor(0x12, 0x15, 0x18, 200), 1.0));
    for (qreal y = kWheel.top() + 6.5; y < kWheel.bottom() - 4; y += 4) p.drawLine(QPointF(kWheel.left() + 3, y), QPointF(kWheel.right() - 3, y));
    StrokeRound(p, kWheel, 8.5, kDiffuser.lighter(115), 1.5);
    // DPI buttons behind the wheel and the two side buttons.
    for (const QRectF& rc : {kDpiUp, kDpiDown, kForward, kBack}) {
        FillRound(p, rc, rc.width() < 20 ? 8 : 5, Vertical(rc, pal.shellTop.lighter(120), pal.shell.lighter(110)));
        StrokeRound(p, rc, rc.width() < 20 ? 8 : 5, kSeam, 1.2);
    }
    DrawIcon(p, Icon::ChevronUp, kDpiUp.adjusted(5, 1, -5, -1), pal.glyph, 2.6);
    DrawIcon(p, Icon::ChevronDown, kDpiDown.adjusted(5, 1, -5, -1), pal.glyph, 2.6);
    // Light guides: two side strips and the palm emblem.
    p.setBrush(Qt::NoBrush);
    for (bool bLeft : {true, false}) {
        p.setPen(QPen(kDiffuser, 5, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(LightStrip(bLeft));
        p.setPen(QPen(QColor(255, 255, 255, 40), 1.5, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(LightStrip(bLeft).translated(bLeft ? -0.8 : 0.8, -0.8));
    }
    Emblem(p, QPointF(160, 300), 21, kDiffuser.lighter(125), 3.5);
    // Rim light along the outline.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 30), 1.0));
    p.drawPath(body);
    if (bLit) {
        // Every button lit: the picture the marks show for the button in focus.
        QPainterPath lit = ButtonArea(true).united(ButtonArea(false));
        for (const QRectF& rc : {kWheel, kDpiUp, kDpiDown, kForward, kBack}) lit.addRoundedRect(rc, 6, 6);
        p.setPen(QPen(pal.accent, 1.5));
        p.setBrush(WithAlpha(pal.accent, 64));
        p.drawPath(lit.simplified());
    }
    Callouts(p, pal, bLit);
}

void SideView(QPainter& p, const Palette& pal)
{
    QPainterPath body;
    body.moveTo(20, 250);
    body.cubicTo(20, 214, 62, 190, 110, 180);
    body.cubicTo(170, 168, 232, 160, 272, 192);
    body.cubicTo(302, 214, 304, 246, 292, 262);
    body.lineTo(30, 262);
    body.cubicTo(22, 262, 20, 256, 20, 250);
    body.closeSubpath();
    p.setPen(QPen(QColor(0x15, 0x18, 0x1c), 6, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(0, 240), QPointF(22, 240));
    Shadow(p, body, 6, 90);
    ShellFill(p, pal, body);
    FillRound(p, QRectF(40, 262, 240, 5), 2, QColor(0xc9, 0xce, 0xd6, 210));
    // Main button seam and wheel bump.
    p.setPen(QPen(kSeam, 1.5));
    p.setBrush(Qt::NoBrush);
    QPainterPath seam;
    seam.moveTo(36, 214);
    seam.cubicTo(90, 206, 150, 200, 190, 178);
    p.drawPath(seam);
    FillRound(p, QRectF(104, 170, 26, 12), 6, Vertical(QRectF(104, 170, 26, 12), QColor(0x45, 0x4c, 0x57), QColor(0x22, 0x27, 0x2e)));
    for (const QRectF& rc : {QRectF(92, 208, 40, 14), QRectF(138, 204, 40, 14)}) {
        FillRound(p, rc, 7, Vertical(rc, pal.shellTop.lighter(120), pal.shell.lighter(110)));
        StrokeRound(p, rc, 7, kSeam, 1.2);
    }
    p.setPen(QPen(kDiffuser, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(60, 246), QPointF(268, 246));
    p.setPen(QPen(QColor(255, 255, 255, 30), 1.0));
    p.drawPath(body);
    for (const Callout& c : {Callout{4, {112, 306}, {112, 222}}, Callout{5, {158, 306}, {158, 218}}}) {
        p.setPen(QPen(WithAlpha(pal.glyph, 170), 1.0));
        p.drawLine(c.badge - QPointF(0, 8), c.anchor);
        p.setPen(Qt::NoPen);
        p.setBrush(WithAlpha(pal.glyph, 170));
        p.drawEllipse(c.anchor, 2, 2);
        Badge(p, pal, c.badge, c.n, false);
    }
}

void BottomView(QPainter& p, const Palette& pal)
{
    const QPainterPath body = Body();
    Shadow(p, body, 6, 90);
    p.setPen(QPen(QColor(255, 255, 255, 25), 1.0));
    p.setBrush(Vertical(QRectF(0, 24, 1, 370), QColor(0x1d, 0x21, 0x27), QColor(0x11, 0x13, 0x16)));
    p.drawPath(body);
    const QColor skate(0xc9, 0xce, 0xd6, 215);
    FillRound(p, QRectF(112, 40, 96, 16), 8, skate);
    FillRound(p, QRectF(104, 358, 112, 18), 9, skate);
    FillRound(p, QRectF(80, 200, 12, 60), 6, skate);
    FillRound(p, QRectF(228, 200, 12, 60), 6, skate);
    // Sensor window.
    p.setPen(QPen(QColor(0x05, 0x06, 0x08), 3));
    p.setBrush(QColor(0x1a, 0x30, 0x3a));
    p.drawEllipse(QPointF(160, 226), 15, 15);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 70));
    p.drawEllipse(QPointF(155, 221), 4, 4);
    // Label plate and mode switch.
    const QRectF plate(118, 118, 84, 44);
    FillRound(p, plate, 6, QColor(0x25, 0x2a, 0x32));
    for (int i = 0; i < 3; ++i) p.fillRect(QRectF(128, 128 + i * 9, i == 2 ? 40 : 64, 3), WithAlpha(pal.glyphDim, 150));
    const QRectF slot(148, 280, 24, 44);
    FillRound(p, slot, 7, QColor(0x08, 0x0a, 0x0c));
    FillRound(p, QRectF(151, 284, 18, 16), 5, pal.glyph);
}

}  // namespace

QImage MousePicture(QSize size, MouseView view)
{
    const Palette& pal = DarkPalette();
    return Draw(size, [&](QPainter& p) {
        p.scale(size.width() / kMouseW, size.height() / kMouseH);
        switch (view) {
        case MouseView::Top: TopView(p, pal, false); break;
        case MouseView::TopLit: TopView(p, pal, true); break;
        case MouseView::Side: SideView(p, pal); break;
        case MouseView::Bottom: BottomView(p, pal); break;
        }
    });
}

QImage MouseMask(QSize size)
{
    // White with the strength in alpha: the emblem takes the full LED colour,
    // the side strips nearly so, the wheel's rim less.
    return Draw(size, [&](QPainter& p) {
        p.scale(size.width() / kMouseW, size.height() / kMouseH);
        p.setBrush(Qt::NoBrush);
        for (bool bLeft : {true, false}) {
            p.setPen(QPen(QColor(255, 255, 255, 90), 8, Qt::SolidLine, Qt::RoundCap));
            p.drawPath(LightStrip(bLeft));
            p.setPen(QPen(QColor(255, 255, 255, 230), 5, Qt::SolidLine, Qt::RoundCap));
            p.drawPath(LightStrip(bLeft));
        }
        Emblem(p, QPointF(160, 300), 21, QColor(255, 255, 255, 100), 6.5);
        Emblem(p, QPointF(160, 300), 21, QColor(255, 255, 255, 255), 3.5);
        StrokeRound(p, kWheel, 8.5, QColor(255, 255, 255, 160), 2);
    });
}

std::vector<QRect> MouseMarks()
{
    return {QRect(70, 40, 74, 140), QRect(176, 40, 74, 140), QRect(146, 62, 28, 64), QRect(54, 192, 26, 44),
            QRect(54, 240, 26, 44), QRect(148, 132, 24, 18), QRect(148, 153, 24, 18)};
}

namespace {

// The pad's lit edge: the ring of cells between the outer and the inner
// rectangle (default cell strip 18 pixels from (66, 31) and (454, 304)).
const QRectF kPadOuter(48, 13, 424, 309);
const QRectF kPadInner(66, 31, 388, 273);

QPainterPath PadRing(qreal fInset)
{
    QPainterPath ring = Rect(kPadOuter.adjusted(fInset, fInset, -fInset, -fInset), 16 - fInset);
    ring.addPath(Rect(kPadInner.adjusted(-fInset, -fInset, fInset, fInset), 6 + fInset));
    ring.setFillRule(Qt::OddEvenFill);
    return ring;
}

}  // namespace

QImage PadPicture(QSize size)
{
    const Palette& pal = DarkPalette();
    return Draw(size, [&](QPainter& p) {
        p.scale(size.width() / 520.0, size.height() / 340.0);
        Shadow(p, Rect(kPadOuter, 16), 6, 100);
        // The diffuser round the edge.
        FillRound(p, kPadOuter, 16, Vertical(kPadOuter, QColor(0x40, 0x47, 0x52), QColor(0x2a, 0x30, 0x38)));
        StrokeRound(p, kPadOuter, 16, QColor(0x0a, 0x0c, 0x0f), 1.5);
        p.setPen(QPen(QColor(255, 255, 255, 45), 1.0));
        p.setBrush(Qt::NoBrush);
        p.drawPath(Rect(kPadOuter.adjusted(2.5, 2.5, -2.5, -2.5), 13.5));
        // Cloth: a dark surface with a fine weave.
        FillRound(p, kPadInner, 6, Vertical(kPadInner, QColor(0x17, 0x1a, 0x1f), QColor(0x0e, 0x10, 0x13)));
        p.save();
        p.setClipPath(Rect(kPadInner, 6));
        p.setPen(QPen(QColor(255, 255, 255, 7), 1.0));
        for (qreal d = -kPadInner.height(); d < kPadInner.width(); d += 4)
            p.drawLine(QPointF(kPadInner.left() + d, kPadInner.bottom()), QPointF(kPadInner.left() + d + kPadInner.height(), kPadInner.top()));
        QRadialGradient sheen(QPointF(kPadInner.left() + 90, kPadInner.top() + 40), 260);
        sheen.setColorAt(0, QColor(255, 255, 255, 16));
        sheen.setColorAt(1, QColor(255, 255, 255, 0));
        p.fillRect(kPadInner, sheen);
        p.restore();
        StrokeRound(p, kPadInner, 6, QColor(0x06, 0x07, 0x09), 1.5);
        Emblem(p, QPointF(kPadInner.right() - 34, kPadInner.bottom() - 30), 12, pal.glyphDim, 2.2);
        // The hub the cable enters, above the top edge.
        const QRectF hub(398, 1, 56, 14);
        FillRound(p, hub, 4, Vertical(hub, QColor(0x2c, 0x32, 0x3a), QColor(0x16, 0x19, 0x1e)));
        StrokeRound(p, hub, 4, QColor(0x0a, 0x0c, 0x0f));
        p.fillRect(QRectF(420, 6, 12, 3), WithAlpha(pal.accent, 200));
    });
}

QImage PadMask(QSize size)
{
    return Draw(size, [&](QPainter& p) {
        p.scale(size.width() / 520.0, size.height() / 340.0);
        p.setPen(Qt::NoPen);
        // Full strength on the ring, a two-pixel fade at both of its edges.
        p.setBrush(QColor(255, 255, 255, 110));
        p.drawPath(PadRing(0));
        p.setBrush(QColor(255, 255, 255, 255));
        p.drawPath(PadRing(2));
    });
}

}  // namespace skingen
