// The virtual keyboard of firmware type 21: vendor interfaces with one feature
// report each (matrix: report 9, 505 bytes; led: 10, 42; color: 11, 380;
// macro: 12, 1921; music: 14, 380, optional) and a consumer-control interface
// the host leaves alone.
//
// On board it keeps the lighting state (the 41 bytes of the last lighting
// report), the key matrix (126 codes), the macro area (ten 192-byte buffers),
// the per-key colours by group byte (three planes of 126 bytes each), and the
// last music frame. It
// answers reads of the lighting state and of the matrix.
//
// Rules it checks (recorded as violations): report ids and lengths (by the
// common device), reads of reports it has none of, the lighting report's
// colour flag, group and unused bytes, macro buffers
// (action kinds, codes, nothing after the end), and key codes: their kind, and
// that a macro key plays a buffer that holds a macro.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "emu/kb/EmuKb.h"

struct GlobalVar;

struct EmuVaroConfig : EmuKbConfig {
    EmuVaroConfig() : EmuKbConfig{"kb21", 0x258A, 0x0B21, 0x0105, {}} {}
    int nColourLen = 380;            // the length the colour and music interfaces declare
    bool bMusic = true;
};

// The keyboard cfg.ini describes (its identifiers and key table).
EmuVaroConfig VaroConfigFor(const GlobalVar& gv);

class CEmuVaro final : public CEmuKb {
public:
    static constexpr size_t kLedLen = 41;
    static constexpr int kCodes = 126;
    static constexpr size_t kMacroLen = 192;
    static constexpr int kMacros = 10;
    static constexpr size_t kPlanes = 378;
    static constexpr size_t kFrameLen = 379;
    using Planes = std::array<uint8_t, kPlanes>;

    struct State {
        std::array<uint8_t, kLedLen> led{};
        std::array<uint8_t, 4 * kCodes> matrix{};
        std::array<uint8_t, kMacroLen * kMacros> macro{};
        std::map<int, Planes> colours;           // by group byte + 1 (1..256: the state file counts from 1)
        std::array<uint8_t, kFrameLen> frame{};  // last music frame
        int nFrames = 0;
    };

    CEmuVaro(const EmuVaroConfig& cfg, IClock& clock);

    State GetState() const;
    // The code at matrix position 0..125; 0 outside.
    uint32_t KeyCode(int nPos) const;
    // Red | green << 8 | blue << 16 of LED position nLed in group byte g (0..255); 0 when not stored.
    uint32_t KeyColour(int g, int nLed) const;
    // Puts a code on the keyboard, as the keyboard's own setting (for tests of reading back).
    void PresetCode(int nPos, uint32_t dwCode);

    static std::string DescribeCode(uint32_t dwCode);
    static std::vector<std::string> DescribeMacro(std::span<const uint8_t> buffer);

protected:
    void OnSetFeature(int nIface, std::span<const uint8_t> report) override;
    void OnGetFeature(int nIface, std::span<uint8_t> buf) override;
    std::string DescribeLocked() const override;
    std::string StateText() const override;
    bool RestoreStateText(std::string_view text, std::string& strErr) override;

private:
    void OnLed(std::span<const uint8_t> r);
    void OnColour(std::span<const uint8_t> r);
    void OnMacro(std::span<const uint8_t> r);
    void OnMatrix(std::span<const uint8_t> r);
    void OnMusic(std::span<const uint8_t> r);
    void FillFactory();
    uint32_t CodeLocked(int nPos) const;
    void BindState(class CEmuStateTable& t, State& s) const;

    const EmuVaroConfig m_cfg;
    int m_nMatrix = -1, m_nLed = -1, m_nColour = -1, m_nMacro = -1, m_nMusic = -1;
    State m_state;
};
