#include "device/kb/KbKeyMatrix.h"

#include <algorithm>

#include "core/Log.h"
#include "keys/FunId.h"

namespace kb {

namespace {

KeyInfo AsKey(const KeyFunc& f)
{
    KeyInfo k{};  // a KeyFunc is the first 36 bytes of a key record
    k.FunID = f.FunID;
    k.rcKey = f.rcKey;
    k.MatrixInx = f.MatrixInx;
    k.MacroID = f.MacroID;
    k.byModifier = f.byModifier;
    k.byKey1 = f.byKey1;
    k.byKey2 = f.byKey2;
    k.byModVk = f.byModVk;
    k.dwParam = f.dwParam;
    k.nFnIndex = -1;
    return k;
}

bool IsMacroKey(const KeyInfo& k) { return FunClass(k.FunID) == FUN_MACRO; }

void NoteMacro(KbMatrixPlan& plan, int nSlot, int nIndex, const KeyInfo& k)
{
    if (IsMacroKey(k)) plan.macros.push_back({nSlot, nIndex, k.MacroID});
}

// The matrix position of slot i; -1 when the default record has none in 0..131.
int PositionOf(const KbDescSnap& d, int i)
{
    const KeyInfo* def = d.DefKey(i);
    if (!def) return -1;
    return def->MatrixInx >= 0 && def->MatrixInx < kKbMatrixCodes ? def->MatrixInx : -1;
}

}  // namespace

KbMatrixLayout MatrixLayoutOf(const KbDescSnap& d)
{
    KbMatrixLayout l;
    l.nMaxFn = std::clamp(d.kb.nMaxFnNum, 0, (kKbBlockCodes - kKbMatrixCodes) / 2);
    return l;
}

KbMatrixPlan BuildMatrixSynced(const CKbBlock& block, const KbDescSnap& d, const KbCodeBlock& current,
                               const KbCodeOf& codeOf)
{
    const KbMatrixLayout l = MatrixLayoutOf(d);
    KbMatrixPlan plan;
    plan.codes = current;
    for (int i = 0; i < d.nKeySlots; ++i) {
        const KeyInfo* k = block.Key(i);
        if (!k || k->FunID == 0) continue;
        const std::optional<uint32_t> code = codeOf(*k);
        const int nPos = PositionOf(d, i);
        if (!code || nPos < 0) {
            LogPrintf("Get Invaild keycode, key index=%d, MatrixInx=%d", i, d.defKey[size_t(i)].MatrixInx);
            plan.invalidSlots.push_back(i);
            continue;
        }
        int nAt = nPos;
        if (IsFnRef(current[size_t(nPos)])) {
            const int e = FnRefEntry(current[size_t(nPos)]);
            if (e >= l.nMaxFn) {
                LogPrintf("Key[%d]: the keyboard names Fn entry %d, it has %d; left alone", i, e, l.nMaxFn);
                plan.invalidSlots.push_back(i);
                continue;
            }
            nAt = l.FnSingleAt() + e;
        }
        plan.codes[size_t(nAt)] = *code;
        NoteMacro(plan, i, nAt, *k);
    }
    return plan;
}

KbMatrixPlan BuildMatrixFresh(const CKbBlock& block, const KbDescSnap& d, const KbCodeOf& codeOf)
{
    return BuildMatrixFresh(block, d, MatrixLayoutOf(d), codeOf);
}

KbMatrixPlan BuildMatrixFresh(const CKbBlock& block, const KbDescSnap& d, const KbMatrixLayout& layout,
                              const KbCodeOf& codeOf)
{
    KbMatrixLayout l = layout;
    l.nMaxFn = std::clamp(l.nMaxFn, 0, (kKbBlockCodes - kKbMatrixCodes) / 2);
    KbMatrixPlan plan;
    std::array<bool, kKbMatrixCodes> taken{};
    for (int i = 0; i < d.nKeySlots; ++i) {
        const KeyInfo* k = block.Key(i);
        if (!k || k->FunID == 0) continue;
        const int nPos = PositionOf(d, i);
        if (nPos < 0) {
            LogPrintf("Error: nMatrixInx=%d", d.defKey[size_t(i)].MatrixInx);
            plan.invalidSlots.push_back(i);
            continue;
        }
        if (taken[size_t(nPos)]) {
            LogPrintf("Error: Matrix[ %d ]=0x%x", nPos, unsigned(plan.codes[size_t(nPos)]));
            continue;
        }
        const std::optional<uint32_t> code = codeOf(*k);
        if (!code) {
            LogPrintf("Get Invaild keycode, key index=%d, MatrixInx=%d", i, nPos);
            plan.invalidSlots.push_back(i);
            continue;
        }
        taken[size_t(nPos)] = true;
        const int e = k->nFnIndex;
        if (e >= 0 && e < l.nMaxFn) {
            plan.codes[size_t(nPos)] = FnRef(e);
            plan.codes[size_t(l.FnSingleAt() + e)] = *code;
            NoteMacro(plan, i, l.FnSingleAt() + e, *k);
            const KeyInfo fn = AsKey(k->FnFun);
            if (fn.FunID != 0) {
                if (const std::optional<uint32_t> fnCode = codeOf(fn)) {
                    plan.codes[size_t(l.FnComboAt() + e)] = *fnCode;
                    NoteMacro(plan, i, l.FnComboAt() + e, fn);
                } else {
                    LogPrintf("Key[%d]: its Fn function 0x%08x has no hardware code", i, unsigned(fn.FunID));
                }
            }
            continue;
        }
        if (e >= l.nMaxFn) LogPrintf("Key[%d]: Fn entry %d outside the keyboard's %d, the key alone is written", i, e, l.nMaxFn);
        plan.codes[size_t(nPos)] = *code;
        NoteMacro(plan, i, nPos, *k);
    }
    return plan;
}

std::array<uint8_t, 4 * kKbBlockCodes> CodeBlockBytes(const KbCodeBlock& codes)
{
    std::array<uint8_t, 4 * kKbBlockCodes> out{};
    for (size_t i = 0; i < codes.size(); ++i)
        for (size_t b = 0; b < 4; ++b) out[4 * i + b] = uint8_t(codes[i] >> (8 * b));
    return out;
}

KbCodeBlock CodeBlockFromBytes(std::span<const uint8_t> bytes)
{
    KbCodeBlock c{};
    for (size_t i = 0; i < c.size() && 4 * i + 3 < bytes.size(); ++i)
        c[i] = uint32_t(bytes[4 * i]) | uint32_t(bytes[4 * i + 1]) << 8 | uint32_t(bytes[4 * i + 2]) << 16 |
               uint32_t(bytes[4 * i + 3]) << 24;
    return c;
}

}  // namespace kb
