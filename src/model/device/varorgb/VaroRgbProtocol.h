// The RGB keyboard (firmware type 22) and its single-colour variant (23):
// a command interface (feature report 5, 6 bytes) and a data interface
// (feature report 6, 1032 bytes) carry the block transport of kb/, and an
// optional music interface (feature report 8, 382 bytes) carries the music
// frames and the effect data. Its numbers live here; what it shares with the
// other keyboards is in kb/.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

#include "device/kb/KbBlockTransport.h"

namespace varorgb {

constexpr int kFwRgb = 22;
constexpr int kFwSingleColour = 23;

constexpr int kUsagePage = 0xFF00;
constexpr int kUsage = 1;
constexpr int kMusicReportLen = 382;           // report id included
constexpr uint8_t kMusicReportId = 8;
constexpr uint8_t kMusicHeader[3] = {10, 122, 1};
constexpr size_t kMusicFrameLen = 378;         // a frame, and the effect data read back
constexpr size_t kEffectDataAt = 4;            // report id, then three bytes

// The on-board configuration: 254 bytes; byte 0 the configuration in use,
// byte 16 non-zero in wireless mode, from byte 8 one 123-byte block ("P") per
// configuration (two when the product's own configuration is 1).
constexpr size_t kCfgLen = 254;
constexpr size_t kCfgInUse = 0;
constexpr size_t kCfgWireless = 16;
constexpr size_t kCfgBlocksAt = 8;
constexpr size_t kCfgBlockLen = 123;
constexpr int kCfgBlockMax = 2;

constexpr uint8_t kCfgAddrRgb = 0xB6;
constexpr uint8_t kCfgAddrSingle = 0xBA;
constexpr uint8_t kMatrixAddr = 0xD4;
constexpr uint8_t kMatrixAddrOurCfg = 0xD8;    // when the product's configuration is 1
constexpr uint8_t kRgbAddr = 0xB8;
constexpr uint8_t kLedAddr[2] = {0xBC, 0xC0};
constexpr uint8_t kMacroAddr[4] = {0xDC, 0xE0, 0xE4, 0xE8};

// The mode colour table (type 22): seven colours of three bytes per mode.
constexpr size_t kRgbTableAt = 21;
constexpr size_t kRgbTableAtOurCfg = 525;
constexpr size_t kRgbModeLen = 21;

// The lighting blocks: the groups one after the other over two 1024-byte blocks.
constexpr size_t kLedAreaLen = 2 * kb::kBlockPayloadMax;
constexpr int kPlaneWidthRgb = 126;            // three planes per group
constexpr int kPlaneWidthSingle = 132;         // one on/off plane per group

// Macros: 128-byte buffers (kb/KbMacro128), eight per block, four blocks.
constexpr int kMacroBufferNum = 32;

// Per-mode bytes of the configuration block.
constexpr int kModeEntriesRgb = 22;            // two bytes a mode
constexpr int kModeEntriesSingle = 19;         // one byte a mode

constexpr auto kPauseExtra = std::chrono::milliseconds(20);  // after a block write, beyond WaitTm
constexpr auto kDoneWithProgress = std::chrono::milliseconds(500);
constexpr auto kDoneQuiet = std::chrono::milliseconds(20);

// The block addresses of a keyboard.
kb::KbBlockMap BlockMapFor(int nFwType, int nOurCfg);

}  // namespace varorgb
