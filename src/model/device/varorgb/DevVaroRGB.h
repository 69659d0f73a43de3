// CDevVaroRGB: the RGB keyboard (firmware type 22) and its single-colour
// variant (23, logged as CDevVaroSC). It finds the keyboard's command, data
// and (optional) music interfaces, writes profiles through the block
// transport (configuration, colour table, lighting blocks, macros, key
// block), and sends music frames. The bytes are built by the pure functions
// of this folder and of kb/; this class moves them in order with the pauses
// the keyboard needs.
//
// A music frame never goes out while an apply runs (CKbHidDev's busy mark):
// a frame that meets an apply is dropped.
#pragma once

#include <cstdint>
#include <span>
#include <stop_token>

#include "device/IMusicDevice.h"
#include "device/kb/KbBlockTransport.h"
#include "device/kb/KbDescSnap.h"
#include "device/kb/KbHidDev.h"
#include "device/varorgb/VaroRgbCfg.h"

class CDevVaroRGB final : public CKbHidDev, public IMusicDevice {
public:
    CDevVaroRGB(IHidBackend& backend, IClock& clock, INoticeSink& notices, int nFwType);
    ~CDevVaroRGB() override;

    // 1 found (command and data interfaces open), 0 not found or not openable.
    int FindHIDDevice() override;
    int ApplySetting(ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg, uint32_t nFlags,
                     std::stop_token stop) override;

    // ---- music lighting (the music page) ---------------------------------------------

    // The keyboard has a music interface (found at discovery).
    bool HasMusic() const { return Drv().IsOpen(HidRole::Aux1); }
    // One frame of at most 378 bytes. While an apply runs the frame is dropped
    // and true returned; false when it is too long or could not be sent.
    bool SendMusicData(std::span<const uint8_t> frame);
    // The keyboard's effect data (378 bytes into out, which must hold them);
    // false while an apply runs or when it could not be read.
    bool ReadEffectData(std::span<uint8_t> out);
    // Shows lighting mode nMode again after music lighting: the configuration
    // is read, the mode set in the configuration in use, and written back
    // (nothing is written when the read fails).
    bool RestoreLighting(const kb::KbDescSnap& d, int nMode);

    // IMusicDevice: the frames and the restore above, the mode from the profile.
    bool MusicReady() const override { return Drv().IsOpen(HidRole::Cmd) && HasMusic(); }
    bool SendMusicFrame(std::span<const uint8_t> frame) override { return SendMusicData(frame); }
    bool RestoreAfterMusic(const kb::KbDescSnap& d, const KbSettings& s) override;
    // "CDevVaroRGB" or "CDevVaroSC", for the log.
    const char* Who() const;

private:
    class CApplyRun;

    // Sleep time, second LED option and default group from the description;
    // group keys in the colours GaoshouKeyColor%d numbers.
    kb::KbLightingPolicy LightingPolicy() const override { return {.bDeviceExtras = true, .bKeyColourNumbers = true}; }
    friend class CApplyRun;

    bool ReadCfg(const kb::KbBlockMap& map, varorgb::CfgBlock& cfg);

    kb::CKbBlockTransport m_io;
};
