// CDev24G: discovery, transfers and the small operations. The apply is in
// W24Apply.cpp, the profile defaults in W24Defaults.cpp.
#include "device/w24g/Dev24G.h"

#include <algorithm>
#include <map>
#include <string>

#include "core/AtomicFile.h"
#include "core/Log.h"
#include "core/MouseDesc.h"
#include "core/SensorTables.h"
#include "core/Utf.h"
#include "device/InterfacePick.h"
#include "device/mouse/MouseDefaults.h"
#include "device/mouse/MouseDevice.h"
#include "device/mouse/MouseMacro.h"
#include "device/w24g/W24General.h"
#include "keys/FunId.h"
#include "keys/MacroList.h"

using namespace w24g;

namespace {

using mouse::InPidList;

// Tried in this order: an interface serves the first role it qualifies for.
constexpr HidInterfaceRule kInterfaces[] = {
    {HidRole::Data, {kUsagePage, kUsage, int(kDataReportLen)}},
    {HidRole::Cmd, {kUsagePage, kUsage, int(kCmdReportLen)}},
    {HidRole::Notify, {kUsagePage, kUsage, 0, int(kNotifyReportLen)}, false},
};

// The interfaces of one product identifier: the cable or the receiver.
struct Personality {
    int nPID = 0;
    InterfaceChoice choice;
    size_t nLastSeen = 0;
};

// The mouse's interfaces among the enumerated ones. The cable and the receiver
// may both be plugged in; the three interfaces are taken from one of them
// (the cable when it is complete, as the mouse then talks over the cable),
// and within it, when several qualify, the last one found wins. Nothing
// complete: what there is of the last one seen.
std::optional<Personality> ChoosePersonality(const std::vector<HidDevInfo>& list, const MsDesc& ms)
{
    std::map<int, size_t> lastSeen;
    for (size_t i = 0; i < list.size(); ++i) {
        const HidDevInfo& d = list[i];
        if (d.nVID == ms.nVID && (InPidList(ms.nPID, d.nPID) || InPidList(ms.nPID2, d.nPID))) lastSeen[d.nPID] = i;
    }
    std::optional<Personality> best, last;
    bool bBestCable = false;
    for (const auto& [nPID, nSeen] : lastSeen) {
        const int nThisPID = nPID;  // a structured binding cannot be captured before clang 16
        Personality p{nPID, ChooseInterfaces(list, kInterfaces, [&](const HidDevInfo& d) {
                          return d.nVID == ms.nVID && d.nPID == nThisPID;
                      }, true), nSeen};
        if (!last || p.nLastSeen > last->nLastSeen) last = p;
        if (!p.choice.Complete(kInterfaces)) continue;
        const bool bCable = !InPidList(ms.nPID2, nPID);
        if (!best || (bCable && !bBestCable) || (bCable == bBestCable && p.nLastSeen > best->nLastSeen)) {
            best = p;
            bBestCable = bCable;
        }
    }
    return best ? best : last;
}

}  // namespace

CDev24G::CDev24G(IHidBackend& backend, IClock& clock, INoticeSink& notices, int nFwType,
                 IOsPointerSettings* pPointer)
    : CHidDev(backend, clock, notices, nFwType, mouse::kMouseInput), m_kind(KindOf(nFwType)),
      m_bSingleMode(gVar.Ms.nSingleMode != 0), m_pPointer(pPointer)
{
}

CDev24G::~CDev24G() = default;

bool CDev24G::SendCmd(const CmdReport& cmd) { return mouse::SendCommand(Drv(), cmd); }

bool CDev24G::CmdAnswer(const CmdReport& cmd, CmdReport& ans)
{
    ans = CmdReport{kCmdReportId};
    mouse::LogCmd(cmd);
    if (!Drv().Transact(HidRole::Cmd, cmd, "SendCmd", HidRole::Cmd, ans, "GetCmd")) return false;
    if (g_nDebug == 4) LogPrintf("GetCmd %x %x %x %x %x", ans[1], ans[2], ans[3], ans[4], ans[5]);
    return true;
}

bool CDev24G::DataAnswer(const CmdReport& cmd, DataReport& ans)
{
    ans = MakeDataAnswerBuffer(m_kind);
    mouse::LogCmd(cmd);
    return Drv().Transact(HidRole::Cmd, cmd, "SendCmd", HidRole::Data, ans, "GetData");
}

bool CDev24G::SendData(const DataReport& rec) { return Drv().SendFeature(HidRole::Data, rec, "SendData"); }

bool CDev24G::GetProfile(int p, GeneralBlock& block)
{
    DataReport ans;
    if (!DataAnswer(MakeGetGeneralCmd(p), ans)) return false;
    block = GeneralFromAnswer(ans);
    return true;
}

bool CDev24G::SetProfile(int p, const GeneralBlock& block) { return SendData(MakeGeneralReport(m_kind, p, block)); }

bool CDev24G::GetLOD(int p, int& nLevel)
{
    DataReport ans;
    if (!DataAnswer(MakeGetLiftOffCmd(p), ans)) return false;
    nLevel = LiftOffLevelFromAnswer(ans);
    return true;
}

bool CDev24G::GetOnline(bool& bOnline)
{
    CmdReport ans;
    if (!CmdAnswer(MakeOnlineCmd(), ans)) return false;
    bOnline = OnlineFromAnswer(ans);
    return true;
}

bool CDev24G::ReadPower(int& nLevel, bool& bUsb, int& nVoltage)
{
    CmdReport ans;
    if (!CmdAnswer(MakePowerCmd(), ans)) return false;
    const std::optional<PowerState> s = PowerFromAnswer(ans);
    if (!s) {
        LogPrintf("ReadPower: link byte 0x%02x is neither cable nor battery", ans[1]);
        return false;
    }
    nLevel = s->nLevel;
    bUsb = s->bUsb;
    nVoltage = s->nVoltage;
    return true;
}

bool CDev24G::SetMode(int nMode) { return mouse::ValidMode("CDev24G", nMode) && SendCmd(MakeSetModeCmd(nMode)); }

// ---- last good blocks -----------------------------------------------------------------------

std::optional<GeneralBlock> CDev24G::LastGood(int p) const
{
    std::lock_guard lock(m_mtxGood);
    return p >= 1 && p <= kProfileMax ? m_lastGood[size_t(p - 1)] : std::nullopt;
}

void CDev24G::SetLastGood(int p, const GeneralBlock& block)
{
    std::lock_guard lock(m_mtxGood);
    if (p >= 1 && p <= kProfileMax) m_lastGood[size_t(p - 1)] = block;
}

// ---- discovery ---------------------------------------------------------------------------------

bool CDev24G::OpenInterfaces()
{
    const MsDesc& ms = gVar.Ms;
    LogPrintf("CDev24G::FindHIDDevice, looking for VID=%04X, PID=%04X, PID2=%04X", ms.nVID, ms.nPID[0], ms.nPID2[0]);
    const std::vector<HidDevInfo> list = m_backend.Enumerate();
    const std::optional<Personality> pick = ChoosePersonality(list, ms);
    HandleSet h;
    const FindResult r = pick ? ::OpenInterfaces(m_backend, pick->choice, kInterfaces, h) : FindResult::NotFound;
    LogPrintf("CDev24G::FindHIDDevice, hCmd=0x%zx, hData=0x%zx, hNotify=0x%zx", size_t(h[0].get()),
              size_t(h[1].get()), size_t(h[2].get()));
    if (r != FindResult::Found) {
        m_bDenied = r == FindResult::Denied;
        if (m_bDenied) LogPrintf("CDev24G::FindHIDDevice: the mouse's interfaces cannot be opened");
        return false;
    }
    m_clock.Sleep(kFindPause);
    ClearHandle();
    for (const HidInterfaceRule& s : kInterfaces) SetHandle(s.role, std::move(h[size_t(s.role)]));
    const HidDevInfo* pCmd = pick->choice.Of(HidRole::Cmd);
    m_nPID = pCmd->nPID;
    m_bWireless = InPidList(ms.nPID2, pCmd->nPID);
    m_nFwVersion = pCmd->nVersion;
    {
        // Blocks kept from another mouse (or the other connection) are not this one's.
        std::lock_guard lock(m_mtxGood);
        m_lastGood = {};
    }
    return true;
}

void CDev24G::WriteAnalysis(const GeneralBlock& block) const
{
    const std::filesystem::path dir = !m_analysisDir.empty() ? m_analysisDir : g_szUserDir;
    if (dir.empty()) {
        LogPrintf("CDev24G::FindHIDDevice: no folder for analyz.txt");
        return;
    }
    const std::u16string_view title = gVar.pszTitle ? std::u16string_view(gVar.pszTitle) : FixedView(gVar.szTitle);
    std::string text;
    AppendFormat(text, "Driver Title= %s\n", U16ToUtf8(title).c_str());
    constexpr size_t kShown = 100;
    for (size_t i = 0; i + 1 < kShown; ++i) AppendFormat(text, "%X,", block[i]);
    AppendFormat(text, "%02X", block[kShown - 1]);
    std::string strErr;
    if (!WriteFileAtomic(dir / "analyz.txt", text, strErr)) LogPrintf("analyz.txt: %s", strErr.c_str());
}

int CDev24G::FindHIDDevice()
{
    m_bDenied = false;
    if (!OpenInterfaces()) return 0;
    const MsDesc& ms = gVar.Ms;
    const bool bWireless = m_bWireless;
    DeviceFound found;

    // The mode is the profile of the connection; a single-mode mouse always shows mode 1.
    const int nMode = ms.nSingleMode ? 1 : bWireless ? 2 : 1;
    m_nMode = nMode;
    found.nMode = nMode;
    LogPrintf("CDev24G::FindHIDDevice,  GetMode=%d, gVar.Ms.nSingleMode=%d", nMode, ms.nSingleMode);
    m_clock.Sleep(kFindPause);

    // The profile read is always the connection's: that is the one an apply writes.
    const int p = bWireless ? 2 : 1;
    GeneralBlock block{};
    for (int nTry = 1;; ++nTry) {
        if (!GetProfile(p, block)) {
            LogPrintf("CDev24G::FindHIDDevice,  Get general data error");
            ClearHandle();
            return 0;
        }
        // A mouse that has just woken up may answer an empty block first.
        if ((block[kGbSensor] && block[kGbLevels]) || nTry == kFindReads) break;
        m_clock.Sleep(kReadRetryPause);
    }
    LogPrintf("CDev24G::FindHIDDevice, GetProfile (ProIndex=%d)", p);
    LogHex(block.data(), 80, 10, "");
    if (!block[kGbSensor] || !block[kGbLevels]) WriteAnalysis(block);

    const int32_t nSensor = SensorFromCode(block[kGbSensor] & 0x3F);
    if (const mouse::SensorCheck c = mouse::CheckSensor(nSensor, ms, m_notices, "CDev24G", found);
        c != mouse::SensorCheck::Usable) {
        ClearHandle();
        return int(c);
    }

    if (ms.nShowLOD == 2) {
        int nLod = 0;
        if (GetLOD(p, nLod)) found.nCurLodLevel[p - 1] = nLod;
        else LogPrintf("GetLOD %d, Err=%d", p, Drv().LastError(HidRole::Cmd));
    }

    if (const std::optional<int> nLevel = CurLevelFromBlock(block)) {
        found.nCurDpiLevel[p - 1] = *nLevel;
        if (ms.nSingleMode) found.nCurDpiLevel[0] = found.nCurDpiLevel[1] = *nLevel;
    } else {
        LogPrintf("CDev24G::FindHIDDevice, Get wrong curdpi");
    }
    LogPrintf("CDev24G::FindHIDDevice, g_nCurDpiLevel = %d, %d", found.nCurDpiLevel[0], found.nCurDpiLevel[1]);
    if (ms.nShowLOD == 2) LogPrintf("g_nCurLODLevel = %d, %d", found.nCurLodLevel[0], found.nCurLodLevel[1]);

    LogPrintf("FW Version=0x%x", unsigned(FwVersion()));
    SetFound(found);
    InitialDriver(m_hWnd.load());
    return 1;
}

void CDev24G::ClearHandle()
{
    LogPrintf("CDev24G::ClearHandle");
    CHidDev::ClearHandle();
    m_bWireless = false;
}

// ---- keys ------------------------------------------------------------------------------------

// [link (kLinkCable or kLinkReceiver), rate code 1..4, current level 1..8 in
// the low four bits, battery]. The mode is the profile of the link, unless
// the mouse keeps one mode.
std::optional<DeviceEvent> CDev24G::DecodeInput(uint32_t dwBytes) const
{
    const uint8_t byLink = uint8_t(dwBytes);
    if (byLink != kLinkCable && byLink != kLinkReceiver) return std::nullopt;
    DeviceEvent e;
    e.nLink = byLink == kLinkReceiver ? 1 : 0;
    e.nMode = byLink == kLinkReceiver && !m_bSingleMode ? 1 : 0;
    e.nRateCode = int(dwBytes >> 8 & 0xFF);
    const int nLevel = int(dwBytes >> 16 & 0x0F);
    if (nLevel >= 1) e.nLevel = nLevel - 1;
    e.nExtra = int(dwBytes >> 24);
    return e;
}
