// The virtual Selk keyboard (firmware type 20): a command interface (feature
// report 5, 6 bytes) and a data interface (feature report 6, 1032 bytes).
//
// On board it keeps page-addressed memory: 256-byte pages by address; an
// object at address a starts at page a, a 1024-byte block fills pages
// a..a+3, the configuration's 136 bytes sit at the start of page 0. Data
// reports [6, cmd, address, 0, size flag, 0, 0, 0, payload] write it; a read
// command [5, cmd | 0x80, address, 0, 0, 0] followed by a read of report 6 at
// least 20 ms later reads the configuration or the key block back.
//
// Its objects: configuration (0), colour table (0xA8), lighting blocks (from
// the description's first lighting address, four pages each), key block
// (0xC8), macros (0xCC, 0xD0, 0xD4, 0xD8). Rules it checks (recorded as
// violations): report ids and lengths, header bytes, the size flag of each
// object, a command at an address that does not hold its object, a write
// that reaches into another object (the write still lands, as on the real
// memory, so the damage shows), a read with no read command before it, the
// 20 ms before an answer.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "emu/kb/EmuBlockKb.h"
#include "emu/kb/EmuKb.h"

struct GlobalVar;

struct EmuSelkConfig : EmuKbConfig {
    EmuSelkConfig() : EmuKbConfig{"kb20", 0x258A, 0x0B23, 0x0102, {}} {}
    uint8_t byCfgInUse = 0;          // configuration the keyboard uses
    int nLedAddr = 0xAC;             // first lighting block
    int nLedBlocks = 3;              // lighting blocks, two colour groups each
    int nModeSelectAt = 4;           // the mode bytes within the lighting part
    int nModeEntriesAt = 18;         // the per-mode bytes within the lighting part
    int nModes = 13;                 // lighting modes, for the dump
};

// The keyboard cfg.ini describes (its identifiers, memory layout and key table).
EmuSelkConfig SelkConfigFor(const GlobalVar& gv);

class CEmuSelk final : public CEmuBlockKb {
public:
    static constexpr size_t kPageLen = 256;
    static constexpr size_t kCfgLen = 136;
    static constexpr size_t kBlockLen = 1024;
    using Page = std::array<uint8_t, kPageLen>;

    struct State {
        std::map<int, Page> pages;   // by page number 0..255; a page never written is zeros
    };

    CEmuSelk(const EmuSelkConfig& cfg, IClock& clock);

    State GetState() const;
    // nLen bytes of memory from the start of page nPage.
    std::vector<uint8_t> Memory(int nPage, size_t nLen) const;
    std::vector<uint8_t> Cfg() const { return Memory(0, kCfgLen); }
    // The value at position i (0..255) of the key block, read high byte first.
    uint32_t KeyValue(int i) const;

    // ---- device variants and faults ---------------------------------------------

    // The configuration the keyboard uses (configuration byte 0).
    void SetCfgInUse(uint8_t by);

protected:
    bool CanRead(uint8_t byWriteCmd, uint8_t byAddr) const override;
    void OnData(std::span<const uint8_t> r) override;
    void AnswerBlock(uint8_t byAddr, std::span<uint8_t> buf) override;
    std::string DescribeLocked() const override;
    std::string StateText() const override;
    bool RestoreStateText(std::string_view text, std::string& strErr) override;

private:
    struct Object {
        int nFirst;          // first page
        int nPages;
        uint8_t byCmd;       // write command; reads add 0x80
        bool bReadable;
        const char* pszName;
    };
    std::vector<Object> Objects() const;
    std::optional<Object> ObjectStartingAt(uint8_t byAddr) const;
    void WriteLocked(int nPage, std::span<const uint8_t> bytes);
    std::vector<uint8_t> ReadLocked(int nPage, size_t nLen) const;
    void FillFactory();

    const EmuSelkConfig m_cfg;
    State m_state;
};
