#include "ui/mainwnd/VirtualDevicesPanel.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "ui/mainwnd/IVirtualDevices.h"

CVirtualDevicesPanel::CVirtualDevicesPanel(IVirtualDevices& devices, QWidget* pMain)
    : QWidget(pMain, Qt::Tool), m_devices(devices)
{
    setWindowTitle(QStringLiteral("Virtual devices"));
    auto* pGrid = new QGridLayout(this);
    auto* pNote = new QLabel(QStringLiteral("Demo: these devices are simulated."), this);
    pGrid->addWidget(pNote, 0, 0, 1, 5);
    const std::vector<IVirtualDevices::Device> list = devices.List();
    for (size_t i = 0; i < list.size(); ++i) {
        const int r = int(i) + 1;
        auto* pName = new QLabel(QString::fromStdString(list[i].strName), this);
        Row row;
        row.pState = new QLabel(this);
        row.pPlug = new QPushButton(this);
        row.pPlug->setObjectName(QStringLiteral("plug-%1").arg(i));
        connect(row.pPlug, &QPushButton::clicked, this, [this, i] {
            const std::vector<IVirtualDevices::Device> now = m_devices.List();
            if (i < now.size()) m_devices.SetPlugged(i, !now[i].bPlugged);
            Refresh();
        });
        pGrid->addWidget(pName, r, 0);
        pGrid->addWidget(row.pState, r, 1);
        pGrid->addWidget(row.pPlug, r, 2);
        if (list[i].bDpiButton) {
            auto* pDpi = new QPushButton(QStringLiteral("DPI button"), this);
            pDpi->setObjectName(QStringLiteral("dpi-%1").arg(i));
            connect(pDpi, &QPushButton::clicked, this, [this, i] { m_devices.PressDpiButton(i); });
            pGrid->addWidget(pDpi, r, 3);
        }
        if (list[i].bModeButton) {
            auto* pMode = new QPushButton(QStringLiteral("Mode button"), this);
            pMode->setObjectName(QStringLiteral("mode-%1").arg(i));
            connect(pMode, &QPushButton::clicked, this, [this, i] { m_devices.PressModeButton(i); });
            pGrid->addWidget(pMode, r, 4);
        }
        m_rows.push_back(row);
    }
    Refresh();
}

void CVirtualDevicesPanel::Refresh()
{
    const std::vector<IVirtualDevices::Device> list = m_devices.List();
    for (size_t i = 0; i < m_rows.size() && i < list.size(); ++i) {
        m_rows[i].pState->setText(list[i].bPlugged ? QStringLiteral("plugged in") : QStringLiteral("unplugged"));
        m_rows[i].pPlug->setText(list[i].bPlugged ? QStringLiteral("Unplug") : QStringLiteral("Plug in"));
    }
}
