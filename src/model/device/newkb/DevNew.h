// CDevNew: the keyboard of firmware type 24, and CDrvNew, its transport.
// Several identical keyboards may be attached at once: the family's first
// device object makes one sibling per further keyboard slot, and all of them
// share the slot table that the pairing probe fills (NewKbSlots.h). Each
// object drives the keyboard of its own slot, with its own interfaces, busy
// mark and apply worker.
//
// The bytes come from the pure functions of NewKbReports.h and kb/; this
// class moves them in order with the pauses the keyboard needs.
//
// Real-time data (the music page) never goes out while an apply runs: the
// apply marks the keyboard busy under the transport's command lock, and a
// real-time transfer checks the mark under the same lock and is refused.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <stop_token>
#include <string>

#include "device/HidDev.h"
#include "device/HidDrv.h"
#include "device/IMusicDevice.h"
#include "device/kb/KbDescSnap.h"
#include "device/kb/KbHidDev.h"
#include "device/newkb/NewKbProtocol.h"
#include "device/newkb/NewKbSlots.h"

namespace newkb {

// The chunked transfers of one keyboard, on its command interface.
class CDrvNew final : public CHidDrv {
public:
    explicit CDrvNew(IClock& clock) : CHidDrv(clock) {}

    // Writes data as numbered chunks of command byCmd (index byIndex),
    // waiting delay before each chunk; each report is tried 3 times 100 ms
    // apart. False after a chunk failed ("AccessData err=%d" in the log).
    bool AccessWrite(uint8_t byCmd, uint8_t byIndex, std::span<const uint8_t> data, IClock::Duration delay);
    // Reads data of object byCmd (a read command) in chunks: per chunk delay,
    // the command with the chunk's header, delay, the answer. False when a
    // chunk could not be sent or read; data is then cleared.
    bool AccessRead(uint8_t byCmd, uint8_t byIndex, std::span<uint8_t> data, IClock::Duration delay);
    // A one-chunk read (key matrix, lighting block, group colours): the
    // command, 20 ms, the answer's payload into out (at most 512 bytes). False
    // when it could not be sent or read; out is then cleared.
    bool ReadOne(uint8_t byCmd, uint8_t byIndex, std::span<uint8_t> out);

private:
    bool SendChunk(std::span<const uint8_t> report);
};

class CDevNew final : public CKbHidDev, public IMusicDevice {
public:
    // nUnit: the slot this object drives; the first object (unit 0) makes the table.
    CDevNew(IHidBackend& backend, IClock& clock, INoticeSink& notices, int nUnit = 0,
            std::shared_ptr<CNewKbSlots> slots = nullptr);
    ~CDevNew() override;

    // Pairs the keyboards not paired yet and takes this unit's slot: 1 when
    // the slot holds a keyboard whose interfaces answer, else 0.
    int FindHIDDevice() override;
    // Closes the interfaces and frees the slot, so the keyboard is paired again when it comes back.
    void ClearHandle() override;
    int ApplySetting(ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg, uint32_t nFlags,
                     std::stop_token stop) override;
    // One object per further keyboard slot (units 1..4).
    std::vector<std::unique_ptr<CHidDev>> MakeSiblings() override;
    std::string Where() const override;

    int Unit() const { return m_nUnit; }
    CDrvNew& Transport() const { return m_drv; }

    // ---- reads ---------------------------------------------------------------------------

    // Key matrix (504 bytes), lighting block (128), group i's key colours (378);
    // false when the keyboard could not be asked or did not answer.
    bool GetMatrix(std::span<uint8_t, kMatrixLen> out);
    bool GetLED(std::span<uint8_t, kLedLen> out);
    bool GetGame(int i, std::span<uint8_t, kGameLen> out);

    // ---- music page -----------------------------------------------------------------------

    // Real-time data out, in chunks 7 ms apart; refused (false) while an apply runs.
    bool SetRealData(std::span<const uint8_t> data);
    // Real-time data in; refused (false) while an apply runs or when the
    // keyboard could not be read (out is then cleared).
    bool GetRealData(std::span<uint8_t> out);
    // Shows the profile's lighting again after music lighting: the lighting
    // block of s is written. Refused while an apply runs.
    bool RestoreLighting(const kb::KbDescSnap& d, const KbSettings& s);

    // IMusicDevice: a frame is real-time data; the restore above.
    bool MusicReady() const override { return IsConnected(); }
    bool SendMusicFrame(std::span<const uint8_t> frame) override { return SetRealData(frame); }
    bool RestoreAfterMusic(const kb::KbDescSnap& d, const KbSettings& s) override { return RestoreLighting(d, s); }

private:
    class CApplyRun;
    friend class CApplyRun;


    CDrvNew& m_drv;
    const int m_nUnit;
    std::shared_ptr<CNewKbSlots> m_slots;
    std::string m_strCmdPath, m_strNotifyPath;   // guarded by the slot table's lock
};

}  // namespace newkb
