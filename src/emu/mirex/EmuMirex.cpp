#include "emu/mirex/EmuMirex.h"

#include <algorithm>

#include "emu/EmuFactoryLevels.h"
#include "emu/EmuInterfaces.h"
#include "emu/EmuRecordRules.h"

namespace {

// The mouse's own numbers, kept apart from the host's on purpose: the
// emulator checks the host against the device's description, not against
// the host's idea of it.
constexpr uint8_t kNotifyId = 7;
constexpr int kNotifyLen = 8;
constexpr EmuInterfaceDesc kCmd{"cmd", 5, 6, 0};
constexpr EmuInterfaceDesc kData{"data", 4, 520, 0};
constexpr EmuInterfaceDesc kNotify{"notify", kNotifyId, 0, kNotifyLen};
constexpr auto kAnswerGap = std::chrono::milliseconds(30);
constexpr uint8_t kBlockTag = 0x7B, kMatrixTag = 80;
constexpr size_t kPayloadAt = kEmuPayloadAt;

}  // namespace

const EmuMouseLayout CEmuMirex::kLayout{"mode", 1, 21, 45};

const EmuCommand<CEmuMirex> CEmuMirex::kCommands[] = {
    {0x02, &CEmuMirex::OnMode},      {0x11, &CEmuMirex::OnBlockRead}, {0x21, &CEmuMirex::OnBlockRead},
    {0x31, &CEmuMirex::OnBlockRead}, {0x1A, &CEmuMirex::OnDebounce},  {0x1B, &CEmuMirex::OnLiftOff},
};

const EmuCommand<CEmuMirex> CEmuMirex::kRecords[] = {
    {0x11, &CEmuMirex::OnBlockRecord},  {0x21, &CEmuMirex::OnBlockRecord},  {0x31, &CEmuMirex::OnBlockRecord},
    {0x12, &CEmuMirex::OnMatrixRecord}, {0x22, &CEmuMirex::OnMatrixRecord}, {0x32, &CEmuMirex::OnMatrixRecord},
    {0x30, &CEmuMirex::OnMacroRecord},
};

EmuMirexConfig MirexConfigFor(int nVID, int nPID, int32_t nSensor)
{
    EmuMirexConfig cfg;
    cfg.nVID = nVID;
    cfg.nPID = nPID;
    const EmuFactoryLevels levels = FactoryLevelsFor(nSensor);
    cfg.bySensorCode = levels.bySensorCode;
    cfg.byCurrentLevel = levels.byCurrentLevel;
    for (const uint16_t c : levels.codes) cfg.dpiCodes.push_back(uint8_t(std::min<uint16_t>(c, 0xFF)));  // one byte a code
    cfg.levelColours = levels.colourBytes;
    return cfg;
}

CEmuMirex::CEmuMirex(const EmuMirexConfig& cfg, IClock& clock)
    : CEmuDevice(cfg.strName, clock), m_cfg(cfg), m_bySensorCode(cfg.bySensorCode)
{
    const EmuUsbId id{cfg.nVID, cfg.nPID, cfg.nVersion};
    m_nCmd = AddInterface(id, kCmd);
    m_nData = AddInterface(id, kData);
    m_nNotify = AddInterface(id, kNotify);
    if (cfg.bPointerInterface) AddInterface(id, kEmuPointerInterface);
    FillFactoryImage(m_state, kLayout, EmuFactoryOf(cfg));
}

CEmuMirex::State CEmuMirex::GetState() const
{
    std::lock_guard lock(m_mtx);
    return m_state;
}

uint32_t CEmuMirex::KeyCode(int nMode, int nPos) const
{
    if (nMode < 1 || nMode > kModes) return 0;
    std::lock_guard lock(m_mtx);
    return KeyCodeAt(m_state.matrix[size_t(nMode - 1)], nPos);
}

void CEmuMirex::PressDpiButton()
{
    std::lock_guard lock(m_mtx);
    if (NextDpiLevel(m_state.block[size_t(m_state.nMode - 1)])) PushLevelReport(0);
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
    ::SetSensorCode(m_state, byCode);
}

void CEmuMirex::SetBlockUnreadable(bool b)
{
    std::lock_guard lock(m_mtx);
    m_bBlockUnreadable = b;
}

bool CEmuMirex::RefusesGet(int nIface) const { return nIface == m_nData && m_bBlockUnreadable; }

void CEmuMirex::OnSetFeature(int nIface, std::span<const uint8_t> report)
{
    if (nIface == m_nCmd) {
        Violation(RunEmuCommand<CEmuMirex>(*this, kCommands, report[1], report));
    } else if (nIface == m_nData) {
        for (std::string& v : CheckDataRecord(report)) Violation(std::move(v));
        Violation(RunEmuCommand<CEmuMirex>(*this, kRecords, report[1], report, "record"));
    } else {
        Violation("feature report on " + Role(nIface) + ", which takes none");
    }
}

void CEmuMirex::OnMode(std::span<const uint8_t> r)
{
    const uint8_t p = r[2];
    if (p == 0) {
        m_bModeArmed = true;
        m_nBlockArmed = 0;
        BeginTransaction();
    } else if (p <= kModes) {
        m_state.nMode = p;
    } else {
        Violation("mode command with mode " + std::to_string(p) + ", the mouse has 1 to 3");
    }
}

void CEmuMirex::OnBlockRead(std::span<const uint8_t> r)
{
    m_nBlockArmed = r[1] >> 4;
    m_bModeArmed = false;
    BeginTransaction();
}

void CEmuMirex::OnBlockRecord(std::span<const uint8_t> r)
{
    if (std::string v = CheckTag(r, 0, kBlockTag); !v.empty()) return Violation(v);
    if (std::string v = CheckByte(r, "block starts with", r[kPayloadAt], kEmuBlockFirst); !v.empty()) return Violation(v);
    auto& b = m_state.block[size_t((r[1] >> 4) - 1)];
    std::copy_n(r.begin() + kPayloadAt, kBlockLen, b.begin());
    b[1] = m_bySensorCode;  // the sensor is the mouse's, whatever the host writes
}

void CEmuMirex::OnMatrixRecord(std::span<const uint8_t> r)
{
    if (std::string v = CheckTag(r, 0, kMatrixTag); !v.empty()) return Violation(v);
    std::copy_n(r.begin() + kPayloadAt, kEmuMatrixLen, m_state.matrix[size_t((r[1] >> 4) - 1)].begin());
}

void CEmuMirex::OnMacroRecord(std::span<const uint8_t> r)
{
    int n = 0;
    std::span<const uint8_t> bytes;
    if (std::string v = ReadMacroRecord(r, n, bytes); !v.empty()) return Violation(v);
    std::ranges::copy(bytes, m_state.macros[n].begin());
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
        std::ranges::copy(m_state.block[size_t(m - 1)], buf.begin() + kPayloadAt);
        return;
    }
    Violation("feature read on " + Role(nIface) + ", which has none");
}
