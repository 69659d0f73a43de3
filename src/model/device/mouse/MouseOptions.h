// The description options the mouse families' general blocks depend on,
// taken from the job's copy of the mouse description, so that the block
// builders are plain functions of their arguments.
#pragma once

#include <cstdint>

#include "core/Gvar.h"

namespace mouse {

struct MouseOptions {
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

    static MouseOptions FromDesc(const MsDesc& ms, int32_t nMsFw);
    // The installation's options (gVar): user-interface thread and tests.
    static MouseOptions FromGvar() { return FromDesc(gVar.Ms, gVar.nMsFw); }
    int Kind() const { return nMsFw & 0x0F; }
    int SubKind() const { return nMsFw >> 8; }
};

}  // namespace mouse
