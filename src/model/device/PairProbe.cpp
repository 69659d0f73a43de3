#include "device/PairProbe.h"

#include <algorithm>

#include "core/Log.h"
#include "device/HidDevList.h"
#include "device/HidTransfer.h"

namespace {

struct Candidate {
    std::string strPath;
    std::unique_ptr<IHidHandle> h;
};

bool InUse(const std::vector<std::string>& inUse, const std::vector<HidPair>& pairs, const std::string& strPath)
{
    if (std::ranges::find(inUse, strPath) != inUse.end()) return true;
    return std::ranges::any_of(pairs, [&](const HidPair& p) {
        return p.strCmdPath == strPath || p.strNotifyPath == strPath;
    });
}

// Reads every report already waiting; true when one of them is a reply.
bool TakeWaiting(IHidHandle& h)
{
    std::vector<uint8_t> buf(kPairReplyMax);
    bool bReply = false;
    // Bounded: a handle that keeps producing reports cannot hold the probe.
    for (int i = 0; i < 64; ++i) {
        std::ranges::fill(buf, uint8_t{0});
        buf[0] = kPairReplyId;
        const int n = h.ReadInput(buf, std::chrono::milliseconds(0));
        if (n <= 0) break;
        if (buf[0] == kPairReplyId) bReply = true;
    }
    return bReply;
}

unsigned LowBits(const void* p) { return unsigned(reinterpret_cast<uintptr_t>(p)); }

}  // namespace

std::vector<uint8_t> PairProbeReport()
{
    std::vector<uint8_t> r(kPairFeatureLen, 0);
    const uint8_t head[] = {0x06, 0xAA, 0xC7, 0x00, 0x00, 0x01, 0x00, 0x02};
    std::ranges::copy(head, r.begin());
    return r;
}

int ProbePairs(IHidBackend& backend, IClock& clock, int nVID, int nPID, int nPID2,
               const std::vector<std::string>& inUse, std::vector<HidPair>& pairs)
{
    LogPrintf("++++++++++++++++++ FindDev: looking for VID=%04x, PID=%04x, PID2=%04x", unsigned(nVID), unsigned(nPID),
              unsigned(nPID2));
    CHidDevList list;
    list.EnumHidDevices(backend, nVID, nPID, nPID2);

    std::vector<Candidate> inputs;
    for (const HidDevInfo& e : list) {
        if (e.szPath.empty() || e.nInputLen != kPairInputLen || InUse(inUse, pairs, e.szPath)) continue;
        if (auto h = backend.Open(e.szPath)) inputs.push_back({e.szPath, std::move(h)});
        else LogPrintf("FindDev: cannot open %s", e.szPath.c_str());
    }

    const std::vector<uint8_t> probe = PairProbeReport();
    int nFound = 0;
    for (const HidDevInfo& e : list) {
        if (int(pairs.size()) >= kPairSlots) break;
        if (e.szPath.empty() || e.nFeatureLen != kPairFeatureLen || InUse(inUse, pairs, e.szPath)) continue;
        std::unique_ptr<IHidHandle> hCmd = backend.Open(e.szPath);
        if (!hCmd) {
            LogPrintf("FindDev: cannot open %s", e.szPath.c_str());
            continue;
        }
        for (Candidate& c : inputs)
            if (c.h) TakeWaiting(*c.h);
        if (!SetFeatureTries(hCmd.get(), clock, probe, "FindDev: probe")) continue;
        clock.Sleep(kPairWait);
        std::vector<Candidate*> replied;
        for (Candidate& c : inputs)
            if (c.h && TakeWaiting(*c.h)) replied.push_back(&c);
        if (replied.size() != 1) {
            if (replied.size() > 1)
                LogPrintf("FindDev: %d input interfaces answered %s, none paired", int(replied.size()),
                          e.szPath.c_str());
            continue;
        }
        Candidate& c = *replied.front();
        HidPair pair{e.szPath, c.strPath, std::move(hCmd), std::move(c.h)};
        LogPrintf("* Dev match OK: hCmd=%x, hNotify=%x", LowBits(pair.hCmd.get()), LowBits(pair.hNotify.get()));
        LogPrintf("* Path(hDev)=   %s", pair.strCmdPath.c_str());
        LogPrintf("* Path(hNotify)=%s", pair.strNotifyPath.c_str());
        pairs.push_back(std::move(pair));
        ++nFound;
    }
    return nFound;  // unpaired input handles close with the candidates
}
