// CDevMirex: the wired mouse. It finds the mouse's three vendor interfaces,
// reads its mode, sensor and current DPI levels, starts the listener, and
// writes profiles: per mode the general block (read, changed, written back),
// the key matrices with the macro and bullet buffers their keys play, lift-off
// and debounce. Reports are built by the pure functions of this folder; this
// class only moves them, in order, with the pauses the mouse needs.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <span>
#include <stop_token>

#include "device/HidDev.h"
#include "device/mirex/IOsPointerSettings.h"
#include "device/mirex/MirexReports.h"

class CDevMirex final : public CHidDev {
public:
    // pPointer may be null: pointer settings are then logged as not applied.
    CDevMirex(IHidBackend& backend, IClock& clock, IPrompt& prompt, int nFwType,
              IOsPointerSettings* pPointer = nullptr);
    ~CDevMirex() override;

    // 1 found, 0 not found (or not readable), -1 found but refused (no sensor
    // code, or another sensor than the configured one). Handles are open only
    // after 1. User-interface thread.
    int FindHIDDevice() override;
    void ClearHandle() override;
    int SetMode(int nMode) override;
    int FamilyConst() override { return 10; }
    void FillDefault(ProfileRecord& pro) override;
    // The mouse's code for a key function; 0xFFFFFFFF for one it does not have.
    uint32_t keyinfo_to_hardware_code(const KeyInfo& key) override;
    int StMacro_To_HdMacro(const MacroRecord& macro, std::span<uint8_t> buf) override;
    int ApplySetting(ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg, uint32_t nFlags,
                     std::stop_token stop) override;
    void SetDefaultDpi(ProfileRecord& pro, const SensorCfg* pSensor, int nModeMask) override;
    void SetDefaultLed(ProfileRecord& pro, int nModeMask) override;
    void SetDefaultLod(ProfileRecord& pro, int nModeMask) override;
    void SetDefaultSys(ProfileRecord& pro, int nModeMask) override;
    KeyInfo* GetKeyTable(ProfileRecord& pro, int nMode, int nTable) override;

    // The window that receives the mouse's input reports once it is found.
    void SetMainWindow(IMsgTarget* pWnd) { m_hWnd = pWnd; }
    // The last FindHIDDevice saw the mouse but could not open it (permissions).
    bool FoundButDenied() const { return m_bDenied; }

private:
    class CApplyRun;

    // Transfers (each takes the command lock).
    bool GetMode(int& nMode);
    bool GetProfile(int nMode, mirex::GeneralBlock& block);
    bool SendCmd(const mirex::CmdReport& cmd);
    bool SendData(const mirex::DataReport& rec);
    void LogCmd(std::span<const uint8_t> cmd) const;

    // Matrix positions of the key slots, from the mouse key layout. Copied on
    // the user-interface thread (discovery, defaults) for the apply worker.
    void CopyKeyLayout();

    IOsPointerSettings* m_pPointer;
    bool m_bDenied = false;
    mutable std::mutex m_mtxLayout;
    int m_nMatrixPos[kMsModeNum][kMsKeyNum] = {};  // guarded by m_mtxLayout
};
