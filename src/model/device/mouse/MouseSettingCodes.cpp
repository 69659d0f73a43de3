#include "device/mouse/MouseSettingCodes.h"

#include <algorithm>

#include "core/Gvar.h"
#include "core/Log.h"

namespace mouse {

std::optional<uint8_t> LiftOffHwCode(const MsDesc& ms, int nLod)
{
    if (ms.nShowLOD == 0) return std::nullopt;
    if (ms.nShowLOD != 1) {
        // The levels of the adjustable page are not in LodHW, the only table this
        // command takes; sending from it would send 0.
        LogPrintf("SetLOD2: the lift-off levels of this mouse are not sent by this command");
        return std::nullopt;
    }
    if (nLod < 0 || nLod >= std::min(ms.nLodNum, 8)) {
        LogPrintf("SetLOD2: nLod=%d is beyond the %d lift-off levels, not sent", nLod, ms.nLodNum);
        return std::nullopt;
    }
    const uint8_t byHw = ms.LodHW[nLod];
    LogPrintf("SetLOD2: nLod=%d, nFixLine=%d", byHw, 0);
    return byHw;
}

std::optional<uint8_t> DebounceHwCode(const MsDesc& ms, int nIndex)
{
    if (ms.nDebounceNum <= 0) return std::nullopt;  // the mouse has no debounce option
    if (nIndex < 0 || nIndex >= std::min(ms.nDebounceNum, 12)) {
        LogPrintf("SetDebounce: index %d is beyond the %d debounce values, not sent", nIndex, ms.nDebounceNum);
        return std::nullopt;
    }
    const uint8_t byHw = ms.DebounceHw[nIndex];
    LogPrintf("SetDebounce: %d", byHw);
    return byHw;
}

}  // namespace mouse
