// One sensor section of the mouse description (SENSOR_n) and the default key
// values it holds.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/IniValues.h"
#include "core/Log.h"
#include "core/MouseDesc.h"
#include "core/MouseDescReader.h"
#include "core/SensorTables.h"
#include "core/Utf.h"

namespace {

constexpr int kKeyPositionMax = 20;   // the mouse's key matrix has 20 positions, from 1

std::string Hex(int32_t v)
{
    char sz[16];
    std::snprintf(sz, sizeof sz, "0x%x", unsigned(v));
    return sz;
}

// ---- DPI steps -------------------------------------------------------------------

struct DpiRange {
    int32_t nStart, nEnd, nStep, nCode, nCodeStep;
};

// DPIRANGE: one or two ranges of steps with their codes. The table is left as
// it is unless the whole value makes sense: a range that would never end or
// that holds nothing is refused.
void ReadDpiRange(CMsReader& r, const std::vector<int32_t>& v, SensorDpiTable& t)
{
    auto refuse = [&](std::string_view why) {
        r.Warning("DPIRANGE", "Wrong DPIRANGE", why);
    };
    if (v.size() < 5) return refuse("fewer than 5 numbers");
    if (v.size() > 5 && v.size() < 10) return refuse("a second range needs 5 numbers");
    DpiRange ranges[2] = {{v[0], v[1], v[2], v[3], v[4]}, {}};
    const int nRanges = v.size() >= 10 ? 2 : 1;
    if (nRanges == 2) ranges[1] = {v[5], v[6], v[7], v[8], v[9]};
    for (int i = 0; i < nRanges; ++i) {
        const DpiRange& rg = ranges[i];
        if (rg.nStep <= 0 || rg.nEnd < rg.nStart || rg.nStart <= 0) return refuse("a range never ends or is empty");
    }

    SensorDpiTable built{};
    built.nSensor = t.nSensor;
    int64_t nNextCode = ranges[0].nCode;
    int64_t nCodeStep = ranges[0].nCodeStep;
    for (int i = 0; i < nRanges; ++i) {
        const DpiRange& rg = ranges[i];
        if (i == 1) {
            // A first code of 0 goes on from the first range; a code step of 0 keeps its step.
            if (rg.nCode != 0) nNextCode = rg.nCode;
            if (rg.nCodeStep != 0) nCodeStep = rg.nCodeStep;
        }
        int64_t nDpi = rg.nStart;
        for (; nDpi <= rg.nEnd && built.nCount < kSensorDpiMax; nDpi += rg.nStep) {
            const int k = built.nCount++;
            built.Dpi[k] = int32_t(nDpi);
            built.HwCode[k] = uint16_t(nNextCode);
            built.LockCode[k] = uint16_t(nNextCode);
            nNextCode += nCodeStep;
        }
        if (nDpi <= rg.nEnd) {
            r.Note("DPIRANGE", "more than 400 steps; the list is cut at 400");
            break;
        }
    }
    t = built;

    // DPIRANGEALIAS: pairs (step value, value kept instead); -1 keeps the step.
    if (const auto alias = r.List("DPIRANGEALIAS", 10, 2 * kSensorDpiMax)) {
        for (size_t i = 0; i + 1 < alias->size(); i += 2) {
            const int32_t nFrom = (*alias)[i], nTo = (*alias)[i + 1];
            if (nTo == -1) continue;
            for (int k = 0; k < t.nCount; ++k)
                if (t.Dpi[k] == nFrom) t.Dpi[k] = nTo;
        }
    }
}

// DPIHW / DPILK: codes for the DPISET steps; codes a shorter list does not give are 0.
void ReadCodes(CMsReader& r, std::string_view key, int nCount, uint16_t* pCodes, const uint16_t* pDefault)
{
    const auto list = r.List(key, 10, kSensorDpiMax);
    if (!list) {
        for (int i = 0; i < nCount; ++i) pCodes[i] = pDefault ? pDefault[i] : uint16_t(i + 1);
        return;
    }
    if (int(list->size()) != nCount) r.Warning(key, "DPISET Num != " + std::string(key) + " Num");
    for (int i = 0; i < nCount; ++i) pCodes[i] = i < int(list->size()) ? uint16_t((*list)[i]) : 0;
}

void ReadDpiSteps(CMsReader& r, SensorDpiTable* t)
{
    const auto range = r.List("DPIRANGE", 10, 10);
    std::optional<std::vector<int32_t>> set;
    if (!range) set = r.List("DPISET", 10, kSensorDpiMax);
    if (!range && !set) return;
    if (!t) {
        r.Warning(range ? "DPIRANGE" : "DPISET", "Can't find sensor");
        return;
    }
    if (range) return ReadDpiRange(r, *range, *t);
    if (set->empty()) {
        r.Note("DPISET", "no number in the value; the built-in steps are kept");
        return;
    }
    SensorDpiTable built{};
    built.nSensor = t->nSensor;
    built.nCount = int32_t(set->size());
    std::copy(set->begin(), set->end(), built.Dpi);
    ReadCodes(r, "DPIHW", built.nCount, built.HwCode, nullptr);
    if (gVar.Ms.nSnipMenu[0] != 0) ReadCodes(r, "DPILK", built.nCount, built.LockCode, built.HwCode);
    else std::copy_n(built.HwCode, built.nCount, built.LockCode);
    *t = built;
}

// ---- levels ----------------------------------------------------------------------

void ReadLevels(CMsReader& r, SensorCfg& s)
{
    const auto list = r.List("DPI", 10, kSensorLevelMax);
    if (list && int(list->size()) == s.nDM) {
        std::copy(list->begin(), list->end(), s.Dpi);
    } else {
        if (list) r.Warning("DPI", "DPI != DM.");
        if (const auto* pDef = DefaultDpiLevels(s.nSensor)) std::copy(pDef->begin(), pDef->end(), s.Dpi);
    }
    for (int i = 0; i < s.nDM; ++i) {
        if (FindDpiIndex(s.nSensor, s.Dpi[i]) >= 0) continue;
        r.Warning("DPI", "Wrong default dpi value: " + std::to_string(s.Dpi[i]));
    }

    constexpr ZColor kLevelColors[kSensorLevelMax] = {MakeColor(255, 0, 0),   MakeColor(0, 0, 255),
                                                      MakeColor(0, 255, 0),   MakeColor(0, 255, 255),
                                                      MakeColor(255, 0, 255), MakeColor(255, 255, 255)};
    std::copy(std::begin(kLevelColors), std::end(kLevelColors), s.DpiClr);
    if (const auto dc = r.List("DC", 10, 3 * kSensorLevelMax)) {
        if (int(dc->size()) == 3 * s.nDM) {
            for (int i = 0; i < s.nDM; ++i) s.DpiClr[i] = ColorOf((*dc)[3 * i], (*dc)[3 * i + 1], (*dc)[3 * i + 2]);
        } else {
            r.Note("DC", "not three numbers per level; the default colours are kept");
        }
    }
}

// ---- keys ------------------------------------------------------------------------

// The modifier bit of a modifier key's virtual-key code, 0 for other keys.
uint8_t ModifierBit(uint8_t vk)
{
    switch (vk) {
    case 17: case 162: return 0x01;
    case 16: case 160: return 0x02;
    case 18: case 164: return 0x04;
    case 91: return 0x08;
    case 163: return 0x10;
    case 161: return 0x20;
    case 165: return 0x40;
    case 92: return 0x80;
    default: return 0;
    }
}

// The code a lone modifier key is kept under: the generic code for the left keys.
uint8_t ModifierVk(uint8_t vk)
{
    switch (vk) {
    case 160: return 16;
    case 162: return 17;
    case 164: return 18;
    default: return vk;
    }
}

// Reads the keys "K<key>_<mode>" of one mode; returns how many were read.
int ReadModeKeys(CMsReader& r, int nMode, KeyInfo (&keys)[kMsKeyCount])
{
    int nRead = 0;
    for (int k = 1; k <= kMsKeyCount; ++k) {
        const std::string key = "K" + std::to_string(k) + "_" + std::to_string(nMode);
        const auto value = r.Value(key);
        if (!value) continue;
        KeyInfo info{};
        if (!ParseMouseKey(*value, info, r.Prompt())) {
            r.Note(key, "not four numbers; the key is skipped", *value);
            continue;
        }
        keys[k - 1] = info;
        ++nRead;
    }
    return nRead;
}

void ReadMarks(CMsReader& r, SensorCfg& s)
{
    for (int i = 1; i <= kMsKeyCount; ++i) {
        const std::string key = "Mark" + std::to_string(i);
        const auto value = r.Value(key);
        if (!value) break;
        ZRect rc;
        if (!ParseRect(*value, rc)) {
            r.Error(key, "Mark value error", *value);
            continue;
        }
        // Written as x, y, width, height; kept as left, top, right, bottom.
        s.Mark[i - 1] = {rc.left, rc.top, rc.left + rc.right, rc.top + rc.bottom};
    }
}

}  // namespace

bool ParseMouseKey(std::string_view value, KeyInfo& key, IPrompt& prompt)
{
    const std::vector<int32_t> v = ParseNumberList(value, 16, 4);
    if (v.size() < 4) return false;
    const uint32_t nClass = uint32_t(v[0]) & 0xFF;
    const uint32_t nPara1 = uint32_t(v[1]);
    const uint32_t nPara2 = uint32_t(v[2]);
    const int32_t nPos = v[3];
    MsDesc& ms = gVar.Ms;
    auto show = [&](std::string_view text, std::u16string_view caption) {
        LogPrintf("Mouse key \"%.*s\": %.*s", int(value.size()), value.data(), int(text.size()), text.data());
        prompt.ShowMessage(Utf8ToU16(text), caption);
    };

    key = KeyInfo{};
    if (nPos < 1 || nPos > kKeyPositionMax) {
        // The position picks an entry of the device's 20-entry key matrix.
        show("Wrong matrix index value!", u"Error");
        return true;
    }
    key.MatrixInx = nPos;
    switch (nClass) {
    case 2: {
        key.FunID = 0x020000A1;
        key.byKey1 = uint8_t(nPara1 & 0xFF);
        key.byKey2 = uint8_t((nPara1 >> 8) & 0xFF);
        key.byModifier = uint8_t(nPara2 & 0x0F);
        // A modifier named as the key itself is kept as its modifier bit.
        if (const uint8_t bit = ModifierBit(key.byKey1)) {
            if (key.byModifier == 0 && key.byKey2 == 0) key.byModVk = ModifierVk(key.byKey1);
            key.byModifier |= bit;
            key.byKey1 = key.byKey2;
            key.byKey2 = 0;
        }
        break;
    }
    case 5:
    case 12:
        key.FunID = nClass << 24;
        key.MacroID = nPara2;
        break;
    case 8: {
        const uint32_t nValue = nPara1 & 0xFF;
        key.FunID = 0x08000000 | nValue;
        if (nValue == 164 || nValue == 166 || nValue == 175 || nValue == 173) key.dwParam = nPara2;
        if (nValue == 173) ms.nGunKeyParam = int32_t(nPara2);
        if (nValue == 192) {
            uint32_t dw = nPara2;
            const uint32_t nGun = dw & 0x0F, nScope = (dw >> 4) & 0x0F;
            if (((dw >> 16) & 0xFF) == 0) {
                // Compensation from the preset table: 7 guns with 3 scopes each.
                if (nGun < 7 && nScope < 3) dw |= uint32_t(ms.GunValue[nScope + 3 * nGun]) << 16;
                else LogPrintf("Mouse key \"%.*s\": no gun preset %u/%u; compensation 0", int(value.size()),
                               value.data(), unsigned(nGun), unsigned(nScope));
            }
            if (nPara2 < (1u << 24)) {
                const int32_t nSpeed = ms.nShootSpeed > 1 ? std::min(ms.nShootSpeed, 255) : 25;
                dw = (dw & 0x00FFFFFF) | uint32_t(nSpeed) << 24;
            }
            key.dwParam = dw;
            const uint32_t nColor = (nPara2 >> 8) & 0x0F;
            key.dwColor = nColor < std::size(ms.GunColor) ? ms.GunColor[nColor] : 0;
        }
        break;
    }
    case 9:
        if (nPara1 > 3) {
            show("Wrong FUN_HW Index", u"Error");
            break;
        }
        key.FunID = 0x09000000 | nPara1;
        key.dwParam = nPara2;
        break;
    case 11:
        // Six extra-key values exist (ExKey1 … ExKey6), indexes 0 to 5.
        if (nPara1 >= std::size(ms.ExKey)) {
            show("Wrong ExKey Index", u"Error");
            break;
        }
        key.FunID = 0x0B000000 | nPara1;
        key.dwParam = uint32_t(ms.ExKey[nPara1]);
        if (key.dwParam == 0) show("UnSet ExKey Value", u"Error");
        break;
    default:
        key.FunID = nClass << 24 | (nPara1 & 0xFF);
        break;
    }
    return true;
}

void LoadSensorSection(CMsReader& r, int nSection, SensorCfg& s)
{
    std::construct_at(&s);
    const int32_t nSensor = r.Int("Sensor", 0);
    if (nSensor == 0) return;
    SensorDpiTable* pTable = FindSensorTable(nSensor);
    if (!pTable) {
        char sz[96];
        std::snprintf(sz, sizeof sz, "Error, Sensor vaulue of %s section is 0x%x", r.Section().c_str(),
                      unsigned(nSensor));
        r.Error("Sensor", sz, Hex(nSensor));
        return;
    }
    for (int i = 0; i < nSection - 1; ++i) {
        if (gVar.Ms.Sensor[i].nSensor == nSensor)
            r.Note("Sensor", "described again; step changes below apply to both sections", Hex(nSensor));
    }
    s.nSensor = nSensor;

    s.nRATE1 = r.Int("RATE1", 0x125);
    s.nRATE2 = r.Int("RATE2", 0x250);
    s.nRATE3 = r.Int("RATE3", 0x500);
    s.nRATE4 = r.Int("RATE4", 0x1000);
    s.nDR = r.Int("DR", 0x500);
    s.nDR_2 = r.Int("DR_2", s.nDR);
    s.nDR_3 = r.Int("DR_3", s.nDR);
    s.nDM = r.Int("DM", 6);
    if (s.nDM < 1 || s.nDM > kSensorLevelMax) {
        // The count indexes the 10 levels and colours.
        r.Note("DM", "level count outside 1..10; brought into range", std::to_string(s.nDM));
        s.nDM = std::clamp(s.nDM, 1, kSensorLevelMax);
    }
    s.nDPIH = r.Int("DPIH", 14);
    s.nDefLevel = r.Int("DEFLEVEL", -1);
    if (s.nDefLevel < -1 || s.nDefLevel >= s.nDM) {
        r.Note("DEFLEVEL", "not one of the levels; the device's level is kept", std::to_string(s.nDefLevel));
        s.nDefLevel = -1;
    }

    ReadDpiSteps(r, pTable);
    ReadLevels(r, s);

    s.nKEYH = r.Int("KEYH", 6);
    s.nMOUSEX = r.Int("MOUSEX", 360);
    s.nMOUSEY = r.Int("MOUSEY", 50);
    s.nKeyMask = r.Int("KeyMask", 0);
    s.nKEYY = 10;

    const int32_t nMdNum = r.Int("MDNUM", 9);
    s.nMDNUM = nMdNum == 3 ? 1 : nMdNum == 6 ? 2 : nMdNum == 9 ? 3 : 0;
    if (s.nMDNUM == 0) {
        // Readers count modes with this: one mode, with no default keys.
        r.Note("MDNUM", "not 3, 6 or 9: one mode, no default keys and no marks", std::to_string(nMdNum));
        s.nMDNUM = 1;
        return;
    }
    s.nKEYY = r.Int("KEYY", 10);
    const int32_t nKm = r.Int("KM", 14);
    if (nKm <= 0 || nKm % 2 != 0 || nKm / 2 > kMsKeyCount) {
        r.Note("KM", "not an even count of 2 to 42: no default keys and no marks", std::to_string(nKm));
        return;
    }
    s.nKM = nKm / 2;

    for (int m = 1; m <= kMsModeCount; ++m) {
        const int nRead = ReadModeKeys(r, m, s.Key[m - 1]);
        if (nRead > 0 && nRead < s.nKM) r.Error("K1_" + std::to_string(m), "Key num to small", std::to_string(nRead));
        if (nRead == 0 && m > 1) std::copy(std::begin(s.Key[0]), std::end(s.Key[0]), s.Key[m - 1]);
    }
    ReadMarks(r, s);
    LogPrintf("[%s] Sensor=0x%04X, DM=%d, MDNUM=%d, KM=%d, steps=%d", r.Section().c_str(), unsigned(s.nSensor),
              s.nDM, s.nMDNUM, s.nKM, FindSensorTable(nSensor)->nCount);
}
