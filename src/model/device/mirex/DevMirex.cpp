// CDevMirex: discovery, transfers and the small operations. The apply is in
// MirexApply.cpp, the profile defaults in MirexDefaults.cpp.
#include "device/mirex/DevMirex.h"

#include <algorithm>
#include <string>

#include "core/Log.h"
#include "core/MouseDesc.h"
#include "core/SensorTables.h"
#include "core/Utf.h"
#include "device/mirex/MirexKeyCode.h"
#include "device/mirex/MirexMacro.h"
#include "device/mirex/MirexProtocol.h"
#include "keys/FunId.h"
#include "keys/MacroList.h"

using namespace mirex;

namespace {

bool IsMousePid(int nPID)
{
    if (nPID == 0) return false;
    return std::ranges::find(gVar.Ms.nPID, uint16_t(nPID)) != std::end(gVar.Ms.nPID);
}

// The level index of the current level the mouse reports: its ordinal among
// the enabled slots (mask bit clear), within the sensor's level count.
int LevelFromBlock(const GeneralBlock& b, int nLevelCount)
{
    const int nOrdinal = b[kGbLevels] >> 4;
    int nSeen = 0;
    for (int i = 0; i < nLevelCount && i < 8; ++i) {
        if (b[kGbLevelMask] & (1 << i)) continue;
        if (++nSeen == nOrdinal) return i;
    }
    return -1;
}

std::u16string U16Printf(const char* pszFormat, auto... args)
{
    std::string s;
    AppendFormat(s, pszFormat, args...);
    return Utf8ToU16(s);
}

}  // namespace

CDevMirex::CDevMirex(IHidBackend& backend, IClock& clock, IPrompt& prompt, int nFwType, IOsPointerSettings* pPointer)
    : CHidDev(backend, clock, prompt, nFwType), m_pPointer(pPointer)
{
    m_byInputId = kNotifyReportId;
    m_nInputLen = int(kNotifyReportLen);
    CopyKeyLayout();
}

CDevMirex::~CDevMirex() = default;

void CDevMirex::CopyKeyLayout()
{
    std::lock_guard lock(m_mtxLayout);
    for (int m = 0; m < kMsModeNum; ++m)
        for (int k = 0; k < kMsKeyNum; ++k) m_nMatrixPos[m][k] = g_MsKeyLayout[m][k].MatrixInx;
}

void CDevMirex::LogCmd(std::span<const uint8_t> cmd) const
{
    if (g_nDebug == 4 && cmd.size() >= kCmdReportLen)
        LogPrintf("SendCmd: %02x,%02x,%02x,%02x,%02x", cmd[1], cmd[2], cmd[3], cmd[4], cmd[5]);
}

bool CDevMirex::SendCmd(const CmdReport& cmd)
{
    LogCmd(cmd);
    return SendFeature(HidRole::Cmd, cmd, "SendCmd");
}

bool CDevMirex::SendData(const DataReport& rec) { return SendFeature(HidRole::Data, rec, "SendData"); }

bool CDevMirex::GetMode(int& nMode)
{
    const CmdReport cmd = MakeGetModeCmd();
    CmdReport ans{kCmdReportId};
    LogCmd(cmd);
    if (!Transact(HidRole::Cmd, cmd, "SendCmd", HidRole::Cmd, ans, "GetCmd")) {
        nMode = 0xFF;
        return false;
    }
    if (g_nDebug == 4) LogPrintf("GetCmd %x %x %x %x %x", ans[1], ans[2], ans[3], ans[4], ans[5]);
    nMode = ParseModeAnswer(ans);
    return true;
}

bool CDevMirex::GetProfile(int nMode, GeneralBlock& block)
{
    const CmdReport cmd = MakeGetGeneralCmd(nMode);
    DataReport ans{kDataReportId};
    LogCmd(cmd);
    if (!Transact(HidRole::Cmd, cmd, "SendCmd", HidRole::Data, ans, "GetData")) return false;
    block = GeneralFromAnswer(ans);
    return true;
}

int CDevMirex::FindHIDDevice()
{
    m_bDenied = false;
    // Choose the interfaces first and open only those, so nothing is left open
    // when the mouse turns out to be incomplete.
    const std::vector<HidDevInfo> list = m_backend.Enumerate();
    const HidDevInfo *pCmd = nullptr, *pData = nullptr, *pNotify = nullptr;
    for (const HidDevInfo& d : list) {
        if (d.nVID != gVar.Ms.nVID || !IsMousePid(d.nPID) || d.nUsagePage != kUsagePage || d.nUsage != kUsage)
            continue;
        // When several qualify, the last one found wins.
        if (d.nFeatureLen == int(kCmdReportLen)) pCmd = &d;
        if (d.nFeatureLen == int(kDataReportLen)) pData = &d;
        if (d.nInputLen == int(kNotifyReportLen)) pNotify = &d;
    }
    std::unique_ptr<IHidHandle> hCmd = pCmd ? m_backend.Open(pCmd->szPath) : nullptr;
    std::unique_ptr<IHidHandle> hData = pData ? m_backend.Open(pData->szPath) : nullptr;
    std::unique_ptr<IHidHandle> hNotify = pNotify ? m_backend.Open(pNotify->szPath) : nullptr;
    LogPrintf("CDevMirex::FindHIDDevice, hCmd=0x%zx, hData=0x%zx, hNotify=0x%zx", size_t(hCmd.get()),
              size_t(hData.get()), size_t(hNotify.get()));
    if (!hCmd || !hData) {
        m_bDenied = pCmd && pData;  // both there, one would not open
        if (m_bDenied) LogPrintf("CDevMirex::FindHIDDevice: the mouse's interfaces cannot be opened");
        return 0;
    }
    m_clock.Sleep(kFindPause);
    ClearHandle();
    SetHandle(HidRole::Cmd, std::move(hCmd));
    SetHandle(HidRole::Data, std::move(hData));
    SetHandle(HidRole::Notify, std::move(hNotify));
    m_nPID = pCmd->nPID;

    int nMode = 0xFF;
    GetMode(nMode);
    m_nMode = nMode;
    g_nCurMode = nMode;
    LogPrintf("CDevMirex::FindHIDDevice,  GetMode=%d", nMode);
    m_clock.Sleep(kFindPause);

    GeneralBlock block{};
    if (!GetProfile(1, block)) {
        LogPrintf("CDevMirex::FindHIDDevice,  Get general data error");
        ClearHandle();
        return 0;
    }
    LogPrintf("CDevMirex::FindHIDDevice, GetProfile");
    LogHex(block.data(), 80, 10, "");

    const int32_t nSensor = SensorFromCode(block[kGbSensor] & 0x3F);
    LogPrintf("CDevMirex::FindHIDDevice, nMsSensor=0x%x, bAutoSwitch=%x", unsigned(nSensor), unsigned(gVar.Ms.nAutoSw));
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
    } else if (nSensor != gVar.Ms.nMsSensor) {
        m_prompt.ShowMessage(
            U16Printf("Sensor unmatch: dev=0x%04x, cfg=0x%04x", unsigned(nSensor), unsigned(gVar.Ms.nMsSensor)), u"");
        ClearHandle();
        return -1;
    }

    const int nModes = pSensorCfg ? std::clamp(pSensorCfg->nMDNUM, 1, kMsModeNum) : kMsModeNum;
    const int nLevels = pSensorCfg ? pSensorCfg->nDM : 0;
    for (int i = 0; i < nModes; ++i) {
        if (i > 0) {
            m_clock.Sleep(kFindPause);
            if (!GetProfile(i + 1, block)) continue;  // that mode's level stays as it was
        }
        const int nLevel = LevelFromBlock(block, nLevels);
        if (nLevel >= 0) g_nCurDpiLevel[i] = nLevel;
    }
    LogPrintf("CDevMirex::FindHIDDevice, g_nCurDpiLevel = %d, %d", g_nCurDpiLevel[0], g_nCurDpiLevel[1]);

    m_nFwVersion = pCmd->nVersion;
    LogPrintf("FW Version=0x%x", unsigned(pCmd->nVersion));
    CopyKeyLayout();
    InitialDriver(m_hWnd);
    return 1;
}

void CDevMirex::ClearHandle()
{
    LogPrintf("CDevMirex::ClearHandle");
    CHidDev::ClearHandle();
    m_nPID = 0;
}

int CDevMirex::SetMode(int nMode)
{
    if (nMode < 0 || nMode >= kModeMax) {
        LogPrintf("CDevMirex::SetMode: mode %d does not exist", nMode);
        return 0;
    }
    return SendCmd(MakeSetModeCmd(nMode)) ? 1 : 0;
}

uint32_t CDevMirex::keyinfo_to_hardware_code(const KeyInfo& key)
{
    const uint8_t byClass = FunClass(key.FunID);
    const MacroRecord* pRec = byClass == FUN_MACRO ? GetMacroById(key.MacroID)
                              : byClass == FUN_BULLET ? GetBulletById(key.MacroID) : nullptr;
    return MirexKeyCode(key, gVar.Ms.nMsSensor, pRec).value_or(0xFFFFFFFFu);
}

int CDevMirex::StMacro_To_HdMacro(const MacroRecord& macro, std::span<uint8_t> buf)
{
    return int(MacroToHd(macro, buf));
}

KeyInfo* CDevMirex::GetKeyTable(ProfileRecord& pro, int nMode, int nTable)
{
    if (nMode < 0 || nMode >= kMsModeNum || nTable < 0 || nTable >= kMsKeySetNum) return nullptr;
    return pro.Ms.Mode[nMode].Key[nTable];
}
