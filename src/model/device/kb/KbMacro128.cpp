#include "device/kb/KbMacro128.h"

#include <algorithm>

#include "core/Log.h"
#include "core/Utf.h"
#include "device/kb/KbMacroNumbers.h"
#include "device/kb/KbUsage.h"
#include "keys/KeyCodes.h"

namespace kb {

uint8_t Macro128ActionCode(uint8_t byVk, bool bLeftModifiers)
{
    if (byVk >= kVkMsLeft && byVk <= kVkMsMiddle) return byVk;
    if (uint8_t m = ModifierUsage(byVk)) {
        if (bLeftModifiers && m >= 0xE4) m = uint8_t(m - 4);
        return m;
    }
    return KbVkToHid(byVk);
}

size_t EncodeMacro128(const MacroRecord& rec, std::span<uint8_t, kMacro128Len> out, const KbMacro128Style& style)
{
    std::ranges::fill(out, uint8_t{0});
    const size_t nEnd = std::min(style.nEnd, kMacro128Len);
    const uint16_t wRepeat = rec.wLoopCount ? rec.wLoopCount : 1;
    out[0] = uint8_t(wRepeat >> 8);
    out[1] = uint8_t(wRepeat);
    size_t n = 2;
    const int nActions = MacroActionCount(rec);
    for (int i = 0; i < nActions; ++i) {
        const MacroAction& a = rec.Action[i];
        const uint8_t byCode = Macro128ActionCode(a.byCode, style.bLeftModifiers);
        if (byCode == 0) {
            LogPrintf("StMacro_To_HdMacro: get wrong hid");
            continue;
        }
        const uint8_t byRelease = a.wState == 0 ? 0x80 : 0;
        const uint32_t dwDelay = a.Delay();
        if (dwDelay < 128) {
            if (n + 2 > nEnd) break;
            out[n++] = uint8_t(byRelease | std::max<uint32_t>(dwDelay, 3));
            out[n++] = byCode;
        } else {
            if (n + 6 > nEnd) break;
            const uint32_t dwHundreds = std::min<uint32_t>(dwDelay / 100, 0xFFFF);
            out[n++] = uint8_t(byRelease | std::max<uint32_t>(dwDelay % 100, 3));
            out[n++] = byCode;
            out[n++] = 0;
            out[n++] = 3;
            out[n++] = uint8_t(dwHundreds >> 8);
            out[n++] = uint8_t(dwHundreds);
        }
    }
    return n;
}

std::vector<Macro128> PlaceMacros(KbMatrixPlan& plan, const CMacroList& macros, int nCapacity,
                                  const KbMacro128Style& style)
{
    CKbMacroNumbers numbers(nCapacity);
    std::vector<Macro128> buffers;
    for (const KbMacroRef& ref : plan.macros) {
        if (ref.nCodeIndex < 0 || ref.nCodeIndex >= kKbBlockCodes) continue;
        uint32_t& code = plan.codes[size_t(ref.nCodeIndex)];
        const MacroRecord* pMacro = macros.FindById(ref.dwMacroID);
        if (!pMacro) {
            LogPrintf("Key[%d][%d] Set To Macro NULL", ref.nSlot, ref.nCodeIndex);
            code = 0;
            continue;
        }
        bool bNew = false;
        const int n = numbers.NumberOf(ref.dwMacroID, bNew);
        if (n == 0) {
            LogPrintf("Key[%d]: no macro buffer left (%d in use); the key keeps the keyboard's function", ref.nSlot,
                      nCapacity);
            code = 0;
            continue;
        }
        if (bNew) {
            LogPrintf("New Assign Buffer_ID= %d", n);
            buffers.emplace_back();
            EncodeMacro128(*pMacro, buffers.back(), style);
        }
        LogPrintf("Key[%d][%d] Set To Macro %s(0x%08x), Macro_Buffer_ID=%d", ref.nSlot, ref.nCodeIndex,
                  U16ToUtf8(FixedView(pMacro->szName)).c_str(), unsigned(ref.dwMacroID), n);
        code = WithMacroBuffer(code, n);
        LogPrintf("Matrix[%d][%d] = 0x%08x", ref.nSlot, ref.nCodeIndex, unsigned(code));
    }
    return buffers;
}

std::vector<MacroBlock> MacroBlocks(std::span<const Macro128> buffers)
{
    std::vector<MacroBlock> blocks((buffers.size() + kMacro128PerBlock - 1) / kMacro128PerBlock);
    for (size_t i = 0; i < buffers.size(); ++i)
        std::ranges::copy(buffers[i], blocks[i / kMacro128PerBlock].begin() +
                                          ptrdiff_t((i % kMacro128PerBlock) * kMacro128Len));
    return blocks;
}

}  // namespace kb
