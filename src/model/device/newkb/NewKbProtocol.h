// The keyboard of firmware type 24. Several identical keyboards may be
// attached at once; each shows a command interface (feature report 6, 520
// bytes) and an input interface (input length 4) that answers a probe, which
// is how the two interfaces of one keyboard are told apart from another's.
// Every transfer is one 520-byte feature report:
//   [6, command, index, 0, chunk count, chunk number, length low, length high, payload <= 512]
// and data longer than 512 bytes goes in numbered chunks. A read sends its
// command and then reads the report, whose payload is the object.
// The family's numbers live here; what it shares with the other keyboards is in kb/.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace newkb {

constexpr int kFwNew = 24;

constexpr uint8_t kReportId = 6;
constexpr size_t kReportLen = 520;           // report id included
constexpr size_t kHeaderLen = 8;             // report id, then 7 header bytes
constexpr size_t kChunkMax = kReportLen - kHeaderLen;  // 512 payload bytes a report
constexpr int kNotifyInputLen = 4;

// Commands; a read is the write command with the top bit.
constexpr uint8_t kCmdMatrix = 3;
constexpr uint8_t kCmdLed = 4;
constexpr uint8_t kCmdMacro = 5;
constexpr uint8_t kCmdGame = 6;
constexpr uint8_t kCmdRealData = 8;
constexpr uint8_t kCmdRgbTable = 10;
constexpr uint8_t kRead = 0x80;

// Objects.
constexpr int kMatrixCodes = 126;            // key matrix positions sent
constexpr size_t kMatrixLen = 4 * kMatrixCodes;  // 504
constexpr size_t kLedLen = 128;              // lighting block
constexpr size_t kLedGlobalLen = 8;          // its global part, zero as sent
constexpr size_t kLedPLen = kLedLen - kLedGlobalLen;
constexpr int kPlaneWidth = 126;             // per-key colours: three planes of 126
constexpr size_t kGameLen = 3 * kPlaneWidth; // 378
constexpr size_t kRgbModeLen = 21;           // colour table: seven triples a mode

// The macro area: a table of contents of 4-byte entries (offset and length,
// 16 bits each, low byte first, offsets from the start of the area), then the
// macros. A key names its macro by its place in the table, one byte.
constexpr size_t kMacroDataMax = 4096;
constexpr int kMacroMax = 256;
constexpr size_t kMacroTocEntry = 4;
constexpr size_t kMacroNameBytes = 30;       // 15 UTF-16 characters
constexpr size_t kMacroActionLen = 3;
constexpr uint32_t kMacroDelayMax = 0xFFF;   // 12 bits of milliseconds

// Pauses.
constexpr auto kRetryGap = std::chrono::milliseconds(100);   // between tries of one report
constexpr auto kWriteDelay = std::chrono::milliseconds(20);  // before each chunk of a write
constexpr auto kReadGap = std::chrono::milliseconds(20);     // command, then its answer
constexpr auto kRealDataDelay = std::chrono::milliseconds(7);
constexpr auto kStepPause = std::chrono::milliseconds(30);
constexpr auto kStartPause = std::chrono::milliseconds(20);
constexpr auto kDoneWithProgress = std::chrono::milliseconds(500);
constexpr auto kDoneQuiet = std::chrono::milliseconds(30);

// Key codes (32-bit, little-endian, byte 0 the kind).
constexpr uint32_t kCodeFn = 0x0000000D;
constexpr uint8_t kKindKey = 0x00;
constexpr uint8_t kKindConsumer = 0x02;
constexpr uint8_t kKindMacro = 0x03;
constexpr uint8_t kKindSnipe = 0x0A;

}  // namespace newkb
