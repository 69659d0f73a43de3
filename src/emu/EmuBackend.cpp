#include "emu/EmuBackend.h"

#include "emu/EmuHandle.h"

CEmuBackend::CEmuBackend() : m_journal(std::make_shared<CEmuJournal>()) {}

void CEmuBackend::AddDevice(std::shared_ptr<CEmuDevice> dev)
{
    if (!dev) return;
    dev->SetJournal(m_journal);
    std::lock_guard lock(m_mtx);
    m_devices.push_back(std::move(dev));
}

std::shared_ptr<CEmuDevice> CEmuBackend::Device(std::string_view strName) const
{
    std::lock_guard lock(m_mtx);
    for (const auto& d : m_devices)
        if (d->Name() == strName) return d;
    return nullptr;
}

std::vector<std::shared_ptr<CEmuDevice>> CEmuBackend::Devices() const
{
    std::lock_guard lock(m_mtx);
    return m_devices;
}

std::vector<HidDevInfo> CEmuBackend::Enumerate()
{
    std::vector<HidDevInfo> out;
    for (const auto& d : Devices()) {
        if (!d->IsPlugged()) continue;
        for (HidDevInfo& info : d->Interfaces()) out.push_back(std::move(info));
    }
    return out;
}

std::unique_ptr<IHidHandle> CEmuBackend::Open(const std::string& strPath)
{
    for (const auto& d : Devices()) {
        const int nIface = d->FindInterface(strPath);
        if (nIface < 0) continue;
        uint64_t nGen = 0;
        if (!d->CanOpen(nGen)) return nullptr;
        return std::make_unique<CEmuHandle>(d, nIface, nGen);
    }
    return nullptr;
}

std::vector<std::string> CEmuBackend::Violations() const
{
    std::vector<std::string> out;
    for (const auto& d : Devices())
        for (const std::string& v : d->Violations()) out.push_back(d->Name() + ": " + v);
    return out;
}
