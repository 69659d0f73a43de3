#include "ui/skin/MSliderBar.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <numeric>

#include "core/Gvar.h"
#include "ui/QtText.h"
#include "ui/skin/SkinContext.h"
#include "ui/skin/SliderScale.h"

CMSliderBar::CMSliderBar(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    // Every paint covers the whole bar (background piece or plain fill).
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_bFrameDebug = gVar.nFrameDebug != 0;
}

void CMSliderBar::SetBackground(const QImage& imgPage, const QRect& rcSource)
{
    m_imgBack = imgPage;
    m_rcBackSrc = rcSource;
    update();
}

void CMSliderBar::SetColors(ZColor clrTrack, ZColor clrFill)
{
    m_clrTrack = clrTrack;
    m_clrFill = clrFill;
    update();
}

void CMSliderBar::Create(const QRect& rc, int nId, const QImage& imgThumb)
{
    m_nId = nId;
    setGeometry(rc);
    if (m_rcTrack.isEmpty()) m_rcTrack = QRect(0, (rc.height() - 3) / 2, rc.width(), 3);
    m_imgThumb = imgThumb.isNull() ? QImage() : imgThumb.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    m_nThumbW = m_imgThumb.width();
    ComputePositions();
    show();
}

void CMSliderBar::ComputePositions()
{
    if (!slider::ComputeScale(m_rcTrack.width(), m_nThumbW, int(m_values.size()), m_pos))
        skin::Warn(QStringLiteral("Scale num too much"), QStringLiteral("Warning"), m_pPrompt);
    for (int& n : m_pos) n += m_rcTrack.left();
    if (m_nCur >= int(m_values.size())) m_nCur = 0;
    m_nThumbX = m_pos.empty() ? m_rcTrack.left() + m_nThumbW / 2 : m_pos[size_t(m_nCur)];
    update();
}

void CMSliderBar::SetRange(int nLow, int nHigh)
{
    const long long nCount = std::clamp<long long>((long long)nHigh - nLow + 1, 0, slider::kMaxScale);
    m_values.resize(size_t(nCount));
    std::iota(m_values.begin(), m_values.end(), nLow);
    ComputePositions();
}

bool CMSliderBar::SetValues(std::span<const int> values)
{
    if (values.size() > size_t(slider::kMaxScale)) return false;
    m_values.assign(values.begin(), values.end());
    ComputePositions();
    return true;
}

bool CMSliderBar::SelectValue(int nValue)
{
    auto it = std::find(m_values.begin(), m_values.end(), nValue);
    if (it == m_values.end()) return false;
    m_nCur = int(it - m_values.begin());
    m_nThumbX = m_pos[size_t(m_nCur)];
    update();
    return true;
}

int CMSliderBar::Value() const { return m_values.empty() ? 0 : m_values[size_t(m_nCur)]; }

void CMSliderBar::SetScale(float fScale)
{
    if (m_bScaled) return;
    m_bScaled = true;
    const QRect rc = geometry();
    setGeometry(int(float(rc.x()) * fScale), int(float(rc.y()) * fScale), int(float(rc.width()) * fScale),
                int(float(rc.height()) * fScale));
    m_rcTrack = QRect(int(float(m_rcTrack.x()) * fScale), int(float(m_rcTrack.y()) * fScale),
                      int(float(m_rcTrack.width()) * fScale), int(float(m_rcTrack.height()) * fScale));
    m_nThumbW = int(float(m_nThumbW) * fScale);
    m_fThumbScale = fScale;
    const int nValue = Value();
    ComputePositions();
    SelectValue(nValue);
}

int CMSliderBar::IndexAt(int x) const { return slider::NearestIndexSplit(m_pos, x); }

void CMSliderBar::StepTo(int nIndex)
{
    if (m_values.empty()) return;
    nIndex = std::clamp(nIndex, 0, int(m_values.size()) - 1);
    m_nThumbX = m_pos[size_t(nIndex)];
    update();
    if (nIndex == m_nCur) return;
    m_nCur = nIndex;
    emit released(m_values[size_t(nIndex)], m_nId);
}

void CMSliderBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!m_imgBack.isNull())
        p.drawImage(rect(), m_imgBack, m_rcBackSrc);
    else
        p.fillRect(rect(), ToQColor(m_clrBackFill));
    p.fillRect(m_rcTrack, ToQColor(m_clrTrack));
    if (m_clrFill != 0 && m_nThumbX > m_rcTrack.left())
        p.fillRect(QRect(m_rcTrack.left(), m_rcTrack.top(), m_nThumbX - m_rcTrack.left(), m_rcTrack.height()),
                   ToQColor(m_clrFill));
    if (!m_imgThumb.isNull()) {
        const QSize sz(int(float(m_imgThumb.width()) * m_fThumbScale), int(float(m_imgThumb.height()) * m_fThumbScale));
        p.drawImage(QRect(QPoint(m_nThumbX - sz.width() / 2, m_nThumbTop), sz), m_imgThumb);
    }
    if (m_bKeyFocus && hasFocus()) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    if (m_bFrameDebug) {
        p.setPen(ToQColor(0x0000FF));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        for (int x : m_pos) p.drawLine(x, 0, x, height() - 1);
    }
}

void CMSliderBar::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) return;
    if (m_values.empty()) {
        const QString strCaption = gVar.pszTitle ? QString::fromUtf16(gVar.pszTitle) : QString();
        skin::Warn(QStringLiteral("m_nItemNum<=0"), strCaption, m_pPrompt);
        return;
    }
    m_nPressX = m_nThumbX;
    m_bDragging = true;
    m_nLastIndex = -1;
    m_nGrab = m_pos[size_t(m_nCur)] - int(e->position().x());
}

void CMSliderBar::mouseMoveEvent(QMouseEvent* e)
{
    if (!m_bDragging) return;
    const int nMin = m_rcTrack.left() + m_nThumbW / 2;
    const int nMax = std::max(nMin, m_rcTrack.left() + m_rcTrack.width() - m_nThumbW + m_nThumbW / 2);
    m_nThumbX = std::clamp(int(e->position().x()) + m_nGrab, nMin, nMax);
    repaint();
    if (!m_bLiveNotify) return;
    const int nIndex = IndexAt(m_nThumbX);
    if (nIndex >= 0 && nIndex != m_nLastIndex) {
        m_nLastIndex = nIndex;
        emit moving(m_values[size_t(nIndex)], m_nId);
    }
}

void CMSliderBar::EndDrag(int nIndex)
{
    m_bDragging = false;
    StepTo(nIndex);
}

void CMSliderBar::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || !m_bDragging) return;
    // A plain click chooses the value under the pointer; a drag the one under the thumb.
    EndDrag(IndexAt(m_nThumbX == m_nPressX ? int(e->position().x()) : m_nThumbX));
}

void CMSliderBar::hideEvent(QHideEvent* e)
{
    if (m_bDragging) EndDrag(IndexAt(m_nThumbX));
    QWidget::hideEvent(e);
}

void CMSliderBar::keyPressEvent(QKeyEvent* e)
{
    if (m_bDragging || m_values.empty()) {
        QWidget::keyPressEvent(e);
        return;
    }
    const int nPage = std::max(1, int(m_values.size()) / 10);
    switch (e->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down: StepTo(m_nCur - 1); break;
    case Qt::Key_Right:
    case Qt::Key_Up: StepTo(m_nCur + 1); break;
    case Qt::Key_PageDown: StepTo(m_nCur - nPage); break;
    case Qt::Key_PageUp: StepTo(m_nCur + nPage); break;
    case Qt::Key_Home: StepTo(0); break;
    case Qt::Key_End: StepTo(int(m_values.size()) - 1); break;
    default: QWidget::keyPressEvent(e); return;
    }
    e->accept();
}

void CMSliderBar::wheelEvent(QWheelEvent* e)
{
    if (m_bDragging || m_values.empty()) return;
    m_nWheel += e->angleDelta().y();
    const int nSteps = m_nWheel / 120;
    m_nWheel %= 120;
    if (nSteps) StepTo(m_nCur + nSteps);
    e->accept();
}

void CMSliderBar::focusInEvent(QFocusEvent* e)
{
    m_bKeyFocus = e->reason() == Qt::TabFocusReason || e->reason() == Qt::BacktabFocusReason;
    update();
    QWidget::focusInEvent(e);
}

void CMSliderBar::focusOutEvent(QFocusEvent* e)
{
    m_bKeyFocus = false;
    update();
    QWidget::focusOutEvent(e);
}
