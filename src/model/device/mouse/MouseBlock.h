// Byte helpers for the general blocks of both mouse families: colours in the
// order the mouse takes, nibbles, 16-bit values, the brightness and speed of a
// lighting effect record, the rate code and the nearest sensor step of a
// resolution. Every write stays inside the block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/ProfileRecord.h"
#include "device/mouse/MouseOptions.h"

struct SensorDpiTable;

namespace mouse {

// Whether idx names red, green and blue once each (0..2).
bool ValidIndex(const uint8_t (&idx)[3]);
// One colour as three bytes at the positions idx gives red, green and blue
// (plain order for an invalid index).
void PutColour(std::span<uint8_t> b, size_t nAt, ZColor clr, const uint8_t (&idx)[3]);
void Put(std::span<uint8_t> b, size_t nAt, uint8_t v);
void PutHigh(std::span<uint8_t> b, size_t nAt, uint8_t v);
void PutLow(std::span<uint8_t> b, size_t nAt, uint8_t v);
void Put16(std::span<uint8_t> b, size_t nAt, uint16_t v);
// A DPI level colour as the block takes it: the profile's "no colour" 0x010101 is 0.
inline ZColor LevelColour(ZColor clr) { return clr == 0x010101 ? 0 : clr; }

// The block's rate code for a rate in hertz written with hexadecimal digits:
// 0x125 -> 1, 0x250 -> 2, 0x1000 -> 4, anything else -> 3 (500 Hz).
uint8_t RateCode(int32_t nRate);

// What one effect record gives the block: its colours and its brightness and speed values.
struct EffectValues {
    std::vector<ZColor> colours;
    uint8_t byBright = 0;         // LightHW value
    uint8_t bySpeed = 0;          // SpeedHW value
    uint8_t BrightByte() const { return uint8_t(byBright << 4 | (bySpeed & 0x0F)); }
};
// The brightness and speed values of record nRecord; false (logged) when its
// indexes fall outside the description's lists.
bool EffectLevels(const MsLedMode& r, size_t nRecord, const MouseOptions& opt, EffectValues& v);

// The sensor step of a resolution: its own, or the nearest one when the
// sensor does not list it (logged). None when the sensor has no steps (logged).
struct SensorStep {
    const SensorDpiTable* pTable;
    int nIndex;
};
std::optional<SensorStep> NearestStep(int32_t nSensor, int32_t nDpi);

}  // namespace mouse
