#include "device/pad/PadDefaults.h"

#include <algorithm>

#include "core/Log.h"
#include "device/pad/PadReports.h"

namespace pad {

PadLedMode DefaultEffect()
{
    PadLedMode e{};
    e.nSpeed = 2;
    e.nBright = kBright100;
    e.nDirect = 5;
    e.bFlag = 0;
    constexpr ZColor kColours[kColourMax] = {0x0000FF, 0xFF0000, 0x00FF00, 0xFF0080, 0x03C6FA, 0x6A03FA, 0xFFFFFF};
    std::ranges::copy(kColours, e.clr);
    e.nColorMask = 0xFFFF;
    return e;
}

void FillPadDefault(PadSettings& pad, std::span<const int32_t> ledParam)
{
    pad = PadSettings{};
    std::ranges::fill(pad.Mode, DefaultEffect());
    pad.nLedMode = 0;
    if (ledParam.size() < 5) return;
    // Summed in 64 bits: large values must not wrap to zero (or overflow).
    const int64_t nSum = int64_t(ledParam[0]) + ledParam[1] + ledParam[2] + ledParam[3];
    if (nSum == 0) return;
    const int nIndex = ledParam[0];
    if (!IsEffectIndex(nIndex)) {
        LogPrintf("Pad defaults: LedParam names effect %d, the pad has 0..%d; factory lighting kept", nIndex,
                  kEffectIndexMax);
        return;
    }
    pad.nLedMode = nIndex;
    PadLedMode& e = pad.Mode[nIndex];
    e.nSpeed = ledParam[1];
    e.nBright = ledParam[2];
    e.nDirect = ledParam[3];
    e.bFlag = ledParam[4];
}

}  // namespace pad
