// CDevMirex: the wired mouse. It finds the mouse's three vendor interfaces,
// reads its mode, sensor and current DPI levels, starts the listener, and
// writes profiles: per mode the general block (read, changed, written back),
// the key matrices with the macro and bullet buffers their keys play, lift-off
// and debounce. Reports are built by the pure functions of this folder and of
// mouse/; this class only moves them, in order, with the pauses the mouse needs.
#pragma once

#include <cstdint>
#include <span>
#include <stop_token>

#include "device/HidDev.h"
#include "device/mirex/MirexReports.h"
#include "device/mouse/IOsPointerSettings.h"
#include "device/mouse/MouseKeys.h"
#include "keys/KeyInfo.h"
#include "keys/MacroRecord.h"

class CDevMirex final : public CHidDev, public IModeSwitch, public mouse::CMouseKeys {
public:
    // pPointer may be null: pointer settings are then logged as not applied.
    CDevMirex(IHidBackend& backend, IClock& clock, INoticeSink& notices, int nFwType,
              IOsPointerSettings* pPointer = nullptr);
    ~CDevMirex() override;

    // 1 found, 0 not found (or not readable), -1 found but refused (no sensor
    // code, or another sensor than the configured one). Handles are open only
    // after 1.
    int FindHIDDevice() override;
    void FillDefault(ProfileRecord& pro) override;
    int ApplySetting(ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg, uint32_t nFlags,
                     std::stop_token stop) override;
    std::optional<DeviceEvent> DecodeInput(uint32_t dwBytes) const override;
    IModeSwitch* ModeSwitch() override { return this; }
    bool SetMode(int nMode) override;


private:
    class CApplyRun;

    // Transfers (each takes the command lock).
    bool GetMode(int& nMode);
    bool GetProfile(int nMode, mirex::GeneralBlock& block);
    bool SendCmd(const mirex::CmdReport& cmd);
    bool SendData(const mirex::DataReport& rec);

    IOsPointerSettings* m_pPointer;
};
