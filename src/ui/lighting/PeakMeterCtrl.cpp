#include "ui/lighting/PeakMeterCtrl.h"

#include <QPainter>
#include <algorithm>
#include <vector>

#include "ui/QtText.h"

CPeakMeterCtrl::CPeakMeterCtrl(int nBands, QWidget* pParent, const QRect& rc, const QImage& imgBar,
                               const QImage& imgBack)
    : QWidget(pParent), m_meter(nBands)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setGeometry(rc);
    SetImages(imgBar, imgBack);
}

void CPeakMeterCtrl::SetImages(const QImage& imgBar, const QImage& imgBack)
{
    m_imgBar = imgBar.isNull() ? QImage() : imgBar.scaled(size());
    m_imgBack = imgBack.isNull() ? QImage() : imgBack.scaled(size());
    update();
}

void CPeakMeterCtrl::SetBkColor(ZColor clr)
{
    m_clrBk = clr;
    update();
}

void CPeakMeterCtrl::SetColors(ZColor clrLow, ZColor clrMid, ZColor clrHigh)
{
    m_clr[0] = clrLow;
    m_clr[1] = clrMid;
    m_clr[2] = clrHigh;
    update();
}

void CPeakMeterCtrl::SetThresholds(int nMid, int nHigh)
{
    m_nMid = std::clamp(nMid, 0, CPeakMeter::kGridMax);
    m_nHigh = std::clamp(nHigh, m_nMid, CPeakMeter::kGridMax);
    update();
}

void CPeakMeterCtrl::SetBandLevels(const int* pLevels, int nCount)
{
    m_meter.SetBandLevels(pLevels, nCount);
    RequestRedraw();
}

void CPeakMeterCtrl::SetActive(bool bActive)
{
    m_meter.SetActive(bActive);
    RequestRedraw();
}

void CPeakMeterCtrl::RequestRedraw()
{
    // Queued to the window thread; dropped with the widget if it goes first.
    QMetaObject::invokeMethod(
        this, [this] { if (isVisible()) update(); }, Qt::QueuedConnection);
}

void CPeakMeterCtrl::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!m_imgBack.isNull()) p.drawImage(0, 0, m_imgBack);
    else p.fillRect(rect(), ToQColor(m_clrBk));
    if (!m_meter.IsActive()) return;

    const int nBands = m_meter.BandCount();
    std::vector<int> levels(static_cast<size_t>(nBands));
    m_meter.GetLevels(levels.data(), nBands);
    const int w = width(), h = height();
    auto yOf = [h](int nLevel) { return h - h * nLevel / CPeakMeter::kGridMax; };
    for (int b = 0; b < nBands; ++b) {
        const int nLevel = std::clamp(levels[size_t(b)], 0, CPeakMeter::kGridMax);  // gain may push past the grid
        if (nLevel == 0) continue;
        // Bars share the width; one pixel between neighbours.
        const int x0 = w * b / nBands, x1 = w * (b + 1) / nBands - (nBands > 1 ? 1 : 0);
        if (x1 <= x0) continue;
        const int yTop = yOf(nLevel);
        if (!m_imgBar.isNull()) {
            const QRect rc(x0, yTop, x1 - x0, h - yTop);
            p.drawImage(rc, m_imgBar, rc);
            continue;
        }
        const int bounds[4] = {0, m_nMid, m_nHigh, CPeakMeter::kGridMax};
        for (int z = 0; z < 3; ++z) {
            const int nFrom = bounds[z], nTo = std::min(bounds[z + 1], nLevel);
            if (nTo <= nFrom) continue;
            p.fillRect(QRect(QPoint(x0, yOf(nTo)), QPoint(x1 - 1, yOf(nFrom) - 1)), ToQColor(m_clr[z]));
        }
    }
}
