// The wired mouse's reports, records and pauses. The mouse has three vendor
// interfaces (usage page 0xFF00, usage 1): a 6-byte command feature report
// (id 5), a 520-byte data feature report (id 4) and an 8-byte input report
// (id 7) on which it tells the host about button presses. What it shares with
// the wireless family is in mouse/MouseProtocol.h; its own is named here.
#pragma once

#include <cstddef>
#include <cstdint>

#include "device/mouse/MouseProtocol.h"

namespace mirex {

using namespace mouse;

constexpr size_t kCmdReportLen = kCmdBaseLen;

constexpr uint8_t kGeneralTag = 0x7B;    // record byte 2 of a general block (not a length)
constexpr size_t kReadPayloadLen = 500;  // what an answer carries from kPayloadAt on
constexpr size_t kGeneralLen = 140;

// ---- general block bytes ----------------------------------------------------------

constexpr size_t kGbSensor = 1;          // low 6 bits: sensor code
constexpr size_t kGbRate = 2;            // low 4 bits: rate code 1..4; bit 7: X and Y apart
constexpr uint8_t kGbXYSeparate = 0x80;
constexpr size_t kGbLevels = 3;          // low 4 bits: enabled levels; high 4 bits: current, from 1
constexpr size_t kGbLevelMask = 4;       // 0xFF shifted left by the enabled levels
constexpr size_t kGbDpiCodes = 5;        // 16 bytes of level codes
constexpr size_t kGbDpiCodesLen = 16;
constexpr size_t kGbDpiColors = 21;      // eight level colours, three bytes each
constexpr size_t kGbLevelSlots = 8;
constexpr size_t kGbEffect = 45;         // current lighting effect
constexpr size_t kGbLedOff = 122;        // off-effect value
constexpr size_t kGbKind3Reset = 114;    // cleared on reset by kind-3 mice

// ---- input report -------------------------------------------------------------------
// [7, mode 1..3, current level counted among the enabled ones, 0, performance byte, 0, 0, 0]

}  // namespace mirex
