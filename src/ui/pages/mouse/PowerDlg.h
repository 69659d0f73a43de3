// The battery page of the wireless mouse: the level the mouse reported and,
// while it charges without reporting a level, the charging animation.
#pragma once

#include <QTimer>
#include <QWidget>

#include "device/mouse/PerformanceEdit.h"

class CPowerDlg : public QWidget {
    Q_OBJECT
public:
    CPowerDlg(bool bPowerFw, QWidget* pParent);

    // State 0 on battery, 1 charging, 2 the charging ended.
    void SetPowerStatus(int nState, int nLevel);
    int Shown() const { return m_state.Shown(); }
    bool Animating() const { return m_timer.isActive(); }
    void Reskin();

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    mouse::CBatteryState m_state;
    QTimer m_timer;
    int m_nFrame = 0;
};
