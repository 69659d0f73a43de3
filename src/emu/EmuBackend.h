// The emulator as the device code sees it: an HID backend whose interfaces
// belong to virtual devices. Tests build one with the devices they need; the
// command-line tool's --emulate and the demo build one from cfg.ini. All
// devices of a backend write to one journal.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "emu/EmuDevice.h"
#include "emu/EmuJournal.h"
#include "device/IHidBackend.h"

class CEmuBackend final : public IHidBackend {
public:
    CEmuBackend();

    // Adds a device (plugged or not, as it is); it writes to this backend's journal.
    void AddDevice(std::shared_ptr<CEmuDevice> dev);
    std::shared_ptr<CEmuDevice> Device(std::string_view strName) const;
    std::vector<std::shared_ptr<CEmuDevice>> Devices() const;

    // The interfaces of the plugged devices, in the order the devices were added.
    std::vector<HidDevInfo> Enumerate() override;
    // Null for an unknown path, an unplugged device or one that refuses opening.
    std::unique_ptr<IHidHandle> Open(const std::string& strPath) override;

    const std::shared_ptr<CEmuJournal>& Journal() const { return m_journal; }
    // The violations of all devices, each prefixed with the device's name.
    std::vector<std::string> Violations() const;

private:
    mutable std::mutex m_mtx;
    std::vector<std::shared_ptr<CEmuDevice>> m_devices;
    std::shared_ptr<CEmuJournal> m_journal;
};
