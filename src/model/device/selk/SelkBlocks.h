// The Selk keyboard's on-board objects built from a profile, as pure
// functions: the configuration (read from the keyboard, changed, written
// back), the mode colour table, the lighting blocks of the per-key colour
// groups, and the key block with its Fn layer.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "device/kb/KbBlock.h"
#include "device/kb/KbDescSnap.h"
#include "device/kb/KbKeyMatrix.h"
#include "device/kb/KbLightingP.h"
#include "device/selk/SelkProtocol.h"
#include "keys/MacroList.h"

namespace selk {

using SelkCfg = std::array<uint8_t, kCfgLen>;
using SelkBlock = std::array<uint8_t, kb::kBlockPayloadMax>;

// How this keyboard lays out its lighting part.
kb::KbLightingStyle LightingStyle();

// The configuration as first written: bytes 13 and 14 cleared.
void ClearModeBytes(SelkCfg& cfg);
// The configuration in use (the product's, or the keyboard's default on a
// reset) and the lighting part from the profile; the per-mode bytes stop
// before the marks at 62, which are set. Bytes not named keep their value.
void FillConfig(SelkCfg& cfg, const kb::CKbBlock& block, const kb::KbDescSnap& d, bool bReset);

// The mode colour table: 21 zero bytes, then seven colours of three bytes per
// mode in RGBIndex order; the rest zero.
SelkBlock BuildRgbTable(const kb::CKbBlock& block, const kb::KbDescSnap& d);

// Lighting blocks the description's groups take.
int LedBlockCount(const kb::KbDescSnap& d);
// The address of lighting block b; none when b is not one of the keyboard's
// blocks or the block would reach into another object (configuration, colour
// table, key block, macros) or past the last page.
std::optional<uint8_t> LedBlockAddr(const kb::KbDescSnap& d, int b);
// Lighting block b: groups 2b and 2b + 1, three planes each (blue, green,
// red) by LED position; a group the description does not have stays black.
SelkBlock BuildLedBlock(const kb::CKbBlock& block, const kb::KbDescSnap& d, int b);

// The key block from the profile: each key's code at its position (the first
// key on a position keeps it), the Fn layer, positions 75 and 80 made equal,
// the direct keys on their positions. Codes in the block's order (kb/);
// the macro keys are listed in the plan for their buffer numbers. pMacros are
// the job's macros.
kb::KbMatrixPlan BuildMatrix(const kb::CKbBlock& block, const kb::KbDescSnap& d, const CMacroList& macros);
// The keyboard's block with every non-zero code of the new one put in.
kb::KbCodeBlock MergeIntoCurrent(const kb::KbCodeBlock& current, const kb::KbCodeBlock& fresh);

}  // namespace selk
