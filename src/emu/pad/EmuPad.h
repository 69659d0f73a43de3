// The virtual mouse pad: one vendor interface ("general": feature report
// 0x30, 27 bytes) and the firmware behind it. The pad keeps one 26-byte block
// of general data: two bytes of its own (the host must give them back as it
// read them), then its lighting: the effect number, speed and brightness, a
// direction or colour-count byte, and up to seven colours. A read answers the
// block; a write replaces the lighting.
//
// Rules it checks (recorded as violations): the report id and length, the
// pad's own two bytes changed, an effect number the pad does not have, a
// brightness code outside 1..4, an extra byte that does not fit the effect,
// colour bytes after the counted colours that are not zero. A write that
// breaks a lighting rule is not taken.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "emu/EmuDevice.h"

class CEmuStateTable;

struct EmuPadConfig {
    std::string strName = "pad";
    int nVID = 0x258A;
    int nPID = 0x0D21;
    int nVersion = 0x0102;
    int nUsagePage = 0xFF00;                      // where the pad declares its interface
    std::array<uint8_t, 2> header = {0xA1, 0x02};  // the pad's own first two bytes
};

class CEmuPad final : public CEmuDevice {
public:
    static constexpr size_t kBlockLen = 26;
    using Block = std::array<uint8_t, kBlockLen>;

    struct State {
        Block block{};
    };

    CEmuPad(const EmuPadConfig& cfg, IClock& clock);

    State GetState() const;
    // Writes taken since the pad was made (a refused write is not counted).
    int Writes() const;

    std::string DescribeState() const override;

protected:
    // The block's one report: read, or written (the lighting taken when it keeps the rules).
    void OnGetFeature(int nIface, std::span<uint8_t> buf) override;
    void OnSetFeature(int nIface, std::span<const uint8_t> report) override;
    // The saved state: the block, its first two bytes always the pad's own.
    std::string StateText() const override;
    bool RestoreStateText(std::string_view text, std::string& strErr) override;

private:
    // The lighting rules a written block breaks, first one only; empty when it keeps them.
    static std::string LightingRule(const Block& b);
    void BindState(CEmuStateTable& t, State& s) const;

    const EmuPadConfig m_cfg;
    int m_nGeneral = -1;
    State m_state;
    int m_nWrites = 0;
};

// The pad for a description's identifiers, for the demo and the command-line tool.
EmuPadConfig PadConfigFor(int nVID, int nPID);
