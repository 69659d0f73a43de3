// One event of a wired-mouse macro or bullet buffer: three bytes.
//   byte 0: bits 0-3 delay bits 8-11, bits 4-6 kind, bit 7 release of a key or button
//   byte 1: delay bits 0-7
//   byte 2: value (modifier bit, button bit, signed movement or HID usage)
// The delay is the pause after the event in ms, 12 bits.
#pragma once

#include <array>
#include <cstdint>

enum class HdKind : uint8_t { Button = 1, Move1, Move2, Move3, Key, Modifier };
struct HdEvent {
    HdKind kind;
    bool bRelease;
    uint16_t wDelay;   // at most kHdDelayMax; the converters clamp
    uint8_t byValue;
};

constexpr uint16_t kHdDelayMax = 0x0FFF;

constexpr bool IsHdMove(HdKind k) { return k >= HdKind::Move1 && k <= HdKind::Move3; }

// The bytes as a bullet buffer holds them: movements never carry the release bit.
constexpr std::array<uint8_t, 3> PackHdEventRaw(const HdEvent& e)
{
    return {uint8_t((e.bRelease && !IsHdMove(e.kind) ? 0x80 : 0) | (uint8_t(e.kind) << 4) | ((e.wDelay >> 8) & 0x0F)),
            uint8_t(e.wDelay & 0xFF), e.byValue};
}

// The bytes as a macro buffer holds them: a zero low delay byte is sent as 1.
constexpr std::array<uint8_t, 3> PackHdEvent(const HdEvent& e)
{
    std::array<uint8_t, 3> b = PackHdEventRaw(e);
    if (b[1] == 0) b[1] = 1;
    return b;
}
