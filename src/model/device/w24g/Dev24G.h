// CDev24G: the wireless mouse, reached on its USB cable or through its 2.4 GHz
// receiver. The mouse keeps one on-board profile per connection (1 on the
// cable, 2 through the receiver) and the program's mode of the mouse is the
// profile of the connection it is found on. Discovery reads that profile's
// general block (sensor, current level, lift-off level); an apply writes only
// that profile. Keys, macros, the key matrix and most commands are the wired
// family's; the reports are built by the pure functions of this folder and of
// mirex/, and this class only moves them, in order, with the pauses the mouse
// needs.
//
// Threads: discovery, ClearHandle, SetMode, GetOnline and ReadPower run on the
// user-interface thread (the link and battery checks also on the apply
// worker); ApplySetting runs on the apply worker and reads only its snapshot,
// the description options (fixed after start-up) and the key layout copied
// here on the user-interface thread.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <span>
#include <stop_token>

#include "device/HidDev.h"
#include "device/mirex/DevMirex.h"
#include "device/mirex/IOsPointerSettings.h"
#include "device/w24g/W24Reports.h"

class CDev24G final : public CHidDev {
public:
    // pPointer may be null: pointer settings are then logged as not applied.
    CDev24G(IHidBackend& backend, IClock& clock, IPrompt& prompt, int nFwType,
            IOsPointerSettings* pPointer = nullptr);
    ~CDev24G() override;

    // 1 found, 0 not found (or not readable, or a sensor the description does
    // not know), -1 found but refused (no sensor code, or another sensor than
    // the configured one). Handles are open only after 1.
    int FindHIDDevice() override;
    void ClearHandle() override;
    // Battery: level, whether the cable is connected, voltage. 0 when the
    // mouse could not be asked or gave a link byte it does not know.
    int ReadPower(int& nLevel, bool& bUsb, int& nVoltage) override;
    // Whether the mouse behind the receiver answers; 0 when it could not be asked.
    int GetOnline(bool& bOnline) override;
    bool IsWireless() override { return m_bWireless.load(); }
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

    // The lift-off level (0..14) of profile p (1..2); false when it could not be read.
    bool GetLOD(int p, int& nLevel);

    // The window that receives the mouse's input reports once it is found.
    void SetMainWindow(IMsgTarget* pWnd) { m_hWnd = pWnd; }
    // Where discovery leaves its analysis of an unreadable mouse (analyz.txt):
    // the desktop folder, else the per-user folder. Empty: the per-user folder.
    void SetAnalysisDir(std::filesystem::path dir) { m_analysisDir = std::move(dir); }
    // The last FindHIDDevice saw the mouse but could not open it (permissions).
    bool FoundButDenied() const { return m_bDenied; }

private:
    class CApplyRun;

    // Transfers (each takes the command lock).
    bool SendCmd(const w24g::CmdReport& cmd);
    bool CmdAnswer(const w24g::CmdReport& cmd, w24g::CmdReport& ans);
    bool DataAnswer(const w24g::CmdReport& cmd, w24g::DataReport& ans);
    bool SendData(const w24g::DataReport& rec);
    bool GetProfile(int p, w24g::GeneralBlock& block);
    bool SetProfile(int p, const w24g::GeneralBlock& block);
    void LogCmd(std::span<const uint8_t> cmd) const;

    // Discovery steps.
    bool OpenInterfaces();
    void WriteAnalysis(const w24g::GeneralBlock& block) const;
    int CheckSensor(const w24g::GeneralBlock& block);

    // The block of profile p last read plausibly; apply worker only, but
    // cleared when another mouse may be found.
    std::optional<w24g::GeneralBlock> LastGood(int p) const;
    void SetLastGood(int p, const w24g::GeneralBlock& block);

    // Matrix positions of the key slots, from the mouse key layout. Copied on
    // the user-interface thread (discovery, defaults) for the apply worker.
    void CopyKeyLayout();

    const w24g::W24Kind m_kind;
    IOsPointerSettings* m_pPointer;
    // The wired family's object, never connected: the profile defaults and
    // the key tables of both families are the same, and are its.
    CDevMirex m_wired;
    std::atomic<bool> m_bWireless{false};
    bool m_bDenied = false;
    std::filesystem::path m_analysisDir;

    mutable std::mutex m_mtxGood;
    std::array<std::optional<w24g::GeneralBlock>, w24g::kProfileMax> m_lastGood;  // guarded by m_mtxGood

    mutable std::mutex m_mtxLayout;
    int m_nMatrixPos[kMsModeNum][kMsKeyNum] = {};  // guarded by m_mtxLayout
};
