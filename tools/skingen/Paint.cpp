#include "Paint.h"

#include <QPainterPathStroker>
#include <cmath>

namespace skingen {

namespace {
double s_fDrawScale = 1.0;
}  // namespace

void SetDrawScale(double fScale) { s_fDrawScale = fScale > 0 ? fScale : 1.0; }
double DrawScale() { return s_fDrawScale; }

QImage CopyUnits(const QImage& img, const QRect& rc)
{
    const qreal f = img.devicePixelRatio();
    QImage piece = img.copy(QRect(int(std::lround(rc.x() * f)), int(std::lround(rc.y() * f)),
                                  int(std::lround(rc.width() * f)), int(std::lround(rc.height() * f))));
    piece.setDevicePixelRatio(f);
    return piece;
}

QImage Draw(QSize size, const std::function<void(QPainter&)>& fn)
{
    const double f = s_fDrawScale;
    QImage img(QSize(int(std::lround(size.width() * f)), int(std::lround(size.height() * f))),
               QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(f);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    fn(p);
    p.end();
    return img;
}

QPainterPath RoundPath(const QRectF& rc, qreal fRadius)
{
    QPainterPath path;
    path.addRoundedRect(rc, fRadius, fRadius);
    return path;
}

void FillRound(QPainter& p, const QRectF& rc, qreal fRadius, const QBrush& brush)
{
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(brush);
    p.drawPath(RoundPath(rc, fRadius));
    p.restore();
}

void StrokeRound(QPainter& p, const QRectF& rc, qreal fRadius, const QColor& color, qreal fWidth)
{
    p.save();
    p.setPen(QPen(color, fWidth));
    p.setBrush(Qt::NoBrush);
    const qreal h = fWidth / 2;
    p.drawPath(RoundPath(rc.adjusted(h, h, -h, -h), std::max<qreal>(0, fRadius - h)));
    p.restore();
}

QLinearGradient Vertical(const QRectF& rc, const QColor& top, const QColor& bottom)
{
    QLinearGradient g(rc.topLeft(), rc.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

void Plate(QPainter& p, const QRect& rc, qreal fRadius, const Palette& pal, State state)
{
    const QRectF r(rc);
    QColor top = pal.plateTop, bottom = pal.plate, border = pal.plateBorder;
    if (state == State::Ov) {
        top = pal.plateHoverTop;
        bottom = pal.plateHover;
        border = Mix(pal.accent, pal.plateBorder, 0.55);
    } else if (state == State::Dn) {
        top = Mix(pal.accent, pal.plate, 0.18);
        bottom = Mix(pal.accent, pal.plate, 0.10);
        border = pal.accent;
    }
    FillRound(p, r, fRadius, Vertical(r, top, bottom));
    // A one-pixel light along the top edge makes the plate read as raised.
    if (state != State::Dn) {
        p.save();
        p.setClipPath(RoundPath(r.adjusted(1, 1, -1, -1), std::max<qreal>(0, fRadius - 1)));
        p.fillRect(QRectF(r.left() + 1, r.top() + 1, r.width() - 2, 1), QColor(255, 255, 255, 22));
        p.restore();
    }
    StrokeRound(p, r, fRadius, border);
}

void Sunken(QPainter& p, const QRect& rc, qreal fRadius, const Palette& pal, bool bActive)
{
    const QRectF r(rc);
    FillRound(p, r, fRadius, Vertical(r, pal.field.darker(115), pal.field));
    StrokeRound(p, r, fRadius, bActive ? pal.accent : pal.fieldBorder);
}

QFont Face(int nPixelSize, QFont::Weight weight)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(nPixelSize);
    font.setWeight(weight);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

void Text(QPainter& p, const QRectF& rc, const QString& str, const QColor& color, int nPixelSize,
          QFont::Weight weight, int nAlign)
{
    p.save();
    p.setFont(Face(nPixelSize, weight));
    p.setPen(color);
    p.drawText(rc, nAlign, str);
    p.restore();
}

void Shadow(QPainter& p, const QPainterPath& path, int nSpread, int nAlpha)
{
    p.save();
    p.setPen(Qt::NoPen);
    for (int i = nSpread; i >= 1; --i) {
        QPainterPathStroker stroker;
        stroker.setWidth(2.0 * i);
        stroker.setJoinStyle(Qt::RoundJoin);
        const QPainterPath grown = stroker.createStroke(path).united(path);
        p.setBrush(QColor(0, 0, 0, nAlpha / nSpread));
        p.drawPath(grown.translated(0, i / 2.0));
    }
    p.restore();
}

}  // namespace skingen
