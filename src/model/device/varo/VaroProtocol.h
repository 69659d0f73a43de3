// The keyboard of firmware type 21: four or five vendor interfaces (usage page
// 0xFF00, usage 1), one feature report each, told apart by the length of that
// report and its id. Its numbers live here; what it shares with the other
// keyboards is in kb/.
//
//   role     report  length (id included)  carries
//   matrix   9       505                   126 key codes of 32 bits, little-endian
//   led      10      42                    the lighting mode (also read: the liveness check)
//   colour   11      380                   a group byte, then three planes of 126 bytes
//   macro    12      1921                  ten macro buffers of 192 bytes
//   music    14      380                   one music frame (optional interface)
//
// The colour and music reports carry 379 data bytes (a group byte and three
// full planes), so they are 380 bytes with the id; keyboards have been seen to
// declare 379 for those two interfaces. Both lengths are taken at discovery,
// and the reports always go as 380 bytes: a shorter report would drop the
// blue byte of the last LED position. This is the only place that decides it.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

#include "device/HidDrv.h"

namespace varo {

constexpr int kFwType = 21;

constexpr int kUsagePage = 0xFF00;
constexpr int kUsage = 1;
constexpr int kConsumerPage = 0x0C;           // the keyboard's consumer-control collection

// The interfaces by role. The keyboard reports nothing the program follows, so
// the notify slot of the transport carries the optional music interface.
constexpr HidRole kRoleMatrix = HidRole::Cmd;
constexpr HidRole kRoleMacro = HidRole::Data;
constexpr HidRole kRoleLed = HidRole::Aux1;
constexpr HidRole kRoleColour = HidRole::Aux2;
constexpr HidRole kRoleMusic = HidRole::Notify;

constexpr uint8_t kMatrixId = 9;
constexpr uint8_t kLedId = 10;
constexpr uint8_t kColourId = 11;
constexpr uint8_t kMacroId = 12;
constexpr uint8_t kMusicId = 14;

constexpr size_t kMatrixReportLen = 505;
constexpr size_t kLedReportLen = 42;
constexpr size_t kColourReportLen = 380;
constexpr size_t kColourDeclaredShort = 379;  // the length some keyboards declare for colour and music
constexpr size_t kMacroReportLen = 1921;
constexpr size_t kMusicReportLen = 380;

constexpr int kMatrixCodes = 126;             // matrix positions 0..125
constexpr int kPlaneWidth = 126;              // LED positions 0..125
constexpr size_t kPlanesLen = 3 * size_t(kPlaneWidth);
constexpr size_t kLedDataLen = kLedReportLen - 1;       // 41
constexpr size_t kMusicFrameMax = kMusicReportLen - 1;  // 379

constexpr size_t kMacroBufferLen = 192;       // 64 actions of 3 bytes
constexpr int kMacroBufferNum = 10;
constexpr size_t kMacroAreaLen = kMacroBufferLen * kMacroBufferNum;  // 1920
static_assert(kMacroAreaLen + 1 == kMacroReportLen);
static_assert(4 * kMatrixCodes + 1 == kMatrixReportLen);
static_assert(1 + 1 + kPlanesLen == kColourReportLen);

// Codes: byte 0 the kind.
constexpr uint8_t kKindKey = 0x00;
constexpr uint8_t kKindConsumer = 0x01;
constexpr uint8_t kKindMacro = 0x02;
constexpr uint32_t kCodeFn = 0x00B00000;

// Macro actions: the kind in the high four bits of byte 1.
constexpr uint8_t kActKey = 0;
constexpr uint8_t kActButton = 2;
constexpr uint8_t kActModifier = 15;
constexpr uint32_t kActDelayMaxUnits = 0x7FF; // 11 bits of 10 ms

// The colour groups' bytes of an RGB keyboard without GameGroupIndex.
constexpr uint8_t kRgbGroupByte[2] = {9, 0};

// Pauses the keyboard needs.
constexpr auto kAfterLedRead = std::chrono::milliseconds(50);
constexpr auto kAfterWrite = std::chrono::milliseconds(100);
constexpr auto kAfterMatrixRead = std::chrono::milliseconds(50);
constexpr auto kAfterMatrix = std::chrono::milliseconds(40);
constexpr auto kDone = std::chrono::milliseconds(500);

}  // namespace varo
