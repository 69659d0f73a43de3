// The virtual RGB keyboard (firmware type 22) and its single-colour variant
// (23): a command interface (feature report 5, 6 bytes), a data interface
// (feature report 6, 1032 bytes), a music interface (feature report 8, 382
// bytes) and a consumer-control interface the host leaves alone.
//
// On board it keeps page-addressed memory: 1024-byte pages by address (the
// configuration's 254 bytes at the start of its page), written by data
// reports [6, cmd, address, 0, size flag, 0, 0, 0, payload] and read back by a
// read command [5, cmd | 0x80, address, 0, 0, 0] followed by a read of report
// 6 at least 20 ms later. It also keeps the last music frame and its effect
// data.
//
// Rules it checks (recorded as violations): report ids and lengths, header
// bytes, the size flag of each object, commands at addresses that do not hold
// their object, a read with no read command before it, the 20 ms before an
// answer, the music header.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "emu/kb/EmuBlockKb.h"
#include "emu/kb/EmuKb.h"

struct GlobalVar;

struct EmuVaroRgbConfig : EmuKbConfig {
    EmuVaroRgbConfig() : EmuKbConfig{"kb22", 0x258A, 0x0C45, 0x0105, {}} {}
    int nFwType = 22;
    uint8_t byCfgInUse = 0;          // configuration the keyboard uses
    int nMaxFn = 48;                 // Fn entries, for the dump
    bool bMusic = true;
};

// The keyboard cfg.ini describes (its identifiers and key table).
EmuVaroRgbConfig VaroRgbConfigFor(const GlobalVar& gv);

class CEmuVaroRgb final : public CEmuBlockKb {
public:
    static constexpr size_t kPageLen = 1024;
    static constexpr size_t kCfgLen = 254;
    static constexpr size_t kFrameLen = 378;
    using Page = std::array<uint8_t, kPageLen>;

    struct State {
        std::map<int, Page> pages;               // by address
        std::array<uint8_t, kFrameLen> effect{}; // effect data the music interface answers
        std::array<uint8_t, kFrameLen> frame{};  // last music frame
        int nFrames = 0;                         // music frames received
    };

    CEmuVaroRgb(const EmuVaroRgbConfig& cfg, IClock& clock);

    State GetState() const;
    // The configuration (254 bytes) and any page (zeros when never written).
    std::vector<uint8_t> Cfg() const;
    Page PageAt(uint8_t byAddr) const;
    // The code at position i (0..255) of the key block of the configuration in use.
    uint32_t KeyCode(int i) const;

    // ---- device variants and faults ---------------------------------------------

    // The keyboard switched to its wireless mode (configuration byte 16).
    void SetWireless(bool b);
    // The configuration the keyboard uses (configuration byte 0).
    void SetCfgInUse(uint8_t by);

    // The readable form of a code the keyboard holds, shared with the dump.
    static std::string DescribeCode(uint32_t dwCode);

protected:
    bool CanRead(uint8_t byWriteCmd, uint8_t byAddr) const override;
    void OnData(std::span<const uint8_t> r) override;
    void AnswerBlock(uint8_t byAddr, std::span<uint8_t> buf) override;
    void OnOtherSet(int nIface, std::span<const uint8_t> report) override;
    bool AnswerOther(int nIface, std::span<uint8_t> buf) override;
    std::string DescribeLocked() const override;
    std::string StateText() const override;
    bool RestoreStateText(std::string_view text, std::string& strErr) override;

private:
    // The object an address holds for this keyboard, for the checks.
    enum class Obj { None, Cfg, Matrix, Rgb, Led, Macro };
    Obj ObjectAt(uint8_t byAddr) const;
    static uint8_t WriteCmdOf(Obj o);
    void OnMusic(std::span<const uint8_t> r);
    void FillFactory();
    uint8_t MatrixAddrLocked() const;
    void BindState(class CEmuStateTable& t, State& s) const;

    const EmuVaroRgbConfig m_cfg;
    const uint8_t m_byCfgAddr;
    int m_nMusic = -1;
    State m_state;
};
