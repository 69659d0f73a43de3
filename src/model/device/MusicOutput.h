// The music effect thread's way to a keyboard of the device hub: frames go to
// the family's music interface (through its command lock), wait while the
// family's apply worker runs a job, and the restore shows the lighting of the
// profile last handed in.
#pragma once

#include <memory>
#include <mutex>

#include "core/ProfileRecord.h"
#include "device/kb/KbDescSnap.h"
#include "lighting/MusicRunner.h"

class CDeviceHub;
class IMusicDevice;

class CHubMusicOutput final : public IMusicOutput {
public:
    // The keyboard description is taken from gVar and g_defKEY now.
    CHubMusicOutput(CDeviceHub& hub, size_t nFamily);
    // The lighting the restore shows (the current profile's keyboard settings).
    void SetLighting(const KbSettings& kb);

    bool Present() override;
    bool Paused() override;
    bool SendFrame(std::span<const uint8_t> frame) override;
    bool Restore() override;

private:
    IMusicDevice* Device() const;

    CDeviceHub& m_hub;
    const size_t m_nFamily;
    const kb::KbDescSnap m_desc;
    std::mutex m_mtx;  // guards m_kb
    std::unique_ptr<KbSettings> m_kb;
};
