// CDevVaro: discovery, the defaults, the reads and the music operations. The
// apply is in VaroApply.cpp.
#include "device/varo/DevVaro.h"

#include <algorithm>
#include <memory>

#include "core/Gvar.h"
#include "core/Log.h"
#include "device/InterfacePick.h"
#include "device/kb/KbDefaults.h"

using namespace varo;

namespace {

constexpr HidInterfaceRule kInterfaces[] = {
    {kRoleMatrix, {kUsagePage, kUsage, int(kMatrixReportLen)}},
    {kRoleLed, {kUsagePage, kUsage, int(kLedReportLen)}},
    {kRoleColour, {kUsagePage, kUsage, 0, 0, 0, kColourId}},
    {kRoleMacro, {kUsagePage, kUsage, int(kMacroReportLen)}},
    {kRoleMusic, {kUsagePage, kUsage, 0, 0, 0, kMusicId}, false},
};

bool IsKeyboard(const HidDevInfo& d)
{
    const KbDesc& kbd = gVar.Kb;
    return d.nVID == kbd.nVID && ((kbd.nPID && d.nPID == kbd.nPID) || (kbd.nPID2 && d.nPID == kbd.nPID2));
}

// The colour and music interfaces are known by their report id; their length
// is the one of the reports or the one a keyboard may declare instead.
bool AcceptInterface(const HidDevInfo& d)
{
    if (!IsKeyboard(d)) return false;
    if (d.nUsagePage != kUsagePage || (d.nReportId != kColourId && d.nReportId != kMusicId)) return true;
    return d.nFeatureLen == int(kColourReportLen) || d.nFeatureLen == int(kColourDeclaredShort);
}

size_t HandleNo(const HandleSet& h, HidRole role) { return size_t(h[size_t(role)].get()); }

}  // namespace

CDevVaro::CDevVaro(IHidBackend& backend, IClock& clock, INoticeSink& notices)
    : CKbHidDev(backend, clock, notices, kFwType, InputReportDesc{})
{
}

CDevVaro::~CDevVaro() = default;

int CDevVaro::FindHIDDevice()
{
    m_bDenied = false;
    const KbDesc& kbd = gVar.Kb;
    LogPrintf("FindDev: looking for VID_%04X&PID_%04X", unsigned(kbd.nVID), unsigned(kbd.nPID));
    const std::vector<HidDevInfo> list = m_backend.Enumerate();
    bool bMedia = false;
    for (const HidDevInfo& d : list) {
        if (!IsKeyboard(d)) continue;
        if (d.nUsagePage == kUsagePage && d.nUsage == kUsage)
            LogPrintf("nFeatureLength=%d, nReportID=%d", d.nFeatureLen, d.nReportId);
        if (d.nUsagePage == kConsumerPage && d.nUsage == 1) bMedia = true;
    }
    const InterfaceChoice choice = ChooseInterfaces(list, kInterfaces, AcceptInterface);
    HandleSet h;
    const FindResult r = OpenInterfaces(m_backend, choice, kInterfaces, h);
    LogPrintf("hMatrix=0x%zx, hLed=0x%zx, hColor=0x%zx, hMacro=0x%zx, hMusic=0x%zx, hMedia=%x",
              HandleNo(h, kRoleMatrix), HandleNo(h, kRoleLed), HandleNo(h, kRoleColour), HandleNo(h, kRoleMacro),
              HandleNo(h, kRoleMusic), unsigned(bMedia));
    if (r != FindResult::Found) {
        // Nothing of a previous success stays open: the keyboard is not there as it was.
        ClearHandle();
        m_bDenied = r == FindResult::Denied;
        if (m_bDenied) LogPrintf("CDrvVaro::FindDev: the keyboard's interfaces cannot be opened");
        return 0;
    }
    return InstallFound(kInterfaces, h, *choice.Of(kRoleMatrix));
}

void CDevVaro::ClearHandle()
{
    LogPrintf("CDrvVaro::ClearHandle");
    CHidDev::ClearHandle();
}

bool CDevVaro::IsPresent() const
{
    const std::vector<HidDevInfo> list = m_backend.Enumerate();
    return std::any_of(list.begin(), list.end(), [](const HidDevInfo& d) {
        return IsKeyboard(d) && d.nUsagePage == kUsagePage && d.nUsage == kUsage &&
               d.nFeatureLen == int(kMatrixReportLen);
    });
}

bool CDevVaro::ReadLedState(LedReport& out)
{
    out.fill(0);
    out[0] = kLedId;
    return Drv().GetFeature(kRoleLed, out, "GetCommand");
}

bool CDevVaro::ReadMatrix(MatrixCodes& out)
{
    MatrixReport r{};
    r[0] = kMatrixId;
    if (!Drv().GetFeature(kRoleMatrix, r, "GetCommand")) return false;
    out = MatrixCodesOf(r);
    return true;
}

bool CDevVaro::SendMusicData(std::span<const uint8_t> frame)
{
    const CHidDrv::CmdLock lock = Drv().LockCmd();
    if (Busy()) return true;  // an apply owns the keyboard: the frame is dropped
    LogPrintf("SendMusicData...");
    if (!Drv().IsOpen(kRoleMusic)) return false;
    const std::optional<MusicReport> r = BuildMusicReport(frame);
    if (!r) {
        LogPrintf("SendMusicData: a frame of %zu bytes, at most %zu", frame.size(), kMusicFrameMax);
        return false;
    }
    return Drv().SendFeature(kRoleMusic, *r, "SendCommand");
}

bool CDevVaro::RestoreLighting(const KbSettings& kbs, const kb::KbDescSnap& d)
{
    const kb::CKbBlock block(kbs);
    const std::optional<LedReport> r = BuildLedReport(block, d);
    if (!r) return false;
    const CHidDrv::CmdLock lock = Drv().LockCmd();
    if (Busy()) return false;
    return Drv().SendFeature(kRoleLed, *r, "SendCommand");
}
