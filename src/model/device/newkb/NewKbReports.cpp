#include "device/newkb/NewKbReports.h"

#include <algorithm>

#include "core/Log.h"
#include "core/Utf.h"
#include "device/kb/KbColourPlanes.h"
#include "device/kb/KbLightingP.h"
#include "device/kb/KbUsage.h"
#include "keys/FunId.h"
#include "keys/KeyCodes.h"

namespace newkb {

namespace {

constexpr uint32_t Bytes(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3)
{
    return uint32_t(b0) | uint32_t(b1) << 8 | uint32_t(b2) << 16 | uint32_t(b3) << 24;
}

// Mouse buttons (class 1, values 17..23).
std::optional<uint32_t> MouseCode(uint32_t v)
{
    switch (v) {
    case kMsLeft: return 0x00010101;
    case kMsMiddle: return 0x00010301;
    case kMsRight: return 0x00010201;
    case kMsForward: return 0x00010401;
    case kMsBack: return 0x00010501;
    case kMsDoubleClick: return 0x00020101;
    case kMsThree: return 0x00030101;
    default: return std::nullopt;
    }
}

std::optional<uint32_t> KeyCode(const KeyInfo& k)
{
    if (k.byModifier == 0 && k.byKey1 == kVkFn) return kCodeFn;
    // A media key kept as a key plays its consumer function.
    if (k.byModifier == 0 && k.byKey2 == 0 && MediaVkToConsumer(k.byKey1))
        return kb::ConsumerCode(kb::KbConsumerUsage(k), kKindConsumer);
    const uint8_t u1 = kb::KbVkToHid(k.byKey1), u2 = kb::KbVkToHid(k.byKey2);
    // Code 0 switches the key off on this keyboard: a key whose keys have no
    // usage is no key function.
    if (k.byModifier == 0 && u1 == 0 && u2 == 0) return std::nullopt;
    return Bytes(kKindKey, k.byModifier, u2, u1);
}

// Fire key: the fired button in the low word, the fire values in the high word.
std::optional<uint32_t> FireCode(uint32_t dwParam)
{
    uint32_t wButton = 0;
    switch (UnpackFireKey(dwParam).byKey) {
    case 240: wButton = 0x0101; break;
    case 241: wButton = 0x0201; break;
    case 242: wButton = 0x0301; break;
    default: return std::nullopt;
    }
    return wButton | (dwParam & 0xFFFF) << 16;
}

std::optional<uint32_t> SnipeCode(uint32_t dwLevel, const SensorDpiTable* pSnipe)
{
    if (!pSnipe || dwLevel < 1 || dwLevel > uint32_t(std::clamp(pSnipe->nCount, 0, kSensorDpiMax))) {
        LogPrintf("Snipe key: level %u is not a DPI step of the mouse's sensor", unsigned(dwLevel));
        return std::nullopt;
    }
    return Bytes(kKindSnipe, uint8_t(pSnipe->LockCode[dwLevel - 1]), 0, 0);
}

std::optional<uint32_t> SpecialCode(const KeyInfo& k, const SensorDpiTable* pSnipe)
{
    switch (FunValue(k.FunID)) {
    case kSpKeyOff: return 0;
    case kSpFire: return FireCode(k.dwParam);
    case kSpSnipe: return SnipeCode(k.dwParam, pSnipe);
    case kSpLightOnOff:
    case kSpMsg16: return 0x08;
    case kSpDpiUp: return 0x105;
    case kSpDpiDown: return 0x205;
    case kSpDpiCycle: return 0x405;
    case kSpModeSwitch: return 0x06;
    case kSpMsg17: return 0x208;
    case kSpSpeedUp: return 0x10408;
    case kSpSpeedDown: return 0x20408;
    case kSpB4: return 0x408;
    case kSpKbBrightUp: return 0x10308;
    case kSpKbBrightDown: return 0x20308;
    case kSpB7: return 0x308;
    default: return std::nullopt;
    }
}

// The usage a macro action's code stands for, and its kind (0 key, 1 modifier, 2 button).
bool MacroActionCode(uint8_t byCode, uint8_t& byKind, uint8_t& byUsage)
{
    if (byCode >= kMacroCodeLButton && byCode <= kMacroCodeLButton + 2) {
        constexpr uint8_t kButtons[3] = {1, 2, 4};
        byKind = 2;
        byUsage = kButtons[byCode - kMacroCodeLButton];
        return true;
    }
    if (const uint8_t u = kb::ModifierUsage(byCode)) {
        byKind = 1;
        byUsage = u;
        return true;
    }
    byKind = 0;
    byUsage = kb::KbVkToHid(byCode);
    return byUsage != 0;
}

}  // namespace

std::vector<Report> MakeChunks(uint8_t byCmd, uint8_t byIndex, std::span<const uint8_t> payload)
{
    const size_t nCount = ChunkCount(payload.size());
    if (nCount == 0 || nCount > 255) return {};
    std::vector<Report> out(nCount);
    for (size_t n = 0; n < nCount; ++n) {
        Report& r = out[n];
        r.fill(0);
        const auto part = payload.subspan(n * kChunkMax, std::min(kChunkMax, payload.size() - n * kChunkMax));
        r[0] = kReportId;
        r[1] = byCmd;
        r[2] = byIndex;
        r[4] = uint8_t(nCount);
        r[5] = uint8_t(n);
        r[6] = uint8_t(part.size());
        r[7] = uint8_t(part.size() >> 8);
        std::ranges::copy(part, r.begin() + kHeaderLen);
    }
    return out;
}

Report MakeReadCmd(uint8_t byCmd, uint8_t byIndex, size_t nLen)
{
    Report r{};
    const size_t n = std::min(nLen, kChunkMax);
    r[0] = kReportId;
    r[1] = byCmd;
    r[2] = byIndex;
    r[4] = 1;
    r[6] = uint8_t(n);
    r[7] = uint8_t(n >> 8);
    return r;
}

ChunkHeader ReadHeader(std::span<const uint8_t> r)
{
    ChunkHeader h;
    if (r.size() < kHeaderLen) return h;
    h.byCmd = r[1];
    h.byIndex = r[2];
    h.byCount = r[4];
    h.byNumber = r[5];
    h.wLen = uint16_t(r[6] | r[7] << 8);
    return h;
}

uint8_t RepeatModeBit(uint32_t nRepeatMode)
{
    switch (nRepeatMode) {
    case 0: return 1;
    case 1: return 2;
    case 2: return 4;
    default: return 0;
    }
}

std::optional<uint32_t> NewKbKeyCode(const KeyInfo& key, const MacroRecord* pMacro, const SensorDpiTable* pSnipe)
{
    const uint8_t byClass = FunClass(key.FunID);
    const uint32_t v = FunValue(key.FunID);
    switch (byClass) {
    case FUN_MOUSE: return MouseCode(v);
    case FUN_KEY: return KeyCode(key);
    case FUN_APP:
    case FUN_MEDIA:
        if (v == kCcBrightnessUp || v == kCcBrightnessDown || !IsConsumerValue(v)) return std::nullopt;
        return kb::ConsumerCode(ConsumerUsage(v), kKindConsumer);
    case FUN_MACRO:
        if (!pMacro) {
            LogPrintf("keyinfo_to_hardware_code can't find macro id 0x%x", unsigned(key.MacroID));
            return std::nullopt;
        }
        return Bytes(kKindMacro, RepeatModeBit(pMacro->nRepeatMode), uint8_t(pMacro->wLoopCount), 0);
    case FUN_SPECIAL: return SpecialCode(key, pSnipe);
    default: return std::nullopt;
    }
}

std::vector<uint8_t> NewKbMacro(const MacroRecord& m)
{
    std::vector<uint8_t> out(kMacroNameBytes, 0);
    for (size_t i = 0; i < kMacroNameBytes / 2 && m.szName[i]; ++i) {
        out[2 * i] = uint8_t(m.szName[i]);
        out[2 * i + 1] = uint8_t(m.szName[i] >> 8);
    }
    for (const MacroAction& a : m.Action) {
        if (a.byCode == 0) break;
        uint8_t byKind = 0, byUsage = 0;
        if (!MacroActionCode(a.byCode, byKind, byUsage)) {
            LogPrintf("StMacro_To_HdMacro: get wrong hid");
            continue;
        }
        uint32_t nDelay = a.Delay();
        if (nDelay > kMacroDelayMax) {
            // Twelve bits of milliseconds: a longer pause is kept as the longest
            // the keyboard can wait, not cut to its low bits.
            LogPrintf("StMacro_To_HdMacro: delay %u ms, %u ms sent", unsigned(nDelay), unsigned(kMacroDelayMax));
            nDelay = kMacroDelayMax;
        }
        out.push_back(uint8_t((a.wState ? 0 : 0x80) | byKind << 4 | (nDelay >> 8 & 0x0F)));
        out.push_back(uint8_t(nDelay));
        out.push_back(byUsage);
    }
    return out;
}

bool BuildMacroArea(const std::vector<std::vector<uint8_t>>& macros, std::vector<uint8_t>& out)
{
    out.clear();
    if (macros.empty()) return true;
    if (macros.size() > size_t(kMacroMax)) return false;
    size_t nData = 0;
    for (const auto& m : macros) nData += m.size();
    if (nData > kMacroDataMax) return false;
    const size_t nToc = kMacroTocEntry * macros.size();
    out.assign(nToc, 0);
    size_t nAt = nToc;
    for (size_t k = 0; k < macros.size(); ++k) {
        out[4 * k] = uint8_t(nAt);
        out[4 * k + 1] = uint8_t(nAt >> 8);
        out[4 * k + 2] = uint8_t(macros[k].size());
        out[4 * k + 3] = uint8_t(macros[k].size() >> 8);
        out.insert(out.end(), macros[k].begin(), macros[k].end());
        nAt += macros[k].size();
    }
    return true;
}

MatrixPlan FillMatrix(const kb::CKbBlock& block, const kb::KbDescSnap& d, const std::optional<MatrixCodes>& current,
                      const MacroLookup& findMacro, const SensorDpiTable* pSnipe)
{
    MatrixPlan plan;
    if (current) plan.codes = *current;
    std::vector<uint32_t> placed;  // macro ids by their place in the area
    std::vector<std::vector<uint8_t>> macros;
    for (int i = 0; i < d.nKeySlots; ++i) {
        const KeyInfo* k = block.Key(i);
        if (!k || k->FunID == 0) continue;
        const bool bMacro = FunClass(k->FunID) == FUN_MACRO;
        const MacroRecord* pMacro = bMacro ? findMacro(k->MacroID) : nullptr;
        const std::optional<uint32_t> code = NewKbKeyCode(*k, pMacro, pSnipe);
        const int nPos = d.defKey[size_t(i)].MatrixInx;
        if (!code || nPos < 0 || nPos >= kWorkCodes) {
            LogPrintf("Get Invaild keycode, key index=%d, MatrixInx=%d", i, nPos);
            if (bMacro && !pMacro) LogPrintf("Key[%d][%d] Set To Macro NULL", i, nPos);
            plan.invalidSlots.push_back(i);
            continue;
        }
        plan.codes[size_t(nPos)] = *code;
        // Positions past the matrix are not sent; their macros need no place.
        if (!bMacro || nPos >= kMatrixCodes) continue;
        const uint32_t id = k->MacroID & 0xFFFFFF;
        auto it = std::ranges::find(placed, id);
        if (it == placed.end()) {
            LogPrintf("New Assign Buffer_ID= %d", int(placed.size()));
            placed.push_back(id);
            macros.push_back(NewKbMacro(*pMacro));
            it = placed.end() - 1;
        }
        const int nIndex = int(it - placed.begin());
        LogPrintf("Key[%d][%d] Set To Macro %s(0x%08x), Macro_Buffer_ID=%d", i, nPos,
                  U16ToUtf8(FixedView(pMacro->szName)).c_str(), unsigned(id), nIndex);
        plan.codes[size_t(nPos)] = (*code & 0x00FFFFFF) | uint32_t(nIndex & 0xFF) << 24;
        LogPrintf("Matrix[%d][%d] = 0x%08x", i, nPos, unsigned(plan.codes[size_t(nPos)]));
    }
    if (!BuildMacroArea(macros, plan.area)) {
        // The area holds 4096 bytes of macros, and a key names its macro in one byte.
        LogPrintf("Macro buffer too small");
        plan.strError = "Macro buffer too small";
        return plan;
    }
    plan.nMacros = int(macros.size());
    return plan;
}

std::array<uint8_t, kMatrixLen> MatrixBytes(const MatrixCodes& codes)
{
    std::array<uint8_t, kMatrixLen> out{};
    for (size_t i = 0; i < size_t(kMatrixCodes); ++i)
        for (size_t b = 0; b < 4; ++b) out[4 * i + b] = uint8_t(codes[i] >> (8 * b));
    return out;
}

MatrixCodes MatrixFromBytes(std::span<const uint8_t> bytes)
{
    MatrixCodes c{};
    for (size_t i = 0; i < size_t(kMatrixCodes) && 4 * i + 3 < bytes.size(); ++i)
        c[i] = Bytes(bytes[4 * i], bytes[4 * i + 1], bytes[4 * i + 2], bytes[4 * i + 3]);
    return c;
}

std::array<uint8_t, kLedLen> LightingBlock(const kb::CKbBlock& block, const kb::KbDescSnap& d)
{
    std::array<uint8_t, kLedLen> out{};
    kb::KbLightingStyle style;
    style.entry = kb::KbLightingStyle::ModeEntry::ColourSpeed;
    style.nModeEntriesAt = 22;
    style.bOption2 = false;
    style.bWheelSleep = false;
    style.bMarks = true;
    kb::FillLightingP(std::span(out).subspan(kLedGlobalLen), block, d, style);
    return out;
}

std::vector<uint8_t> RgbTable(const kb::CKbBlock& block, const kb::KbDescSnap& d)
{
    std::vector<uint8_t> out;
    for (int m = 0; m < d.nModeCount; ++m) {
        const KbLedMode* rec = block.Mode(m);
        if (!rec) break;
        for (const ZColor clr : rec->clr) {
            const auto t = kb::ColourTriple(clr, d.kb.RGBIndex);
            out.insert(out.end(), t.begin(), t.end());
        }
    }
    return out;
}

std::vector<uint8_t> GroupColours(const kb::CKbBlock& block, const kb::KbDescSnap& d, int g)
{
    return kb::GroupPlanes(block, d, g, kPlaneWidth, d.kb.GameRGBIndex);
}

}  // namespace newkb
