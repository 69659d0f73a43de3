// The wireless mouse's reports, records and pauses. The mouse works on its
// USB cable and through a 2.4 GHz receiver; it keeps one on-board profile for
// each way (profile 1 on the cable, profile 2 through the receiver). Both ways
// show the host the same three vendor interfaces (usage page 0xFF00, usage 1):
// an 8-byte command feature report (id 5), a 520-byte data feature report
// (id 8, or 6 on kind 4) and an 8-byte input report (id 7). Most commands and
// records are the wired family's (mirex/MirexProtocol.h); what differs is
// named here once.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

#include "device/mouse/MouseProtocol.h"

namespace w24g {

// ---- interfaces -----------------------------------------------------------------

constexpr int kUsagePage = mouse::kUsagePage;
constexpr int kUsage = mouse::kUsage;

constexpr uint8_t kCmdReportId = mouse::kCmdReportId;
constexpr size_t kCmdReportLen = 8;        // id, command, four parameters, two zero bytes
constexpr size_t kDataReportLen = mouse::kDataReportLen;
constexpr uint8_t kNotifyReportId = mouse::kNotifyReportId;
constexpr size_t kNotifyReportLen = mouse::kNotifyReportLen;

// What tells the two mouse kinds of the family apart on the wire.
struct W24Kind {
    uint8_t byDataId;        // data report id
    uint8_t byGeneralTag;    // record byte 2 of a general block
    bool bMatrixTrailer;     // kMatrixTrailer after the key matrix
};
constexpr W24Kind kKind4{6, 0x9F, false};
constexpr W24Kind kKind5{8, 0x92, true};
// The kind of a family value (low four bits 4 or 5); anything else is taken as kind 5.
constexpr W24Kind KindOf(int32_t nMsFw) { return (nMsFw & 0x0F) == 4 ? kKind4 : kKind5; }

// ---- commands (report byte 1) ----------------------------------------------------

constexpr uint8_t kCmdMode = mouse::kCmdMode;
constexpr uint8_t kCmdDebounce = mouse::kCmdDebounce;
constexpr uint8_t kCmdLiftOff = mouse::kCmdLiftOff;
constexpr uint8_t kCmdOnline = 0x80;       // answer bytes 1 and 2 both 1: the mouse answers the receiver
constexpr uint8_t kCmdPower = 0x90;        // answer: link byte, battery level, 16-bit voltage (low byte first)

constexpr int kProfileMax = 2;             // 1 on the cable, 2 through the receiver
// The command that asks for the general block of profile p, answered in the data report.
constexpr uint8_t GeneralCmd(int p) { return mouse::GeneralCmd(p); }
// The command that asks for the lift-off level of profile p, answered in the data report.
constexpr uint8_t LiftOffCmd(int p) { return uint8_t(0x50 | p); }

// Answer byte 1 of kCmdPower, and byte 1 of an input report: how the mouse is reached.
constexpr uint8_t kLinkCable = 0x10;
constexpr uint8_t kLinkReceiver = 0x11;

// ---- data records -----------------------------------------------------------------

constexpr uint8_t GeneralRecord(int p) { return mouse::GeneralRecord(p); }
constexpr uint8_t MatrixRecord(int p) { return mouse::MatrixRecord(p); }
constexpr size_t kPayloadAt = mouse::kPayloadAt;
constexpr size_t kGeneralLen = 148;
constexpr size_t kMatrixTrailerAt = kPayloadAt + mouse::kMatrixLen;  // report byte 88 (record byte 87)
constexpr uint8_t kMatrixTrailer = 0xA5;
// Answer to LiftOffCmd: payload byte 1 holds the level + 1 in its high four bits.
constexpr size_t kLiftOffAnswerAt = kPayloadAt + 1;

// ---- general block bytes ------------------------------------------------------------

constexpr uint8_t kGeneralMagic = mouse::kGeneralMagic;  // byte 0, written on every save
constexpr size_t kGbSensor = 1;            // low 6 bits: sensor code
constexpr size_t kGbRate = 2;              // low 4 bits: rate code 1..4; bit 7: X and Y apart
constexpr uint8_t kGbXYSeparate = 0x80;
constexpr size_t kGbLevels = 3;            // low 4 bits: enabled levels; high 4 bits: current, from 1
constexpr size_t kGbLevelSlots = 8;
constexpr size_t kGbDpiX = 5;              // 16-bit codes, low byte first, of levels 1..8
constexpr size_t kGbDpiY = 21;             // the same for Y, only when X and Y are apart
constexpr size_t kGbDpiColors = 37;        // eight level colours, three bytes each
constexpr size_t kGbEffect = 61;           // type of the current lighting effect
constexpr size_t kGbZoneOption = 139;      // second lighting zone: option 0..2
constexpr size_t kGbZoneValue = 140;       //   its first value, 0 for option 0
constexpr size_t kGbZoneColour = 141;      //   its colour
constexpr size_t kGbTrailer = 144;         // always kGbTrailerValue
constexpr uint8_t kGbTrailerValue = 0xA5;
constexpr size_t kGbFlags = 145;           // system flags below
constexpr uint8_t kFlagNoSleep = 0x80;     // also the motion-sync flag, see W24General.h
constexpr uint8_t kFlagLedOffMoving = 0x04;
constexpr uint8_t kFlagLightingBits = 0x03;  // cleared by the lighting step

// ---- input report -------------------------------------------------------------------
// [7, kLinkCable or kLinkReceiver, rate code 1..4, current level 1..8 in the low
//  four bits, 0, 0, 0, 0]: sent when the user presses the DPI button, changes the
// rate, or the mouse moves between cable and receiver.

// ---- pauses and tries -------------------------------------------------------------------

using Ms = std::chrono::milliseconds;
constexpr Ms kFindPause = mouse::kFindPause;     // discovery: between its steps
constexpr Ms kReadRetryPause{100};               // discovery: between reads of an empty block
constexpr int kFindReads = 3;                    // discovery: reads of the block at most
constexpr Ms kStepPause = mouse::kStepPause;
constexpr Ms kMacroPause = mouse::kMacroPause;
constexpr Ms kDonePause = mouse::kDonePause;
constexpr Ms kMacroSettle = mouse::kMacroSettle;

}  // namespace w24g
