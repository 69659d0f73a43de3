// CDevVaro: the keyboard of firmware type 21. It finds the keyboard's vendor
// interfaces by report length and id (matrix, lighting, colours, macros and
// the optional music interface), writes profiles to them (CDevVaro::
// ApplySetting, in VaroApply.cpp), reads the lighting state and the current
// key matrix, and sends music frames. The bytes are built by the pure
// functions of VaroReports and VaroCodes; this class moves them in order with
// the pauses the keyboard needs.
//
// A music frame never goes out while an apply runs (CKbHidDev's busy mark):
// a frame that meets an apply is dropped.
#pragma once

#include <cstdint>
#include <span>
#include <stop_token>

#include "device/IMusicDevice.h"
#include "device/kb/KbDescSnap.h"
#include "device/kb/KbHidDev.h"
#include "device/varo/VaroReports.h"

class CDevVaro final : public CKbHidDev, public IMusicDevice {
public:
    CDevVaro(IHidBackend& backend, IClock& clock, INoticeSink& notices);
    ~CDevVaro() override;

    // 1 when the matrix, lighting, colour and macro interfaces are open; 0
    // otherwise (FoundButDenied() when they are there but may not be opened).
    int FindHIDDevice() override;
    int ApplySetting(ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg, uint32_t nFlags,
                     std::stop_token stop) override;

    // Closes the keyboard's interfaces.
    void ClearHandle() override;
    // Whether the keyboard's matrix interface is listed (nothing is opened).
    bool IsPresent() const;

    // ---- reads ------------------------------------------------------------------------

    // The lighting state the keyboard answers (41 bytes after the id); false
    // when it does not answer (the keyboard is gone or stalled).
    bool ReadLedState(varo::LedReport& out);
    // The keyboard's current key codes by matrix position.
    bool ReadMatrix(varo::MatrixCodes& out);

    // ---- music lighting (the music page) ---------------------------------------------

    bool HasMusic() const { return Drv().IsOpen(varo::kRoleMusic); }
    // One frame of at most 379 bytes. While an apply runs the frame is dropped
    // and true returned; false without a music interface, for a longer frame,
    // or when it could not be sent.
    bool SendMusicData(std::span<const uint8_t> frame);
    // Shows the profile's lighting mode again after music lighting (the
    // lighting report once more); false while an apply runs or when it failed.
    bool RestoreLighting(const KbSettings& kbs, const kb::KbDescSnap& d);

    // IMusicDevice: the frames and the restore above.
    bool MusicReady() const override { return HasMusic(); }
    bool SendMusicFrame(std::span<const uint8_t> frame) override { return SendMusicData(frame); }
    bool RestoreAfterMusic(const kb::KbDescSnap& d, const KbSettings& s) override { return RestoreLighting(s, d); }

private:
    class CApplyRun;
    friend class CApplyRun;


};

