// CDevNew: discovery with the pairing probe, the defaults, the reads and the
// music page's transfers; CDrvNew: the chunked transfers. The apply is in
// NewKbApply.cpp.
#include "device/newkb/DevNew.h"

#include <algorithm>

#include "core/Gvar.h"
#include "core/Log.h"
#include "device/HidTransfer.h"
#include "device/kb/KbBlock.h"
#include "device/kb/KbDefaults.h"
#include "device/newkb/NewKbReports.h"

namespace newkb {

// ---- CDrvNew ------------------------------------------------------------------------------

bool CDrvNew::SendChunk(std::span<const uint8_t> report)
{
    if (SendFeature(HidRole::Cmd, report, "AccessData", kRetryGap)) return true;
    LogPrintf("AccessData err=%d", LastError(HidRole::Cmd));
    return false;
}

bool CDrvNew::AccessWrite(uint8_t byCmd, uint8_t byIndex, std::span<const uint8_t> data, IClock::Duration delay)
{
    const std::vector<Report> chunks = MakeChunks(byCmd, byIndex, data);
    if (chunks.empty()) return false;
    const CmdLock lock = LockCmd();  // every chunk of one transfer, nothing between them
    if (!IsOpen(HidRole::Cmd)) return false;
    for (const Report& r : chunks) {
        Clock().Sleep(delay);
        if (!SendChunk(r)) return false;
    }
    return true;
}

bool CDrvNew::AccessRead(uint8_t byCmd, uint8_t byIndex, std::span<uint8_t> data, IClock::Duration delay)
{
    const size_t nCount = ChunkCount(data.size());
    if (nCount == 0 || nCount > 255) return false;
    const CmdLock lock = LockCmd();
    if (!IsOpen(HidRole::Cmd)) return false;
    for (size_t n = 0; n < nCount; ++n) {
        const size_t nLen = std::min(kChunkMax, data.size() - n * kChunkMax);
        Report r = MakeReadCmd(byCmd, byIndex, nLen);
        r[4] = uint8_t(nCount);
        r[5] = uint8_t(n);
        Clock().Sleep(delay);
        if (!SendChunk(r)) {
            std::ranges::fill(data, uint8_t{0});
            return false;
        }
        Clock().Sleep(delay);
        Report a{};
        a[0] = kReportId;
        if (!GetFeature(HidRole::Cmd, a, "AccessData read", kRetryGap)) {
            LogPrintf("AccessData read err=%d", LastError(HidRole::Cmd));
            std::ranges::fill(data, uint8_t{0});
            return false;
        }
        std::copy_n(a.begin() + kHeaderLen, nLen, data.begin() + ptrdiff_t(n * kChunkMax));
    }
    return true;
}

bool CDrvNew::ReadOne(uint8_t byCmd, uint8_t byIndex, std::span<uint8_t> out)
{
    std::ranges::fill(out, uint8_t{0});
    if (out.size() > kChunkMax) return false;
    const CmdLock lock = LockCmd();  // the command and its answer, nothing between them
    if (!IsOpen(HidRole::Cmd)) return false;
    if (!SendChunk(MakeReadCmd(byCmd, byIndex, out.size()))) return false;
    Clock().Sleep(kReadGap);
    Report a{};
    a[0] = kReportId;
    if (!GetFeature(HidRole::Cmd, a, "AccessData read", kRetryGap)) {
        LogPrintf("AccessData read err=%d", LastError(HidRole::Cmd));
        return false;
    }
    std::copy_n(a.begin() + kHeaderLen, out.size(), out.begin());
    return true;
}

// ---- CDevNew ------------------------------------------------------------------------------

CDevNew::CDevNew(IHidBackend& backend, IClock& clock, INoticeSink& notices, int nUnit,
                 std::shared_ptr<CNewKbSlots> slots)
    : CKbHidDev(backend, clock, notices, kFwNew, InputReportDesc{}, std::make_unique<CDrvNew>(clock)),
      m_drv(static_cast<CDrvNew&>(Drv())), m_nUnit(nUnit),
      m_slots(slots ? std::move(slots) : std::make_shared<CNewKbSlots>(backend, clock))
{
}

CDevNew::~CDevNew() = default;

std::vector<std::unique_ptr<CHidDev>> CDevNew::MakeSiblings()
{
    std::vector<std::unique_ptr<CHidDev>> out;
    if (m_nUnit != 0) return out;
    for (int n = 1; n < kPairSlots; ++n)
        out.push_back(std::make_unique<CDevNew>(m_backend, m_clock, m_notices, n, m_slots));
    return out;
}

std::string CDevNew::Where() const
{
    const CNewKbSlots::Lock lock = m_slots->Hold();
    if (m_strCmdPath.empty()) return {};
    return "command " + m_strCmdPath + ", input " + m_strNotifyPath;
}

int CDevNew::FindHIDDevice()
{
    const KbDesc& kbd = gVar.Kb;
    const CNewKbSlots::Lock lock = m_slots->Hold();
    if (!m_strCmdPath.empty()) {
        // Still this keyboard when its interface is listed and takes a report.
        const std::vector<HidDevInfo> list = m_backend.Enumerate();
        const bool bListed = std::ranges::any_of(list, [this](const HidDevInfo& d) { return d.szPath == m_strCmdPath; });
        const std::vector<uint8_t> probe = PairProbeReport();
        if (bListed && m_drv.SendFeature(HidRole::Cmd, probe, "FindDev: probe", kRetryGap)) return 1;
        LogPrintf("CDevNew[%d]: keyboard at %s gone", m_nUnit, m_strCmdPath.c_str());
        CHidDev::ClearHandle();
        m_slots->Release(m_nUnit);
        m_strCmdPath.clear();
        m_strNotifyPath.clear();
    }
    m_slots->MatchNewDevices(kbd.nVID, kbd.nPID, kbd.nPID2);
    HidPair pair;
    if (!m_slots->Take(m_nUnit, pair)) return 0;
    CHidDev::ClearHandle();
    SetHandle(HidRole::Cmd, std::move(pair.hCmd));
    SetHandle(HidRole::Notify, std::move(pair.hNotify));
    m_strCmdPath = pair.strCmdPath;
    m_strNotifyPath = pair.strNotifyPath;
    for (const HidDevInfo& d : m_backend.Enumerate()) {
        if (d.szPath != m_strCmdPath) continue;
        m_nPID = d.nPID;
        m_nFwVersion = d.nVersion;
    }
    LogPrintf("CDevNew[%d]: hCmd %s, hNotify %s, FW Version=0x%x", m_nUnit, m_strCmdPath.c_str(),
              m_strNotifyPath.c_str(), unsigned(m_nFwVersion.load()));
    DeviceFound found;
    found.bMouseState = false;
    SetFound(found);
    return 1;
}

void CDevNew::ClearHandle()
{
    CHidDev::ClearHandle();
    const CNewKbSlots::Lock lock = m_slots->Hold();
    if (m_strCmdPath.empty()) return;
    m_slots->Release(m_nUnit);
    m_strCmdPath.clear();
    m_strNotifyPath.clear();
}

bool CDevNew::GetMatrix(std::span<uint8_t, kMatrixLen> out)
{
    if (m_drv.ReadOne(kCmdMatrix | kRead, 0, out)) return true;
    LogPrintf("GetMatrix failed");
    return false;
}

bool CDevNew::GetLED(std::span<uint8_t, kLedLen> out)
{
    if (m_drv.ReadOne(kCmdLed | kRead, 0, out)) return true;
    LogPrintf("GetLED failed");
    return false;
}

bool CDevNew::GetGame(int i, std::span<uint8_t, kGameLen> out)
{
    if (i >= 0 && i <= 0xFF && m_drv.ReadOne(kCmdGame | kRead, uint8_t(i), out)) return true;
    LogPrintf("GetGame failed");
    return false;
}

bool CDevNew::SetRealData(std::span<const uint8_t> data)
{
    const CHidDrv::CmdLock lock = m_drv.LockCmd();
    if (Busy()) return false;
    if (m_drv.AccessWrite(kCmdRealData, 0, data, kRealDataDelay)) return true;
    LogPrintf("SetRealData failed");
    return false;
}

bool CDevNew::GetRealData(std::span<uint8_t> out)
{
    const CHidDrv::CmdLock lock = m_drv.LockCmd();
    if (Busy()) return false;
    if (m_drv.AccessRead(kCmdRealData | kRead, 0, out, kReadGap)) return true;
    LogPrintf("GetRealData failed");
    return false;
}

bool CDevNew::RestoreLighting(const kb::KbDescSnap& d, const KbSettings& s)
{
    const auto block = LightingBlock(kb::CKbBlock(s), d);
    const CHidDrv::CmdLock lock = m_drv.LockCmd();
    if (Busy()) return false;
    if (m_drv.AccessWrite(kCmdLed, 0, block, kWriteDelay)) return true;
    LogPrintf("SetLED failed");
    return false;
}

}  // namespace newkb
