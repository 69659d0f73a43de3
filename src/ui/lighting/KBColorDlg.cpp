#include "ui/lighting/KBColorDlg.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "core/Gvar.h"
#include "core/Log.h"
#include "lighting/EffectUnitFile.h"
#include "ui/skin/SkinImages.h"

namespace {

constexpr QRgb kDarkFill = 0xFF141414;     // under the key image when the description asks for it
constexpr QRgb kFrame = 0xFFC8C8C8;        // key frames and the rubber band
constexpr int kMarkLevel = 160;            // opacity of a filled mark
constexpr int kOutlineWidth = 2;           // hover and selection outlines

QColor ToColor(ZColor clr, int nAlpha = 255)
{
    return QColor(int(clr & 0xFF), int((clr >> 8) & 0xFF), int((clr >> 16) & 0xFF), std::clamp(nAlpha, 0, 255));
}

}  // namespace

CKBColorDlg::CKBColorDlg(QWidget* pParent) : QWidget(pParent)
{
    setObjectName(QStringLiteral("kb-view"));
    setMouseTracking(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &CKBColorDlg::StepEffect);
    LoadFromDescription();
}

CKBColorDlg::~CKBColorDlg() = default;

void CKBColorDlg::LoadFromDescription()
{
    const KbDesc& kb = gVar.Kb;
    m_clrMark = kb.clrKeyHasFunc;
    m_clrHover = kb.clrKeyOv;
    m_clrSel = kb.clrKeyDn;
    m_nDrawType = kb.nKbDrawType;
    m_bFrameKey = kb.nFrameKey != 0;
    m_bMarkFill = kb.nHasFuncTy != 0;
    m_nKeyNotToSet = kb.nKeyNotToSet;
    const int nPoints = std::clamp(int(kb.nEnterPtNum), 0, int(std::size(kb.EnterPt)));
    // The key image at its file's pixels: the key rectangles are in those pixels.
    m_imgKeys = skin::LoadImageFile(skin::CommonPath(QStringLiteral("keyimg.png")), 1.0, 1.0);
    SetLayout(BuildKeyLayout(std::span(g_defKEY), kb.nKeyNum, kb.nUnRectKey,
                             std::span(kb.EnterPt, size_t(nPoints))));
}

void CKBColorDlg::SetLayout(const KeyLayout& base)
{
    m_base = base;
    for (LightSlot& s : m_base.keys) s.clr = 0;
    std::fill(m_marks.begin(), m_marks.end(), 0);
    m_nSel = m_nHover = -1;
    m_layout = ScaleLayout(m_base, m_fScale);
    ScaleKeys(m_fScale);
}

void CKBColorDlg::ScaleKeys(double f)
{
    if (!(f > 0)) return;
    m_fScale = f;
    KeyLayout scaled = ScaleLayout(m_base, f);
    for (size_t i = 0; i < scaled.keys.size() && i < m_layout.keys.size(); ++i) {
        scaled.keys[i].clr = m_layout.keys[i].clr;
        scaled.keys[i].nLevel = m_layout.keys[i].nLevel;
    }
    m_layout = std::move(scaled);
    if (!m_imgKeys.isNull()) {
        resize(qRound(m_imgKeys.width() * f), qRound(m_imgKeys.height() * f));
    } else {
        const ZRect rc = ::KeysBounds(m_layout);
        resize(std::max(1, rc.right), std::max(1, rc.bottom));
    }
    update();
}

void CKBColorDlg::SetViewMode(int nMode)
{
    m_nViewMode = nMode;
    m_nHover = -1;
    m_ptPress.reset();
    m_bBand = false;
    UpdateTimer();
    update();
}

void CKBColorDlg::SetKeyColor(int nSlot, ZColor clr)
{
    if (nSlot < 0) nSlot = m_nSel;
    if (!ValidSlot(nSlot)) return;
    m_layout.keys[size_t(nSlot)].clr = clr & 0xFFFFFF;
    update();
}

void CKBColorDlg::SetKeyLevel(int nSlot, int nLevel)
{
    if (nSlot < 0) nSlot = m_nSel;
    if (!ValidSlot(nSlot)) return;
    m_layout.keys[size_t(nSlot)].nLevel = nLevel;
    update();
}

void CKBColorDlg::SetKeyMark(int nSlot, int nValue)
{
    if (nSlot < 0) nSlot = m_nSel;
    if (!ValidSlot(nSlot)) return;
    m_marks[size_t(nSlot)] = nValue;
    update();
}

ZColor CKBColorDlg::KeyColor(int nSlot) const { return ValidSlot(nSlot) ? m_layout.keys[size_t(nSlot)].clr : 0; }

int CKBColorDlg::KeyMark(int nSlot) const { return ValidSlot(nSlot) ? m_marks[size_t(nSlot)] : 0; }

void CKBColorDlg::ClearColors()
{
    for (LightSlot& s : m_layout.keys) {
        s.clr = 0;
        s.nLevel = 200;
    }
    update();
}

void CKBColorDlg::SetSelected(int nSlot)
{
    m_nSel = nSlot >= 0 && nSlot < m_layout.nUsed ? nSlot : -1;
    update();
}

QRect CKBColorDlg::KeysBounds() const
{
    const ZRect rc = ::KeysBounds(m_layout);
    return QRect(QPoint(rc.left, rc.top), QPoint(rc.right - 1, rc.bottom - 1));
}

QRect CKBColorDlg::KeyRect(int nSlot) const
{
    if (!ValidSlot(nSlot)) return {};
    const LightSlot& s = m_layout.keys[size_t(nSlot)];
    return QRect(QPoint(s.left, s.top), QPoint(s.right - 1, s.bottom - 1));
}

QPainterPath CKBColorDlg::KeyPath(int nSlot) const
{
    QPainterPath path;
    if (nSlot == m_layout.nOutlineSlot && !m_layout.outline.empty()) {
        QPolygonF poly;
        for (const ZPoint& p : m_layout.outline) poly << QPointF(p.x, p.y);
        path.addPolygon(poly);
        path.closeSubpath();
    } else {
        const LightSlot& s = m_layout.keys[size_t(nSlot)];
        path.addRect(QRectF(s.left, s.top, s.right - s.left, s.bottom - s.top));
    }
    return path;
}

void CKBColorDlg::PlayEffect(const EffectSettings& s)
{
    if (!m_engine) {
        const std::filesystem::path dir = g_szAppDir / "Cartoon";
        m_engine = std::make_unique<CEffectEngine>(LoadUnitLibrary(dir, gVar.Kb.nKbLayout));
    }
    m_effect = s;
    m_engine->Start(s, m_layout.keys);
    UpdateTimer();
    update();
}

void CKBColorDlg::StopEffect()
{
    m_effect.reset();
    m_timer.stop();
    ClearColors();
}

void CKBColorDlg::StepEffect()
{
    if (!m_engine || !m_effect) return;
    m_engine->Step(m_layout.keys);
    update();
}

void CKBColorDlg::UpdateTimer()
{
    const int nPeriod = m_engine && m_effect ? m_engine->Period() : 0;
    if (!isVisible() || m_nViewMode != kColours || nPeriod <= 0) {
        m_timer.stop();
        return;
    }
    if (!m_timer.isActive() || m_timer.interval() != nPeriod) m_timer.start(nPeriod);
}

void CKBColorDlg::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    UpdateTimer();
}

void CKBColorDlg::hideEvent(QHideEvent* e)
{
    QWidget::hideEvent(e);
    m_timer.stop();
}

void CKBColorDlg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (m_nDrawType == 1) {
        const ZRect rc = ::KeysBounds(m_layout);
        p.fillRect(QRect(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top), QColor::fromRgba(kDarkFill));
    }
    if (!m_imgKeys.isNull()) p.drawImage(rect(), m_imgKeys);

    if (m_nViewMode == kColours) {
        for (int i = 0; i < m_layout.nUsed; ++i) {
            const LightSlot& s = m_layout.keys[size_t(i)];
            if (s.clr == 0) continue;
            const int nAlpha = std::clamp(s.nLevel, 0, 255);  // an effect may take a key below dark
            if (nAlpha == 0) continue;
            if (!m_bFrameKey) {
                p.fillPath(KeyPath(i), ToColor(s.clr, nAlpha));
                continue;
            }
            // Inset by a pixel inside a one-pixel light frame on the key's own edge pixels.
            QColor frame = QColor::fromRgba(kFrame);
            frame.setAlpha(nAlpha);
            p.setPen(QPen(frame, 1));
            p.setBrush(Qt::NoBrush);
            if (i == m_layout.nOutlineSlot && !m_layout.outline.empty()) {
                const QPainterPath path = KeyPath(i);
                QPainterPathStroker edge;
                edge.setWidth(2);
                p.fillPath(path.subtracted(edge.createStroke(path)), ToColor(s.clr, nAlpha));
                p.drawPath(path);
            } else {
                const QRect rc = KeyRect(i);
                p.fillRect(rc.adjusted(1, 1, -1, -1), ToColor(s.clr, nAlpha));
                p.drawRect(rc.adjusted(0, 0, -1, -1));
            }
        }
    } else if (m_nViewMode == kSelect) {
        for (int i = 0; i < m_layout.nUsed; ++i) {
            if (!m_marks[size_t(i)]) continue;
            const QPainterPath path = KeyPath(i);
            if (m_bMarkFill) {
                p.fillPath(path, ToColor(m_clrMark, kMarkLevel));
            } else {
                p.setPen(QPen(ToColor(m_clrMark), 1));
                p.setBrush(Qt::NoBrush);
                p.drawPath(path);
            }
        }
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(Qt::NoBrush);
        for (auto [n, clr] : {std::pair{m_nHover, m_clrHover}, std::pair{m_nSel, m_clrSel}}) {
            if (n < 0 || n >= m_layout.nUsed) continue;
            p.setPen(QPen(ToColor(clr), kOutlineWidth));
            p.drawPath(KeyPath(n));
        }
    }

    if (m_bBand && m_ptPress) {
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(QColor::fromRgba(kFrame), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(*m_ptPress, m_ptBand).normalized());
    }
}

void CKBColorDlg::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton) {
        m_ptPress = e->position().toPoint();
        m_ptBand = *m_ptPress;
        m_bBand = false;
    }
    QWidget::mousePressEvent(e);
}

void CKBColorDlg::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint pt = e->position().toPoint();
    if (m_nViewMode == kSelect) {
        int n = KeyAtPoint(pt);
        if (n == m_nKeyNotToSet) n = -1;
        if (n != m_nHover) {
            m_nHover = n;
            update();
        }
    }
    if (m_ptPress && (e->buttons() & Qt::LeftButton) && m_nViewMode == kColours && m_bPaint) {
        m_ptBand = pt;
        m_bBand = m_bBand || (pt - *m_ptPress).manhattanLength() > 2;
        update();
    }
    QWidget::mouseMoveEvent(e);
}

void CKBColorDlg::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || !m_ptPress) return QWidget::mouseReleaseEvent(e);
    const QPoint pt = e->position().toPoint();
    const QRect band = QRect(*m_ptPress, pt).normalized();
    const bool bBand = m_bBand && m_nViewMode == kColours && m_bPaint;
    m_ptPress.reset();
    m_bBand = false;
    update();
    // A band as wide as the whole view is taken for a slip, not a choice.
    if (bBand && band.width() < width()) {
        emit keysSelected(KeysInBand(m_layout, {band.left(), band.top(), band.right(), band.bottom()}));
        return;
    }
    const int n = KeyAtPoint(pt);
    if (m_nViewMode == kSelect && n >= 0 && n == m_nKeyNotToSet) {
        LogPrintf("m_nKeyNotToSet=%d, nCurSel=%d", m_nKeyNotToSet, n);
        return;
    }
    if (n < 0) return;
    if (n != m_nSel) {
        m_nSel = n;
        update();
    }
    emit keyClicked(n);
}

void CKBColorDlg::leaveEvent(QEvent* e)
{
    m_nHover = -1;
    m_ptPress.reset();
    m_bBand = false;
    update();
    QWidget::leaveEvent(e);
}
