// Key codes and device macros of the Selk keyboard, pure functions of their
// input. A code is a 32-bit value with its kind in the top byte, sent most
// significant byte first: 0x00 key combination (modifiers << 8 | usage),
// 0x04 consumer usage, 0x06 lone modifier, 0x07 mouse button, 0x10 macro
// (lowest byte: buffer number - 1), 0x20 Fn, 0x02 Fn-layer reference, and a
// few fixed codes.
//
// The key block keeps codes in the common wire order of kb/ (see
// KbKeyMatrix.h); ToBlockCode turns a Selk value into it, so every code of
// this keyboard goes out byte for byte as its value reads, high byte first.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "device/kb/KbMacro128.h"
#include "keys/KeyInfo.h"
#include "keys/MacroRecord.h"

namespace selk {

// The Selk value of a key function; pMacro is the macro a class-5 key names
// (null when it no longer exists: no code). nMatrixPos is the key's matrix
// position (Enter at 130 is the keypad's). None for a function the keyboard
// does not have.
std::optional<uint32_t> SelkKeyCode(const KeyInfo& key, const MacroRecord* pMacro, int nMatrixPos);

// A Selk value in the key block's order, and back.
constexpr uint32_t ToBlockCode(uint32_t v)
{
    return v >> 24 | (v >> 8 & 0xFF00) | (v << 8 & 0xFF0000) | v << 24;
}
constexpr uint32_t FromBlockCode(uint32_t dwCode) { return ToBlockCode(dwCode); }
static_assert(ToBlockCode(0x070000F0) == 0xF0000007);

// The macro buffer form of this keyboard: right-hand modifiers as the left
// ones, actions ending at byte 126.
constexpr kb::KbMacro128Style kMacroStyle{.bLeftModifiers = true, .nEnd = 126};

}  // namespace selk
