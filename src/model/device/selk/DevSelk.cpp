// CDevSelk and CDrvSelk: discovery, the defaults and the transfers. The apply
// is in SelkApply.cpp.
#include "device/selk/DevSelk.h"

#include <memory>

#include "core/Gvar.h"
#include "core/Log.h"
#include "device/InterfacePick.h"
#include "device/kb/KbDefaults.h"

using namespace selk;

namespace {

constexpr HidInterfaceRule kInterfaces[] = {
    {HidRole::Cmd, {kUsagePage, kUsage, int(kb::kBlockCmdLen)}},
    {HidRole::Data, {kUsagePage, kUsage, int(kb::kBlockDataLen)}},
};

}  // namespace

bool CDrvSelk::GetProfile(SelkCfg& cfg) { return m_io.Read(kb::kBlockCmdCfg, kCfgAddr, cfg, true); }

bool CDrvSelk::SetProfile(const SelkCfg& cfg) { return m_io.Write(kb::kBlockCmdCfg, kCfgAddr, cfg, false); }

bool CDrvSelk::GetKeyMatrix(SelkBlock& block) { return m_io.Read(kb::kBlockCmdMatrix, kMatrixAddr, block, false); }

bool CDrvSelk::SetKeyMatrix(std::span<const uint8_t> block)
{
    return m_io.Write(kb::kBlockCmdMatrix, kMatrixAddr, block, true);
}

bool CDrvSelk::SetRgbTable(const SelkBlock& table) { return m_io.Write(kb::kBlockCmdRgb, kRgbAddr, table, true); }

bool CDrvSelk::SetLedMatrix(uint8_t byAddr, const SelkBlock& block)
{
    return m_io.Write(kb::kBlockCmdLed, byAddr, block, true);
}

bool CDrvSelk::SetMacroData(uint8_t byAddr, std::span<const uint8_t> block)
{
    return m_io.Write(kb::kBlockCmdMacro, byAddr, block, true);
}

CDevSelk::CDevSelk(IHidBackend& backend, IClock& clock, INoticeSink& notices)
    : CKbHidDev(backend, clock, notices, kFwSelk, InputReportDesc{}, std::make_unique<CDrvSelk>(clock))
{
}

CDevSelk::~CDevSelk() { LogPrintf("CDrvSelk::ClearHandle"); }

int CDevSelk::FindHIDDevice()
{
    m_bDenied = false;
    const KbDesc& kbd = gVar.Kb;
    LogPrintf("FindDev: looking for VID_%04X&PID_%04X", unsigned(kbd.nVID), unsigned(kbd.nPID));
    const std::vector<HidDevInfo> list = m_backend.Enumerate();
    const InterfaceChoice choice = ChooseInterfaces(list, kInterfaces, [&kbd](const HidDevInfo& d) {
        return kbd.nPID != 0 && d.nVID == kbd.nVID && d.nPID == kbd.nPID;
    });
    HandleSet h;
    const FindResult r = OpenInterfaces(m_backend, choice, kInterfaces, h);
    LogPrintf("m_hDevice=0x%zx, m_hCmd=0x%zx", size_t(h[size_t(HidRole::Data)].get()),
              size_t(h[size_t(HidRole::Cmd)].get()));
    if (r != FindResult::Found) {
        m_bDenied = r == FindResult::Denied;
        if (m_bDenied) LogPrintf("CDevSelk::FindDev: the keyboard's interfaces cannot be opened");
        return 0;
    }
    LogPrintf("CDrvSelk::ClearHandle");
    return InstallFound(kInterfaces, h, *choice.Of(HidRole::Data));
}
