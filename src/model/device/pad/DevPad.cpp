// CDevPad: discovery, defaults and the pad's transfers. The apply is in PadApply.cpp.
#include "device/pad/DevPad.h"

#include <cstdio>

#include "core/Gvar.h"
#include "core/Log.h"
#include "device/InterfacePick.h"
#include "device/pad/PadDefaults.h"

using namespace pad;

namespace {

constexpr HidInterfaceRule kInterfaces[] = {
    {HidRole::Cmd, {kUsagePage, kUsage, int(kReportLen)}},
};

}  // namespace

bool CDrvPad::GetCommand(PadBlock& block)
{
    PadReport buf = MakeReadBuffer();
    if (!GetFeature(HidRole::Cmd, buf, "GetCommand")) return false;
    const std::optional<PadBlock> b = BlockFromAnswer(buf);
    if (!b) {
        LogPrintf("GetCommand: the answer is report %u, not the pad's", unsigned(buf[0]));
        return false;
    }
    block = *b;
    return true;
}

bool CDrvPad::SendCommand(const PadBlock& block)
{
    return SendFeature(HidRole::Cmd, MakeBlockReport(block), "SendCommand");
}

CDevPad::CDevPad(IHidBackend& backend, IClock& clock, INoticeSink& notices, int nFwType)
    : CHidDev(backend, clock, notices, nFwType, InputReportDesc{}, std::make_unique<CDrvPad>(clock)),
      m_drv(static_cast<CDrvPad&>(Drv()))
{
}

CDevPad::~CDevPad() = default;

void CDevPad::ClearHandle()
{
    if (m_drv.IsOpen(HidRole::Cmd)) LogPrintf("CDrvPad::ClearHandle");
    CHidDev::ClearHandle();
}

int CDevPad::FindHIDDevice()
{
    m_bDenied = false;
    ClearHandle();
    const int nVID = gVar.Pad.nVID, nPID = gVar.Pad.nPID;
    if (nVID == 0 || nPID == 0) {
        // Without both identifiers any vendor interface of the right length
        // would be taken for the pad and given its block.
        LogPrintf("CDrvPad  FindDev: the pad description has no VID or PID; nothing is searched");
        return 0;
    }
    char szId[32];
    std::snprintf(szId, sizeof szId, "VID_%04x&PID_%04x", unsigned(nVID), unsigned(nPID));
    LogPrintf("CDrvPad  FindDev: looking for %s", szId);

    const std::vector<HidDevInfo> list = m_backend.Enumerate();
    const InterfaceChoice choice =
        ChooseInterfaces(list, kInterfaces, [=](const HidDevInfo& d) { return d.nVID == nVID && d.nPID == nPID; });
    HandleSet h;
    const FindResult r = OpenInterfaces(m_backend, choice, kInterfaces, h);
    LogPrintf("m_hGeneral=0x%zx", size_t(h[size_t(HidRole::Cmd)].get()));
    if (r != FindResult::Found) {
        m_bDenied = r == FindResult::Denied;
        if (m_bDenied) LogPrintf("CDrvPad  FindDev: the pad's interface cannot be opened");
        return 0;
    }
    SetHandle(HidRole::Cmd, std::move(h[size_t(HidRole::Cmd)]));
    const HidDevInfo* pInfo = choice.Of(HidRole::Cmd);

    PadBlock block{};
    if (!m_drv.GetCommand(block)) {
        LogPrintf("FindDev: Get general data error, err=0x%x", unsigned(m_drv.LastError(HidRole::Cmd)));
        ClearHandle();
        return 0;
    }
    m_nPID = pInfo->nPID;
    m_nFwVersion = pInfo->nVersion;
    LogPrintf("FW Version=0x%x", unsigned(pInfo->nVersion));
    SetFound(DeviceFound{});
    InitialDriver(m_hWnd.load());
    return 1;
}

void CDevPad::FillDefault(ProfileRecord& pro) { FillPadDefault(pro.Pad, gVar.Pad.LedParam); }
