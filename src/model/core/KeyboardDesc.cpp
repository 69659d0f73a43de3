// Section KB and Direct%d of section OPT; the key table and the Fn layer are in
// KeyboardDescKeys.cpp.
#include "core/KeyboardDesc.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "core/Gvar.h"
#include "core/IniValues.h"
#include "core/KeyboardDescReader.h"
#include "core/Log.h"
#include "core/Utf.h"

namespace {

constexpr ZColor kRed = MakeColor(255, 0, 0);
constexpr ZColor kBlue = MakeColor(0, 0, 255);
constexpr ZColor kGreen = MakeColor(0, 255, 0);
constexpr ZColor kYellow = MakeColor(255, 255, 0);
constexpr ZColor kMagenta = MakeColor(255, 0, 255);
constexpr ZColor kCyan = MakeColor(0, 255, 255);
constexpr ZColor kWhite = MakeColor(255, 255, 255);

// The LED modes every keyboard has unless its LedOpt%d keys say otherwise, in
// mode order: preview effect, mode number, then the controls shown (speed,
// brightness, direction, colourful, colour button).
struct BuiltInLedOpt {
    int32_t nPreviewEffect, nDevMode, bSpeed, bBright, bDirect, bColorful, nColors;
};
constexpr std::array<BuiltInLedOpt, 13> kBuiltInLedOpt = {{
    {5, 1, 1, 1, 0, 1, 1},
    {7, 2, 1, 0, 0, 0, 0},
    {17, 3, 1, 1, 0, 1, 1},
    {12, 4, 1, 1, 0, 1, 1},
    {1, 5, 0, 1, 0, 1, 1},
    {3, 6, 1, 0, 0, 1, 1},
    {2, 7, 1, 0, 0, 0, 0},
    {19, 8, 1, 1, 0, 1, 1},
    {15, 9, 1, 1, 0, 1, 1},
    {13, 10, 1, 0, 0, 0, 0},
    {20, 11, 1, 1, 0, 1, 1},
    {16, 12, 1, 1, 0, 0, 0},
    {18, 13, 1, 1, 0, 1, 1},
}};
constexpr std::array<ZColor, 7> kLedOptColours = {kRed, kBlue, kGreen, kYellow, kMagenta, kCyan, kWhite};

// Numbers of one LedOpt%d value: seven option numbers, then seven colours.
constexpr size_t kLedOptNumbers = 31;
constexpr size_t kLedOptFields = 7;

// Highest effect data offset and effect count the lighting blocks have room for.
constexpr int32_t kEffectOffsetMax = 60;
constexpr int32_t kEffectNumMax = 23;
constexpr int32_t kColorIndexMax = 6;
// The mode byte and the two bytes after it must stay inside every family's
// lighting block, like the effect data.
constexpr int32_t kLedModeSelectOffsetMax = kEffectOffsetMax;
// Byte and integer sentinels: "not written, take the family's default".
constexpr uint8_t kByteUnset = 255;

constexpr size_t kUnRectNumbers = 50;
constexpr size_t kLedParamBytes = 50;
constexpr uint8_t kDefLedParam[2] = {0x07, 53};  // 25 pairs: colourful, speed 3 / brightness 5

void FillBuiltInLedOpt(KbDesc& kb)
{
    std::fill(std::begin(kb.LedOpt), std::end(kb.LedOpt), LedOptKb{});
    for (size_t i = 0; i < kBuiltInLedOpt.size(); ++i) {
        const BuiltInLedOpt& b = kBuiltInLedOpt[i];
        LedOptKb& o = kb.LedOpt[i];
        o = {b.nDevMode, b.nPreviewEffect, b.bSpeed, b.bBright, b.bDirect, b.bColorful, b.nColors, {}};
        std::copy(kLedOptColours.begin(), kLedOptColours.end(), o.clrDef);
    }
}

// LedOpt1..24: mode number, preview effect, the five control flags, then up to
// seven colours as red, green, blue triples (components held to 0..255). The
// record keeps the colours that are not given.
void ReadLedOpts(const CKbReader& r, KbDesc& kb)
{
    FillBuiltInLedOpt(kb);
    for (int n = 1; n <= kKbLedModeNum; ++n) {
        const std::string key = "LedOpt" + std::to_string(n);
        const std::optional<std::string> value = r.Value(key);
        if (!value) continue;
        const std::vector<int32_t> nums = ParseNumberList(*value, 10, kLedOptNumbers);
        if (nums.empty()) {
            r.Note(key, "no number, built-in values kept", *value);
            continue;
        }
        auto num = [&](size_t i) { return i < nums.size() ? nums[i] : 0; };
        LedOptKb& o = kb.LedOpt[n - 1];
        o.nDevMode = num(0);
        o.nPreviewEffect = num(1);
        o.bSpeed = num(2);
        o.bBright = num(3);
        o.bDirect = num(4);
        o.bColorful = num(5);
        o.nColors = num(6);
        auto comp = [&](size_t i) { return uint8_t(std::clamp(num(i), 0, 255)); };
        for (size_t c = 0; c < std::size(o.clrDef) && kLedOptFields + 3 * c < nums.size(); ++c) {
            const size_t i = kLedOptFields + 3 * c;
            o.clrDef[c] = MakeColor(comp(i), comp(i + 1), comp(i + 2));
        }
    }
}

// A colour order of three byte positions: a value above 2 would place a
// component outside its three-byte colour, so the default order is used then;
// an order whose positions do not add up to 3 is shown but used as written.
void ReadRgbIndex(const CKbReader& r, std::string_view key, std::string_view text, uint8_t (&dst)[3])
{
    constexpr uint8_t kDefault[3] = {2, 1, 0};
    std::copy(std::begin(kDefault), std::end(kDefault), dst);
    const std::optional<std::string> value = r.Value(key);
    if (!value) return;
    int32_t idx[3] = {2, 1, 0};
    r.Ints(key, 10, idx);
    const bool bInRange = std::all_of(std::begin(idx), std::end(idx), [](int32_t v) { return v >= 0 && v <= 2; });
    if (!bInRange || idx[0] + idx[1] + idx[2] != 3) r.Warning(key, text, *value);
    if (!bInRange) return;
    for (int i = 0; i < 3; ++i) dst[i] = uint8_t(idx[i]);
}

// The outline of the one key that is not a rectangle (the Enter key of some
// layouts): the key, then x, y pairs that close on the first point.
void ReadUnRectKey(const CKbReader& r, KbDesc& kb)
{
    const std::optional<std::string> value = r.Value("UnRectKey");
    if (!value) return;
    int32_t nums[kUnRectNumbers] = {};
    const size_t nCount = r.Ints("UnRectKey", 10, nums);
    const size_t nPairs = nCount > 0 ? std::min((nCount - 1) / 2, std::size(kb.EnterPt)) : 0;
    if (nPairs <= 3) {
        r.Note("UnRectKey", "fewer than four points, not used", *value);
        return;
    }
    const ZPoint first{nums[1], nums[2]};
    const ZPoint last{nums[2 * nPairs - 1], nums[2 * nPairs]};
    if (first.x != last.x || first.y != last.y) {
        // An outline that does not close would draw and hit-test a wrong shape;
        // the key keeps its rectangle.
        r.Error("UnRectKey", "EnterPt[0]!=EnterPt[Last] ", *value);
        return;
    }
    kb.nUnRectKey = nums[0];
    kb.nEnterPtNum = int32_t(nPairs);
    for (size_t i = 0; i < nPairs; ++i) kb.EnterPt[i] = {nums[1 + 2 * i], nums[2 + 2 * i]};
}

// Lighting parameters in pairs; only whole pairs are taken, over the default.
void ReadLedParam(const CKbReader& r, KbDesc& kb)
{
    for (size_t i = 0; i < kLedParamBytes; ++i) kb.LEDParam[i] = kDefLedParam[i % 2];
    const std::optional<std::string> value = r.Value("LEDParam");
    if (!value) return;
    const std::vector<int32_t> nums = ParseNumberList(*value, 16, kLedParamBytes);
    size_t nBytes = 0;
    while (nBytes < nums.size() && nums[nBytes] >= 0 && nums[nBytes] <= 255) ++nBytes;
    const size_t nPairs = nBytes / 2;
    if (nBytes != nums.size() || nBytes % 2 != 0) r.Note("LEDParam", "only whole pairs of bytes are used", *value);
    if (nPairs == 0) return;
    for (size_t i = 0; i < 2 * nPairs; ++i) kb.LEDParam[i] = uint8_t(nums[i]);
}

// The key groups: "GaoshouKey%d" lists the keys of group %d, "GaoshouKeyColor%d"
// their colours; the first group without a key list ends them.
void ReadKeyGroups(const CKbReader& r, KbDesc& kb)
{
    for (int g = 0; g < kb.nGaoshouGroupNum && g < kGaoshouGroupMax; ++g) {
        const std::string keyKeys = "GaoshouKey" + std::to_string(g + 1);
        if (r.Bytes(keyKeys, 16, kb.GaoshouKey[g]) == 0) break;
        r.Bytes("GaoshouKeyColor" + std::to_string(g + 1), 16, kb.GaoshouKeyColor[g]);
    }
}

// A default lighting whose mode is not one of the keyboard's modes would pick
// a record outside the profile's mode table; it is not used at all then.
void ReadDefLed(const CKbReader& r, KbDesc& kb)
{
    r.Ints("DefLed", 16, kb.DefLed);
    if (kb.DefLed[0] >= 0 && kb.DefLed[0] < kKbLedModeNum) return;
    r.Note("DefLed", "the mode is not a keyboard LED mode; no default lighting", r.Value("DefLed").value_or(""));
    std::fill(std::begin(kb.DefLed), std::end(kb.DefLed), 0);
}

void ReadKbSection(const CKbReader& r, GlobalVar& g)
{
    KbDesc& kb = g.Kb;
    const bool bVaro = g.nKbFw == 21;

    kb.nVID = r.Word("VID", 0);
    kb.nPID = r.Word("PID", 0);
    kb.nPID2 = r.Word("PID2", 0);
    CopyToFixed(kb.szUSBString, Utf8ToU16(r.String("USBString", std::size(kb.szUSBString))));
    kb.nLedMask = r.Int("LedMask", 0);
    kb.nMusicMask = r.Int("MusicMask", 0);
    kb.nGameMask = r.Int("GameMask", 0);
    kb.nVerNeedToUpdate = r.Int("VerNeedToUpdate", 0);
    kb.nVerUpdate = r.Int("VerUpdate", 0);
    kb.nUpdateForNoDev = r.Int("UpdateForNoDev", 0);
    kb.nShowEffect = r.Int("ShowEffect", -1);
    kb.nHasFuncTy = r.Int("HasFuncTy", 0);
    kb.clrKeyOv = r.Color("ClrKeyOv", 0);
    kb.clrKeyDn = r.Color("ClrKeyDn", 0);
    kb.clrKeyHasFunc = r.Color("ClrKeyHasFunc", 0);
    r.Bytes("GameGroupIndex", 10, kb.GameGroupIndex);
    kb.ptLight = r.Point("ptLight", {});
    kb.ptSpeed = r.Point("ptSpeed", {});
    kb.ptDebounce = r.Point("ptDebounce", {});
    kb.nDefDebounce = r.Int("DefDebounce", 3);
    kb.nSpeedNum = r.Int("SpeedNum", bVaro ? 0x00040005 : 0x00040104);
    kb.nBriNum = r.Int("BriNum", bVaro ? 0x00050006 : 0x00040104);
    std::fill(std::begin(kb.KeyNotToSetColor), std::end(kb.KeyNotToSetColor), uint8_t(0xFF));
    r.Bytes("KeyNotToSetColor", 10, kb.KeyNotToSetColor);
    kb.nKVaroRGB = r.Int("KVaroRGB", 1);
    kb.nKeyNotToSet = r.Int("KeyNotToSet", -1);
    kb.nRandomVal = r.Int("RandomVal", 7);
    kb.nWheelMode = r.Int("WheelMode", 0);
    kb.nTipForDevCfg = r.Int("TipForDevCfg", 0);
    kb.nTipForWireless = r.Int("TipForWireless", 0);
    kb.nWaitTm = r.IntIn("WaitTm", 30, 0, INT32_MAX);  // a pause cannot be negative
    kb.nFrameKey = r.Int("FrameKey", 1);
    kb.nRespireType = r.Int("RespireType", 0);
    kb.nPaomaType = r.Int("PaomaType", 0);
    kb.nMinLightEffectOFF = r.Int("MinLightEffectOFF", 0);
    kb.nKbLayout = r.Int("KbLayout", 0);
    kb.nKbDrawType = r.Int("KbDrawType", 0);
    kb.nSyncKB = r.Int("SyncKB", 1);
    kb.nVkCustom = r.Int("VkCustom", 0);
    kb.nMaxFnNum = r.IntIn("MaxFnNum", 48, 0, g.nKbFw == 20 ? kMaxFnNumLimitFw20 : kMaxFnNumLimit);
    kb.nDefSelectKey = r.Int("DefSelectKey", -1);  // checked against the key table below
    r.Bytes("ColorfulEffect", 10, kb.ColorfulEffect);
    const uint8_t kNeonSpeed[5] = {50, 40, 30, 20, 15};
    std::copy(std::begin(kNeonSpeed), std::end(kNeonSpeed), kb.NeonSpeed);
    r.Bytes("NeonSpeed", 10, kb.NeonSpeed);
    r.Bytes("SleepTime", 10, kb.SleepTime);
    kb.rcKB = r.RectXywh("rcKB", {});
    ReadDefLed(r, kb);
    ReadUnRectKey(r, kb);
    kb.nLedModeSelectOffset = r.IntIn("LedModeSelectOffset", 4, 0, kLedModeSelectOffsetMax);
    kb.nEffectBase = r.Int("EffectBase", 1);

    // Above its limit the effect data would run past the lighting block: shown,
    // and the default is used.
    const int32_t nEffectOffset = r.Int("EffectOffset", 18);
    kb.nEffectOffset = 18;
    if (nEffectOffset < 0 || nEffectOffset > kEffectOffsetMax)
        r.Warning("EffectOffset", "Invalid nEffectOffset", std::to_string(nEffectOffset));
    else
        kb.nEffectOffset = uint8_t(nEffectOffset);
    const int32_t nEffectNum = r.Int("EffectNum", 13);
    if (nEffectNum > kEffectNumMax) r.Warning("EffectNum", "Invalid nEffectNum", std::to_string(nEffectNum));

    ReadRgbIndex(r, "RGBIndex", "R G B Index Error", kb.RGBIndex);
    ReadRgbIndex(r, "GameRGBIndex", "clrGmKey RGB Index Error", kb.GameRGBIndex);
    ReadLedParam(r, kb);
    kb.nDefCfg = r.Byte("DefCfg", 0);
    kb.nOurCfg = r.Byte("OurCfg", 0);

    const int32_t nColorIndex = r.Int("ColorIndex", 0);
    g.nColorIndex = 0;
    if (nColorIndex < 0 || nColorIndex > kColorIndexMax)
        r.Warning("ColorIndex", "Invalid gVar.nColorIndex", std::to_string(nColorIndex));
    else
        g.nColorIndex = uint8_t(nColorIndex);

    kb.nDefLedIndex = r.IntIn("DefLedIndex", 0, 0, kKbLedModeNum - 1);
    kb.nGaoshouIndex = r.Byte("GaoshouIndex", kByteUnset);
    if (kb.nGaoshouIndex == kByteUnset) kb.nGaoshouIndex = bVaro ? 18 : 13;
    kb.nStartGp = r.Int("StartGp", 32);
    kb.nGaoshouAddr = r.Int("GaoshouAddr", 172);
    kb.nShowGaoshouGroup = r.Int("ShowGaoshouGroup", 1);
    kb.nDefGaoshouGroup = r.IntIn("DefGaoshouGroup", 0, 0, kKbColourGroupNum - 1);
    kb.nGaoshouGroupNum = r.Byte("GaoshouGroupNum", kByteUnset);
    if (kb.nGaoshouGroupNum == kByteUnset) {
        kb.nGaoshouGroupNum = bVaro ? 2 : g.nKbFw == 23 ? kGaoshouGroupMax : 5;
    } else if (kb.nGaoshouGroupNum > kGaoshouGroupMax) {
        r.Note("GaoshouGroupNum", "more groups than the keyboard has room for, 10 used",
               std::to_string(kb.nGaoshouGroupNum));
        kb.nGaoshouGroupNum = kGaoshouGroupMax;
    }
    r.Bytes("CustomGp", 10, kb.CustomGp);
    r.Bytes("PaomaVk", 16, kb.PaomaVk);
    kb.clrGaoshou = r.Color("clrGaoshou", kWhite);
    ReadKeyGroups(r, kb);
    ReadLedOpts(r, kb);
}

// Values of section KB that name a key slot, checked once the key table is known.
void ReadKeyDependent(const CKbReader& r, KbDesc& kb)
{
    if (kb.nDefSelectKey < -1 || kb.nDefSelectKey >= kb.nKeyNum) {
        r.Note("DefSelectKey", "no such key, no key selected", std::to_string(kb.nDefSelectKey));
        kb.nDefSelectKey = -1;
    }
    kb.nMaxEftKeyIndex = r.IntIn("MaxEftKeyIndex", kb.nKeyNum, 0, kb.nKeyNum);
    kb.nUIKeyNum = kb.nKeyNum;
}

void ReadDirectKeys(const CIniFile& cfg, IPrompt& prompt, KbDesc& kb)
{
    const CKbReader opt(cfg, "OPT", prompt);
    for (int n = 1; n <= 3; ++n) opt.Bytes("Direct" + std::to_string(n), 10, kb.Direct[n - 1]);
}

}  // namespace

void LoadKeyboardDescription(const CIniFile& cfg, IPrompt& prompt)
{
    GlobalVar& g = gVar;
    g.Kb = KbDesc{};
    const CKbReader r(cfg, "KB", prompt);
    ReadKbSection(r, g);
    g.Kb.nKeyNum = LoadKeyTable(cfg, prompt);
    ReadKeyDependent(r, g.Kb);
    ReadDirectKeys(cfg, prompt, g.Kb);
    LogPrintf("LoadKeyboardDescription: KbFw=%d, VID=%04X, PID=%04X, nKeyNum=%d, MaxFnNum=%d, GaoshouGroupNum=%d",
              g.nKbFw, unsigned(g.Kb.nVID), unsigned(g.Kb.nPID), g.Kb.nKeyNum, g.Kb.nMaxFnNum,
              int(g.Kb.nGaoshouGroupNum));
}
