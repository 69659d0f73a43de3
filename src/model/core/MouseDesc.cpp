#include "core/MouseDesc.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <string>

#include "core/Log.h"
#include "core/MouseDescReader.h"
#include "core/SensorTables.h"
#include "core/Utf.h"

namespace {

constexpr std::string_view kMs = "MS";

// ---- plain options -------------------------------------------------------------

struct IntOpt {
    std::string_view key;
    int32_t def;
    int32_t MsDesc::*field;
};

// Page options that are one integer each, in reading order.
constexpr IntOpt kPageOpts[] = {
    {"LedMask", 0, &MsDesc::nLedMask},
    {"ShowEffect", 0, &MsDesc::nShowEffect},
    {"LedInd", 1, &MsDesc::nLedInd},
    {"DpiRGB", 1, &MsDesc::nDpiRGB},
    {"ShowDpiColor", 1, &MsDesc::nShowDpiColor},
    {"ShowDpiCheck", 1, &MsDesc::nShowDpiCheck},
    {"ShowUsbRate", 1, &MsDesc::nShowUsbRate},
    {"SetUsbRateOnReset", 0, &MsDesc::nSetUsbRateOnReset},
    {"AlwaysHideUsbRate", 0, &MsDesc::nAlwaysHideUsbRate},
    {"ShowXY", 1, &MsDesc::nShowXY},
    {"LedOffVal", 3, &MsDesc::nLedOffVal},
    {"RgbSW", 1, &MsDesc::nRgbSW},
    {"ShowReportSw", 0, &MsDesc::nShowReportSw},
    {"HideDpiSw", 0, &MsDesc::nHideDpiSw},
    {"ShowLOD", 0, &MsDesc::nShowLOD},
    {"ShowMacro", 1, &MsDesc::nShowMacro},
    {"ShowPower", 1, &MsDesc::nShowPower},
    {"ShowPowerValue", 0, &MsDesc::nShowPowerValue},
    {"ShowReaction", 0, &MsDesc::nShowReaction},
    {"ShowOneStream", 0, &MsDesc::nShowOneStream},
    {"ShowPUBGMenu", 1, &MsDesc::nShowPUBGMenu},
    {"ModeSp", 0, &MsDesc::nModeSp},
    {"ApplyAllLed", 1, &MsDesc::nApplyAllLed},
    {"DpiUILevels", 0, &MsDesc::nDpiUILevels},
    {"ShowSys", 255, &MsDesc::nShowSys},
};

// Behaviour options read after the LED page switch, in reading order.
constexpr IntOpt kBehaviourOpts[] = {
    {"AutoSw", 0, &MsDesc::nAutoSw},
    {"PopByte1", 0, &MsDesc::nPopByte1},
    {"ModeSWBySw", 0, &MsDesc::nModeSWBySw},
    {"ShowOnlyModeString", 0, &MsDesc::nShowOnlyModeString},
    {"HandOft", 51, &MsDesc::nHandOft},
    {"KeyCodeHasIndex", 1, &MsDesc::nKeyCodeHasIndex},
    {"ApplyMode", 1, &MsDesc::nApplyMode},
    {"SyncModeAfterApply", 0, &MsDesc::nSyncModeAfterApply},
    {"DpiJump", 0, &MsDesc::nDpiJump},
    {"ShowKeySnip", 0, &MsDesc::nShowKeySnip},
    {"SingleMode", 0, &MsDesc::nSingleMode},
    {"PowerFw", 0, &MsDesc::nPowerFw},
    {"LedOFFWhenMoving", 0, &MsDesc::nLedOFFWhenMoving},
    {"ShowMotionSync", 0, &MsDesc::nShowMotionSync},
    {"MsMoveSpeed", 0, &MsDesc::nMsMoveSpeed},
    {"EnhancePrecision", -1, &MsDesc::nEnhancePrecision},
};

void ReadInts(CMsReader& r, MsDesc& ms, std::span<const IntOpt> opts)
{
    for (const IntOpt& o : opts) ms.*o.field = r.Int(o.key, o.def);
}

// A list of 16-bit identifiers; an item that is not one ends the list (logged).
void ReadWords(CMsReader& r, std::string_view key, std::span<uint16_t> dst)
{
    std::fill(dst.begin(), dst.end(), uint16_t{0});
    const auto list = r.List(key, 16, dst.size());
    if (!list) return;
    size_t n = 0;
    for (const int32_t v : *list) {
        if (v < 0 || v > 0xFFFF) {
            r.Note(key, "item is not a 16-bit identifier; the list ends before it", std::to_string(v));
            break;
        }
        dst[n++] = uint16_t(v);
    }
}

template <size_t N>
void CopyBytes(uint8_t (&dst)[N], std::initializer_list<uint8_t> src)
{
    std::fill(std::begin(dst), std::end(dst), uint8_t{0});
    std::copy_n(src.begin(), std::min(N, src.size()), dst);
}

// ---- brightness, speed, lift-off, debounce tables ---------------------------

// A UI list with its hardware values (LightUI/LightHW, SpeedUI/SpeedHW) and the
// default index into it; returns the number of values.
int ReadValueTable(CMsReader& r, std::string_view uiKey, std::string_view hwKey, uint8_t (&ui)[8], uint8_t (&hw)[8],
                   std::initializer_list<uint8_t> def, std::string_view defKey, int32_t nDefIndex,
                   int32_t& nDefOut)
{
    int nCount = r.Bytes(uiKey, 16, ui);
    if (nCount > 0) {
        const int nHw = r.Bytes(hwKey, 16, hw);
        if (nHw <= 0) {
            std::copy(std::begin(ui), std::end(ui), hw);
        } else if (nHw < nCount) {
            r.Note(hwKey, "fewer hardware values than UI values; the missing ones are 0");
        }
    } else {
        CopyBytes(ui, def);
        CopyBytes(hw, def);
        nCount = int(def.size());
    }
    int32_t nDef = r.Int(defKey, nDefIndex);
    if (nDef < 0 || nDef >= nCount) {
        r.Warning(defKey, "Wrong " + std::string(defKey) + " value", std::to_string(nDef));
        // The index picks a table entry: it must stay inside the table.
        nDef = std::clamp(nDef, 0, nCount - 1);
    }
    nDefOut = nDef;
    return nCount;
}

void ReadLiftOff(CMsReader& r, MsDesc& ms)
{
    ms.ptLOD = r.Point("ptLOD", {648, 131});
    ms.nWirlessLOD = r.Int("WirlessLOD", 1);
    ms.nLOD = r.Int("LOD", 0x000A0206);

    int nCapacity = 16;
    if (ms.nShowLOD == 2) {
        if (r.Bytes("LODSet", 10, ms.LODSet) <= 0)
            for (int i = 0; i < 16; ++i) ms.LODSet[i] = uint8_t(5 + i);
        if (r.Bytes("LODVal", 10, ms.LODVal) <= 0) std::copy(std::begin(ms.LODSet), std::end(ms.LODSet), ms.LODVal);
        ms.nLodNum = 16;
    } else if (ms.nShowLOD == 1) {
        nCapacity = 8;
        ms.nLodNum = std::max(r.Bytes("LodUI", 16, ms.LodUI), 0);
        if (ms.nLodNum == 0) r.Warning("LodUI", "Wrong LodUI value");
        if (r.Bytes("LodHW", 16, ms.LodHW) <= 0) r.Warning("LodHW", "Wrong LodHW value");
    }

    // Byte 0 is the number of lift-off levels and byte 1 the default level: both
    // index the tables above, so they are kept inside them.
    int32_t nLevels = ms.nLOD & 0xFF;
    int32_t nDefault = (ms.nLOD >> 8) & 0xFF;
    if (nLevels > nCapacity) {
        r.Note("LOD", "more lift-off levels than the tables hold; cut", std::to_string(nLevels));
        nLevels = nCapacity;
    }
    if (nLevels > 0 && nDefault >= nLevels) {
        r.Note("LOD", "default lift-off level beyond the levels; the last one used", std::to_string(nDefault));
        nDefault = nLevels - 1;
    }
    ms.nLOD = int32_t((uint32_t(ms.nLOD) & 0xFFFF0000u) | uint32_t(nDefault) << 8 | uint32_t(nLevels));
}

void ReadDebounce(CMsReader& r, MsDesc& ms)
{
    ms.ptDebounce = r.Point("ptDebounce", {648, 131});
    ms.nDebounceNum = std::max(r.Bytes("DebounceUi", 10, ms.DebounceUi), 0);
    if (ms.nDebounceNum == 0 || ms.DebounceUi[0] == 0) {
        ms.nDebounceNum = 0;  // no debounce option
        return;
    }
    const int nHw = r.Bytes("DebounceHw", 10, ms.DebounceHw);
    if (nHw < ms.nDebounceNum) r.Note("DebounceHw", "fewer hardware values than UI values; the missing ones are 0");
    ms.nDefDebounce = r.Int("DefDebounce", 3);
    if (ms.nDefDebounce < 0 || ms.nDefDebounce >= ms.nDebounceNum) {
        r.Note("DefDebounce", "index beyond the debounce values; brought into range",
               std::to_string(ms.nDefDebounce));
        ms.nDefDebounce = std::clamp(ms.nDefDebounce, 0, ms.nDebounceNum - 1);
    }
}

// Positions of red, green and blue in the device's colour triples.
void ReadRgbIndex(CMsReader& r, std::string_view key, uint8_t (&dst)[3])
{
    uint8_t v[3];
    const int n = r.Bytes(key, 16, v);
    const bool bOk = n == 3 && v[0] <= 2 && v[1] <= 2 && v[2] <= 2;
    if (n == 3 && !bOk) r.Warning(key, "Wrong " + std::string(key) + " value");
    if (bOk) std::copy_n(v, 3, dst);
    else CopyBytes(dst, {0, 1, 2});
}

// ---- LED options ----------------------------------------------------------------

constexpr ZColor kPaletteA[10] = {0x0000FF, 0xFF0000, 0x00FF00, 0xFF0080, 0x03C6FA,
                                  0x6A03FA, 0xFA00FA, 0xFFFFFF, 0xFAFA00, 0xFA8000};
constexpr ZColor kPaletteB[10] = {0x0000FF, 0xFF0000, 0x00FF00, 0xFF0080, 0x03C6FA, 0x6A03FA, 0xFA00FA, 0xFFFFFF};
constexpr ZColor kColors1[10] = {0xFF00FF, 0x0000FF, 0x00FF00, 0xFF0000, 0xFFFF00,
                                 0x00FFFF, 0xFA00FA, 0xFFFFFF, 0,        0x00FF00};
constexpr ZColor kColors2[10] = {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFF00, 0x00FFFF,
                                 0xFA00FA, 0xFFFFFF, 0,        0x00FF00, 0xFF00FF};
constexpr ZColor kColors5[10] = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFFFF00, 0xFFFFFF, 0x0080FA, 0xFF00FF};
constexpr ZColor kColors6[10] = {0x00FF00, 0xFF00FF, 0, 0, 0, 0, 0, 0x0000FF, 0x00FF00, 0xFF0000};

struct LedRow {
    int32_t nPara1, nEffectId, nPara2, nPara3, nPara4, nPara5, nClrNum;
    const ZColor* pClr;  // null: the family's palette
};

// The effect list of the mice that have one built in; list B (kind 3) differs
// in records 3, 7, 10 and 11 and in the palette.
constexpr LedRow kLedListA[] = {
    {5, 1, 1, 0, 1, 0, 0, nullptr},  {1, 2, 0, 1, 0, 0, 1, kColors1}, {3, 3, 1, 0, 0, 0, 7, kColors2},
    {0, 4, 1, 0, 0, 0, 0, nullptr},  {2, 5, 1, 0, 0, 0, 0, nullptr},  {0, 6, 0, 0, 0, 0, 6, kColors5},
    {4, 7, 0, 0, 0, 0, 2, kColors6}, {0, 8, 1, 0, 0, 0, 0, nullptr},  {9, 9, 1, 0, 0, 0, 0, nullptr},
    {0, 10, 1, 0, 0, 0, 0, nullptr}, {0, 0, 0, 0, 0, 0, 0, nullptr},
};
constexpr LedRow kLedListB[] = {
    {5, 1, 1, 0, 1, 0, 0, nullptr},  {1, 2, 0, 1, 0, 0, 1, kColors1}, {3, 3, 1, 0, 0, 0, 7, kColors2},
    {8, 4, 1, 0, 0, 0, 0, nullptr},  {2, 5, 1, 0, 0, 0, 0, nullptr},  {0, 6, 0, 0, 0, 0, 6, kColors5},
    {4, 7, 0, 0, 0, 0, 2, kColors6}, {8, 8, 1, 0, 0, 0, 0, nullptr},  {9, 9, 1, 0, 0, 0, 0, nullptr},
    {0, 10, 1, 0, 0, 0, 0, nullptr}, {0, 11, 1, 0, 0, 0, 0, nullptr}, {0, 0, 0, 0, 0, 0, 0, nullptr},
};

void FillLedList(MsDesc& ms, std::span<const LedRow> rows, const ZColor (&palette)[10])
{
    for (size_t i = 0; i < rows.size() && i < std::size(ms.LedOpt); ++i) {
        const LedRow& row = rows[i];
        LedOptMs& o = ms.LedOpt[i];
        o = {1, row.nPara1, row.nEffectId, row.nPara2, row.nPara3, row.nPara4, row.nPara5, row.nClrNum, {}};
        std::copy_n(row.pClr ? row.pClr : palette, 10, o.Clr);
    }
}

void ReadLedOptions(CMsReader& r, MsDesc& ms)
{
    const int32_t nKind = gVar.nMsFw & 0x0F;
    if (((nKind == 2 || nKind == 4 || nKind == 5) && gVar.nMsFw < 256)) FillLedList(ms, kLedListA, kPaletteA);
    else if (nKind == 3) FillLedList(ms, kLedListB, kPaletteB);

    for (int i = 0; i < kMsLedOptNum; ++i) {
        const std::string key = "LedOpt" + std::to_string(i + 1);
        const auto list = r.List(key, 10, 37);
        if (!list) continue;
        if (list->empty()) {
            r.Note(key, "no number in the value; the option is left as it was");
            continue;
        }
        const std::vector<int32_t>& v = *list;
        auto at = [&](size_t k) { return k < v.size() ? v[k] : 0; };
        LedOptMs& o = ms.LedOpt[i];
        o.bValid = 1;
        o.nEffectId = at(0);
        o.nPara1 = at(1);
        o.nPara2 = at(2);
        o.nPara3 = at(3);
        o.nPara4 = at(4);
        o.nPara5 = at(5);
        o.nClrNum = at(6);
        if (o.nClrNum < 0 || o.nClrNum > 10) {
            // The count picks colour buttons and colours of the 10-entry list.
            r.Note(key, "colour count outside 0..10; brought into range", std::to_string(o.nClrNum));
            o.nClrNum = std::clamp(o.nClrNum, 0, 10);
        }
        if (v.size() > 7) {
            for (size_t c = 0; c < 10; ++c) {
                const size_t k = 7 + 3 * c;
                o.Clr[c] = k < v.size() ? ColorOf(at(k), at(k + 1), at(k + 2)) : 0;
            }
        }
    }
}

// ---- DPI lock menu, picker colours, gun presets ----------------------------------

void ReadSnipMenu(CMsReader& r, MsDesc& ms)
{
    r.Bytes("SnipMenu", 10, ms.nSnipMenu);
    if (ms.nSnipMenu[1] > 15) {
        r.Error("SnipMenu", "Dpi lock menus > 15", std::to_string(ms.nSnipMenu[1]));
        ms.nSnipMenu[1] = 15;  // the entries after the count hold 15 at most
    }
}

void ReadPickColors(CMsReader& r, MsDesc& ms)
{
    const auto list = r.List("PickColor", 10, 128);
    if (!list) {
        const std::pair<ZColor, int32_t> def[] = {{MakeColor(255, 0, 0), 1},   {MakeColor(0, 255, 0), 2},
                                                  {MakeColor(0, 0, 255), 3},   {MakeColor(0, 255, 255), 4},
                                                  {MakeColor(255, 255, 0), 5}, {MakeColor(255, 0, 255), 6},
                                                  {MakeColor(255, 255, 255), 7}};
        for (size_t i = 0; i < std::size(def); ++i) ms.PickColor[i] = {def[i].first, def[i].second};
        return;
    }
    const std::vector<int32_t>& v = *list;
    auto at = [&](size_t k) { return k < v.size() ? v[k] : 0; };
    for (size_t i = 0; i < std::size(ms.PickColor) && 4 * i < v.size(); ++i) {
        const ZColor clr = ColorOf(at(4 * i), at(4 * i + 1), at(4 * i + 2));
        if (clr == 0) break;
        ms.PickColor[i] = {clr, at(4 * i + 3)};
    }
}

void ReadGunPresets(CMsReader& r, MsDesc& ms)
{
    constexpr ZColor kGunColors[] = {MakeColor(255, 0, 0),   MakeColor(0, 0, 255),   MakeColor(0, 255, 0),
                                     MakeColor(0, 255, 255), MakeColor(255, 0, 255), MakeColor(255, 255, 0),
                                     MakeColor(255, 255, 255)};
    constexpr uint8_t kGunValues[21] = {13, 40, 10, 11, 45, 10, 11, 41, 10, 11, 0,
                                        10, 12, 44, 10, 12, 0,  10, 8,  0,  8};
    r.Colors("GunColor", kGunColors, ms.GunColor);
    std::copy(std::begin(kGunValues), std::end(kGunValues), ms.GunValue);
    const auto list = r.List("GunValue", 10, 22);
    if (!list) return;
    const bool bBytes = std::all_of(list->begin(), list->end(), [](int32_t v) { return v >= 0 && v <= 255; });
    if (list->size() != 21 || !bBytes) {
        // A partial table would mix compensation values of different guns.
        r.Error("GunValue", "GunValue number!=21", std::to_string(list->size()));
        return;
    }
    for (size_t i = 0; i < 21; ++i) ms.GunValue[i] = uint8_t((*list)[i]);
}

void ReadMsSection(CMsReader& r, MsDesc& ms)
{
    // 1. identifiers
    ms.nVID = uint16_t(uint32_t(r.Int("VID", 0x258A)) & 0xFFFF);
    ReadWords(r, "PID", ms.nPID);
    ReadWords(r, "PID2", ms.nPID2);

    // 2. page options
    ms.nPop = uint16_t(uint32_t(r.Int("Pop", 0)) & 0xFFFF);
    ReadInts(r, ms, kPageOpts);

    // 3. positions of the eight colours of the colourful steady effect
    const int nSteady = r.Bytes("ColorfulSteadyIndex", 16, ms.ColorfulSteadyIndex);
    const bool bSteadyOk = std::all_of(std::begin(ms.ColorfulSteadyIndex), std::end(ms.ColorfulSteadyIndex),
                                       [](uint8_t v) { return v < 8; });
    if (nSteady >= 0 && (nSteady < 8 || !bSteadyOk)) r.Warning("ColorfulSteadyIndex", "Wrong ColorfulSteadyIndex value");
    if (nSteady < 8 || !bSteadyOk)
        for (int i = 0; i < 8; ++i) ms.ColorfulSteadyIndex[i] = uint8_t(i);

    // 4., 5. brightness and speed lists
    ms.nDefEffect = r.Int("DefEffect", 0);
    ms.nLightNum = ReadValueTable(r, "LightUI", "LightHW", ms.LightUI, ms.LightHW, {1, 2, 3, 4}, "DefLight", 3,
                                  ms.nDefLight);
    ms.nSpeedNum = ReadValueTable(r, "SpeedUI", "SpeedHW", ms.SpeedUI, ms.SpeedHW, {1, 2, 3}, "DefSpeed", 1,
                                  ms.nDefSpeed);

    // 6. DPI switch values of the mice with an LED layout
    if (gVar.nMsFw > 255) {
        if (r.Bytes("DpiSW", 16, ms.DpiSW) <= 0) CopyBytes(ms.DpiSW, {1, 2, 0});
        if (r.Bytes("DpiSW2", 16, ms.DpiSW2) <= 0) std::copy_n(ms.DpiSW, 3, ms.DpiSW2);
    }

    // 7.-10.
    ms.ptSleep = r.Point("ptSleep", {648, 128});
    ms.nShowNoSleep = r.Int("ShowNoSleep", 0);
    ms.ptReportBar = r.Point("ptReportBar", {0, 0});
    const int32_t nShowLed = r.Int("ShowLED", 255);
    ms.nShowLED = nShowLed & 0xFF;
    ms.nShowLEDEx = (nShowLed >> 8) & 0xFF;
    ReadInts(r, ms, kBehaviourOpts);
    ms.ptLedOFFWhenMoving = r.Point("ptLedOFFWhenMoving", {672, 102});
    ms.ptMotionSync = r.Point("ptMotionSync", {0, 0});
    if (const auto list = r.List("PrecisionUI", 10, 11)) {
        std::copy(list->begin(), list->end(), ms.PrecisionUI);
        ms.nPrecisionNum = int32_t(list->size());
    }

    // 11.-13. lift-off and debounce
    ReadLiftOff(r, ms);
    ReadDebounce(r, ms);

    // 14.-20. DPI text, colour orders, shooting, colours, extra keys
    ms.rcDpiText = r.Rect("rcDpiText", {1, 4, 37, 20});
    ReadRgbIndex(r, "RGBIndex", ms.RGBIndex);
    ReadRgbIndex(r, "DPIRGBIndex", ms.DPIRGBIndex);
    ms.nShootSpeed = r.Int("ShootSpeed", 1);
    ms.nShootFudu = r.Int("ShootFudu", 1);
    if (ms.nShowEffect != 0) {
        constexpr ZColor kTail[] = {MakeColor(255, 0, 0),   MakeColor(0, 0, 255),  MakeColor(255, 255, 255),
                                    MakeColor(0, 255, 0),   MakeColor(128, 0, 255), MakeColor(250, 3, 106),
                                    MakeColor(250, 198, 3)};
        r.Colors("clrEffectTail", kTail, ms.clrEffectTail);
    }
    constexpr ZColor kPick[] = {MakeColor(255, 0, 0), MakeColor(255, 128, 0), MakeColor(255, 255, 0),
                                MakeColor(0, 255, 0), MakeColor(0, 0, 255),   MakeColor(0, 255, 255),
                                MakeColor(255, 0, 255), MakeColor(255, 255, 255)};
    r.Colors("clrPick", kPick, ms.clrPickMs);
    ms.clrFull = r.Color("clrFull", MakeColor(0, 255, 0));
    ms.clrLow = r.Color("clrLow", MakeColor(255, 128, 0));
    ms.clrChijiBkg = r.Color("clrChijiBkg", MakeColor(4, 106, 157));
    ms.clrDpiMark = r.Color("clrDpiMark", MakeColor(255, 0, 0));
    ms.clrDpiSelect = r.Color("clrDpiSelect", MakeColor(255, 255, 255));
    ms.nShowPowerGrid = r.Int("ShowPowerGrid", 1);
    ms.nShowEx = r.Int("ShowEx", 0x010101);
    for (int i = 0; i < 6; ++i) ms.ExKey[i] = r.Int("ExKey" + std::to_string(i + 1), 0);

    // 21.-26.
    ReadLedOptions(r, ms);
    ReadSnipMenu(r, ms);
    ReadPickColors(r, ms);
    if ((gVar.nMsFw & 0xFF) > 15) ReadGunPresets(r, ms);
    if (const auto list = r.List("ShowUsbRateForPUBG", 16, 4)) std::copy(list->begin(), list->end(), ms.ShowUsbRateForPUBG);
}

}  // namespace

void LoadMouseDescription(const CIniFile& cfg, IPrompt& prompt,
                          std::vector<std::pair<std::string, std::string>>* pKeysRead)
{
    InitSensorTables();
    // In place: the description is far too large for a temporary on the stack.
    std::construct_at(&gVar.Ms);
    pSensorCfg = nullptr;
    MsDesc& ms = gVar.Ms;

    CMsReader r(cfg, prompt, pKeysRead);
    r.SetSection(kMs);
    ReadMsSection(r, ms);
    const int32_t nSensor = r.Int("Sensor", 0x3050);

    for (int n = 1; n <= kSensorSectionNum; ++n) {
        r.SetSection("SENSOR_" + std::to_string(n));
        LoadSensorSection(r, n, ms.Sensor[n - 1]);
    }
    LogPrintf("LoadMouseDescription: VID=0x%04X, PID=0x%04X, PID2=0x%04X, Sensor=0x%04X", unsigned(ms.nVID),
              unsigned(ms.nPID[0]), unsigned(ms.nPID2[0]), unsigned(nSensor));
    set_cur_sensor(nSensor, prompt);
}

SensorCfg* FindSensorCfg(int32_t nSensor)
{
    if (nSensor == 0) return nullptr;  // empty slots hold 0
    for (int i = 0; i < kSensorSectionNum; ++i)
        if (gVar.Ms.Sensor[i].nSensor == nSensor) return &gVar.Ms.Sensor[i];
    return nullptr;
}

SensorCfg* set_cur_sensor(int32_t nSensor, IPrompt& prompt)
{
    gVar.Ms.nMsSensor = nSensor;
    pSensorCfg = FindSensorCfg(nSensor);
    if (!pSensorCfg) {
        char sz[64];
        std::snprintf(sz, sizeof sz, "set_cur_sensor:  pSensorCfg=null for 0x%04x", unsigned(nSensor));
        LogPrintf("%s", sz);
        prompt.ShowMessage(Utf8ToU16(sz), u"Error");
    }
    return pSensorCfg;
}
