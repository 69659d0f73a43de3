#include "device/MusicOutput.h"

#include "core/Gvar.h"
#include "device/DeviceHub.h"
#include "device/IMusicDevice.h"

CHubMusicOutput::CHubMusicOutput(CDeviceHub& hub, size_t nFamily)
    : m_hub(hub), m_nFamily(nFamily), m_desc(kb::MakeKbDescSnap(gVar, g_defKEY))
{
}

void CHubMusicOutput::SetLighting(const KbSettings& kb)
{
    std::lock_guard lock(m_mtx);
    m_kb = std::make_unique<KbSettings>(kb);
}

IMusicDevice* CHubMusicOutput::Device() const
{
    if (m_nFamily >= m_hub.Count()) return nullptr;
    return dynamic_cast<IMusicDevice*>(&m_hub.Device(m_nFamily));
}

bool CHubMusicOutput::Present()
{
    IMusicDevice* p = Device();
    return p && m_hub.State(m_nFamily).bConnected && p->MusicReady();
}

bool CHubMusicOutput::Paused() { return m_hub.IsApplying(m_nFamily); }

bool CHubMusicOutput::SendFrame(std::span<const uint8_t> frame)
{
    IMusicDevice* p = Device();
    return p && p->SendMusicFrame(frame);
}

bool CHubMusicOutput::Restore()
{
    IMusicDevice* p = Device();
    std::unique_ptr<KbSettings> kb;
    {
        std::lock_guard lock(m_mtx);
        if (m_kb) kb = std::make_unique<KbSettings>(*m_kb);
    }
    return p && kb && p->RestoreAfterMusic(m_desc, *kb);
}
