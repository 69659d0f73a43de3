#include "device/HidTransfer.h"

#include <algorithm>
#include <cerrno>

#include "core/Log.h"

namespace {

template <class Call>
bool Tries(IHidHandle* pHandle, IClock& clock, const char* pszName, Call call, IClock::Duration gap = kHidRetryGap)
{
    if (!pHandle) {
        LogPrintf("%s err=%d", pszName, ENODEV);
        return false;
    }
    for (int nTry = 1;; ++nTry) {
        if (call()) return true;
        if (nTry == kHidTries) break;
        clock.Sleep(gap);
    }
    LogPrintf("%s err=%d", pszName, pHandle->LastError());
    return false;
}

}  // namespace

bool SetFeatureTries(IHidHandle* pHandle, IClock& clock, std::span<const uint8_t> report, const char* pszName,
                     IClock::Duration gap)
{
    return Tries(pHandle, clock, pszName, [&] { return pHandle->SetFeature(report); }, gap);
}

bool GetFeatureTries(IHidHandle* pHandle, IClock& clock, std::span<uint8_t> buf, const char* pszName,
                     IClock::Duration gap)
{
    if (buf.empty()) return false;
    // A failed call may leave anything in the buffer; every try starts from the
    // report id alone, and a failed transfer hands back only the id.
    const uint8_t byId = buf[0];
    return Tries(pHandle, clock, pszName, [&] {
        std::fill(buf.begin() + 1, buf.end(), uint8_t{0});
        buf[0] = byId;
        if (pHandle->GetFeature(buf)) return true;
        std::fill(buf.begin() + 1, buf.end(), uint8_t{0});
        buf[0] = byId;
        return false;
    }, gap);
}

bool WriteOutputTries(IHidHandle* pHandle, IClock& clock, std::span<const uint8_t> report, const char* pszName)
{
    return Tries(pHandle, clock, pszName, [&] { return pHandle->WriteOutput(report); });
}
