// Key codes and device macros of the RGB keyboard, pure functions of their
// input. A code is 32 bits, little-endian on the wire, byte 0 the kind:
// 0x00 key combination [0, 0, modifiers, usage], 0x04 consumer usage,
// 0x06 lone modifier, 0x07 mouse button, 0x10 macro (byte 3: buffer number - 1,
// filled in by the apply), 0x20 Fn, and a few fixed codes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "device/kb/KbMacro128.h"
#include "keys/KeyInfo.h"
#include "keys/MacroRecord.h"

namespace varorgb {

constexpr uint8_t kKindConsumer = 0x04;
constexpr uint32_t kCodeFn = 0x00000020;
constexpr uint32_t kCodeFn2 = 0x20010000;

// The code of a key function; pMacro is the macro a class-5 key names (null
// when it no longer exists: no code). nVkCustom is the description's code of
// the custom key. None for a function the keyboard does not have.
std::optional<uint32_t> VaroRgbKeyCode(const KeyInfo& key, const MacroRecord* pMacro, int32_t nVkCustom);

// The code with the macro buffer number (1..32) in byte 3.
using kb::WithMacroBuffer;

// The macro buffer form of this keyboard: modifiers as themselves, actions
// while they fit in the 128 bytes.
constexpr kb::KbMacro128Style kMacroStyle{};

// A macro as a 128-byte device buffer: the repeat count (high byte first; 0
// is written as 1), then the actions while they fit. Returns the bytes used.
inline size_t VaroRgbMacro(const MacroRecord& rec, std::span<uint8_t, kb::kMacro128Len> out)
{
    return kb::EncodeMacro128(rec, out, kMacroStyle);
}

}  // namespace varorgb
