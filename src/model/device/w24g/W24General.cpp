#include "device/w24g/W24General.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "core/Gvar.h"
#include "core/Log.h"
#include "core/SensorTables.h"

namespace w24g {

using namespace mouse;

namespace {

constexpr size_t kColoursMax = 8;       // colours an effect record gives the mouse

// Its colours are the record's first ones, as many as it uses.
bool ReadEffect(const MsLedMode& r, size_t nRecord, const W24Options& opt, EffectValues& v)
{
    if (!EffectLevels(r, nRecord, opt.base, v)) return false;
    size_t n = r.nColorCount < 0 ? 0 : size_t(r.nColorCount);
    if (n > kColoursMax) {
        LogPrintf("Led[%zu]: %zu colours, the mouse takes %zu", nRecord, n, kColoursMax);
        n = kColoursMax;
    }
    v.colours.assign(r.clr, r.clr + n);
    return true;
}

// Clears an effect's colour area and writes at most as many colours as it holds.
void PutColourArea(GeneralBlock& b, size_t nAt, size_t nRoom, const EffectValues& v, size_t nRecord,
                   const W24Options& opt)
{
    const size_t n = std::min(v.colours.size(), nRoom);
    if (n < v.colours.size())
        LogPrintf("Led[%zu]: %zu colours, room for %zu at byte %zu", nRecord, v.colours.size(), nRoom, nAt);
    std::fill_n(b.begin() + ptrdiff_t(nAt), 3 * nRoom, uint8_t{0});
    for (size_t i = 0; i < n; ++i) PutColour(b, nAt + 3 * i, v.colours[i], opt.base.RGBIndex);
}

void PutEffect(GeneralBlock& b, int nType, const MsLedMode& r, const EffectValues& v, size_t nRecord,
               const W24Options& opt)
{
    switch (nType) {
    case 1:
        b[62] = v.BrightByte();
        b[63] = r.nDirect == 3 ? 1 : 0;
        break;
    case 2:
        if (opt.nSubMsFw == 1) {
            // This mouse keeps the colours of its steady effect where the
            // colourful-steady effect keeps them; byte 64 takes its pattern.
            PutLow(b, 64, uint8_t(r.nUnused15));
            const size_t n = std::min(v.colours.size(), kColoursMax);
            std::fill_n(b.begin() + 94, 3 * n, uint8_t{0});
            for (size_t i = 0; i < n; ++i) PutColour(b, 94 + 3 * i, v.colours[i], opt.base.RGBIndex);
        } else {
            PutHigh(b, 64, v.byBright);
            if (!v.colours.empty()) PutColour(b, 65, v.colours[0], opt.base.RGBIndex);
        }
        break;
    case 3: {
        // Bytes 70..90 hold seven colours; an eighth would run into the next effects.
        const size_t n = std::min<size_t>(v.colours.size(), 7);
        b[68] = v.BrightByte();
        b[69] = uint8_t(n);
        PutColourArea(b, 70, 7, v, nRecord, opt);
        break;
    }
    case 4: PutLow(b, 91, v.bySpeed); break;
    case 5: b[92] = v.BrightByte(); break;
    case 6:
        PutHigh(b, 93, v.byBright);
        PutColourArea(b, 94, 10, v, nRecord, opt);
        break;
    case 7:
        // Two colours fit before the next effects' bytes.
        b[124] = v.BrightByte();
        PutColourArea(b, 125, 2, v, nRecord, opt);
        break;
    case 8: b[131] = v.BrightByte(); break;
    case 9: b[132] = v.BrightByte(); break;
    case 10: PutLow(b, 133, v.bySpeed); break;
    default: break;  // no data (type 0 is "off")
    }
}

}  // namespace

W24Options W24Options::FromDesc(const MsDesc& ms, int32_t nMsFw, int32_t nSubMsFw)
{
    W24Options o;
    o.base = mouse::MouseOptions::FromDesc(ms, nMsFw);
    o.nLedMask = ms.nLedMask;
    o.nSubMsFw = nSubMsFw;
    o.nShowNoSleep = ms.nShowNoSleep;
    o.nLedOFFWhenMoving = ms.nLedOFFWhenMoving;
    o.nShowMotionSync = ms.nShowMotionSync;
    return o;
}

bool IsPlausible(const GeneralBlock& b, int32_t nSensor)
{
    const int nRate = b[kGbRate] & 0x0F;
    const int32_t nFound = SensorFromCode(b[kGbSensor] & 0x3F);
    return nFound != 0 && (nSensor == 0 || nFound == nSensor) && nRate >= 1 && nRate <= 4;
}

std::optional<int> CurLevelFromBlock(const GeneralBlock& b)
{
    const uint8_t by = b[kGbLevels];
    if (by < 16 || (by & 0x0F) < (by >> 4) || (by >> 4) > int(kGbLevelSlots)) return std::nullopt;
    return (by >> 4) - 1;
}

uint16_t DpiCode16(int32_t nSensor, int32_t nDpi)
{
    if (nDpi == 0) return 0;
    const std::optional<mouse::SensorStep> step = mouse::NearestStep(nSensor, nDpi);
    return step ? step->pTable->HwCode[step->nIndex] : 0;
}

void UpdateDpiPart(GeneralBlock& b, const MsModeSettings& mode, int nCurLevel, int32_t nSensor, bool bReset,
                   const W24Options& opt)
{
    b[0] = kGeneralMagic;
    if (opt.base.nShowUsbRate || (bReset && opt.base.nSetUsbRateOnReset))
        PutLow(b, kGbRate, mouse::RateCode(mode.nRate));
    const bool bXY = mode.bXYSeparate != 0;
    int nCount = 0, nOrdinal = 0;
    for (size_t i = 0; i < kGbLevelSlots; ++i) {
        const MsDpiLevel& lv = mode.Dpi[i];
        // Every slot is written: the mouse steps through the first nCount of them.
        Put16(b, kGbDpiX + 2 * i, DpiCode16(nSensor, lv.nDpiX));
        if (bXY) Put16(b, kGbDpiY + 2 * i, DpiCode16(nSensor, lv.nDpiY));
        if (lv.bDisabled) continue;
        if (size_t(nCount) != i) LogPrintf("DPI level %zu is enabled after a disabled one", i + 1);
        ++nCount;
        if (int(i) == nCurLevel) nOrdinal = nCount;
    }
    if (nOrdinal == 0) nOrdinal = nCount;  // current level disabled or unknown
    b[kGbLevels] = uint8_t(nCount | nOrdinal << 4);
    b[kGbRate] = uint8_t((b[kGbRate] & 0x7F) | (bXY ? kGbXYSeparate : 0));
    for (size_t i = 0; i < kGbLevelSlots; ++i) {
        PutColour(b, kGbDpiColors + 3 * i, mouse::LevelColour(mode.Dpi[i].clr), opt.base.DPIRGBIndex);
    }
}

void UpdateLightingPart(GeneralBlock& b, const MsModeSettings& mode, const W24Options& opt)
{
    const int nCur = mode.Led.nLedMode;
    const bool bCurValid = nCur >= 0 && nCur < kMsLedOptNum && nCur < kMsLedModeNum && opt.base.LedOpt[nCur].bValid;
    if (!bCurValid) LogPrintf("Led: current effect %d has no description entry", nCur);
    for (int i = 0; i < kMsLedModeNum && i < kMsLedOptNum; ++i) {
        if (!opt.base.LedOpt[i].bValid) continue;
        if (opt.base.nApplyAllLed ? (opt.nLedMask >> i & 1) != 0 : i != nCur) continue;
        EffectValues v;
        if (!ReadEffect(mode.Led.Mode[i], size_t(i), opt, v)) continue;
        PutEffect(b, opt.base.LedOpt[i].nEffectId, mode.Led.Mode[i], v, size_t(i), opt);
    }
    if (bCurValid) b[kGbEffect] = uint8_t(opt.base.LedOpt[nCur].nEffectId);
}

void UpdateSystemPart(GeneralBlock& b, const MsSettings& ms, const W24Extras& extras, const W24Options& opt)
{
    if (extras.zone) {
        const W24Zone& z = *extras.zone;
        if (z.byOption <= 2) {
            b[kGbZoneOption] = z.byOption;
            b[kGbZoneValue] = z.byOption == 0 ? 0 : z.byValue;
            PutColour(b, kGbZoneColour, z.clr, opt.base.RGBIndex);
        } else {
            LogPrintf("Second zone: option %u does not exist, zone not written", z.byOption);
        }
    }
    b[kGbTrailer] = kGbTrailerValue;
    uint8_t& f = b[kGbFlags];
    if (opt.nShowNoSleep) f = uint8_t((f & ~kFlagNoSleep) | (ms.bNoSleep ? kFlagNoSleep : 0));
    if (opt.nLedOFFWhenMoving) f = uint8_t((f & ~kFlagLedOffMoving) | (ms.bLedOffWhenMoving ? kFlagLedOffMoving : 0));
    f = uint8_t(f & ~kFlagLightingBits);
    if (opt.nShowMotionSync && extras.bMotionSync) {
        if (opt.nShowNoSleep) LogPrintf("Flags: motion sync takes bit 7 over no-sleep");
        f = uint8_t((f & ~kFlagNoSleep) | (*extras.bMotionSync ? kFlagNoSleep : 0));
    }
}

}  // namespace w24g
