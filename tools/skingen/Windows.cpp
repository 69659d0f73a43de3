#include "Windows.h"

#include <QFontMetricsF>
#include <QPainterPath>
#include <QtMath>
#include <algorithm>
#include <cmath>

#include "Guns.h"
#include "Icons.h"

namespace skingen {

namespace {

// The notice window's shape comes from its picture: every pixel of this
// colour is cut away (R 0x20, G 0x20, B 0x22).
const QColor kNoticeKey(0x20, 0x20, 0x22);

// Background, glow, title band and footer of the whole 1063 x 800 window.
// The window's backdrop: a vertical gradient with a faint accent glow from the
// top right, behind the navigation. Computed per pixel with an ordered dither,
// because such shallow gradients show rings when rounded to 8 bits.
QImage Backdrop(const Palette& pal, QSize size)
{
    static constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    const QPointF glowCentre(size.width() * 0.78, -40);
    const double fGlowRadius = 520, fGlowAlpha = 30 / 255.0;
    QImage img(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        const double t = size.height() > 1 ? double(y) / (size.height() - 1) : 0;
        const double base[3] = {pal.bgTop.redF() * (1 - t) + pal.bgBottom.redF() * t,
                                pal.bgTop.greenF() * (1 - t) + pal.bgBottom.greenF() * t,
                                pal.bgTop.blueF() * (1 - t) + pal.bgBottom.blueF() * t};
        auto* pLine = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const double d = std::hypot(x + 0.5 - glowCentre.x(), y + 0.5 - glowCentre.y()) / fGlowRadius;
            const double a = d < 1 ? fGlowAlpha * (1 - d) : 0;
            const double accent[3] = {pal.accent.redF(), pal.accent.greenF(), pal.accent.blueF()};
            const double fThreshold = (kBayer[y % 4][x % 4] + 0.5) / 16.0;
            int c[3];
            for (int i = 0; i < 3; ++i) {
                const double v = (base[i] * (1 - a) + accent[i] * a) * 255.0;
                c[i] = std::clamp(int(std::floor(v + fThreshold)), 0, 255);
            }
            pLine[x] = qRgb(c[0], c[1], c[2]);
        }
    }
    return img;
}

void WindowBase(QPainter& p, const Palette& pal, QSize size)
{
    const QRectF rc(0, 0, size.width(), size.height());
    p.drawImage(QPoint(0, 0), Backdrop(pal, size));

    const QRectF header(0, 0, size.width(), kHeaderBottom);
    p.fillRect(header, Vertical(header, WithAlpha(pal.header, 235), WithAlpha(pal.header, 200)));
    p.fillRect(QRectF(0, kHeaderBottom - 1, size.width(), 1), pal.headerLine);
    // A thin accent line along the top edge, fading out at both ends.
    QLinearGradient line(0, 0, size.width(), 0);
    line.setColorAt(0, WithAlpha(pal.accent, 0));
    line.setColorAt(0.5, WithAlpha(pal.accent, 220));
    line.setColorAt(1, WithAlpha(pal.accent, 0));
    p.fillRect(QRectF(0, 0, size.width(), 2), line);

    if (size.height() > kPagesBottom) {
        const QRectF footer(0, kPagesBottom, size.width(), size.height() - kPagesBottom);
        p.fillRect(footer, pal.footer);
        p.fillRect(QRectF(0, kPagesBottom, size.width(), 1), pal.headerLine);
    }
}

void Card(QPainter& p, const Palette& pal, const QRectF& rc)
{
    Shadow(p, RoundPath(rc, 10), 4, 60);
    FillRound(p, rc, 10, Vertical(rc, pal.cardHighlight, pal.card));
    StrokeRound(p, rc, 10, pal.cardBorder);
}

// Cards in window coordinates: the profile list left of the pages' cut-out,
// and the lower band where the settings pages put their controls.
const QRectF kSideCard(10, 105, 240, 435);
const QRectF kLowerCard(8, 573, 1047, 189);

QImage WindowImage(const Palette& pal, bool bSideCard, bool bLowerCard)
{
    return Draw(QSize(kWindowWidth, 800), [&](QPainter& p) {
        WindowBase(p, pal, QSize(kWindowWidth, 800));
        if (bSideCard) Card(p, pal, kSideCard);
        if (bLowerCard) Card(p, pal, kLowerCard);
    });
}

// A page background: the pages' piece of the window image, with its own cards
// in page coordinates.
QImage PageImage(const Palette& pal, QSize size, bool bSideCard, const std::vector<QRectF>& cards)
{
    const QImage window = WindowImage(pal, bSideCard, false);
    QImage page = CopyUnits(window, QRect(0, kHeaderBottom, size.width(), size.height()));
    QPainter p(&page);
    p.setRenderHint(QPainter::Antialiasing);
    for (const QRectF& rc : cards) Card(p, pal, rc);
    return page;
}

}  // namespace

QImage MainBackground(const Palette& pal, QSize size)
{
    QImage img = WindowImage(pal, true, true);
    if (size == img.deviceIndependentSize().toSize()) return img;
    const qreal f = img.devicePixelRatio();
    QImage scaled = img.scaled(QSize(int(std::lround(size.width() * f)), int(std::lround(size.height() * f))));
    scaled.setDevicePixelRatio(f);
    return scaled;
}

QImage SupportBackground(const Palette& pal, QSize size)
{
    return PageImage(pal, size, false, {QRectF(120, 76, 450, 556), QRectF(650, 70, 362, 344)});
}

QImage MacroBackground(const Palette& pal, QSize size)
{
    return PageImage(pal, size, true, {QRectF(272, 10, 781, 652)});
}

QImage DialogBackground(const Palette& pal, QSize size, DialogKind kind)
{
    return Draw(size, [&](QPainter& p) {
        const QRectF rc(0, 0, size.width(), size.height());
        p.fillRect(rc, Vertical(rc, pal.cardHighlight, pal.card));
        const qreal fTitle = 38;
        p.fillRect(QRectF(0, 0, size.width(), fTitle), Vertical(QRectF(0, 0, 1, fTitle), pal.header, pal.header.darker(108)));
        p.fillRect(QRectF(0, fTitle - 1, size.width(), 1), pal.headerLine);
        p.fillRect(QRectF(0, 0, size.width(), 2), pal.accent);
        // The buttons sit 42 pixels above the bottom edge: a darker footer
        // under them. The progress window has no buttons there.
        if (kind != DialogKind::Progress) {
            const qreal fFooter = kind == DialogKind::Colours ? 56 : 54;
            const QRectF footer(0, size.height() - fFooter, size.width(), fFooter);
            p.fillRect(footer, WithAlpha(pal.footer, 150));
            p.fillRect(QRectF(0, footer.top(), size.width(), 1), WithAlpha(pal.headerLine, 200));
        }
        p.setPen(QPen(pal.cardBorder, 1.0));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rc.adjusted(0.5, 0.5, -0.5, -0.5));
    });
}

QImage NoticeBackground(const Palette& pal, QSize size)
{
    // The notice floats over other programs: it keeps its dark glass look in
    // every skin, so that its cyan text always reads.
    const Palette& dark = DarkPalette();
    return Draw(size, [&](QPainter& p) {
        p.fillRect(QRect(QPoint(0, 0), size), kNoticeKey);
        const QRectF rc(4, 4, size.width() - 8, size.height() - 8);
        FillRound(p, rc, 18, Vertical(rc, QColor(0x17, 0x1b, 0x21), QColor(0x0b, 0x0d, 0x10)));
        QRadialGradient glow(QPointF(rc.center().x(), rc.top()), rc.width() * 0.6);
        glow.setColorAt(0, WithAlpha(pal.accent, 40));
        glow.setColorAt(1, WithAlpha(pal.accent, 0));
        p.save();
        p.setClipPath(RoundPath(rc, 18));
        p.fillRect(rc, glow);
        p.restore();
        StrokeRound(p, rc, 18, WithAlpha(dark.accent, 170), 1.5);
    });
}

QImage ProgressBackground(const Palette& pal, QSize size, bool bFilled)
{
    QImage img = DialogBackground(pal, size, DialogKind::Progress);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // The fill rectangle of the progress window.
    const QRectF groove(45, 101, 441, 22);
    FillRound(p, groove, 11, Vertical(groove, pal.field.darker(120), pal.field));
    StrokeRound(p, groove, 11, pal.fieldBorder);
    if (bFilled) {
        const QRectF fill = groove.adjusted(2, 2, -2, -2);
        FillRound(p, fill, 9, Vertical(fill, pal.accent.lighter(120), pal.accent.darker(115)));
        p.save();
        p.setClipPath(RoundPath(fill, 9));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 28));
        for (qreal x = fill.left() - 20; x < fill.right(); x += 16)
            p.drawPolygon(QPolygonF({QPointF(x, fill.bottom()), QPointF(x + 8, fill.bottom()),
                                     QPointF(x + 8 + fill.height(), fill.top()), QPointF(x + fill.height(), fill.top())}));
        p.fillRect(QRectF(fill.left() + 8, fill.top() + 1, fill.width() - 16, 1), QColor(255, 255, 255, 80));
        p.restore();
    }
    return img;
}

QImage GunPresetsBackground(const Palette& pal, QSize size, bool bHover)
{
    return Draw(size, [&](QPainter& p) {
        const QRectF rc(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
        FillRound(p, rc, 14, Vertical(rc, pal.cardHighlight, pal.card));
        p.save();
        p.setClipPath(RoundPath(rc, 14));
        p.fillRect(QRectF(0, 0, size.width(), 70), Vertical(QRectF(0, 0, 1, 70), pal.header, pal.header.darker(110)));
        p.fillRect(QRectF(0, 69, size.width(), 1), pal.headerLine);
        p.fillRect(QRectF(0, 0, size.width(), 2), pal.accent);
        p.restore();
        StrokeRound(p, rc, 14, pal.cardBorder);
        // The empty corner above the first column holds the preset emblem.
        const QRectF emblem(17, 93, 191, 114);
        FillRound(p, emblem, 8, WithAlpha(pal.field, 140));
        DrawIcon(p, Icon::Crosshair, QRectF(emblem.center().x() - 30, emblem.center().y() - 30, 60, 60),
                 WithAlpha(pal.accent, 200), 1.2);
        // The controls' column.
        const QRectF side(420, 88, 282, 476);
        FillRound(p, side, 10, WithAlpha(pal.field, 110));
        StrokeRound(p, side, 10, WithAlpha(pal.cardBorder, 200));
        for (int g = 0; g < kGunCount; ++g) DrawGunCell(p, pal, GunCellRect(g), g, bHover);
    });
}

QImage Logo(const Palette& pal, QSize size)
{
    // The Z and the name in the skin's strongest text colour, so the logo reads on either card.
    const QColor ink = pal.fieldText;
    return Draw(size, [&](QPainter& p) {
        // An emblem: a hexagon with a stylised Z of light, then the name.
        const QPointF c(size.height() / 2.0, size.height() / 2.0);
        const qreal r = size.height() * 0.36;
        QPolygonF hex;
        for (int i = 0; i < 6; ++i) {
            const qreal a = qDegreesToRadians(90.0 + 60.0 * i);
            hex << QPointF(c.x() + r * std::cos(a), c.y() - r * std::sin(a));
        }
        p.setPen(QPen(pal.accent, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(WithAlpha(pal.accent, 30));
        p.drawPolygon(hex);
        const qreal k = r * 0.45;
        p.setPen(QPen(ink, 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({c + QPointF(-k, -k), c + QPointF(k, -k), c + QPointF(-k, k), c + QPointF(k, k)}));
        const QString strName = QStringLiteral("ZORVIK");
        const QRectF rcText(size.height() * 0.92, 0, size.width() - size.height() * 0.92 - 4, size.height() * 0.62);
        // The largest size at which the name fits beside the emblem.
        QFont font;
        for (int nPx = int(size.height() * 0.27); nPx > 8; --nPx) {
            font = Face(nPx, QFont::Black);
            font.setLetterSpacing(QFont::AbsoluteSpacing, nPx / 12.0);
            if (QFontMetricsF(font).horizontalAdvance(strName) <= rcText.width()) break;
        }
        p.setFont(font);
        p.setPen(ink);
        p.drawText(rcText, Qt::AlignLeft | Qt::AlignBottom, strName);
        p.fillRect(QRectF(rcText.left() + 2, size.height() * 0.68, size.width() * 0.42, 3), pal.accent);
    });
}

QImage AppIcon(QSize size)
{
    const Palette& pal = DarkPalette();
    return Draw(size, [&](QPainter& p) {
        const qreal w = size.width();
        QPainterPath square;
        square.addRoundedRect(QRectF(w * 0.04, w * 0.04, w * 0.92, w * 0.92), w * 0.18, w * 0.18);
        p.fillPath(square, QColor(0x16, 0x19, 0x1e));
        const QPointF c(w / 2.0, w / 2.0);
        const qreal r = w * 0.36;
        QPolygonF hex;
        for (int i = 0; i < 6; ++i) {
            const qreal a = qDegreesToRadians(90.0 + 60.0 * i);
            hex << QPointF(c.x() + r * std::cos(a), c.y() - r * std::sin(a));
        }
        p.setPen(QPen(pal.accent, w * 0.05, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(WithAlpha(pal.accent, 40));
        p.drawPolygon(hex);
        const qreal k = r * 0.45;
        p.setPen(QPen(QColor(0xf2, 0xf5, 0xf8), w * 0.06, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({c + QPointF(-k, -k), c + QPointF(k, -k), c + QPointF(-k, k), c + QPointF(k, k)}));
    });
}

}  // namespace skingen
