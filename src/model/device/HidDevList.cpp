#include "device/HidDevList.h"

#include <algorithm>

#include "core/Log.h"

namespace {

bool Accepts(const HidDevInfo& info, int nVID, std::span<const int> pids)
{
    const bool bAll = nVID == 0 && std::ranges::all_of(pids, [](int p) { return p == 0; });
    if (bAll) return true;
    return info.nVID == nVID && std::ranges::find(pids, info.nPID) != pids.end();
}

}  // namespace

int CHidDevList::EnumHidDevices(IHidBackend& backend, int nVID, int nPID, int nPID2)
{
    const int pids[2] = {nPID, nPID2};
    return EnumHidDevices(backend, nVID, pids);
}

int CHidDevList::EnumHidDevices(IHidBackend& backend, int nVID, std::span<const int> pids)
{
    Clear();
    int nCount = 0;
    for (const HidDevInfo& info : backend.Enumerate()) {
        if (info.szPath.empty() || !Accepts(info, nVID, pids)) continue;
        HidDevInfo* pEntry = FindFreeDevEntry();
        if (!pEntry) {
            LogPrintf("EnumHidDevices: device list full, %s skipped", info.szPath.c_str());
            continue;
        }
        *pEntry = info;
        ++nCount;
    }
    return nCount;
}

void CHidDevList::Clear() { m_entries.fill(HidDevInfo{}); }

HidDevInfo* CHidDevList::FindFreeDevEntry()
{
    for (HidDevInfo& e : m_entries)
        if (e.szPath.empty()) return &e;
    return nullptr;
}

int CHidDevList::Count() const
{
    return int(std::ranges::count_if(m_entries, [](const HidDevInfo& e) { return !e.szPath.empty(); }));
}

bool MatchesPick(const HidDevInfo& info, const HidPick& pick)
{
    if (info.szPath.empty()) return false;
    if (pick.nUsagePage && info.nUsagePage != pick.nUsagePage) return false;
    if (pick.nUsage && info.nUsage != pick.nUsage) return false;
    if (pick.nFeatureLen && info.nFeatureLen != pick.nFeatureLen) return false;
    if (pick.nInputLen && info.nInputLen != pick.nInputLen) return false;
    if (pick.nOutputLen && info.nOutputLen != pick.nOutputLen) return false;
    if (pick.nReportId >= 0 && info.nReportId != pick.nReportId) return false;
    return true;
}

const HidDevInfo* PickLast(const CHidDevList& list, const HidPick& pick)
{
    const HidDevInfo* pFound = nullptr;
    for (const HidDevInfo& e : list)
        if (MatchesPick(e, pick)) pFound = &e;
    return pFound;
}

std::vector<const HidDevInfo*> PickAll(const CHidDevList& list, const HidPick& pick)
{
    std::vector<const HidDevInfo*> found;
    for (const HidDevInfo& e : list)
        if (MatchesPick(e, pick)) found.push_back(&e);
    return found;
}
