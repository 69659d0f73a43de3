// The RGB keyboard's on-board objects built from a profile, as pure
// functions: the configuration block (read from the keyboard, changed, written
// back), the mode colour table (likewise), and the per-key lighting area.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "device/kb/KbBlock.h"
#include "device/kb/KbDescSnap.h"
#include "device/varorgb/VaroRgbProtocol.h"

namespace varorgb {

using CfgBlock = std::array<uint8_t, kCfgLen>;

// The lighting block of configuration nCfg inside the configuration; empty
// when the keyboard has no such configuration.
std::span<uint8_t> CfgP(CfgBlock& cfg, int nCfg);

// Chooses the configuration (the product's, or the keyboard's default on a
// reset) and fills its lighting block from the profile; false (nothing
// changed) when that configuration does not exist.
bool FillConfig(CfgBlock& cfg, const kb::CKbBlock& block, const kb::KbDescSnap& d, bool bReset);

// The mode colours into the colour table (type 22): seven colours per mode in
// RGBIndex order, from byte 21 (525 with the product's configuration 1), as
// many modes as EffectOffset names, the description has and the table holds.
void FillRgbTable(std::span<uint8_t, kb::kBlockPayloadMax> table, const kb::CKbBlock& block, const kb::KbDescSnap& d);
// Modes the table takes.
int RgbTableModes(const kb::KbDescSnap& d);

// The per-key lighting area (two blocks): the colour groups one after the
// other, as three planes (type 22) or one on/off plane (type 23). Only the
// groups that fit whole are written.
std::vector<uint8_t> BuildLedArea(const kb::CKbBlock& block, const kb::KbDescSnap& d);
// Groups the area takes.
int LedAreaGroups(const kb::KbDescSnap& d);

// After music lighting: mode nMode shown again in the configuration in use.
// False when the configuration in use does not exist.
bool RestoreModeInCfg(CfgBlock& cfg, const kb::KbDescSnap& d, int nMode);

}  // namespace varorgb
