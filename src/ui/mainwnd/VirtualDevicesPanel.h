// The small "Virtual devices" window of a demo: one row per virtual device
// with its state, a plug/unplug button and, for a mouse, its DPI and mode
// buttons. It stands beside the main window and goes with it.
#pragma once

#include <QWidget>
#include <vector>

class IVirtualDevices;
class QGridLayout;
class QLabel;
class QPushButton;

class CVirtualDevicesPanel : public QWidget {
    Q_OBJECT
public:
    CVirtualDevicesPanel(IVirtualDevices& devices, QWidget* pMain);
    // Shows the devices' state again (after a plug or an unplug).
    void Refresh();

private:
    struct Row {
        QLabel* pState = nullptr;
        QPushButton* pPlug = nullptr;
    };
    IVirtualDevices& m_devices;
    std::vector<Row> m_rows;
};
