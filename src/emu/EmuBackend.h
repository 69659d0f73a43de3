// The emulator as the device code sees it: an HID backend whose interfaces
// belong to virtual devices. Tests build one with the devices they need; the
// command-line tool's --emulate and the demo build one from cfg.ini. All
// devices of a backend write to one journal.
#pragma once

#include <functional>
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
    // A device came (bArrived) or went, with its interfaces as Enumerate lists
    // them. Called outside the emulator's locks, on the thread that plugged or
    // pulled the device, so it may enumerate, open or plug at once.
    using PlugListener = std::function<void(const std::vector<HidDevInfo>& interfaces, bool bArrived)>;

    CEmuBackend();
    ~CEmuBackend() override;

    // One listener; an empty one stops the calls. A device added plugged
    // after this counts as one that arrived.
    void SetPlugListener(PlugListener fn);

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
    struct Relay;

    std::shared_ptr<Relay> m_relay;    // the devices keep it weakly: they may outlive the backend
    mutable std::mutex m_mtx;
    std::vector<std::shared_ptr<CEmuDevice>> m_devices;
    std::shared_ptr<CEmuJournal> m_journal;
};
