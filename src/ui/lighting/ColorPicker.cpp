#include "ui/lighting/ColorPicker.h"

#include <QIntValidator>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

#include "core/Gvar.h"
#include "lighting/ColorMath.h"
#include "ui/skin/MSliderBar.h"
#include "ui/skin/SkinImages.h"

namespace {

// The panel at scale 1: the red bar, the bars' spacing and height, the fields,
// the swatches and the wheel and ring corners.
constexpr int kBarLeft = 150, kBarRight = 420, kBarTop = 44, kBarGap = 8, kBarHeight = 13;
constexpr int kSwatch = 17, kSwatchGap = 6, kCompactSwatch = 25, kCompactGap = 8;
const QPoint kWheelAt(15, 15), kRingAt(4, 6), kCompactAt(73, 31);
constexpr ZColor kInitial = 0xFFC704;  // R 4, G 199, B 255
constexpr ZColor kTrack = 0x626262;

QColor ToQ(ZColor c) { return QColor(int(c & 0xFF), int(c >> 8 & 0xFF), int(c >> 16 & 0xFF)); }
ZColor FromQ(const QColor& c) { return MakeColor(uint8_t(c.red()), uint8_t(c.green()), uint8_t(c.blue())); }

}  // namespace

CColorPicker::CColorPicker(QWidget* parent, const skin::SkinTheme& theme)
    : QWidget(parent), m_theme(theme), m_clr(kInitial)
{
    setMouseTracking(true);
    for (int i = 0; i < 8; ++i) m_swatch[size_t(i)] = gVar.clrPick[i];
    for (int i = 0; i < 3; ++i) {
        QLineEdit* e = new QLineEdit(this);
        e->setAlignment(Qt::AlignCenter);
        e->setValidator(new QIntValidator(0, 999, e));  // digits only; above 255 is corrected
        e->setStyleSheet(QStringLiteral("QLineEdit { color: #c8c8c8; background: #646464; border: none; }"));
        connect(e, &QLineEdit::textEdited, this, [this, i] { OnFieldEdited(i); });
        m_edits[size_t(i)] = e;
    }
    reskin();
    setBarsDraggable(gVar.nRGBBarDrop != 0);
}

void CColorPicker::reskin()
{
    m_fScale = skin::InterfaceScale();
    m_imgWheel = skin::LoadChosenScaled(QStringLiteral("Colorwheel.png"));
    m_imgRing = skin::LoadChosenScaled(QStringLiteral("ColorRing.png"));
    m_imgThumb = skin::LoadChosen(QStringLiteral("rgbslider.png"));
    for (CMSliderBar*& b : m_bars) delete b;
    const int nThumbH = m_imgThumb.isNull() ? 8 : skin::LogicalSize(m_imgThumb).height();
    const char* tips[3] = {"R", "G", "B"};
    for (int i = 0; i < 3; ++i) {
        const int top = kBarTop + i * (nThumbH + 5 + kBarGap);
        const QRect rc(QPoint(kBarLeft, top), QPoint(kBarRight, top + (i == 0 ? nThumbH + 5 : kBarHeight)));
        CMSliderBar* b = new CMSliderBar(this, rc, m_imgThumb, m_theme);
        b->setObjectName(QString::fromLatin1(tips[i]));
        b->SetBackFill(FromQ(m_theme.clrWindow));
        b->SetTrack(QRect(0, nThumbH, rc.width(), 5));
        b->SetColors(kTrack, kTrack);
        b->SetValueRange(0, 255);
        b->SetScale(float(m_fScale));
        b->SetLiveNotify(true);
        connect(b, &CSkinSlider::moving, this, [this, i](int v) { m_edits[size_t(i)]->setText(QString::number(v)); });
        connect(b, &CSkinSlider::released, this, [this] { OnBarReleased(); });
        m_bars[size_t(i)] = b;
    }
    Layout();
    SetColour(m_clr, kBars | kFields);
    setFull(m_bFull);
}

void CColorPicker::Layout()
{
    auto S = [this](const QRect& r) {
        return QRect(qRound(r.x() * m_fScale), qRound(r.y() * m_fScale), qRound(r.width() * m_fScale),
                     qRound(r.height() * m_fScale));
    };
    const QSize wheel = m_imgWheel.isNull() ? QSize(108, 108) : skin::LogicalSize(m_imgWheel);
    const QSize ring = m_imgRing.isNull() ? QSize(130, 130) : skin::LogicalSize(m_imgRing);
    // The images are already at the interface scale: only their corners move.
    m_rcWheel = QRect(S(QRect(kWheelAt, QSize(1, 1))).topLeft(), wheel);
    m_rcRing = QRect(S(QRect(kRingAt, QSize(1, 1))).topLeft(), ring);
    const QRect red = m_bars[0]->geometry(), blue = m_bars[2]->geometry();
    const int d15 = qRound(15 * m_fScale), d12 = qRound(12 * m_fScale);
    m_rcCur = QRect(QPoint(red.left() - d15, red.top() - qRound(39 * m_fScale)),
                    QPoint(red.left() + d12, red.top() - d12));
    for (int i = 0; i < 3; ++i) {
        const QRect b = m_bars[size_t(i)]->geometry();
        m_edits[size_t(i)]->setGeometry(QRect(QPoint(b.right() + qRound(8 * m_fScale), b.top() - qRound(m_fScale)),
                                              QPoint(b.right() + qRound(38 * m_fScale), b.top() + qRound(16 * m_fScale))));
    }
    for (int i = 0; i < 8; ++i) {
        m_rcSwatch[size_t(i)] = QRect(blue.left() - d15 + qRound(i * (kSwatch + kSwatchGap) * m_fScale),
                                      blue.bottom() + 1 + qRound(14 * m_fScale), qRound(kSwatch * m_fScale),
                                      qRound(kSwatch * m_fScale));
    }
    for (int i = 0; i < 7; ++i) {
        m_rcCompact[size_t(i)] = S(QRect(kCompactAt + QPoint(i * (kCompactSwatch + kCompactGap), 0),
                                         QSize(kCompactSwatch, kCompactSwatch)));
    }
    const QRect f2 = m_edits[2]->geometry();
    setMinimumSize(f2.right() + qRound(10 * m_fScale), std::max(m_rcRing.bottom(), m_rcSwatch[7].bottom()) + qRound(8 * m_fScale));
    resize(minimumSize());
}

QColor CColorPicker::color() const { return ToQ(m_clr); }

void CColorPicker::setColor(const QColor& clr) { SetColour(FromQ(clr), kBars | kFields); }

void CColorPicker::setFull(bool bFull)
{
    m_bFull = bFull;
    for (int i = 0; i < 3; ++i) {
        m_bars[size_t(i)]->setVisible(bFull);
        m_edits[size_t(i)]->setVisible(bFull);
    }
    update();
}

void CColorPicker::setBarsDraggable(bool b)
{
    for (CMSliderBar* bar : m_bars) bar->setAttribute(Qt::WA_TransparentForMouseEvents, !b);
}

void CColorPicker::setSwatches(const std::array<ZColor, 8>& clrs)
{
    m_swatch = clrs;
    update();
}

QRect CColorPicker::swatchRect(int i) const
{
    if (!m_bFull) return i >= 0 && i < 7 ? m_rcCompact[size_t(i)] : QRect();
    return i >= 0 && i < 8 ? m_rcSwatch[size_t(i)] : QRect();
}

void CColorPicker::SetColour(ZColor clr, int nFlags)
{
    m_clr = clr & 0xFFFFFF;
    const int ch[3] = {colormath::Red(m_clr), colormath::Green(m_clr), colormath::Blue(m_clr)};
    for (int i = 0; i < 3; ++i) {
        if (nFlags & kBars) m_bars[size_t(i)]->SelectValue(ch[i]);
        if (nFlags & kFields) m_edits[size_t(i)]->setText(QString::number(ch[i]));
    }
    update();
    if (nFlags & kReport) emit colorChanged(ToQ(m_clr));
}

void CColorPicker::OnBarReleased()
{
    const ZColor clr = MakeColor(uint8_t(m_bars[0]->SelectedValue()), uint8_t(m_bars[1]->SelectedValue()),
                                 uint8_t(m_bars[2]->SelectedValue()));
    SetColour(clr, kFields | kReport);
}

void CColorPicker::OnFieldEdited(int i)
{
    QLineEdit* e = m_edits[size_t(i)];
    bool bCorrected = false, bOk = false;
    colormath::ClampChannel(e->text().toStdString(), bCorrected, bOk);
    if (bCorrected) {
        e->setText(QStringLiteral("255"));
        e->setCursorPosition(3);
    }
    int ch[3] = {0, 0, 0};
    for (int k = 0; k < 3; ++k) {
        bool bCorr = false;
        ch[k] = colormath::ClampChannel(m_edits[size_t(k)]->text().toStdString(), bCorr, bOk);
        if (!bOk) return;  // not a number: the colour stays until it is one
    }
    SetColour(MakeColor(uint8_t(ch[0]), uint8_t(ch[1]), uint8_t(ch[2])), kBars | kReport);
}

bool CColorPicker::OnWheel(const QPoint& pt) const
{
    const QPointF c = QRectF(m_rcWheel).center();
    return m_bFull && colormath::OnWheel(pt.x() + 0.5 - c.x(), pt.y() + 0.5 - c.y(), m_rcWheel.width() / 2.0);
}

void CColorPicker::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) return;
    setFocus(Qt::MouseFocusReason);
    const QPoint pt = e->position().toPoint();
    for (int i = 0; i < (m_bFull ? 8 : 7); ++i) {
        if (swatchRect(i).contains(pt)) {
            SetColour(m_swatch[size_t(i)], kBars | kFields | kReport);
            return;
        }
    }
    if (OnWheel(pt)) {
        // The colour the wheel shows under the pointer, worked out from where it
        // lies on the wheel rather than read back from the screen.
        const QPointF c = QRectF(m_rcWheel).center();
        SetColour(colormath::WheelColour(pt.x() + 0.5 - c.x(), pt.y() + 0.5 - c.y(), m_rcWheel.width() / 2.0),
                  kBars | kFields | kReport);
    }
}

void CColorPicker::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint pt = e->position().toPoint();
    bool bHand = OnWheel(pt);
    for (int i = 0; i < 8 && !bHand; ++i) bHand = swatchRect(i).contains(pt);
    setCursor(bHand ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void CColorPicker::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    // The skin's window colour behind everything, so that the labels in the
    // skin's text colour read in the light skin as well as in the dark one.
    p.fillRect(rect(), m_theme.clrWindow);
    auto fill = [&](const QRect& r, ZColor c) {
        p.fillRect(r, ToQ(c));
        p.setPen(QColor(0x3A, 0x3A, 0x3A));
        p.drawRect(r.adjusted(0, 0, -1, -1));
    };
    if (!m_bFull) {
        for (int i = 0; i < 7; ++i) fill(m_rcCompact[size_t(i)], m_swatch[size_t(i)]);
        return;
    }
    p.setRenderHint(QPainter::Antialiasing);
    if (!m_imgWheel.isNull()) p.drawImage(m_rcWheel.topLeft(), m_imgWheel);
    if (!m_imgRing.isNull()) p.drawImage(m_rcRing.topLeft(), m_imgRing);
    // Where the current colour lies on the wheel.
    double dx = 0, dy = 0;
    const double r = m_rcWheel.width() / 2.0;
    colormath::WheelPoint(m_clr, r, dx, dy);
    const QPointF mark = QRectF(m_rcWheel).center() + QPointF(dx, dy);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::black, 2.0));
    p.drawEllipse(mark, 4.0 * m_fScale, 4.0 * m_fScale);
    p.setPen(QPen(Qt::white, 1.0));
    p.drawEllipse(mark, 4.0 * m_fScale, 4.0 * m_fScale);
    p.setRenderHint(QPainter::Antialiasing, false);
    fill(m_rcCur, m_clr);
    for (int i = 0; i < 8; ++i) fill(m_rcSwatch[size_t(i)], m_swatch[size_t(i)]);
    p.setPen(m_theme.clrText);
    const char* labels[3] = {"R", "G", "B"};
    for (int i = 0; i < 3; ++i) {
        const QRect b = m_bars[size_t(i)]->geometry();
        const QRect box(QPoint(b.left() - qRound(20 * m_fScale), b.top() + 1), QPoint(b.left() - qRound(7 * m_fScale), b.bottom()));
        p.drawText(box, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, QString::fromLatin1(labels[i]));
    }
}
