// The pad's one vendor interface (usage page 0xFF00, usage 1) and the block
// it carries: feature report 0x30 of 27 bytes, the report id and then the
// pad's 26-byte general data, which holds its lighting. The host reads the
// block, rewrites the lighting bytes and writes it back; the first two bytes
// are the pad's own and go back as they came.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace pad {

// The pad's firmware type in cfg.ini (PadFw).
constexpr int kPadFw = 40;

// ---- interface -------------------------------------------------------------------

constexpr int kUsagePage = 0xFF00;
constexpr int kUsage = 1;
constexpr uint8_t kReportId = 0x30;
constexpr size_t kBlockLen = 26;
constexpr size_t kReportLen = 1 + kBlockLen;

// ---- general data (block bytes) ----------------------------------------------------

constexpr size_t kGdHeader = 0;          // bytes 0 and 1: the pad's own, kept as read
constexpr size_t kGdHeaderLen = 2;
constexpr size_t kGdEffect = 2;          // effect number: 0 for effect index 10, else index + 1
constexpr size_t kGdSpeedBright = 3;     // low four bits speed, high four bits brightness code 1..4
constexpr size_t kGdExtra = 4;           // direction flag or colour count, by effect
constexpr size_t kGdColours = 5;         // up to seven red, green, blue triples, the rest 0
constexpr int kColourMax = 7;

constexpr int kEffectIndexMax = 10;      // effect records 0..10 of the profile
constexpr uint8_t kDirectFirst = 6;      // nDirect of the first direction
constexpr uint8_t kExtraDirectFirst = 0x80;
// The effect numbers whose extra byte carries the direction, and the one whose carries the colour count.
constexpr uint8_t kEffectDirectA = 1, kEffectDirectB = 3, kEffectCounted = 4;

// Stored brightness values and their codes; any other value is full brightness.
constexpr int kBright20 = 0x20, kBright50 = 0x50, kBright70 = 0x70, kBright100 = 0x100;
constexpr uint8_t kBrightCodeFull = 4;

// ---- pauses ------------------------------------------------------------------------------

using Ms = std::chrono::milliseconds;
constexpr Ms kSendPause{20};             // apply: between building the block and writing it
constexpr Ms kDonePause{500};            // apply: after a successful job

}  // namespace pad
