// The lighting part of a keyboard's on-board configuration ("P": one block
// per on-board configuration): the mode byte, the per-key colour switch and
// group, the device options, and one entry per mode with its colour,
// direction, speed and brightness. The keyboards that keep such a block lay
// it out alike and differ in the places and forms named by the style.
//
// Every write is checked against the block's length, so a description with
// more modes than the block holds fills what fits.
#pragma once

#include <cstdint>
#include <span>

#include "device/kb/KbBlock.h"
#include "device/kb/KbDescSnap.h"

namespace kb {

struct KbLightingStyle {
    enum class ModeEntry {
        ColourSpeed,   // two bytes a mode: colour and direction, then speed and brightness
        SpeedOnly,     // one byte a mode: speed and brightness
    };
    ModeEntry entry = ModeEntry::ColourSpeed;
    int nModeEntriesAt = 22;          // byte of mode 0's entry
    bool bOption2 = false;            // byte 2: the second LED option
    bool bWheelSleep = false;         // byte 16: WheelMode (when set), byte 17: sleep time
    bool bMarks = true;               // bytes 20 and 21 hold 0xFF
    // Byte o + 1: the description's mode number of the mode in use, or the
    // mode's index plus EffectBase.
    enum class ModeByte { DevMode, IndexPlusEffectBase };
    ModeByte modeByte = ModeByte::DevMode;
    // The colour nibble of a colourful mode: the description's RandomVal, or this value (0..15).
    int nColourfulValue = -1;
    // The direction nibble: only for modes with a direction, matched on the
    // mode index (false); or for every mode, matched on the mode byte (true).
    bool bDirectionByModeByte = false;
    // Added to speed and brightness before they are written (-1: the profile
    // keeps them from 1); a result below 0 is written as 0.
    int nSpeedBrightBias = 0;
};

// Speed in the high four bits, brightness in the low four.
constexpr uint8_t SpeedBrightByte(int32_t nSpeed, int32_t nBright)
{
    return uint8_t((nSpeed & 0x0F) << 4 | (nBright & 0x0F));
}

// The colour byte of mode m: low four bits RandomVal when colourful, else the
// colour index; high four bits the direction code when the mode has a
// direction (from the Direct%d entry of the mode in use, else 8 for the second
// direction and 0 for the first).
uint8_t ModeColourByte(const CKbBlock& block, const KbDescSnap& d, int m);
uint8_t ModeColourByte(const CKbBlock& block, const KbDescSnap& d, int m, const KbLightingStyle& style);
// The mode byte of mode nMode as the style writes it (0 for no mode).
uint8_t ModeByteOf(const KbDescSnap& d, int nMode, const KbLightingStyle& style);

// Fills P from the profile: byte o (LedModeSelectOffset) 1 in per-key colour
// mode, o + 1 the mode number of the mode in use, o + 2 the group plus
// StartGp, then the style's bytes. Bytes the table does not name keep their
// value.
void FillLightingP(std::span<uint8_t> P, const CKbBlock& block, const KbDescSnap& d, const KbLightingStyle& style);

// Only the mode bytes: o + 1 the mode number of mode, o whether it is the
// per-key colour mode (after music lighting, the mode is shown again).
void SetModeInP(std::span<uint8_t> P, const KbDescSnap& d, int nMode);
void SetModeInP(std::span<uint8_t> P, const KbDescSnap& d, int nMode, const KbLightingStyle& style);

}  // namespace kb
