// What the two mouse families share on the wire: their three vendor
// interfaces (usage page 0xFF00, usage 1: a command feature report id 5, a
// 520-byte data feature report, an 8-byte input report id 7), the commands
// and records they both know, the key codes of the matrix, the macro buffer
// layout and the pauses the mice need. Each family names what differs in its
// own protocol header. Everything the host and the device emulator agree on
// is named once.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace mouse {

// ---- interfaces -----------------------------------------------------------------

constexpr int kUsagePage = 0xFF00;
constexpr int kUsage = 1;

constexpr uint8_t kCmdReportId = 5;
constexpr size_t kCmdBaseLen = 6;        // id, command, four parameters
constexpr uint8_t kDataReportId = 4;     // the wired mouse's; the wireless kinds use their own
constexpr size_t kDataReportLen = 520;   // id, 518-byte record, one trailing zero
constexpr uint8_t kNotifyReportId = 7;
constexpr size_t kNotifyReportLen = 8;

// ---- commands (report byte 1) ----------------------------------------------------

constexpr uint8_t kCmdMode = 0x02;       // no parameter: answer byte 1 = mode 1..3; parameter p: switch to mode p
constexpr uint8_t kCmdDebounce = 0x1A;   // parameter: debounce hardware value
constexpr uint8_t kCmdLiftOff = 0x1B;    // parameter: lift-off hardware value

constexpr int kModeMax = 3;
// The command that asks for the general block of mode (or profile) m, answered in the data report.
constexpr uint8_t GeneralCmd(int nMode) { return uint8_t(nMode << 4 | 0x01); }

// ---- data records (report bytes 1..518) -------------------------------------------

constexpr uint8_t GeneralRecord(int nMode) { return uint8_t(nMode << 4 | 0x01); }  // 0x11, 0x21, 0x31
constexpr uint8_t MatrixRecord(int nMode) { return uint8_t(nMode << 4 | 0x02); }   // 0x12, 0x22, 0x32
constexpr uint8_t kMacroRecord = 0x30;

constexpr uint8_t kMatrixTag = 80;       // record byte 2 of a key matrix
constexpr uint8_t kMacroTag = 2;         // record byte 1 of a macro buffer

// Where payloads sit in the data report (report byte = record byte + 1).
constexpr size_t kPayloadAt = 8;         // general block and matrix, written and read
constexpr size_t kMacroNumberAt = 8;     // macro buffer number
constexpr size_t kMacroPayloadAt = 9;    // macro buffer bytes

constexpr size_t kMatrixEntries = 20;    // matrix positions 1..20, four bytes each, little-endian
constexpr size_t kMatrixLen = kMatrixEntries * 4;
constexpr size_t kMacroPayloadLen = 510; // sent; the buffer itself is at most kMacroBufferMax
constexpr size_t kMacroBufferMax = 506;  // two count bytes and 168 three-byte events
constexpr size_t kMacroEventMax = (kMacroBufferMax - 2) / 3;
constexpr int kMacroBufferNumMax = 20;   // buffers 1..20 on the mouse

constexpr uint8_t kGeneralMagic = 0x64;  // general block byte 0, written on every save

// ---- key codes -------------------------------------------------------------------

constexpr uint32_t kKeyOff = 0x150;
constexpr uint8_t kMacroKeyByte = 0x70;  // byte 0 of a macro key: byte 1 buffer, 2 repeat mode, 3 count
constexpr uint8_t kBulletKeyByte = 0x60; // byte 0 of bullet and gun keys; low 4 bits: sequence number
constexpr uint8_t kBulletBufferFlag = 0x80;  // byte 1 of a bullet key: bullet number + 0x80
constexpr int kBulletSeqMax = 15;        // the low four bits of byte 0

// ---- pauses ---------------------------------------------------------------------------

using Ms = std::chrono::milliseconds;
constexpr Ms kFindPause{30};             // discovery: between its reads
constexpr Ms kStepPause{50};             // apply: around block, matrix, lift-off and debounce writes
constexpr Ms kMacroPause{60};            // apply: after each macro or bullet buffer
constexpr Ms kDonePause{1500};           // apply: after a successful job
constexpr Ms kMacroSettle{3000};         // apply: the mouse stores macro buffers after the job

}  // namespace mouse
