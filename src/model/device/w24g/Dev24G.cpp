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
#include "device/mirex/MirexKeyCode.h"
#include "device/mirex/MirexMacro.h"
#include "device/w24g/W24General.h"
#include "keys/FunId.h"
#include "keys/MacroList.h"

using namespace w24g;

namespace {

bool InList(const uint16_t (&list)[5], int nPID)
{
    return nPID != 0 && std::ranges::find(list, uint16_t(nPID)) != std::end(list);
}

std::u16string U16Printf(const char* pszFormat, auto... args)
{
    std::string s;
    AppendFormat(s, pszFormat, args...);
    return Utf8ToU16(s);
}

// The interfaces of one product identifier: the cable or the receiver.
struct Personality {
    const HidDevInfo* pCmd = nullptr;
    const HidDevInfo* pData = nullptr;
    const HidDevInfo* pNotify = nullptr;
    size_t nLastSeen = 0;
    bool Complete() const { return pCmd && pData; }
};

// The mouse's interfaces among the enumerated ones. The cable and the receiver
// may both be plugged in; the three interfaces are taken from one of them
// (the cable when it is complete, as the mouse then talks over the cable),
// and within it, when several qualify, the last one found wins.
const Personality* ChoosePersonality(const std::vector<HidDevInfo>& list, std::map<int, Personality>& byPid)
{
    const MsDesc& ms = gVar.Ms;
    for (size_t i = 0; i < list.size(); ++i) {
        const HidDevInfo& d = list[i];
        if (d.nVID != ms.nVID || !(InList(ms.nPID, d.nPID) || InList(ms.nPID2, d.nPID)) ||
            d.nUsagePage != kUsagePage || d.nUsage != kUsage)
            continue;
        Personality& p = byPid[d.nPID];
        p.nLastSeen = i;
        if (d.nFeatureLen == int(kDataReportLen)) p.pData = &d;
        else if (d.nFeatureLen == int(kCmdReportLen)) p.pCmd = &d;
        else if (d.nInputLen == int(kNotifyReportLen)) p.pNotify = &d;
    }
    const Personality* pBest = nullptr;
    bool bBestCable = false;
    for (const auto& [nPID, p] : byPid) {
        if (!p.Complete()) continue;
        const bool bCable = !InList(ms.nPID2, nPID);
        if (!pBest || (bCable && !bBestCable) || (bCable == bBestCable && p.nLastSeen > pBest->nLastSeen)) {
            pBest = &p;
            bBestCable = bCable;
        }
    }
    if (pBest) return pBest;
    // Nothing complete: report what there is of the last one seen.
    for (const auto& [nPID, p] : byPid)
        if (!pBest || p.nLastSeen > pBest->nLastSeen) pBest = &p;
    return pBest;
}

}  // namespace

CDev24G::CDev24G(IHidBackend& backend, IClock& clock, IPrompt& prompt, int nFwType, IOsPointerSettings* pPointer)
    : CHidDev(backend, clock, prompt, nFwType), m_kind(KindOf(nFwType)), m_pPointer(pPointer),
      m_wired(backend, clock, prompt, nFwType, pPointer)
{
    m_byInputId = kNotifyReportId;
    m_nInputLen = int(kNotifyReportLen);
    CopyKeyLayout();
}

CDev24G::~CDev24G() = default;

void CDev24G::CopyKeyLayout()
{
    std::lock_guard lock(m_mtxLayout);
    for (int m = 0; m < kMsModeNum; ++m)
        for (int k = 0; k < kMsKeyNum; ++k) m_nMatrixPos[m][k] = g_MsKeyLayout[m][k].MatrixInx;
}

// ---- transfers ------------------------------------------------------------------------

void CDev24G::LogCmd(std::span<const uint8_t> cmd) const
{
    if (g_nDebug == 4 && cmd.size() >= 6)
        LogPrintf("SendCmd: %02x,%02x,%02x,%02x,%02x", cmd[1], cmd[2], cmd[3], cmd[4], cmd[5]);
}

bool CDev24G::SendCmd(const CmdReport& cmd)
{
    LogCmd(cmd);
    return SendFeature(HidRole::Cmd, cmd, "SendCmd");
}

bool CDev24G::CmdAnswer(const CmdReport& cmd, CmdReport& ans)
{
    ans = CmdReport{kCmdReportId};
    LogCmd(cmd);
    if (!Transact(HidRole::Cmd, cmd, "SendCmd", HidRole::Cmd, ans, "GetCmd")) return false;
    if (g_nDebug == 4) LogPrintf("GetCmd %x %x %x %x %x", ans[1], ans[2], ans[3], ans[4], ans[5]);
    return true;
}

bool CDev24G::DataAnswer(const CmdReport& cmd, DataReport& ans)
{
    ans = MakeDataAnswerBuffer(m_kind);
    LogCmd(cmd);
    return Transact(HidRole::Cmd, cmd, "SendCmd", HidRole::Data, ans, "GetData");
}

bool CDev24G::SendData(const DataReport& rec) { return SendFeature(HidRole::Data, rec, "SendData"); }

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

int CDev24G::GetOnline(bool& bOnline)
{
    CmdReport ans;
    if (!CmdAnswer(MakeOnlineCmd(), ans)) return 0;
    bOnline = OnlineFromAnswer(ans);
    return 1;
}

int CDev24G::ReadPower(int& nLevel, bool& bUsb, int& nVoltage)
{
    CmdReport ans;
    if (!CmdAnswer(MakePowerCmd(), ans)) return 0;
    const std::optional<PowerState> s = PowerFromAnswer(ans);
    if (!s) {
        LogPrintf("ReadPower: link byte 0x%02x is neither cable nor battery", ans[1]);
        return 0;
    }
    nLevel = s->nLevel;
    bUsb = s->bUsb;
    nVoltage = s->nVoltage;
    return 1;
}

int CDev24G::SetMode(int nMode)
{
    if (nMode < 0 || nMode >= kMsModeNum) {
        LogPrintf("CDev24G::SetMode: mode %d does not exist", nMode);
        return 0;
    }
    return SendCmd(MakeSetModeCmd(nMode)) ? 1 : 0;
}

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
    // Choose first and open only the winners, so nothing is left open when
    // the mouse turns out to be incomplete.
    const std::vector<HidDevInfo> list = m_backend.Enumerate();
    std::map<int, Personality> byPid;
    const Personality* pPick = ChoosePersonality(list, byPid);
    const HidDevInfo* pCmd = pPick ? pPick->pCmd : nullptr;
    const HidDevInfo* pData = pPick ? pPick->pData : nullptr;
    const HidDevInfo* pNotify = pPick ? pPick->pNotify : nullptr;
    // A failed open of the data or command interface ends the search.
    std::unique_ptr<IHidHandle> hData = pData ? m_backend.Open(pData->szPath) : nullptr;
    std::unique_ptr<IHidHandle> hCmd = hData && pCmd ? m_backend.Open(pCmd->szPath) : nullptr;
    std::unique_ptr<IHidHandle> hNotify = hData && hCmd && pNotify ? m_backend.Open(pNotify->szPath) : nullptr;
    LogPrintf("CDev24G::FindHIDDevice, hCmd=0x%zx, hData=0x%zx, hNotify=0x%zx", size_t(hCmd.get()),
              size_t(hData.get()), size_t(hNotify.get()));
    if (!hCmd || !hData) {
        m_bDenied = pCmd && pData;  // both there, one would not open
        if (m_bDenied) LogPrintf("CDev24G::FindHIDDevice: the mouse's interfaces cannot be opened");
        return false;
    }
    m_clock.Sleep(kFindPause);
    ClearHandle();
    SetHandle(HidRole::Cmd, std::move(hCmd));
    SetHandle(HidRole::Data, std::move(hData));
    SetHandle(HidRole::Notify, std::move(hNotify));
    m_nPID = pCmd->nPID;
    m_bWireless = InList(ms.nPID2, pCmd->nPID);
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

// 1 when the block's sensor is the one to work with; otherwise the result of
// FindHIDDevice, with the handles closed.
int CDev24G::CheckSensor(const GeneralBlock& block)
{
    const int32_t nSensor = SensorFromCode(block[kGbSensor] & 0x3F);
    LogPrintf("CDev24G::FindHIDDevice, nMsSensor=0x%x, bAutoSwitch=%x", unsigned(nSensor), unsigned(gVar.Ms.nAutoSw));
    if (nSensor == 0) {
        m_prompt.ShowMessage(u"     Senr error    ", u"Warning");
        ClearHandle();  // refused: nothing may be written to a mouse without a sensor
        return -1;
    }
    if (gVar.Ms.nAutoSw) {
        if (!FindSensorCfg(nSensor)) {
            m_prompt.ShowMessage(U16Printf("Sensor %04x is not supported", unsigned(nSensor)), u"");
            ClearHandle();
            return 0;
        }
        set_cur_sensor(nSensor, m_prompt);
        return 1;
    }
    if (nSensor != gVar.Ms.nMsSensor) {
        m_prompt.ShowMessage(
            U16Printf("Sensor unmatch: dev=0x%04x, cfg=0x%04x", unsigned(nSensor), unsigned(gVar.Ms.nMsSensor)), u"");
        ClearHandle();
        return -1;
    }
    return 1;
}

int CDev24G::FindHIDDevice()
{
    m_bDenied = false;
    if (!OpenInterfaces()) return 0;
    const MsDesc& ms = gVar.Ms;
    const bool bWireless = m_bWireless;

    // The mode is the profile of the connection; a single-mode mouse always shows mode 1.
    const int nMode = ms.nSingleMode ? 1 : bWireless ? 2 : 1;
    m_nMode = nMode;
    g_nCurMode = nMode;
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

    if (const int nSensorOk = CheckSensor(block); nSensorOk != 1) return nSensorOk;

    if (ms.nShowLOD == 2) {
        int nLod = 0;
        if (GetLOD(p, nLod)) {
            g_nCurLODLevel[p - 1] = nLod;
        } else {
            const IHidHandle* h = GetHandle();
            LogPrintf("GetLOD %d, Err=%d", p, h ? h->LastError() : 0);
        }
    }

    if (const std::optional<int> nLevel = CurLevelFromBlock(block)) {
        g_nCurDpiLevel[p - 1] = *nLevel;
        if (ms.nSingleMode) g_nCurDpiLevel[0] = g_nCurDpiLevel[1] = *nLevel;
    } else {
        LogPrintf("CDev24G::FindHIDDevice, Get wrong curdpi");
    }
    LogPrintf("CDev24G::FindHIDDevice, g_nCurDpiLevel = %d, %d", g_nCurDpiLevel[0], g_nCurDpiLevel[1]);
    if (ms.nShowLOD == 2) LogPrintf("g_nCurLODLevel = %d, %d", g_nCurLODLevel[0], g_nCurLODLevel[1]);

    LogPrintf("FW Version=0x%x", unsigned(FwVersion()));
    CopyKeyLayout();
    InitialDriver(m_hWnd);
    return 1;
}

void CDev24G::ClearHandle()
{
    LogPrintf("CDev24G::ClearHandle");
    CHidDev::ClearHandle();
    m_nPID = 0;
    m_bWireless = false;
}

// ---- keys ------------------------------------------------------------------------------------

uint32_t CDev24G::keyinfo_to_hardware_code(const KeyInfo& key)
{
    const uint8_t byClass = FunClass(key.FunID);
    const MacroRecord* pRec = byClass == FUN_MACRO ? GetMacroById(key.MacroID)
                              : byClass == FUN_BULLET ? GetBulletById(key.MacroID) : nullptr;
    return mirex::MirexKeyCode(key, gVar.Ms.nMsSensor, pRec).value_or(0xFFFFFFFFu);
}

int CDev24G::StMacro_To_HdMacro(const MacroRecord& macro, std::span<uint8_t> buf)
{
    return int(mirex::MacroToHd(macro, buf));
}

KeyInfo* CDev24G::GetKeyTable(ProfileRecord& pro, int nMode, int nTable)
{
    return m_wired.GetKeyTable(pro, nMode, nTable);
}
