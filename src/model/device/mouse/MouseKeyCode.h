// Key functions as the wired mouse takes them: one 32-bit code per matrix
// position, little-endian on the wire (byte 0 is the low byte).
//
//   0x21 mod u1 u2   key combination (HID keyboard usages)
//   0x22 m0 m1 m2    consumer functions, one bit each
//   0x70 nn mode cnt macro in buffer nn
//   0x6s nn mode cnt bullet number nn - 0x80 (s: sequence number), or a gun preset
//   0x31/0x32/0x33   fire key by button, key or modifier
//   0x42 lock        DPI held at a step
// and fixed codes for buttons, wheel, DPI, mode, rate and lighting switches.
#pragma once

#include <cstdint>
#include <optional>

#include "keys/KeyInfo.h"
#include "keys/MacroRecord.h"

namespace mouse {

// The USB HID keyboard usage of a virtual key; 0 for a key the mouse cannot send.
uint8_t VkToHid(uint8_t vk);

// The bit of a consumer value (FunId.h kCc*) in the 24-bit mask of a 0x22
// code; -1 for a value the mouse has no bit for.
int MediaBit(uint32_t dwValue);

// The repeat-mode byte of a macro or bullet key (1, 2 or 4) and its count
// byte (1..255) for a record's repeat mode and loop count.
uint8_t RepeatModeByte(uint32_t nRepeatMode);
uint8_t RepeatCountByte(uint32_t nLoopCount);

// The mouse's code for a key function. nSensor is the current sensor (its
// lock codes for DPI-hold keys); pRecord is the macro (class 5) or bullet
// (class 12) the key names, giving its repeat mode and count; the buffer
// number is left 0 for the apply to fill in. No value for a function the
// mouse does not have.
std::optional<uint32_t> MouseKeyCode(const KeyInfo& key, int32_t nSensor, const MacroRecord* pRecord);

}  // namespace mouse
