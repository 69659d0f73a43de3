// CDev24G: the wireless mouse, reached on its USB cable or through its 2.4 GHz
// receiver. The mouse keeps one on-board profile per connection (1 on the
// cable, 2 through the receiver) and the program's mode of the mouse is the
// profile of the connection it is found on. Discovery reads that profile's
// general block (sensor, current level, lift-off level); an apply writes only
// that profile. Keys, macros, the key matrix and most commands are the mouse
// families' common ones (mouse/); the reports are built by the pure functions
// of this folder and of mouse/, and this class only moves them, in order, with
// the pauses the mouse needs.
//
// Threads: discovery, ClearHandle, SetMode, GetOnline and ReadPower run on the
// family's thread (the link and battery checks also on the apply worker);
// ApplySetting runs on the apply worker and reads only its snapshot.
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
#include "device/mouse/IOsPointerSettings.h"
#include "device/mouse/MouseKeys.h"
#include "keys/KeyInfo.h"
#include "keys/MacroRecord.h"
#include "device/w24g/W24Reports.h"

class CDev24G final : public CHidDev, public IBattery, public ILinkState, public IModeSwitch,
                      public mouse::CMouseKeys {
public:
    // pPointer may be null: pointer settings are then logged as not applied.
    CDev24G(IHidBackend& backend, IClock& clock, INoticeSink& notices, int nFwType,
            IOsPointerSettings* pPointer = nullptr);
    ~CDev24G() override;

    // 1 found, 0 not found (or not readable, or a sensor the description does
    // not know), -1 found but refused (no sensor code, or another sensor than
    // the configured one). Handles are open only after 1.
    int FindHIDDevice() override;
    void ClearHandle() override;
    // Battery: level, whether the cable is connected, voltage. 0 when the
    // mouse could not be asked or gave a link byte it does not know.
    bool ReadPower(int& nLevel, bool& bUsb, int& nVoltage) override;
    // Whether the mouse behind the receiver answers; false when it could not be asked.
    bool GetOnline(bool& bOnline) override;
    bool IsWireless() const override { return m_bWireless.load(); }
    bool SetMode(int nMode) override;
    IBattery* Battery() override { return this; }
    ILinkState* Link() override { return this; }
    IModeSwitch* ModeSwitch() override { return this; }
    void FillDefault(ProfileRecord& pro) override;
    int ApplySetting(ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg, uint32_t nFlags,
                     std::stop_token stop) override;
    std::optional<DeviceEvent> DecodeInput(uint32_t dwBytes) const override;


    // The lift-off level (0..14) of profile p (1..2); false when it could not be read.
    bool GetLOD(int p, int& nLevel);

    // Where discovery leaves its analysis of an unreadable mouse (analyz.txt):
    // the desktop folder, else the per-user folder. Empty: the per-user folder.
    void SetAnalysisDir(std::filesystem::path dir) { m_analysisDir = std::move(dir); }

private:
    class CApplyRun;

    // Transfers (each takes the command lock).
    bool SendCmd(const w24g::CmdReport& cmd);
    bool CmdAnswer(const w24g::CmdReport& cmd, w24g::CmdReport& ans);
    bool DataAnswer(const w24g::CmdReport& cmd, w24g::DataReport& ans);
    bool SendData(const w24g::DataReport& rec);
    bool GetProfile(int p, w24g::GeneralBlock& block);
    bool SetProfile(int p, const w24g::GeneralBlock& block);

    // Discovery steps.
    bool OpenInterfaces();
    void WriteAnalysis(const w24g::GeneralBlock& block) const;

    // The block of profile p last read plausibly; apply worker only, but
    // cleared when another mouse may be found.
    std::optional<w24g::GeneralBlock> LastGood(int p) const;
    void SetLastGood(int p, const w24g::GeneralBlock& block);

    const w24g::W24Kind m_kind;
    const bool m_bSingleMode;        // the mouse keeps one mode on both links (description)
    IOsPointerSettings* m_pPointer;
    std::atomic<bool> m_bWireless{false};
    std::filesystem::path m_analysisDir;

    mutable std::mutex m_mtxGood;
    std::array<std::optional<w24g::GeneralBlock>, w24g::kProfileMax> m_lastGood;  // guarded by m_mtxGood
};
