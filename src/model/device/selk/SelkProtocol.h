// The Selk keyboard (firmware type 20): a command interface (feature report
// 5, 6 bytes) and a data interface (feature report 6, 1032 bytes) carry the
// block transport of kb/. Its addresses, block layouts and pauses live here;
// what it shares with the other keyboards is in kb/.
//
// On-board memory is addressed in 256-byte pages: an object at address a
// starts at page a, and a 1024-byte block spans pages a..a+3.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

#include "device/kb/KbBlockTransport.h"

namespace selk {

constexpr int kFwSelk = 20;
constexpr int kUsagePage = 0xFF00;
constexpr int kUsage = 1;

// The configuration: 136 bytes at address 0. Bytes 0-7 the global part (byte
// 0 the configuration in use), bytes 8-71 the lighting part ("P").
constexpr uint8_t kCfgAddr = 0x00;
constexpr size_t kCfgLen = 136;
constexpr size_t kCfgInUse = 0;
constexpr size_t kCfgGlobalLen = 8;
constexpr size_t kCfgPAt = 8;
constexpr size_t kCfgPLen = 64;
// Bytes 13 and 14 of the configuration (the mode and group bytes of P with
// the usual LedModeSelectOffset 4) are cleared and written before the rest.
constexpr size_t kCfgClearFirst[2] = {13, 14};
// P ends with two marks; the per-mode bytes stop before them.
constexpr size_t kPMarkAt = 62;
constexpr uint8_t kPMarks[2] = {0x5A, 0xA5};

constexpr uint8_t kMatrixAddr = 0xC8;
constexpr uint8_t kRgbAddr = 0xA8;
constexpr uint8_t kMacroAddr[4] = {0xCC, 0xD0, 0xD4, 0xD8};
constexpr int kPagesPerBlock = 4;

// The mode colour table: 21 zero bytes, then seven colours of three bytes per mode.
constexpr size_t kRgbTableAt = 21;
constexpr size_t kRgbModeLen = 21;

// The lighting blocks: two groups a block at GaoshouAddr + 4 per block; a
// group is three planes of 132 bytes, blue, green, red (792 bytes used).
constexpr int kPlaneWidth = 132;
constexpr size_t kGroupLen = 3 * kPlaneWidth;
constexpr int kGroupsPerBlock = 2;
constexpr uint8_t kPlaneOfComponent[3] = {2, 1, 0};  // red, green, blue -> plane
// LED positions that light together: a colour at one of them lights all three.
constexpr int kTiedLeds[3] = {35, 57, 100};

// The key block: codes 0-131 the positions, then the Fn layer of 48 single-key
// and 48 combination entries.
constexpr int kFnEntries = 48;
// Positions the keyboard reads as one key: a code at one is copied to the other.
constexpr int kTwinPositions[2] = {75, 80};
// Matrix position where Enter is the keypad's Enter.
constexpr int kKeypadEnterPos = 130;

// Macros: 128-byte buffers, eight a block, four blocks; actions end at byte 126.
constexpr int kMacroBufferNum = 32;
constexpr size_t kMacroEnd = 126;

// Pauses of the apply.
constexpr auto kAfterCfgRead = std::chrono::milliseconds(20);
constexpr auto kAfterCfgWrite = std::chrono::milliseconds(10);
constexpr auto kAfterRgbTable = std::chrono::milliseconds(40);
constexpr auto kAfterLedBlock = std::chrono::milliseconds(25);
constexpr auto kAfterMacroBlock = std::chrono::milliseconds(25);
constexpr auto kAfterMatrixRead = std::chrono::milliseconds(20);
constexpr auto kAfterMatrixWrite = std::chrono::milliseconds(10);
constexpr auto kDoneWithProgress = std::chrono::milliseconds(500 + 20);
constexpr auto kDoneQuiet = std::chrono::milliseconds(20);

}  // namespace selk
