#include "device/mirex/MirexGeneral.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/Log.h"
#include "core/SensorTables.h"

namespace mirex {

namespace {

constexpr size_t kLedRecords = kMsLedModeNum;  // effect records per mode
constexpr size_t kMaskColours = 8;             // colour mask bits the mouse takes
constexpr size_t kType3Colours = 7;            // room at bytes 54..74

// Its colours are those the colour mask selects, in button order.
bool ReadEffect(const MsLedMode& r, size_t nRecord, const MouseOptions& opt, EffectValues& v)
{
    if (!EffectLevels(r, nRecord, opt, v)) return false;
    for (size_t i = 0; i < kMaskColours; ++i)
        if (r.nColorMask & (1 << i)) v.colours.push_back(r.clr[i]);
    return true;
}

// The first n colours from nAt; colours the record does not select leave their bytes as read.
void PutColours(GeneralBlock& b, size_t nAt, const std::vector<ZColor>& colours, size_t n, const MouseOptions& opt)
{
    for (size_t i = 0; i < n && i < colours.size(); ++i) PutColour(b, nAt + 3 * i, colours[i], opt.RGBIndex);
}

// Effect types 1 to 6 sit at the same places on every kind.
bool PutCommonType(GeneralBlock& b, int nType, const MsLedMode& r, const EffectValues& v, size_t nRecord,
                   const MouseOptions& opt)
{
    switch (nType) {
    case 1:
        Put(b, 46, v.BrightByte());
        Put(b, 47, r.nDirect == 3 ? 1 : 0);
        return true;
    case 2:
        PutHigh(b, 48, v.byBright);
        PutColours(b, 49, v.colours, 1, opt);
        return true;
    case 3: {
        // Room for seven colours: an eighth would run into the next effects' bytes.
        const size_t n = std::min(v.colours.size(), kType3Colours);
        if (v.colours.size() > n) LogPrintf("Led[%zu]: %zu colours, the mouse takes %zu", nRecord, v.colours.size(), n);
        Put(b, 52, v.BrightByte());
        Put(b, 53, uint8_t(n));
        PutColours(b, 54, v.colours, n, opt);
        return true;
    }
    case 4: Put(b, 75, v.BrightByte()); return true;
    case 5: Put(b, 76, v.BrightByte()); return true;
    case 6:
        PutHigh(b, 77, v.byBright);
        for (size_t i = 0; i < 8; ++i) {
            const uint8_t p = opt.ColorfulSteadyIndex[i];
            if (p >= 8) {
                LogPrintf("ColorfulSteadyIndex[%zu]=%u is beyond the eight colours, colour not written", i, p);
                continue;
            }
            PutColour(b, 78 + 3 * size_t(p), r.clr[i], opt.RGBIndex);
        }
        return true;
    default: return false;
    }
}

void PutStandardType(GeneralBlock& b, int nType, const MsLedMode& r, const EffectValues& v, size_t nRecord,
                     const MouseOptions& opt)
{
    if (PutCommonType(b, nType, r, v, nRecord, opt)) return;
    switch (nType) {
    case 0: Put(b, kGbLedOff, uint8_t(opt.nLedOffVal)); break;
    case 7:
        Put(b, 108, v.BrightByte());
        PutColours(b, 109, v.colours, 2, opt);
        break;
    case 8: Put(b, 115, v.BrightByte()); break;
    case 9: Put(b, 116, v.BrightByte()); break;
    case 10: PutLow(b, 117, v.bySpeed); break;
    default: LogPrintf("Led[%zu]: effect type %d has no place in the block", nRecord, nType);
    }
}

void PutKind3Type(GeneralBlock& b, int nType, const MsLedMode& r, const EffectValues& v, size_t nRecord,
                  const MouseOptions& opt)
{
    if (nType == 0 || PutCommonType(b, nType, r, v, nRecord, opt)) return;
    switch (nType) {
    case 7:
        Put(b, 102, v.BrightByte());
        PutColours(b, 103, v.colours, 2, opt);
        break;
    case 8: Put(b, 109, v.BrightByte()); break;
    case 9: Put(b, 110, v.BrightByte()); break;
    case 10:
        PutLow(b, 111, v.bySpeed);
        if (opt.nShowReaction == 2) {
            Put(b, 112, uint8_t(v.colours.size() | (r.bFlag ? 0x80 : 0)));
            PutColours(b, 113, v.colours, kMaskColours, opt);
        }
        break;
    case 11: PutLow(b, 112, v.bySpeed); break;
    default: LogPrintf("Led[%zu]: effect type %d has no place in the block", nRecord, nType);
    }
}

// Kinds 1 and 2 (and 3) with the standard lighting page: every effect record
// with a description entry (or only the current one), then the current effect.
void UpdateEffectTable(GeneralBlock& b, const MsModeSettings& mode, const MouseOptions& opt, bool bKind3)
{
    const int nCur = mode.Led.nLedMode;
    const bool bCurValid = nCur >= 0 && size_t(nCur) < kLedRecords && opt.LedOpt[nCur].bValid;
    if (!bCurValid) LogPrintf("Led: current effect %d has no description entry", nCur);
    for (size_t i = 0; i < kLedRecords; ++i) {
        if (!opt.LedOpt[i].bValid) continue;
        if (!opt.nApplyAllLed && int(i) != nCur) continue;
        EffectValues v;
        if (!ReadEffect(mode.Led.Mode[i], i, opt, v)) continue;
        const int nType = opt.LedOpt[i].nEffectId;
        if (bKind3) PutKind3Type(b, nType, mode.Led.Mode[i], v, i, opt);
        else PutStandardType(b, nType, mode.Led.Mode[i], v, i, opt);
    }
    if (bCurValid) Put(b, kGbEffect, uint8_t(opt.LedOpt[nCur].nEffectId));
}

// Mice with a lighting layout of their own: only the current effect, 0..4.
void UpdateSubKind(GeneralBlock& b, const MsModeSettings& mode, const MouseOptions& opt)
{
    const int nSub = opt.SubKind();
    if (nSub == 3) {
        // Two lighting zones: the block positions of the second zone are not
        // known for this layout, so nothing is written rather than guessed.
        LogPrintf("Led: two-zone lighting is not written to this mouse");
        return;
    }
    const int a = mode.Led.nLedMode;
    if (a < 0 || a > 4) {
        LogPrintf("Led: effect %d has no code on this mouse, lighting not written", a);
        return;
    }
    static constexpr uint8_t kCode[5] = {0, 1, 2, 2, 3};
    const uint8_t c = kCode[a];
    const MsLedMode& r = mode.Led.Mode[a];
    PutHigh(b, kGbEffect, c);
    if (c == 0) {
        Put(b, kGbLedOff, 1);
        Put(b, kGbEffect, 0);
        return;
    }
    Put(b, kGbLedOff, 0);
    if (nSub == 2) {
        switch (c) {
        case 1:
            Put(b, 48, uint8_t(r.nBright));
            PutColour(b, 49, r.clr[0], opt.RGBIndex);
            Put(b, 46, 1);
            break;
        case 2:
            Put(b, 52, uint8_t(r.nSpeed));
            if (a == 3) {
                Put(b, 46, 3);
            } else {
                PutColour(b, 49, r.clr[0], opt.RGBIndex);
                Put(b, 46, 1);
            }
            break;
        default: Put(b, 76, uint8_t(r.nSpeed)); break;
        }
        if (opt.nShowDpiColor == 0) Put(b, kGbEffect, uint8_t(b[kGbEffect] & 0xF0));
        return;
    }
    Put(b, 46, 2);
    if (c == 1) {
        Put(b, 48, uint8_t(r.nBright));
        Put(b, kGbEffect, 0x11);
        return;
    }
    if (c == 2) {
        Put(b, 52, uint8_t(r.nSpeed));
        if (a == 3) Put(b, 46, 3);
    } else {
        Put(b, 76, uint8_t(r.nSpeed));
    }
    // The sub-mode and its two slider values; unset sliders read 4 and 3 on the page.
    const auto bySub = uint8_t(r.nPacked), by1 = uint8_t(r.nPacked >> 8), by2 = uint8_t(r.nPacked >> 16);
    PutLow(b, kGbEffect, bySub);
    if (bySub == 2 || bySub == 3) Put(b, 77, by1 ? by1 : 4);
    if (bySub == 3) Put(b, 78, by2 ? by2 : 3);
}

}  // namespace

uint8_t DpiCode(int32_t nSensor, int32_t nDpi)
{
    const std::optional<SensorStep> step = NearestStep(nSensor, nDpi);
    if (!step) return 0;
    const uint16_t wCode = step->pTable->HwCode[step->nIndex];
    if (wCode > 0xFF) {
        LogPrintf("DPI %d: code %u does not fit a byte, 255 sent", step->pTable->Dpi[step->nIndex], wCode);
        return 0xFF;
    }
    return uint8_t(wCode);
}

void UpdateDpiPart(GeneralBlock& b, const MsModeSettings& mode, int nMode, int nCurLevel, int32_t nSensor,
                   bool bReset, const MouseOptions& opt)
{
    b[0] = kGeneralMagic;
    if (bReset) {
        b[kGbLedOff] = 0;
        if (opt.Kind() == 3) b[kGbKind3Reset] = 0;
    }
    if (opt.nShowUsbRate || (bReset && opt.nSetUsbRateOnReset)) PutLow(b, kGbRate, RateCode(mode.nRate));
    std::fill_n(b.begin() + kGbDpiCodes, kGbDpiCodesLen, uint8_t{0});
    const bool bXY = mode.bXYSeparate != 0;
    size_t nAt = kGbDpiCodes;
    int nCount = 0, nOrdinal = 0;
    for (size_t i = 0; i < kGbLevelSlots; ++i) {
        const MsDpiLevel& lv = mode.Dpi[i];
        if (lv.bDisabled) continue;
        b[nAt++] = DpiCode(nSensor, lv.nDpiX);
        if (bXY) b[nAt++] = DpiCode(nSensor, lv.nDpiY);
        ++nCount;
        if (int(i) == nCurLevel) nOrdinal = nCount;
    }
    if (nOrdinal == 0) nOrdinal = nCount;  // current level disabled or unknown
    b[kGbLevelMask] = uint8_t(0xFF << nCount);
    b[kGbLevels] = uint8_t(nCount | nOrdinal << 4);
    b[kGbRate] = uint8_t((b[kGbRate] & 0x7F) | (bXY ? kGbXYSeparate : 0));
    for (size_t i = 0; i < kGbLevelSlots; ++i) {
        PutColour(b, kGbDpiColors + 3 * i, LevelColour(mode.Dpi[i].clr), opt.DPIRGBIndex);
    }
    LogPrintf("g_nCurDpiLevel[%d]=%d", nMode, nCurLevel);
}

void UpdateLightingPart(GeneralBlock& b, const MsModeSettings& mode, const MouseOptions& opt)
{
    if (opt.Kind() == 3) UpdateEffectTable(b, mode, opt, true);
    else if (opt.nMsFw >= 256) UpdateSubKind(b, mode, opt);
    else UpdateEffectTable(b, mode, opt, false);
}

}  // namespace mirex
