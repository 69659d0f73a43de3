// The reports of the type-21 keyboard, built from a profile's keyboard block
// and the description, as pure functions: the lighting report, the per-key
// colour report of one group, the key matrix, the macro area and the music
// frame. Each returns the whole report, id first. Every index that came from
// cfg.ini or the profile (mode, group, matrix and LED positions) is checked
// before it addresses a buffer.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "device/kb/KbBlock.h"
#include "device/kb/KbDescSnap.h"
#include "device/kb/KbKeyMatrix.h"
#include "device/varo/VaroProtocol.h"

namespace varo {

using LedReport = std::array<uint8_t, kLedReportLen>;
using ColourReport = std::array<uint8_t, kColourReportLen>;
using MatrixReport = std::array<uint8_t, kMatrixReportLen>;
using MusicReport = std::array<uint8_t, kMusicReportLen>;
using MatrixCodes = std::array<uint32_t, kMatrixCodes>;

// The lighting report of the profile's mode: the keyboard's mode number, the
// group + 1, speed, brightness (5 in the per-key colour mode), the colour flag
// (8 colourful; on a seven-colour keyboard the place of the colour among the
// seven) and the colour. None when the profile's mode is no mode of the
// keyboard.
std::optional<LedReport> BuildLedReport(const kb::CKbBlock& block, const kb::KbDescSnap& d);
// The lighting report of a reset: the per-key colour mode + 1 and the group + 1.
LedReport BuildResetLedReport(const kb::CKbBlock& block, const kb::KbDescSnap& d);

// The byte that names colour group g to the keyboard: GameGroupIndex when the
// description gives it (four groups at most); else 9 and 0 for the first two
// groups of an RGB keyboard, g + 1 on a seven-colour keyboard. None for a
// group the keyboard has no byte for.
std::optional<uint8_t> GroupByte(const kb::KbDescSnap& d, int g);
// The per-key colours of group g: the group byte, then the red, green and blue
// planes by LED position. None when the group has no byte.
std::optional<ColourReport> BuildColourReport(const kb::CKbBlock& block, const kb::KbDescSnap& d, int g);
// The colour report of a reset: every byte 0.
ColourReport ClearColourReport();

// The key codes of a profile by matrix position, and what the apply must still do.
struct VaroMatrixPlan {
    MatrixCodes codes{};
    std::vector<kb::KbMacroRef> macros;   // macro keys: their position (nCodeIndex) and macro
    std::vector<int> invalidSlots;        // functions the keyboard does not have
    std::vector<int> badPositionSlots;    // keys whose matrix position is none of the keyboard's
};
// Every key slot in use with a function: its code at the matrix position of
// its default record (a position outside 0..125 is left out and reported).
VaroMatrixPlan BuildVaroMatrix(const kb::CKbBlock& block, const kb::KbDescSnap& d, const kb::KbCodeOf& codeOf);
// The keyboard's codes with every non-zero new code put over them.
MatrixCodes MergeOver(const MatrixCodes& current, const MatrixCodes& fresh);

MatrixReport BuildMatrixReport(const MatrixCodes& codes);
// The codes of a matrix report as the keyboard answers it (id first; a
// shorter buffer gives zeros for what is missing).
MatrixCodes MatrixCodesOf(std::span<const uint8_t> report);

// The macro report: the id, then the area (at most 1920 bytes; zeros after it).
std::vector<uint8_t> BuildMacroReport(std::span<const uint8_t> area);

// A music frame of at most 379 bytes as the report; none for a longer frame.
std::optional<MusicReport> BuildMusicReport(std::span<const uint8_t> frame);

}  // namespace varo
