#include "emu/mirex/EmuMirex.h"

#include <algorithm>

#include "core/Gvar.h"
#include "core/MouseDesc.h"
#include "core/SensorTables.h"
#include "emu/EmuFactoryLevels.h"

namespace {

// The mouse's own numbers, kept apart from the host's on purpose: the
// emulator checks the host against the device's description, not against
// the host's idea of it.
constexpr uint8_t kCmdId = 5, kDataId = 4, kNotifyId = 7;
constexpr int kCmdLen = 6, kDataLen = 520, kNotifyLen = 8;
constexpr auto kAnswerGap = std::chrono::milliseconds(30);
constexpr uint8_t kBlockTag = 0x7B, kMatrixTag = 80;

std::string Hex2(unsigned v)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    return {kDigits[(v >> 4) & 0x0F], kDigits[v & 0x0F]};
}

HidDevInfo VendorInterface(const EmuMirexConfig& cfg, int nId, int nFeature, int nInput)
{
    HidDevInfo i;
    i.nReportId = nId;
    i.nFeatureLen = nFeature;
    i.nInputLen = nInput;
    i.nUsagePage = 0xFF00;
    i.nUsage = 1;
    i.nVID = cfg.nVID;
    i.nPID = cfg.nPID;
    i.nVersion = cfg.nVersion;
    return i;
}

void PutCode(std::array<uint8_t, CEmuMirex::kMatrixLen>& m, int nPos, uint32_t dwCode)
{
    for (int b = 0; b < 4; ++b) m[size_t(4 * (nPos - 1) + b)] = uint8_t(dwCode >> (8 * b));
}

}  // namespace

EmuMirexConfig MirexConfigFor(int nVID, int nPID, int32_t nSensor)
{
    EmuMirexConfig cfg;
    cfg.nVID = nVID;
    cfg.nPID = nPID;
    const EmuFactoryLevels levels = FactoryLevelsFor(nSensor);
    cfg.bySensorCode = levels.bySensorCode;
    cfg.byCurrentLevel = levels.byCurrentLevel;
    const std::vector<int32_t>& dpi = levels.dpi;
    const std::vector<ZColor>& colours = levels.colours;
    for (size_t i = 0; i < dpi.size(); ++i) {
        cfg.dpiCodes.push_back(uint8_t(std::min<uint16_t>(DpiToHwCode(nSensor, dpi[i]), 0xFF)));
        cfg.levelColours.push_back({uint8_t(colours[i]), uint8_t(colours[i] >> 8), uint8_t(colours[i] >> 16)});
    }
    return cfg;
}

CEmuMirex::CEmuMirex(const EmuMirexConfig& cfg, IClock& clock)
    : CEmuDevice(cfg.strName, clock), m_cfg(cfg), m_bySensorCode(cfg.bySensorCode)
{
    m_nCmd = AddInterface("cmd", VendorInterface(cfg, kCmdId, kCmdLen, 0));
    m_nData = AddInterface("data", VendorInterface(cfg, kDataId, kDataLen, 0));
    m_nNotify = AddInterface("notify", VendorInterface(cfg, kNotifyId, 0, kNotifyLen));
    if (cfg.bPointerInterface) {
        HidDevInfo ptr = VendorInterface(cfg, 0, 0, 8);
        ptr.nUsagePage = 1;  // generic desktop, mouse: the system's own
        ptr.nUsage = 2;
        AddInterface("pointer", ptr);
    }
    const size_t nLevels = std::min<size_t>(cfg.dpiCodes.size(), 8);
    const uint8_t byCur = uint8_t(std::clamp<int>(cfg.byCurrentLevel, nLevels ? 1 : 0, int(nLevels)));
    for (int m = 0; m < kModes; ++m) {
        auto& b = m_state.block[size_t(m)];
        b[0] = 0x64;
        b[1] = m_bySensorCode;
        b[2] = cfg.byRateCode;
        b[3] = uint8_t(nLevels | byCur << 4);
        b[4] = uint8_t(0xFF << nLevels);
        std::copy_n(cfg.dpiCodes.begin(), nLevels, b.begin() + 5);
        for (size_t i = 0; i < cfg.levelColours.size() && i < 8; ++i)
            std::ranges::copy(cfg.levelColours[i], b.begin() + 21 + 3 * ptrdiff_t(i));
        b[45] = 1;
        auto& mx = m_state.matrix[size_t(m)];
        for (int p = 1; p <= 20; ++p) PutCode(mx, p, 0x150);
        // Left, right, middle, back, forward, DPI cycle: what a new mouse does.
        const uint32_t kKeys[] = {0x111, 0x211, 0x411, 0x811, 0x1011, 0x41};
        for (int p = 1; p <= 6; ++p) PutCode(mx, p, kKeys[p - 1]);
    }
}

CEmuMirex::State CEmuMirex::GetState() const
{
    std::lock_guard lock(m_mtx);
    return m_state;
}

uint32_t CEmuMirex::KeyCode(int nMode, int nPos) const
{
    if (nMode < 1 || nMode > kModes || nPos < 1 || nPos > 20) return 0;
    std::lock_guard lock(m_mtx);
    const auto& mx = m_state.matrix[size_t(nMode - 1)];
    const size_t i = size_t(4 * (nPos - 1));
    return uint32_t(mx[i]) | uint32_t(mx[i + 1]) << 8 | uint32_t(mx[i + 2]) << 16 | uint32_t(mx[i + 3]) << 24;
}

void CEmuMirex::PressDpiButton()
{
    std::lock_guard lock(m_mtx);
    auto& b = m_state.block[size_t(m_state.nMode - 1)];
    const int nCount = b[3] & 0x0F;
    if (nCount == 0) return;
    const int nCur = b[3] >> 4;
    const int nNext = nCur >= nCount ? 1 : nCur + 1;
    b[3] = uint8_t(nCount | nNext << 4);
    PushLevelReport(0);
}

void CEmuMirex::PressModeButton()
{
    std::lock_guard lock(m_mtx);
    m_state.nMode = m_state.nMode % kModes + 1;
    PushLevelReport(0);
}

void CEmuMirex::SendPerformanceByte(uint8_t by)
{
    std::lock_guard lock(m_mtx);
    PushLevelReport(by);
}

void CEmuMirex::PushLevelReport(uint8_t byPerf)
{
    const uint8_t byLevel = m_state.block[size_t(m_state.nMode - 1)][3] >> 4;
    const uint8_t r[kNotifyLen] = {kNotifyId, uint8_t(m_state.nMode), byLevel, 0, byPerf, 0, 0, 0};
    PushInputLocked(m_nNotify, r);
}

void CEmuMirex::SetSensorCode(uint8_t byCode)
{
    std::lock_guard lock(m_mtx);
    m_bySensorCode = byCode;
    for (auto& b : m_state.block) b[1] = byCode;
}

void CEmuMirex::SetBlockUnreadable(bool b)
{
    std::lock_guard lock(m_mtx);
    m_bBlockUnreadable = b;
}

bool CEmuMirex::RefusesGet(int nIface) const { return nIface == m_nData && m_bBlockUnreadable; }

void CEmuMirex::OnSetFeature(int nIface, std::span<const uint8_t> report)
{
    if (nIface == m_nCmd) OnCommand(report);
    else if (nIface == m_nData) OnRecord(report);
    else Violation("feature report on " + Role(nIface) + ", which takes none");
}

void CEmuMirex::OnCommand(std::span<const uint8_t> r)
{
    const uint8_t c = r[1], p = r[2];
    switch (c) {
    case 0x02:
        if (p == 0) {
            m_bModeArmed = true;
            m_nBlockArmed = 0;
            BeginTransaction();
        } else if (p <= kModes) {
            m_state.nMode = p;
        } else {
            Violation("mode command with mode " + std::to_string(p) + ", the mouse has 1 to 3");
        }
        return;
    case 0x11:
    case 0x21:
    case 0x31:
        m_nBlockArmed = c >> 4;
        m_bModeArmed = false;
        BeginTransaction();
        return;
    case 0x1A: m_state.nDebounce = p; return;
    case 0x1B: m_state.nLiftOff = p; return;
    default: Violation("unknown command " + Hex2(c));
    }
}

void CEmuMirex::OnRecord(std::span<const uint8_t> r)
{
    const std::string strKind = "record " + Hex2(r[1]);
    if (r[kDataLen - 1] != 0) Violation(strKind + ": last byte " + Hex2(r[kDataLen - 1]) + ", not 00");
    if (r[4] || r[5] || r[6] || r[7]) Violation(strKind + ": header bytes 3 to 6 not zero");
    const uint8_t kind = r[1];
    if (kind == 0x11 || kind == 0x21 || kind == 0x31) {
        if (r[2] != 0 || r[3] != kBlockTag) return Violation(strKind + ": tag " + Hex2(r[2]) + " " + Hex2(r[3]) + ", not 00 7b");
        if (r[8] != 0x64) return Violation(strKind + ": block starts with " + Hex2(r[8]) + ", not 64");
        auto& b = m_state.block[size_t((kind >> 4) - 1)];
        std::copy_n(r.begin() + 8, kBlockLen, b.begin());
        b[1] = m_bySensorCode;  // the sensor is the mouse's, whatever the host writes
        return;
    }
    if (kind == 0x12 || kind == 0x22 || kind == 0x32) {
        if (r[2] != 0 || r[3] != kMatrixTag) return Violation(strKind + ": tag " + Hex2(r[2]) + " " + Hex2(r[3]) + ", not 00 50");
        std::copy_n(r.begin() + 8, kMatrixLen, m_state.matrix[size_t((kind >> 4) - 1)].begin());
        return;
    }
    if (kind == 0x30) {
        if (r[2] != 2 || r[3] != 0) return Violation(strKind + ": tag " + Hex2(r[2]) + " " + Hex2(r[3]) + ", not 02 00");
        const int n = r[8];
        if (n < 1 || n > kBufferMax) return Violation("macro buffer " + std::to_string(n) + ", the mouse has 1 to 20");
        std::copy_n(r.begin() + 9, kMacroLen, m_state.macros[n].begin());
        return;
    }
    Violation("unknown " + strKind);
}

void CEmuMirex::OnGetFeature(int nIface, std::span<uint8_t> buf)
{
    std::fill(buf.begin() + 1, buf.end(), uint8_t{0});
    if (nIface == m_nCmd) {
        if (!m_bModeArmed) return Violation("cmd read with no mode command before it");
        m_bModeArmed = false;
        EndTransaction(kAnswerGap, "mode");
        buf[1] = uint8_t(m_state.nMode);
        return;
    }
    if (nIface == m_nData) {
        if (m_nBlockArmed == 0) return Violation("data read with no block command before it");
        const int m = m_nBlockArmed;
        m_nBlockArmed = 0;
        EndTransaction(kAnswerGap, "general block");
        // The answer echoes the record header, then the block from byte 8.
        buf[1] = uint8_t(m << 4 | 1);
        buf[3] = kBlockTag;
        std::ranges::copy(m_state.block[size_t(m - 1)], buf.begin() + 8);
        return;
    }
    Violation("feature read on " + Role(nIface) + ", which has none");
}
