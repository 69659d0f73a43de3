// What a virtual mouse of this firmware keeps on board, written once for
// every such mouse: per slot (the wired mouse's modes, the wireless mouse's
// profiles) a general block and a key matrix of 20 four-byte codes; macro
// buffers by number; the last lift-off and debounce values the host set. A
// mouse differs only in its layout (slots, block length, where the block keeps
// its level codes, colours, effect and trailer); its own state derives from
// EmuMouseState and adds what only it has.
//
// The numbers here are the mouse's own, never the host's.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "emu/EmuStateTable.h"

inline constexpr size_t kEmuMatrixLen = 80;
inline constexpr int kEmuKeys = 20;
inline constexpr size_t kEmuMacroLen = 510;
inline constexpr int kEmuMacroBuffers = 20;
inline constexpr uint8_t kEmuBlockFirst = 0x64;  // byte 0 of every general block

// Where a mouse's general block keeps what the factory sets.
struct EmuMouseLayout {
    const char* pszSlot;           // "mode", "profile": what a slot is called
    size_t nCodeWidth;             // bytes per DPI level code (1 or 2), from byte 5
    size_t nColoursAt;             // 8 level colours of 3 bytes
    size_t nEffectAt;              // the lighting effect
    int nTrailerAt = -1;           // a fixed trailer byte, -1 none
    uint8_t byTrailer = 0;
};

// What a mouse leaves the factory with.
struct EmuMouseFactory {
    uint8_t bySensorCode = 0;
    uint8_t byRateCode = 0;
    std::vector<uint16_t> dpiCodes;                    // at most 8 used
    uint8_t byCurrentLevel = 1;                        // counted from 1
    std::vector<std::array<uint8_t, 3>> levelColours;  // as the block holds them
};

// The factory part of a mouse's configuration (its fields of these names).
template <typename Config>
EmuMouseFactory EmuFactoryOf(const Config& cfg)
{
    return {cfg.bySensorCode, cfg.byRateCode, {cfg.dpiCodes.begin(), cfg.dpiCodes.end()}, cfg.byCurrentLevel,
            cfg.levelColours};
}

template <int Slots, size_t BlockLen>
struct EmuMouseState {
    std::array<std::array<uint8_t, BlockLen>, Slots> block{};
    std::array<std::array<uint8_t, kEmuMatrixLen>, Slots> matrix{};
    std::map<int, std::array<uint8_t, kEmuMacroLen>> macros;  // by buffer number
    int nLiftOff = -1;                                         // last value set, -1 never
    int nDebounce = -1;
};

// ---- one block or matrix ------------------------------------------------------------

void FillFactoryBlock(std::span<uint8_t> block, const EmuMouseLayout& layout, const EmuMouseFactory& f);
// Off everywhere, then left, right, middle, back, forward and DPI cycle: what a new mouse does.
void FillFactoryKeys(std::span<uint8_t> matrix);
void PutKeyCode(std::span<uint8_t> matrix, int nPos, uint32_t dwCode);
// The code at position 1..20; 0 outside.
uint32_t KeyCodeAt(std::span<const uint8_t> matrix, int nPos);
// The DPI button: the next enabled level (byte 3); false when none is enabled.
bool NextDpiLevel(std::span<uint8_t> block);

// ---- records ---------------------------------------------------------------------------

// Where a data record carries its payload (after the 8-byte header).
inline constexpr size_t kEmuPayloadAt = 8;
// A macro record: [id, 30, 02, 00, 0, 0, 0, 0, buffer, 510 bytes]. The text of
// the broken rule (tag, buffer number), or empty with the buffer and its bytes.
std::string ReadMacroRecord(std::span<const uint8_t> r, int& nBuffer, std::span<const uint8_t>& bytes);

// ---- the whole memory ----------------------------------------------------------------

template <int S, size_t N>
void FillFactoryImage(EmuMouseState<S, N>& s, const EmuMouseLayout& layout, const EmuMouseFactory& f)
{
    for (auto& b : s.block) FillFactoryBlock(b, layout, f);
    for (auto& m : s.matrix) FillFactoryKeys(m);
}

// Byte 1 of every block: the sensor belongs to the mouse, whatever the host or a file says.
template <int S, size_t N>
void SetSensorCode(EmuMouseState<S, N>& s, uint8_t byCode)
{
    for (auto& b : s.block) b[1] = byCode;
}

template <size_t L, size_t S>
std::vector<std::span<uint8_t>> EmuSlots(std::array<std::array<uint8_t, L>, S>& a)
{
    std::vector<std::span<uint8_t>> out;
    for (auto& x : a) out.emplace_back(x);
    return out;
}

// The state file entries every mouse has: "liftoff" and "debounce" ...
template <int S, size_t N>
void AddMouseSettings(CEmuStateTable& t, EmuMouseState<S, N>& s)
{
    t.Number("liftoff", s.nLiftOff, -1, 255);
    t.Number("debounce", s.nDebounce, -1, 255);
}
// ... and the blocks, matrices and macro buffers, which close the file.
template <int S, size_t N>
void AddMouseMemory(CEmuStateTable& t, EmuMouseState<S, N>& s, const EmuMouseLayout& layout)
{
    t.Bytes("block", EmuSlots(s.block), layout.pszSlot);
    t.Bytes("matrix", EmuSlots(s.matrix), layout.pszSlot);
    t.Numbered("macro", s.macros, kEmuMacroBuffers, "macro buffer");
}

// ---- readable forms, for the state dumps ----------------------------------------------

std::string DescribeKeyCode(uint32_t dwCode);
std::vector<std::string> DescribeMacroBuffer(std::span<const uint8_t> buffer);
// "lift-off: ..." and "debounce: ..." lines.
void DescribeMouseSettings(std::ostream& os, int nLiftOff, int nDebounce);
// The rate and level count lines of a block.
void DescribeRateAndLevels(std::ostream& os, std::span<const uint8_t> block);
// "  keys:" and a line per position.
void DescribeKeys(std::ostream& os, std::span<const uint8_t> matrix);
// Every macro buffer with its events, or "macros: none".
void DescribeMacros(std::ostream& os, const std::map<int, std::array<uint8_t, kEmuMacroLen>>& macros);
