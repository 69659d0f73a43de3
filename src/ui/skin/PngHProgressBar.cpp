#include "ui/skin/PngHProgressBar.h"

#include <QMouseEvent>
#include <QPainter>

#include "ui/skin/SkinImages.h"
#include "ui/skin/SliderScale.h"

namespace {
QImage CutToSize(const QImage& img, const QSize& sz)
{
    // Parts outside a smaller image stay transparent.
    return img.isNull() ? QImage() : skin::CutBackground(img, QRect(QPoint(0, 0), sz));
}
}  // namespace

CPngHProgressBar::CPngHProgressBar(QWidget* pParent, const QImage& imgBack, const QImage& imgFill, const QRect& rc)
    : QWidget(pParent)
{
    setFocusPolicy(Qt::NoFocus);
    setGeometry(rc);
    m_imgBack = CutToSize(imgBack, rc.size());
    m_imgFill = CutToSize(imgFill, rc.size());
}

void CPngHProgressBar::SetRange(int nMin, int nMax)
{
    m_nMin = nMin;
    m_nMax = nMax;
    update();
}

void CPngHProgressBar::SetPos(int nPos)
{
    m_nPos = nPos < m_nMin || nPos > m_nMax ? m_nMin : nPos;
    repaint();
}

void CPngHProgressBar::SetDraggable(bool b)
{
    m_bDraggable = b;
    if (!b) StopDrag();
}

int CPngHProgressBar::FillWidth() const { return slider::ProgressFill(m_nPos, m_nMin, m_nMax, width()); }

void CPngHProgressBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!m_imgBack.isNull()) p.drawImage(rect(), m_imgBack);
    const int nFill = FillWidth();
    if (!m_imgFill.isNull() && nFill > 0) {
        const qreal f = m_imgFill.devicePixelRatio();
        p.drawImage(QRectF(0, 0, nFill, height()), m_imgFill, QRectF(0, 0, nFill * f, height() * f));
    }
}

void CPngHProgressBar::mousePressEvent(QMouseEvent* e)
{
    if (!m_bDraggable || e->button() != Qt::LeftButton) {
        e->ignore();
        return;
    }
    m_bDragging = true;
}

void CPngHProgressBar::mouseMoveEvent(QMouseEvent* e)
{
    if (!m_bDragging) return;
    m_nPos = slider::ProgressValueAt(int(e->position().x()), m_nMin, m_nMax, width(), false);
    repaint();
}

void CPngHProgressBar::mouseReleaseEvent(QMouseEvent* e)
{
    if (!m_bDragging || e->button() != Qt::LeftButton) return;
    m_bDragging = false;
    m_nPos = slider::ProgressValueAt(int(e->position().x()), m_nMin, m_nMax, width(), true);
    repaint();
    emit dragEnded(m_nPos);
}

void CPngHProgressBar::StopDrag()
{
    if (!m_bDragging) return;
    m_bDragging = false;
    update();
}

void CPngHProgressBar::focusOutEvent(QFocusEvent* e)
{
    StopDrag();
    QWidget::focusOutEvent(e);
}

void CPngHProgressBar::hideEvent(QHideEvent* e)
{
    StopDrag();
    QWidget::hideEvent(e);
}
