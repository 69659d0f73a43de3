#include "device/newkb/NewKbSlots.h"

#include "core/Log.h"

namespace newkb {

int CNewKbSlots::MatchNewDevices(int nVID, int nPID, int nPID2)
{
    std::vector<std::string> inUse;
    for (const Slot& s : m_slots) {
        if (s.strCmdPath.empty()) continue;
        inUse.push_back(s.strCmdPath);
        inUse.push_back(s.strNotifyPath);
    }
    int nFree = 0;
    for (const Slot& s : m_slots) nFree += s.strCmdPath.empty() ? 1 : 0;
    if (nFree == 0) return 0;
    std::vector<HidPair> pairs;
    // The probe stops at kPairSlots pairs; the slots held count against them.
    for (int i = 0; i < kPairSlots - nFree; ++i) pairs.emplace_back();
    const int nFound = ProbePairs(m_backend, m_clock, nVID, nPID, nPID2, inUse, pairs);
    int nStored = 0;
    for (HidPair& p : pairs) {
        if (p.strCmdPath.empty()) continue;
        for (Slot& s : m_slots) {
            if (!s.strCmdPath.empty()) continue;
            s.strCmdPath = p.strCmdPath;
            s.strNotifyPath = p.strNotifyPath;
            s.hCmd = std::move(p.hCmd);
            s.hNotify = std::move(p.hNotify);
            ++nStored;
            break;
        }
    }
    LogPrintf("MatchNewDevices: %d keyboards paired, %d slots in use", nFound, Paired());
    return nStored;
}

bool CNewKbSlots::Take(int nSlot, HidPair& out)
{
    if (!Valid(nSlot)) return false;
    Slot& s = m_slots[size_t(nSlot)];
    if (s.strCmdPath.empty() || !s.hCmd) return false;
    out.strCmdPath = s.strCmdPath;
    out.strNotifyPath = s.strNotifyPath;
    out.hCmd = std::move(s.hCmd);
    out.hNotify = std::move(s.hNotify);
    return true;
}

void CNewKbSlots::Release(int nSlot)
{
    if (!Valid(nSlot)) return;
    m_slots[size_t(nSlot)] = Slot{};
}

std::string CNewKbSlots::CmdPath(int nSlot) const { return Valid(nSlot) ? m_slots[size_t(nSlot)].strCmdPath : std::string(); }

std::string CNewKbSlots::NotifyPath(int nSlot) const
{
    return Valid(nSlot) ? m_slots[size_t(nSlot)].strNotifyPath : std::string();
}

int CNewKbSlots::Paired() const
{
    int n = 0;
    for (const Slot& s : m_slots) n += s.strCmdPath.empty() ? 0 : 1;
    return n;
}

}  // namespace newkb
