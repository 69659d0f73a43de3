// The pad's reports and the lighting bytes of its block, as pure functions of
// their contents: nothing here talks to a device, so every byte can be checked.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "core/ProfileRecord.h"
#include "device/pad/PadProtocol.h"

namespace pad {

using PadBlock = std::array<uint8_t, kBlockLen>;
using PadReport = std::array<uint8_t, kReportLen>;

// The buffer a read of the block is made with: the report id, then zeros.
PadReport MakeReadBuffer();
// The report that stores block on the pad.
PadReport MakeBlockReport(const PadBlock& block);
// The block an answer carries; none when the answer is not the pad's report
// (another report id or length).
std::optional<PadBlock> BlockFromAnswer(std::span<const uint8_t> answer);

// Whether nIndex names one of the profile's effect records (0..10).
constexpr bool IsEffectIndex(int nIndex) { return nIndex >= 0 && nIndex <= kEffectIndexMax; }
// The effect number the pad knows for effect record nIndex (0..10): index 10
// is effect 0, every other index its successor.
constexpr uint8_t EffectNumber(int nIndex) { return uint8_t(nIndex == kEffectIndexMax ? 0 : nIndex + 1); }
// The brightness code of a stored brightness: 1 for 0x20, 2 for 0x50, 3 for
// 0x70, 4 for anything else.
uint8_t BrightCode(int32_t nBright);

// Writes bytes 2 to 25 of block from effect record e at index nIndex (0..10,
// checked by the caller): effect number, speed and brightness, the extra byte
// (direction or colour count) and the colours that mask bits 0..6 select, in
// index order, red, green, blue each; unused colour bytes 0. Bytes 0 and 1
// are left as they are.
void PutLighting(PadBlock& block, int nIndex, const PadLedMode& e);

}  // namespace pad
