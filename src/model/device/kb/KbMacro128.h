// The 128-byte device macro of the keyboards with the block transport, and
// the placing of the macros a key block names into numbered buffers.
//
// A buffer: bytes 0-1 the repeat count, high byte first (0 is written as 1);
// then the actions. An action with a delay below 128 ms takes two bytes:
// 0x80 for a release (0 for a press) plus the delay (at least 3), then the
// code. A longer delay takes six: release bit plus (delay mod 100, at least
// 3), the code, 0, 3, then delay / 100 in two bytes, high byte first (held at
// 0xFFFF). An action is added only while it fits below the style's end; the
// rest of the buffer is zero, which ends the macro.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "device/kb/KbKeyMatrix.h"
#include "keys/MacroList.h"
#include "keys/MacroRecord.h"

namespace kb {

constexpr size_t kMacro128Len = 128;
constexpr int kMacro128PerBlock = 8;      // one 1024-byte block holds eight buffers
using Macro128 = std::array<uint8_t, kMacro128Len>;
using MacroBlock = std::array<uint8_t, kMacro128PerBlock * kMacro128Len>;

struct KbMacro128Style {
    // Right-hand modifiers are sent as the left-hand ones.
    bool bLeftModifiers = false;
    // Actions end at this byte: an action is added only when it ends at or before it.
    size_t nEnd = kMacro128Len;
};

// The code an action sends: mouse buttons 240..242 as themselves, modifiers
// and keys as their keyboard-page usages; 0 for a key without one.
uint8_t Macro128ActionCode(uint8_t byVk, bool bLeftModifiers);

// The macro as a buffer; returns the bytes used. An action whose key has no
// usage is logged ("StMacro_To_HdMacro: get wrong hid") and skipped.
size_t EncodeMacro128(const MacroRecord& rec, std::span<uint8_t, kMacro128Len> out, const KbMacro128Style& style);

// The code with the macro buffer number (1..) in its last byte on the wire.
constexpr uint32_t WithMacroBuffer(uint32_t dwCode, int nBuffer)
{
    return (dwCode & 0x00FFFFFF) | uint32_t((nBuffer - 1) & 0xFF) << 24;
}

// Numbers the macros the plan's keys name (this job only, up to nCapacity
// buffers), puts each number into its key's code and encodes each macro once.
// A key whose macro no longer exists, or that finds every buffer taken, gets
// code 0 (the keyboard's own function) and is logged. Buffers in number order.
std::vector<Macro128> PlaceMacros(KbMatrixPlan& plan, const CMacroList& macros, int nCapacity,
                                  const KbMacro128Style& style);

// The buffers eight to a block, the last block padded with zeros.
std::vector<MacroBlock> MacroBlocks(std::span<const Macro128> buffers);

}  // namespace kb
