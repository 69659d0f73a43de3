// The keyboard's default key table (section KBKEY) and its Fn layer (section
// FN), both into g_defKEY.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Gvar.h"
#include "core/IniValues.h"
#include "core/KeyboardDesc.h"
#include "core/KeyboardDescReader.h"
#include "core/Log.h"
#include "keys/FunId.h"
#include "keys/KeyCodes.h"
#include "keys/KeyInfo.h"

namespace {

constexpr int32_t kLedNone = -1;  // LED position of a key without a light

// KBKEY: x, y, width, height (decimal), class, code, parameter (hexadecimal),
// matrix and LED position (decimal). The matrix position is the last one a key
// cannot do without.
const std::vector<int> kKeyRadixes = {10, 10, 10, 10, 16, 16, 16, 10, 10};
constexpr size_t kKeyNumbersMin = 8;
// FN: class, code, parameter (hexadecimal), Fn entry (decimal).
const std::vector<int> kFnRadixes = {16, 16, 16, 10};
constexpr size_t kFnNumbersMin = 2;
constexpr int32_t kFnUnset = 255;  // written (or left out): take a free entry

struct ParsedLine {
    std::vector<int32_t> nums;
    bool bError;  // an item that is not a number ended the line early
};

ParsedLine ParseLine(std::string_view value, const std::vector<int>& radixes)
{
    ParsedLine line{ParseMixedList(value, radixes), false};
    const size_t nItems = value.empty() ? 0 : size_t(std::count(value.begin(), value.end(), ',')) + 1;
    line.bError = line.nums.size() < std::min(nItems, radixes.size());
    return line;
}

// The parameter of a class other than FUN_KEY goes to dwParam for FUN_HW only
// in the key table, for every class in the Fn layer.
enum class ParamUse { HwOnly, All };

// Sets the function part of a key record (KeyInfo, or KeyFunc for the Fn
// layer). A FUN_KEY function takes the parameter as its modifier bits; a
// modifier key given as the code becomes its modifier bit.
template <class T>
void SetFunction(T& rec, uint32_t dwKeyValue, int32_t nClass, int32_t nCode, int32_t nParam, ParamUse use)
{
    const uint8_t byClass = uint8_t(nClass);
    if (byClass == FUN_KEY) {
        const KeyCombo c = MakeKeyCombo(uint8_t(nParam), uint8_t(nCode), 0);
        rec.FunID = MakeFunID(FUN_KEY, dwKeyValue);
        rec.byModifier = c.byModifier;
        rec.byKey1 = c.byKey1;
        rec.byKey2 = c.byKey2;
        rec.byModVk = c.byModVk;
        return;
    }
    rec.FunID = MakeFunID(byClass, uint32_t(nCode));
    if (byClass == FUN_HW || use == ParamUse::All) rec.dwParam = uint32_t(nParam);
}

std::string KeyName(int n) { return "K" + std::to_string(n); }

// Two keys on one matrix position would overwrite each other's code on the
// keyboard, two on one LED position each other's colour. Only the first such
// pair is shown; the numbers are those of the lines in the file.
void CheckPositions(const CKbReader& r, int nKeys, const int (&fileNo)[kKbDefKeyNum])
{
    char sz[160];
    for (int i = 0; i < nKeys; ++i) {
        for (int j = i + 1; j < nKeys; ++j) {
            const KeyInfo& a = g_defKEY[i];
            const KeyInfo& b = g_defKEY[j];
            const char* pszText = nullptr;
            if (a.FunID != 0 && b.FunID != 0 && a.MatrixInx == b.MatrixInx)
                pszText = "错误：Key%d 和 Key%d 的按键位置重复了";
            else if (a.LedInx == b.LedInx && a.LedInx != 0 && a.LedInx != kLedNone)
                pszText = "错误：Key%d 和 Key%d 的灯光位置重复了";
            if (!pszText) continue;
            std::snprintf(sz, sizeof sz, pszText, fileNo[i], fileNo[j]);
            r.Warning(KeyName(fileNo[i]) + "/" + KeyName(fileNo[j]), sz);
            return;
        }
    }
}

bool FnIndexTaken(int nIndex)
{
    return std::any_of(std::begin(g_defKEY), std::end(g_defKEY),
                       [nIndex](const KeyInfo& k) { return k.nFnIndex == nIndex; });
}

int MaxFnNum() { return std::clamp(gVar.Kb.nMaxFnNum, 0, kMaxFnNumLimit); }

}  // namespace

int LoadKeyTable(const CIniFile& cfg, IPrompt& prompt)
{
    const CKbReader r(cfg, "KBKEY", prompt);
    for (KeyInfo& k : g_defKEY) {
        k = KeyInfo{};
        k.nFnIndex = -1;
    }
    int fileNo[kKbDefKeyNum] = {};
    int nSlot = 0;
    int n = 1;
    for (; n <= kKbDefKeyNum; ++n) {
        const std::string key = KeyName(n);
        const std::optional<std::string> value = r.Value(key);
        if (!value) break;
        const ParsedLine line = ParseLine(*value, kKeyRadixes);
        if (line.bError) r.Error(key, "Data parse error!", *value);
        if (line.nums.size() < kKeyNumbersMin) {
            // Without its matrix position the key would land on position 0 and
            // take another key's place on the keyboard.
            r.Note(key, "no matrix position, the key is left out", *value);
            continue;
        }
        const int32_t nMatrix = line.nums[7];
        const int32_t nLed = line.nums.size() > 8 ? line.nums[8] : nMatrix;
        if (nMatrix < 0 || nMatrix > kKbMatrixMax || nLed < kLedNone || nLed > kKbMatrixMax) {
            r.Warning(key, "Wrong matrix index value!", *value);
            continue;
        }
        KeyInfo& k = g_defKEY[nSlot];
        k.rcKey = RectFromXywh(line.nums[0], line.nums[1], line.nums[2], line.nums[3]);
        SetFunction(k, kKeyPlain, line.nums[4], line.nums[5], line.nums[6], ParamUse::HwOnly);
        k.MatrixInx = nMatrix;
        k.LedInx = nLed;
        fileNo[nSlot++] = n;
    }
    if (n > kKbDefKeyNum && r.Value(KeyName(n)))
        r.Note(KeyName(n), "the key table holds 132 keys; the lines from here on are not read");
    CheckPositions(r, nSlot, fileNo);
    LogPrintf("LoadKeyTable: %d keys from %d lines", nSlot, n - 1);
    return nSlot;
}

int FindFreeFnIndex()
{
    const int nMaxFn = MaxFnNum();
    for (int nIndex = 0; nIndex < nMaxFn; ++nIndex)
        if (!FnIndexTaken(nIndex)) return nIndex;
    return -1;
}

void BuildFnTable(const CIniFile& cfg, IPrompt& prompt)
{
    const CKbReader r(cfg, "FN", prompt);
    for (KeyInfo& k : g_defKEY) {
        k.nFnIndex = -1;
        k.FnFun = KeyFunc{};
    }
    const int nMaxFn = MaxFnNum();
    int nRead = 0;
    bool bFull = false;
    for (int n = 1; n <= kKbDefKeyNum; ++n) {
        const std::string key = KeyName(n);
        const std::optional<std::string> value = r.Value(key);
        if (!value) continue;
        if (nRead >= kFnLineMax) {
            // Said once: the lines after it are only logged.
            if (bFull) r.Note(key, "more than 64 Fn lines; not read", *value);
            else r.Warning(key, "k>=64", *value);
            bFull = true;
            continue;
        }
        ++nRead;
        const ParsedLine line = ParseLine(*value, kFnRadixes);
        if (line.bError) r.Error(key, "Data parse error!", *value);
        if (line.nums.size() < kFnNumbersMin) {
            r.Note(key, "no class and code, no Fn function", *value);
            continue;
        }
        if (n > gVar.Kb.nKeyNum) {
            // An Fn entry on a slot without a key would use up an entry no key can reach.
            r.Note(key, "no such key in the key table, the Fn function is left out", *value);
            continue;
        }
        int32_t nIndex = line.nums.size() > 3 ? line.nums[3] : kFnUnset;
        if (nIndex != kFnUnset && (nIndex < 0 || nIndex >= nMaxFn)) {
            // Outside the keyboard's Fn tables: a free entry is used instead.
            r.Error(key, "Wrong FN index value!", *value);
            nIndex = kFnUnset;
        } else if (nIndex != kFnUnset && FnIndexTaken(nIndex)) {
            // One entry holds the codes of one key only.
            r.Note(key, "Fn entry already taken by another key, a free one is used", *value);
            nIndex = kFnUnset;
        }
        KeyInfo& k = g_defKEY[n - 1];
        SetFunction(k.FnFun, 0, line.nums[0], line.nums[1], line.nums.size() > 2 ? line.nums[2] : 0, ParamUse::All);
        k.nFnIndex = nIndex;
    }
    int nWithFn = 0;
    for (int i = 0; i < kKbDefKeyNum; ++i) {
        KeyInfo& k = g_defKEY[i];
        if (k.nFnIndex == kFnUnset) {
            k.nFnIndex = FindFreeFnIndex();
            if (k.nFnIndex < 0) {
                LogPrintf("ERROR: Get wrong index for g_defKEY[%d]", i);
                k.FnFun = KeyFunc{};
            }
        }
        if (k.nFnIndex >= 0) ++nWithFn;
    }
    LogPrintf("BuildFnTable: %d lines, %d keys with an Fn function (MaxFnNum=%d)", nRead, nWithFn, nMaxFn);
}

void BuildFnTable(IPrompt& prompt)
{
    BuildFnTable(CIniFile::Load(g_szAppDir / "cfg.ini"), prompt);
}
