// The virtual keyboard of firmware type 24: a command interface (feature
// report 6, 520 bytes), an input interface (input report 9, 4 bytes) on
// which it answers the pairing probe, and its keyboard collection, which the
// host leaves alone. Several of them may be attached at once; each keeps its
// own on-board state and answers the probe only on its own input interface.
//
// Every transfer is [6, command, index, 0, chunk count, chunk number, length
// low, length high, payload]. Writes are reassembled per (command, index) from
// their numbered chunks and stored when the last one arrives; a read command
// (the write command | 0x80) is answered by the next read of report 6, at
// least 20 ms later, from what the keyboard holds.
//
// On board: the key matrix (126 codes), the lighting block (128 bytes), the
// macro area (table of contents and macros), the mode colour table, the key
// colours of each group, and a real-time buffer.
//
// Rules it checks (recorded as violations): report ids and lengths, header
// byte 3, chunks out of order or with a wrong count or length, objects of the
// wrong size, a macro area whose table of contents does not describe it, a
// read with no read command before it, the 20 ms before an answer, unknown
// commands.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "emu/kb/EmuKb.h"

struct GlobalVar;

struct EmuNewKbConfig : EmuKbConfig {
    EmuNewKbConfig() : EmuKbConfig{"kb24", 0x258A, 0x0E05, 0x0102, {}} {}
    int nModes = 24;                 // lighting modes, for the dump
    int nSelectAt = 4;               // the lighting block's mode bytes in its profile part, for the dump
    int nGroups = 0;                 // per-key colour groups, for the dump
};

// The keyboard cfg.ini describes, named "kb24" (the first) or "kb24-<n>".
EmuNewKbConfig NewKbConfigFor(const GlobalVar& gv, int nNumber);
// How many identical keyboards --emulate attaches: ZORVIK_EMU_KB24_COUNT (1..5), default 1.
int EmuNewKbCount();

class CEmuNewKb final : public CEmuKb {
public:
    static constexpr size_t kMatrixLen = 504;
    static constexpr size_t kLedLen = 128;
    static constexpr size_t kGameLen = 378;
    static constexpr size_t kRgbMax = 24 * 21;
    static constexpr size_t kMacroAreaMax = 256 * 4 + 4096;
    static constexpr size_t kRealMax = 1024;

    struct State {
        std::array<uint8_t, kMatrixLen> matrix{};
        std::array<uint8_t, kLedLen> led{};
        std::array<uint8_t, kRgbMax> rgb{};
        int nRgbLen = 0;
        std::array<uint8_t, kMacroAreaMax> macro{};
        int nMacroLen = 0;
        std::map<int, std::array<uint8_t, kGameLen>> game;   // by group + 1
        std::array<uint8_t, kRealMax> real{};                 // the real-time buffer
        int nRealWrites = 0;
    };

    CEmuNewKb(const EmuNewKbConfig& cfg, IClock& clock);

    State GetState() const;
    uint32_t KeyCode(int nPos) const;
    // Logical writes in order, "W <cmd>/<index> <length>", and reads, "R <cmd>/<index>".
    std::vector<std::string> Operations() const;
    void ClearOperations();
    // Probes are not answered (an input interface that stays silent).
    void SetProbeSilent(bool b);
    int ProbesAnswered() const;

    // The macros of a macro area, one line each ("name: press A, 10 ms; ...").
    static std::vector<std::string> DescribeMacros(std::span<const uint8_t> area);
    static std::string DescribeCode(uint32_t dwCode);

protected:
    void OnSetFeature(int nIface, std::span<const uint8_t> report) override;
    void OnGetFeature(int nIface, std::span<uint8_t> buf) override;
    std::string DescribeLocked() const override;
    std::string StateText() const override;
    bool RestoreStateText(std::string_view text, std::string& strErr) override;

private:
    struct Pending {
        uint8_t byCount = 0;
        uint8_t byNext = 0;
        std::vector<uint8_t> data;
    };
    struct ReadReq {
        uint8_t byCmd = 0, byIndex = 0, byCount = 0, byNumber = 0;
        uint16_t wLen = 0;
    };
    void OnChunk(std::span<const uint8_t> r);
    void Commit(uint8_t byCmd, uint8_t byIndex, const std::vector<uint8_t>& data);
    void CheckMacroArea(const std::vector<uint8_t>& data);
    std::vector<uint8_t> ObjectFor(uint8_t byCmd, uint8_t byIndex);
    void FillFactory();
    void BindState(class CEmuStateTable& t, State& s) const;

    const EmuNewKbConfig m_cfg;
    int m_nCmd = -1, m_nNotify = -1;
    State m_state;
    std::map<std::pair<uint8_t, uint8_t>, Pending> m_pending;
    bool m_bReadPending = false;
    ReadReq m_read;
    std::vector<std::string> m_ops;
    bool m_bProbeSilent = false;
    int m_nProbes = 0;
};
