// CDevMirex: discovery, transfers and the small operations. The apply is in
// MirexApply.cpp; the profile defaults are the mouse families' (mouse/).
#include "device/mirex/DevMirex.h"

#include <algorithm>
#include <string>

#include "core/Log.h"
#include "core/MouseDesc.h"
#include "core/SensorTables.h"
#include "core/Utf.h"
#include "device/InterfacePick.h"
#include "device/mouse/MouseDefaults.h"
#include "device/mouse/MouseDevice.h"
#include "device/mouse/MouseKeyCode.h"
#include "device/mouse/MouseMacro.h"
#include "keys/FunId.h"
#include "keys/MacroList.h"

using namespace mirex;

namespace {

constexpr HidInterfaceRule kInterfaces[] = {
    {HidRole::Cmd, {kUsagePage, kUsage, int(kCmdReportLen)}},
    {HidRole::Data, {kUsagePage, kUsage, int(kDataReportLen)}},
    {HidRole::Notify, {kUsagePage, kUsage, 0, int(kNotifyReportLen)}, false},
};

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

}  // namespace

CDevMirex::CDevMirex(IHidBackend& backend, IClock& clock, INoticeSink& notices, int nFwType,
                     IOsPointerSettings* pPointer)
    : CHidDev(backend, clock, notices, nFwType, mouse::kMouseInput), m_pPointer(pPointer)
{
}

CDevMirex::~CDevMirex() = default;

bool CDevMirex::SendCmd(const CmdReport& cmd) { return mouse::SendCommand(Drv(), cmd); }

bool CDevMirex::SendData(const DataReport& rec) { return Drv().SendFeature(HidRole::Data, rec, "SendData"); }

bool CDevMirex::GetMode(int& nMode)
{
    const CmdReport cmd = MakeGetModeCmd();
    CmdReport ans{kCmdReportId};
    mouse::LogCmd(cmd);
    if (!Drv().Transact(HidRole::Cmd, cmd, "SendCmd", HidRole::Cmd, ans, "GetCmd")) {
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
    mouse::LogCmd(cmd);
    if (!Drv().Transact(HidRole::Cmd, cmd, "SendCmd", HidRole::Data, ans, "GetData")) return false;
    block = GeneralFromAnswer(ans);
    return true;
}

int CDevMirex::FindHIDDevice()
{
    m_bDenied = false;
    const MsDesc& ms = gVar.Ms;
    const std::vector<HidDevInfo> list = m_backend.Enumerate();
    const InterfaceChoice choice = ChooseInterfaces(list, kInterfaces, [&ms](const HidDevInfo& d) {
        return d.nVID == ms.nVID && mouse::InPidList(ms.nPID, d.nPID);
    });
    HandleSet h;
    const FindResult r = OpenInterfaces(m_backend, choice, kInterfaces, h);
    LogPrintf("CDevMirex::FindHIDDevice, hCmd=0x%zx, hData=0x%zx, hNotify=0x%zx", size_t(h[0].get()),
              size_t(h[1].get()), size_t(h[2].get()));
    if (r != FindResult::Found) {
        m_bDenied = r == FindResult::Denied;
        if (m_bDenied) LogPrintf("CDevMirex::FindHIDDevice: the mouse's interfaces cannot be opened");
        return 0;
    }
    m_clock.Sleep(kFindPause);
    ClearHandle();
    for (const HidInterfaceRule& s : kInterfaces) SetHandle(s.role, std::move(h[size_t(s.role)]));
    const HidDevInfo* pCmd = choice.Of(HidRole::Cmd);
    m_nPID = pCmd->nPID;

    DeviceFound found;
    int nMode = 0xFF;
    GetMode(nMode);
    m_nMode = nMode;
    found.nMode = nMode;
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
    const mouse::SensorCheck check = mouse::CheckSensor(nSensor, ms, m_notices, "CDevMirex", found);
    if (check != mouse::SensorCheck::Usable) {
        ClearHandle();
        return int(check);
    }

    // The sensor's description as it will be once the program takes the sensor found.
    const SensorCfg* pSensor = FindSensorCfg(nSensor);
    const int nModes = pSensor ? std::clamp(pSensor->nMDNUM, 1, kMsModeNum) : kMsModeNum;
    const int nLevels = pSensor ? pSensor->nDM : 0;
    for (int i = 0; i < nModes; ++i) {
        if (i > 0) {
            m_clock.Sleep(kFindPause);
            if (!GetProfile(i + 1, block)) continue;  // that mode's level stays as it was
        }
        found.nCurDpiLevel[i] = LevelFromBlock(block, nLevels);
    }
    LogPrintf("CDevMirex::FindHIDDevice, g_nCurDpiLevel = %d, %d", found.nCurDpiLevel[0], found.nCurDpiLevel[1]);

    m_nFwVersion = pCmd->nVersion;
    LogPrintf("FW Version=0x%x", unsigned(pCmd->nVersion));
    SetFound(found);
    InitialDriver(m_hWnd.load());
    return 1;
}

void CDevMirex::FillDefault(ProfileRecord& pro) { mouse::FillDefault(pro); }

bool CDevMirex::SetMode(int nMode) { return mouse::ValidMode("CDevMirex", nMode) && SendCmd(MakeSetModeCmd(nMode)); }

// [mode 1..3 (0: none), current level counted among the enabled ones (low
// four bits; 0: none), 0, performance byte]
std::optional<DeviceEvent> CDevMirex::DecodeInput(uint32_t dwBytes) const
{
    const int nMode = int(dwBytes & 0xFF), nOrdinal = int(dwBytes >> 8 & 0x0F);
    if ((dwBytes >> 8 & 0xFF) == 0 || nOrdinal == 0) return std::nullopt;
    DeviceEvent e;
    if (nMode >= 1 && nMode <= kModeMax) e.nMode = nMode - 1;
    e.nLevelOrdinal = nOrdinal;
    e.nExtra = int(dwBytes >> 24);
    return e;
}
