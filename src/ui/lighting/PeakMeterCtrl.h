// The peak meter of the music page: one bar per band, filled from the bottom
// to its smoothed level. The capture thread feeds it (SetBandLevels); it only
// asks the window thread to redraw, and draws from the levels it keeps.
#pragma once

#include <QImage>
#include <QWidget>

#include "core/Types.h"
#include "lighting/AudioClient.h"
#include "lighting/PeakMeter.h"

class CPeakMeterCtrl final : public QWidget, public IBandSink {
    Q_OBJECT
public:
    // A meter at rc in pParent; the bar image is drawn where a bar is lit, the
    // background image (or colour) everywhere else. Either image may be null.
    CPeakMeterCtrl(int nBands, QWidget* pParent, const QRect& rc, const QImage& imgBar = QImage(),
                   const QImage& imgBack = QImage());
    // New images for the meter's size (after a skin change).
    void SetImages(const QImage& imgBar, const QImage& imgBack);
    void SetBkColor(ZColor clr);
    // Colours of the lit part below nMid, from nMid, and from nHigh (grid 0..100),
    // used where there is no bar image.
    void SetColors(ZColor clrLow, ZColor clrMid, ZColor clrHigh);
    void SetThresholds(int nMid, int nHigh);
    void SetGain(float fGain) { m_meter.SetGain(fGain); }
    void SetAverage(int nAverage) { m_meter.SetAverage(nAverage); }

    // The levels, for the effect thread.
    const CPeakMeter& Meter() const { return m_meter; }

    // IBandSink: from any thread.
    void SetBandLevels(const int* pLevels, int nCount) override;
    void SetActive(bool bActive) override;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    void RequestRedraw();

    CPeakMeter m_meter;
    QImage m_imgBar, m_imgBack;
    ZColor m_clrBk = 0x141414;
    ZColor m_clr[3] = {0x00FF00, 0x00FFFF, 0x0000FF};  // green, yellow, red
    int m_nMid = 60, m_nHigh = 80;
};
