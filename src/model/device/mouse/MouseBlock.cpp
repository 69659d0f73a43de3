#include "device/mouse/MouseBlock.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "core/Log.h"
#include "core/SensorTables.h"

namespace mouse {

MouseOptions MouseOptions::FromDesc(const MsDesc& ms, int32_t nMsFw)
{
    MouseOptions o;
    o.nMsFw = nMsFw;
    std::memcpy(o.RGBIndex, ms.RGBIndex, 3);
    std::memcpy(o.DPIRGBIndex, ms.DPIRGBIndex, 3);
    std::copy(std::begin(ms.LedOpt), std::end(ms.LedOpt), o.LedOpt);
    std::memcpy(o.LightHW, ms.LightHW, 8);
    std::memcpy(o.SpeedHW, ms.SpeedHW, 8);
    o.nLightNum = ms.nLightNum;
    o.nSpeedNum = ms.nSpeedNum;
    o.nLedOffVal = ms.nLedOffVal;
    o.nApplyAllLed = ms.nApplyAllLed;
    o.nShowReaction = ms.nShowReaction;
    o.nShowDpiColor = ms.nShowDpiColor;
    o.nShowUsbRate = ms.nShowUsbRate;
    o.nSetUsbRateOnReset = ms.nSetUsbRateOnReset;
    o.nShowLED = ms.nShowLED;
    std::memcpy(o.ColorfulSteadyIndex, ms.ColorfulSteadyIndex, 8);
    return o;
}

bool ValidIndex(const uint8_t (&idx)[3])
{
    return idx[0] <= 2 && idx[1] <= 2 && idx[2] <= 2 && idx[0] != idx[1] && idx[1] != idx[2] && idx[0] != idx[2];
}

void PutColour(std::span<uint8_t> b, size_t nAt, ZColor clr, const uint8_t (&idx)[3])
{
    static constexpr uint8_t kPlain[3] = {0, 1, 2};
    const uint8_t(&order)[3] = ValidIndex(idx) ? idx : kPlain;
    if (nAt + 3 > b.size()) return;
    b[nAt + order[0]] = uint8_t(clr);
    b[nAt + order[1]] = uint8_t(clr >> 8);
    b[nAt + order[2]] = uint8_t(clr >> 16);
}

void Put(std::span<uint8_t> b, size_t nAt, uint8_t v)
{
    if (nAt < b.size()) b[nAt] = v;
}

void PutHigh(std::span<uint8_t> b, size_t nAt, uint8_t v)
{
    if (nAt < b.size()) b[nAt] = uint8_t((b[nAt] & 0x0F) | v << 4);
}

void PutLow(std::span<uint8_t> b, size_t nAt, uint8_t v)
{
    if (nAt < b.size()) b[nAt] = uint8_t((b[nAt] & 0xF0) | (v & 0x0F));
}

void Put16(std::span<uint8_t> b, size_t nAt, uint16_t v)
{
    Put(b, nAt, uint8_t(v));
    Put(b, nAt + 1, uint8_t(v >> 8));
}

uint8_t RateCode(int32_t nRate)
{
    switch (nRate) {
    case 0x125: return 1;
    case 0x250: return 2;
    case 0x1000: return 4;
    default: return 3;
    }
}

bool EffectLevels(const MsLedMode& r, size_t nRecord, const MouseOptions& opt, EffectValues& v)
{
    const int nLight = std::clamp(opt.nLightNum, 0, 8), nSpeed = std::clamp(opt.nSpeedNum, 0, 8);
    if (r.nBright < 0 || r.nBright >= nLight || r.nSpeed < 0 || r.nSpeed >= nSpeed) {
        LogPrintf("Led[%zu]: brightness %d or speed %d outside the description's lists, effect not written",
                  nRecord, r.nBright, r.nSpeed);
        return false;
    }
    v.byBright = opt.LightHW[r.nBright];
    v.bySpeed = opt.SpeedHW[r.nSpeed];
    return true;
}

std::optional<SensorStep> NearestStep(int32_t nSensor, int32_t nDpi)
{
    const SensorDpiTable* pTable = FindSensorTable(nSensor);
    if (!pTable || pTable->nCount <= 0) {
        LogPrintf("DPI %d: sensor 0x%04x has no steps, code 0 sent", nDpi, unsigned(nSensor));
        return std::nullopt;
    }
    int nIndex = FindDpiIndex(nSensor, nDpi);
    if (nIndex < 0) {
        nIndex = 0;
        for (int i = 1; i < pTable->nCount && i < kSensorDpiMax; ++i)
            if (std::abs(pTable->Dpi[i] - nDpi) < std::abs(pTable->Dpi[nIndex] - nDpi)) nIndex = i;
        LogPrintf("DPI %d is not a step of sensor 0x%04x, %d sent", nDpi, unsigned(nSensor), pTable->Dpi[nIndex]);
    }
    return SensorStep{pTable, nIndex};
}

}  // namespace mouse
