// CDevVaroRGB: discovery, the defaults and the music operations. The apply is
// in VaroRgbApply.cpp.
#include "device/varorgb/DevVaroRGB.h"

#include <algorithm>
#include <array>

#include "core/Gvar.h"
#include "core/Log.h"
#include "device/InterfacePick.h"
#include "device/kb/KbDefaults.h"

using namespace varorgb;

namespace {

constexpr HidInterfaceRule kInterfaces[] = {
    {HidRole::Cmd, {kUsagePage, kUsage, int(kb::kBlockCmdLen)}},
    {HidRole::Data, {kUsagePage, kUsage, int(kb::kBlockDataLen)}},
    {HidRole::Aux1, {kUsagePage, kUsage, kMusicReportLen}, false},  // music
};

}  // namespace

CDevVaroRGB::CDevVaroRGB(IHidBackend& backend, IClock& clock, INoticeSink& notices, int nFwType)
    : CKbHidDev(backend, clock, notices, nFwType, InputReportDesc{}), m_io(Drv())
{
}

CDevVaroRGB::~CDevVaroRGB() = default;

const char* CDevVaroRGB::Who() const { return m_nFwType == kFwSingleColour ? "CDevVaroSC" : "CDevVaroRGB"; }

int CDevVaroRGB::FindHIDDevice()
{
    m_bDenied = false;
    const KbDesc& kbd = gVar.Kb;
    LogPrintf("FindDev: looking for VID_%04X&PID_%04X", unsigned(kbd.nVID), unsigned(kbd.nPID));
    const std::vector<HidDevInfo> list = m_backend.Enumerate();
    const InterfaceChoice choice = ChooseInterfaces(list, kInterfaces, [&kbd](const HidDevInfo& d) {
        return d.nVID == kbd.nVID && ((kbd.nPID && d.nPID == kbd.nPID) || (kbd.nPID2 && d.nPID == kbd.nPID2));
    });
    HandleSet h;
    const FindResult r = OpenInterfaces(m_backend, choice, kInterfaces, h);
    LogPrintf("hDevice=0x%zx, hCmd=0x%zx, hMusic=0x%zx", size_t(h[size_t(HidRole::Data)].get()),
              size_t(h[size_t(HidRole::Cmd)].get()), size_t(h[size_t(HidRole::Aux1)].get()));
    if (r != FindResult::Found) {
        m_bDenied = r == FindResult::Denied;
        if (m_bDenied) LogPrintf("%s::FindDev: the keyboard's interfaces cannot be opened", Who());
        return 0;
    }
    return InstallFound(kInterfaces, h, *choice.Of(HidRole::Data));
}

bool CDevVaroRGB::SendMusicData(std::span<const uint8_t> frame)
{
    if (frame.size() > kMusicFrameLen) {
        LogPrintf("SendMusicData: a frame of %zu bytes, at most %zu", frame.size(), kMusicFrameLen);
        return false;
    }
    const CHidDrv::CmdLock lock = Drv().LockCmd();
    if (Busy()) return true;  // an apply owns the keyboard: the frame is dropped
    std::array<uint8_t, kMusicReportLen> r{};
    r[0] = kMusicReportId;
    std::copy(std::begin(kMusicHeader), std::end(kMusicHeader), r.begin() + 1);
    std::ranges::copy(frame, r.begin() + 4);
    if (Drv().SendFeature(HidRole::Aux1, r, "SendMusicData")) return true;
    LogPrintf("SendMusicData Err=0x%x", unsigned(Drv().LastError(HidRole::Aux1)));
    return false;
}

bool CDevVaroRGB::ReadEffectData(std::span<uint8_t> out)
{
    if (out.size() < kMusicFrameLen) return false;
    const CHidDrv::CmdLock lock = Drv().LockCmd();
    if (Busy()) return false;
    std::array<uint8_t, kMusicReportLen> r{};
    r[0] = kMusicReportId;
    if (!Drv().GetFeature(HidRole::Aux1, r, "ReadEffectData")) {
        LogPrintf("ReadEffectData Err=0x%x", unsigned(Drv().LastError(HidRole::Aux1)));
        return false;
    }
    std::copy_n(r.begin() + kEffectDataAt, kMusicFrameLen, out.begin());
    return true;
}

bool CDevVaroRGB::ReadCfg(const kb::KbBlockMap& map, CfgBlock& cfg)
{
    return m_io.Read(kb::kBlockCmdCfg, map.byCfgAddr, cfg);
}

bool CDevVaroRGB::RestoreLighting(const kb::KbDescSnap& d, int nMode)
{
    const kb::KbBlockMap map = BlockMapFor(m_nFwType, d.kb.nOurCfg);
    const CHidDrv::CmdLock lock = Drv().LockCmd();
    if (Busy()) return false;
    CfgBlock cfg{};
    if (!ReadCfg(map, cfg)) {
        LogPrintf("GetProfile, err.");
        return false;
    }
    m_clock.Sleep(std::chrono::milliseconds(20));
    if (!RestoreModeInCfg(cfg, d, nMode)) {
        LogPrintf("RestoreLighting: the keyboard uses configuration %d, which it does not have", cfg[kCfgInUse]);
        return false;
    }
    return m_io.Write(kb::kBlockCmdCfg, map.byCfgAddr, cfg, false);
}

bool CDevVaroRGB::RestoreAfterMusic(const kb::KbDescSnap& d, const KbSettings& s)
{
    return RestoreLighting(d, s.nLedMode);
}
