// The bytes of the type-24 keyboard, as pure functions: the chunked report and
// its header, key codes, device macros and the macro area, the key matrix
// (FillMatrix), the lighting block, the mode colour table and the per-key
// colours of a group. Nothing here moves a report.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/Gvar.h"
#include "device/kb/KbBlock.h"
#include "device/kb/KbDescSnap.h"
#include "device/newkb/NewKbProtocol.h"
#include "keys/KeyInfo.h"
#include "keys/MacroRecord.h"

namespace newkb {

using Report = std::array<uint8_t, kReportLen>;

struct ChunkHeader {
    uint8_t byCmd = 0;
    uint8_t byIndex = 0;
    uint8_t byCount = 0;      // chunks of the transfer
    uint8_t byNumber = 0;     // this chunk, from 0
    uint16_t wLen = 0;        // payload bytes of this chunk
};

// The number of chunks data of nLen bytes takes (0 for none).
constexpr size_t ChunkCount(size_t nLen) { return (nLen + kChunkMax - 1) / kChunkMax; }
// A write of payload as numbered chunks; none for an empty payload or one
// needing more than 255 chunks.
std::vector<Report> MakeChunks(uint8_t byCmd, uint8_t byIndex, std::span<const uint8_t> payload);
// The report that asks for object byCmd (a read command) of nLen bytes: one
// chunk, number 0, the length wanted (at most 512).
Report MakeReadCmd(uint8_t byCmd, uint8_t byIndex, size_t nLen);
ChunkHeader ReadHeader(std::span<const uint8_t> report);

// ---- key codes ---------------------------------------------------------------------

// The code of a key function; none when it has no hardware form. pMacro is the
// macro a class-5 key plays (null: missing), pSnipe the DPI steps of the
// mouse's current sensor (null: none). A macro key's byte 3 (its place in the
// macro area) is 0 here; FillMatrix sets it.
std::optional<uint32_t> NewKbKeyCode(const KeyInfo& key, const MacroRecord* pMacro, const SensorDpiTable* pSnipe);
// The repeat-mode bit of a macro key (mode 0 -> 1, 1 -> 2, 2 -> 4, other -> 0).
uint8_t RepeatModeBit(uint32_t nRepeatMode);

// A macro as the keyboard keeps it: its name in 30 bytes, then 3 bytes an action.
std::vector<uint8_t> NewKbMacro(const MacroRecord& m);

// The macro area of macros (each as NewKbMacro made it): the table of
// contents, then the macros. False when they do not fit (more than 256, or
// more than 4096 bytes of macro data); out is then empty.
bool BuildMacroArea(const std::vector<std::vector<uint8_t>>& macros, std::vector<uint8_t>& out);

// ---- key matrix --------------------------------------------------------------------

constexpr int kWorkCodes = 132;              // every matrix position a description may name
using MatrixCodes = std::array<uint32_t, kWorkCodes>;

struct MatrixPlan {
    MatrixCodes codes{};                     // the first kMatrixCodes are sent
    std::vector<uint8_t> area;               // the macro area; empty without macros
    int nMacros = 0;
    std::vector<int> invalidSlots;           // slots whose function has no code or no position
    std::string strError;                    // why the matrix could not be made; empty on success
};

using MacroLookup = std::function<const MacroRecord*(uint32_t dwMacroID)>;

// Fills the matrix from the profile's keys: start from current (the
// keyboard's matrix, with SyncKB) or from zeros; each key's code replaces the
// code at its position; macro keys get the place of their macro (numbered in
// order of first use, each macro once). Positions are checked before use.
MatrixPlan FillMatrix(const kb::CKbBlock& block, const kb::KbDescSnap& d, const std::optional<MatrixCodes>& current,
                      const MacroLookup& findMacro, const SensorDpiTable* pSnipe);

std::array<uint8_t, kMatrixLen> MatrixBytes(const MatrixCodes& codes);
MatrixCodes MatrixFromBytes(std::span<const uint8_t> bytes);

// ---- lighting ------------------------------------------------------------------------

// The 128-byte lighting block: the global part zero, the profile part filled
// like the RGB keyboard's.
std::array<uint8_t, kLedLen> LightingBlock(const kb::CKbBlock& block, const kb::KbDescSnap& d);
// The mode colour table: per mode its seven colours as triples in RGBIndex order.
std::vector<uint8_t> RgbTable(const kb::CKbBlock& block, const kb::KbDescSnap& d);
// The per-key colours of group g: three planes of 126 bytes.
std::vector<uint8_t> GroupColours(const kb::CKbBlock& block, const kb::KbDescSnap& d, int g);

}  // namespace newkb
