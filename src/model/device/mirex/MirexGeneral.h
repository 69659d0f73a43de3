// The 140-byte general block of one mode: what the wired mouse keeps per mode
// besides its keys (DPI levels and their colours, report rate, lighting). The
// host reads the block, changes the parts it owns and writes it back, so bytes
// it does not know survive.
#pragma once

#include <cstdint>

#include "core/Gvar.h"
#include "core/ProfileRecord.h"
#include "device/mirex/MirexReports.h"

namespace mirex {

// The description options the block depends on, copied from gVar so that the
// builders are plain functions of their arguments.
struct MirexOptions {
    int32_t nMsFw = 0;               // low 4 bits kind, 4..7 bullets, 8.. lighting layout
    uint8_t RGBIndex[3] = {0, 1, 2};
    uint8_t DPIRGBIndex[3] = {0, 1, 2};
    LedOptMs LedOpt[kMsLedOptNum] = {};
    uint8_t LightHW[8] = {};
    int32_t nLightNum = 0;
    uint8_t SpeedHW[8] = {};
    int32_t nSpeedNum = 0;
    int32_t nLedOffVal = 3;
    int32_t nApplyAllLed = 1;
    int32_t nShowReaction = 0;
    int32_t nShowDpiColor = 1;
    int32_t nShowUsbRate = 1;
    int32_t nSetUsbRateOnReset = 0;
    int32_t nShowLED = 255;
    uint8_t ColorfulSteadyIndex[8] = {0, 1, 2, 3, 4, 5, 6, 7};

    static MirexOptions FromGvar();
    int Kind() const { return nMsFw & 0x0F; }
    int SubKind() const { return nMsFw >> 8; }
};

// The block's rate code for a rate in hertz written with hexadecimal digits:
// 0x125 -> 1, 0x250 -> 2, 0x1000 -> 4, anything else -> 3 (500 Hz).
uint8_t RateCode(int32_t nRate);

// The one-byte hardware code of a resolution. A resolution the sensor does
// not list (a profile made for another sensor) takes its nearest step; a code
// above 255 is sent as 255. Both are logged.
uint8_t DpiCode(int32_t nSensor, int32_t nDpi);

// Bytes 0 and 2..44: magic, rate, levels, level codes and colours of mode m
// (0..2). nCurLevel is the current level index (-1: none); bReset clears the
// off-effect byte (and byte 114 on kind 3).
void UpdateDpiPart(GeneralBlock& block, const MsModeSettings& mode, int nMode, int nCurLevel, int32_t nSensor,
                   bool bReset, const MirexOptions& opt);

// Bytes 45..122 (and 123..139 for kind 3's reaction colours): the lighting of
// the mode in the layout of the mouse kind. Indexes read from the profile or
// the description that fall outside their tables are logged and skipped.
void UpdateLightingPart(GeneralBlock& block, const MsModeSettings& mode, const MirexOptions& opt);

}  // namespace mirex
