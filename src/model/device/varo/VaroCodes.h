// Key codes and device macros of the type-21 keyboard, pure functions of their
// input. A code is 32 bits, little-endian on the wire, byte 0 the kind:
//   0x00 key: byte 1 modifier bits, bytes 2 and 3 two keyboard-page usages
//   0x01 consumer: bytes 2 and 3 the consumer usage, high byte first
//   0x02 macro: byte 1 buffer number - 1, byte 2 the repeat-mode bit, byte 3 the
//        repeat count (repeat mode 0); the apply fills in bytes 1 and 3
//   0x10, 0x30 mouse functions
// Code 0 leaves the key its own function; 0x00B00000 is the Fn key, which
// switches the keyboard to its own Fn layer.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "device/varo/VaroProtocol.h"
#include "keys/KeyInfo.h"
#include "keys/MacroRecord.h"

namespace varo {

// The code of a key function; pMacro is the macro a class-5 key names (null
// when it no longer exists: no code). None for a function the keyboard does
// not have.
std::optional<uint32_t> VaroKeyCode(const KeyInfo& key, const MacroRecord* pMacro);

// A macro code with its buffer number (1..10) in byte 1 and, when the code's
// repeat mode is 0 (bit 0 of byte 2), the repeat count in byte 3 (a count
// above 255 is held at 255).
uint32_t WithMacroBuffer(uint32_t dwCode, int nBuffer, uint32_t nRepeat);

// A macro as a 192-byte device buffer: three bytes an action (release bit and
// the delay in 10 ms units over 11 bits, the kind, the code), zeros after the
// last. Actions that do not fit are left out; a delay above 20470 ms is held
// at 20470 ms. Returns the bytes used.
size_t VaroMacro(const MacroRecord& rec, std::span<uint8_t, kMacroBufferLen> out);

}  // namespace varo
