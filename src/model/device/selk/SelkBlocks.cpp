#include "device/selk/SelkBlocks.h"

#include <algorithm>

#include "core/Log.h"
#include "device/kb/KbColourPlanes.h"
#include "device/selk/SelkCodes.h"
#include "keys/FunId.h"

namespace selk {

namespace {

struct PageRange {
    int nFirst;
    int nCount;
    const char* pszWhat;
};

// The objects the lighting blocks must stay clear of.
constexpr PageRange kFixedObjects[] = {
    {kCfgAddr, 1, "configuration"},
    {kRgbAddr, kPagesPerBlock, "colour table"},
    {kMatrixAddr, kPagesPerBlock, "key block"},
    {kMacroAddr[0], 4 * kPagesPerBlock, "macros"},
};

bool Overlap(int a, int n, const PageRange& r) { return a < r.nFirst + r.nCount && r.nFirst < a + n; }

}  // namespace

kb::KbLightingStyle LightingStyle()
{
    kb::KbLightingStyle s;
    s.entry = kb::KbLightingStyle::ModeEntry::ColourSpeed;
    s.bMarks = false;
    s.modeByte = kb::KbLightingStyle::ModeByte::IndexPlusEffectBase;
    s.nColourfulValue = 7;
    s.bDirectionByModeByte = true;
    s.nSpeedBrightBias = -1;
    return s;
}

void ClearModeBytes(SelkCfg& cfg)
{
    for (const size_t i : kCfgClearFirst) cfg[i] = 0;
}

void FillConfig(SelkCfg& cfg, const kb::CKbBlock& block, const kb::KbDescSnap& d, bool bReset)
{
    cfg[kCfgInUse] = bReset ? d.kb.nDefCfg : d.kb.nOurCfg;
    const std::span<uint8_t> P = std::span(cfg).subspan(kCfgPAt, kCfgPLen);
    kb::KbLightingStyle style = LightingStyle();
    style.nModeEntriesAt = d.kb.nEffectOffset;
    const int nFit = std::max(0, int(kPMarkAt) - int(d.kb.nEffectOffset)) / 2;
    if (nFit < d.nModeCount)
        LogPrintf("Lighting: %d of %d modes fit before the marks (EffectOffset %d)", nFit, d.nModeCount,
                  int(d.kb.nEffectOffset));
    kb::FillLightingP(P.first(kPMarkAt), block, d, style);
    P[kPMarkAt] = kPMarks[0];
    P[kPMarkAt + 1] = kPMarks[1];
}

SelkBlock BuildRgbTable(const kb::CKbBlock& block, const kb::KbDescSnap& d)
{
    SelkBlock tab{};
    for (int m = 0; m < d.nModeCount; ++m) {
        const KbLedMode* rec = block.Mode(m);
        const size_t at = kRgbTableAt + size_t(m) * kRgbModeLen;
        if (!rec || at + kRgbModeLen > tab.size()) break;
        for (size_t c = 0; c < 7; ++c) {
            const auto t = kb::ColourTriple(rec->clr[c], d.kb.RGBIndex);
            std::copy(t.begin(), t.end(), tab.begin() + ptrdiff_t(at + 3 * c));
        }
    }
    return tab;
}

int LedBlockCount(const kb::KbDescSnap& d) { return (d.GroupCount() + kGroupsPerBlock - 1) / kGroupsPerBlock; }

std::optional<uint8_t> LedBlockAddr(const kb::KbDescSnap& d, int b)
{
    if (b < 0 || b >= LedBlockCount(d)) return std::nullopt;
    const int a = d.kb.nGaoshouAddr + kPagesPerBlock * b;
    if (a < 0 || a + kPagesPerBlock > 0x100) {
        LogPrintf("SetLedMatrix: block %d at 0x%x is outside the keyboard's memory; not written", b, unsigned(a));
        return std::nullopt;
    }
    for (const PageRange& r : kFixedObjects)
        if (Overlap(a, kPagesPerBlock, r)) {
            LogPrintf("SetLedMatrix: block %d at 0x%X would overwrite the %s; not written", b, unsigned(a), r.pszWhat);
            return std::nullopt;
        }
    return uint8_t(a);
}

SelkBlock BuildLedBlock(const kb::CKbBlock& block, const kb::KbDescSnap& d, int b)
{
    SelkBlock out{};
    for (int i = 0; i < kGroupsPerBlock; ++i) {
        const int g = kGroupsPerBlock * b + i;
        if (g < 0 || g >= d.GroupCount()) continue;
        std::vector<uint8_t> planes = kb::GroupPlanes(block, d, g, kPlaneWidth, kPlaneOfComponent);
        // The tied positions light as one: the first of them with a colour gives it to all.
        for (const int nLed : kTiedLeds) {
            const bool bLit = planes[size_t(nLed)] || planes[size_t(kPlaneWidth + nLed)] ||
                              planes[size_t(2 * kPlaneWidth + nLed)];
            if (!bLit) continue;
            for (const int nTo : kTiedLeds)
                for (int p = 0; p < 3; ++p)
                    planes[size_t(p * kPlaneWidth + nTo)] = planes[size_t(p * kPlaneWidth + nLed)];
            break;
        }
        LogPrintf("ColorGroup[%d]: Addr=%x", g, unsigned(d.kb.nGaoshouAddr + kPagesPerBlock * b));
        LogHex(planes.data(), planes.size(), 32, "");
        std::ranges::copy(planes, out.begin() + ptrdiff_t(size_t(i) * kGroupLen));
    }
    return out;
}

kb::KbMatrixPlan BuildMatrix(const kb::CKbBlock& block, const kb::KbDescSnap& d, const CMacroList& macros)
{
    const auto codeAt = [&macros](const KeyInfo& k, int nPos) -> std::optional<uint32_t> {
        const MacroRecord* pMacro = FunClass(k.FunID) == FUN_MACRO ? macros.FindById(k.MacroID) : nullptr;
        const std::optional<uint32_t> v = SelkKeyCode(k, pMacro, nPos);
        if (!v) return std::nullopt;
        return ToBlockCode(*v);
    };
    // A key's Enter depends on its position; the builder asks with the key's own record.
    const kb::KbCodeOf codeOf = [&codeAt](const KeyInfo& k) { return codeAt(k, k.MatrixInx); };
    kb::KbMatrixLayout layout;
    layout.nMaxFn = kFnEntries;
    kb::KbMatrixPlan plan = kb::BuildMatrixFresh(block, d, layout, codeOf);

    // Positions 75 and 80 read as one key: a code at 80 wins, else the one at 75.
    const int a = kTwinPositions[0], b = kTwinPositions[1];
    uint32_t& c75 = plan.codes[size_t(a)];
    uint32_t& c80 = plan.codes[size_t(b)];
    if (c75 != c80) {
        const int nFrom = c80 != 0 ? b : c75 != 0 ? a : -1;
        if (nFrom >= 0) {
            const int nTo = nFrom == b ? a : b;
            plan.codes[size_t(nTo)] = plan.codes[size_t(nFrom)];
            // A macro key's copy plays the same buffer.
            std::erase_if(plan.macros, [nTo](const kb::KbMacroRef& r) { return r.nCodeIndex == nTo; });
            const std::vector<kb::KbMacroRef> refs = plan.macros;
            for (const kb::KbMacroRef& r : refs)
                if (r.nCodeIndex == nFrom) plan.macros.push_back({r.nSlot, nTo, r.dwMacroID});
        }
    }

    // The direct keys replace the codes at their positions.
    for (int i = 0; i < kKbDirectKeyNum; ++i) {
        const KeyInfo* k = block.DirectKey(i);
        if (!k || k->FunID == 0) continue;
        if (k->MatrixInx < 0 || k->MatrixInx >= kb::kKbMatrixCodes) {
            LogPrintf("Matrix inx warning: direct key %d names position %d", i, int(k->MatrixInx));
            continue;
        }
        const std::optional<uint32_t> code = codeAt(*k, k->MatrixInx);
        if (!code) {
            LogPrintf("Get Invaild keycode, direct key %d, MatrixInx=%d", i, int(k->MatrixInx));
            continue;
        }
        const int nPos = k->MatrixInx;
        plan.codes[size_t(nPos)] = *code;
        std::erase_if(plan.macros, [nPos](const kb::KbMacroRef& r) { return r.nCodeIndex == nPos; });
        if (FunClass(k->FunID) == FUN_MACRO) plan.macros.push_back({kKbKeyNum + i, nPos, k->MacroID});
    }
    LogPrintf("Gest------");
    for (int i = 0; i < kKbDirectKeyNum; ++i)
        if (const KeyInfo* k = block.DirectKey(i); k && k->FunID != 0 && kb::CKbBlock::ValidSlot(k->MatrixInx))
            LogPrintf("Matrix[%d] = 0x%08x", int(k->MatrixInx), unsigned(plan.codes[size_t(k->MatrixInx)]));
    return plan;
}

kb::KbCodeBlock MergeIntoCurrent(const kb::KbCodeBlock& current, const kb::KbCodeBlock& fresh)
{
    kb::KbCodeBlock out = current;
    for (size_t i = 0; i < out.size(); ++i)
        if (fresh[i] != 0) out[i] = fresh[i];
    return out;
}

}  // namespace selk
