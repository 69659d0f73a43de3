#include "emu/EmuBackend.h"

#include "emu/EmuHandle.h"

struct CEmuBackend::Relay {
    std::mutex mtx;
    PlugListener fn;

    void Tell(CEmuDevice& dev, bool bArrived)
    {
        PlugListener copy;
        {
            std::lock_guard lock(mtx);
            copy = fn;
        }
        if (copy) copy(dev.Interfaces(), bArrived);
    }
};

CEmuBackend::CEmuBackend() : m_relay(std::make_shared<Relay>()), m_journal(std::make_shared<CEmuJournal>()) {}

CEmuBackend::~CEmuBackend()
{
    for (const auto& d : Devices()) d->SetPlugHook(nullptr);
}

void CEmuBackend::SetPlugListener(PlugListener fn)
{
    std::lock_guard lock(m_relay->mtx);
    m_relay->fn = std::move(fn);
}

void CEmuBackend::AddDevice(std::shared_ptr<CEmuDevice> dev)
{
    if (!dev) return;
    dev->SetJournal(m_journal);
    dev->SetPlugHook([relay = std::weak_ptr<Relay>(m_relay)](CEmuDevice& d, bool bArrived) {
        if (const auto r = relay.lock()) r->Tell(d, bArrived);
    });
    {
        std::lock_guard lock(m_mtx);
        m_devices.push_back(dev);
    }
    if (dev->IsPlugged()) m_relay->Tell(*dev, true);
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
