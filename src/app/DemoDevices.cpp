#include "app/DemoDevices.h"

#include "emu/EmuBackend.h"
#include "emu/mirex/EmuMirex.h"
#include "emu/w24g/EmuReceiver.h"

std::vector<IVirtualDevices::Device> CDemoDevices::List() const
{
    std::vector<Device> list;
    for (const std::shared_ptr<CEmuDevice>& dev : m_backend.Devices()) {
        Device d;
        d.strName = dev->Name();
        d.bPlugged = dev->IsPlugged();
        d.bDpiButton = dynamic_cast<CEmuMirex*>(dev.get()) || dynamic_cast<CEmuW24Link*>(dev.get());
        d.bModeButton = dynamic_cast<CEmuMirex*>(dev.get()) != nullptr;
        list.push_back(std::move(d));
    }
    return list;
}

bool CDemoDevices::SetPlugged(size_t i, bool bPlugged)
{
    const std::vector<std::shared_ptr<CEmuDevice>> devices = m_backend.Devices();
    if (i >= devices.size()) return false;
    if (bPlugged)
        devices[i]->Plug();
    else
        devices[i]->Unplug();
    return true;
}

bool CDemoDevices::PressDpiButton(size_t i)
{
    const std::vector<std::shared_ptr<CEmuDevice>> devices = m_backend.Devices();
    if (i >= devices.size() || !devices[i]->IsPlugged()) return false;
    if (auto* pMirex = dynamic_cast<CEmuMirex*>(devices[i].get())) {
        pMirex->PressDpiButton();
        return true;
    }
    if (auto* pLink = dynamic_cast<CEmuW24Link*>(devices[i].get())) return pLink->Mouse()->PressDpiButton();
    return false;
}

bool CDemoDevices::PressModeButton(size_t i)
{
    const std::vector<std::shared_ptr<CEmuDevice>> devices = m_backend.Devices();
    if (i >= devices.size() || !devices[i]->IsPlugged()) return false;
    if (auto* pMirex = dynamic_cast<CEmuMirex*>(devices[i].get())) {
        pMirex->PressModeButton();
        return true;
    }
    return false;
}
