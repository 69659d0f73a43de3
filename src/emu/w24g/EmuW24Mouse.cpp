#include "emu/w24g/EmuW24Mouse.h"

#include <algorithm>

#include "emu/EmuFactoryLevels.h"
#include "emu/EmuBackend.h"
#include "emu/w24g/EmuReceiver.h"

namespace {

constexpr uint8_t kNotifyId = 7;
constexpr uint8_t kLinkCable = 0x10, kLinkReceiver = 0x11;

bool ValidProfile(int p) { return p >= 1 && p <= CEmuW24Mouse::kProfiles; }

}  // namespace

EmuW24Config W24ConfigFor(int nVID, int nPID, int nPID2, int32_t nMsFw, int32_t nSensor)
{
    EmuW24Config cfg;
    cfg.nVID = nVID;
    cfg.nPIDCable = nPID;
    cfg.nPIDReceiver = nPID2;
    cfg.nKind = (nMsFw & 0x0F) == 4 ? 4 : 5;
    const EmuFactoryLevels levels = FactoryLevelsFor(nSensor);
    cfg.bySensorCode = levels.bySensorCode;
    cfg.byCurrentLevel = levels.byCurrentLevel;
    cfg.dpiCodes = levels.codes;
    cfg.levelColours = levels.colourBytes;
    return cfg;
}

const EmuMouseLayout CEmuW24Mouse::kLayout{"profile", 2, 37, 61, kBlockTrailerAt, kTrailer};

CEmuW24Mouse::CEmuW24Mouse(const EmuW24Config& cfg) : m_cfg(cfg), m_bySensorCode(cfg.bySensorCode)
{
    FillFactoryImage(m_state, kLayout, EmuFactoryOf(cfg));
    m_state.nBattery = cfg.nBattery;
    m_state.nVoltage = cfg.nVoltage;
    m_state.bCable = cfg.bCableConnected;
}

void CEmuW24Mouse::Attach(const std::shared_ptr<CEmuReceiver>& receiver, const std::shared_ptr<CEmuW24Link>& cable)
{
    m_receiver = receiver;
    m_cable = cable;
}

CEmuW24Mouse::State CEmuW24Mouse::GetState() const
{
    std::lock_guard lock(m_mtx);
    return m_state;
}

uint32_t CEmuW24Mouse::KeyCode(int p, int nPos) const
{
    if (!ValidProfile(p)) return 0;
    std::lock_guard lock(m_mtx);
    return KeyCodeAt(m_state.matrix[size_t(p - 1)], nPos);
}

uint8_t CEmuW24Mouse::SensorCode() const
{
    std::lock_guard lock(m_mtx);
    return m_bySensorCode;
}

// ---- what the links store -----------------------------------------------------------------

std::array<uint8_t, CEmuW24Mouse::kBlockLen> CEmuW24Mouse::Block(int p) const
{
    std::lock_guard lock(m_mtx);
    return ValidProfile(p) ? m_state.block[size_t(p - 1)] : std::array<uint8_t, kBlockLen>{};
}

void CEmuW24Mouse::StoreBlock(int p, std::span<const uint8_t> block)
{
    std::lock_guard lock(m_mtx);
    if (!ValidProfile(p)) return;
    auto& b = m_state.block[size_t(p - 1)];
    std::copy_n(block.begin(), std::min(block.size(), kBlockLen), b.begin());
    b[1] = m_bySensorCode;  // the sensor is the mouse's, whatever the host writes
}

void CEmuW24Mouse::StoreMatrix(int p, std::span<const uint8_t> matrix)
{
    std::lock_guard lock(m_mtx);
    if (ValidProfile(p))
        std::copy_n(matrix.begin(), std::min(matrix.size(), kEmuMatrixLen), m_state.matrix[size_t(p - 1)].begin());
}

void CEmuW24Mouse::StoreMacro(int n, std::span<const uint8_t> buffer)
{
    std::lock_guard lock(m_mtx);
    auto& m = m_state.macros[n];
    m.fill(0);
    std::copy_n(buffer.begin(), std::min(buffer.size(), kEmuMacroLen), m.begin());
}

void CEmuW24Mouse::StoreLiftOff(int v)
{
    std::lock_guard lock(m_mtx);
    m_state.nLiftOff = v;
}

void CEmuW24Mouse::StoreDebounce(int v)
{
    std::lock_guard lock(m_mtx);
    m_state.nDebounce = v;
}

void CEmuW24Mouse::StoreMode(int v)
{
    std::lock_guard lock(m_mtx);
    m_state.nModeSet = v;
}

int CEmuW24Mouse::LiftOffLevel(int p) const
{
    std::lock_guard lock(m_mtx);
    return ValidProfile(p) ? m_state.nLiftOffLevel[size_t(p - 1)] : 0;
}

bool CEmuW24Mouse::CableConnected() const
{
    std::lock_guard lock(m_mtx);
    return m_state.bCable;
}

// ---- the user at the mouse ------------------------------------------------------------------

std::shared_ptr<CEmuW24Link> CEmuW24Mouse::ActiveLink() const
{
    if (CableConnected())
        if (auto c = m_cable.lock(); c && c->IsPlugged()) return c;
    if (auto r = m_receiver.lock(); r && r->IsPlugged() && !r->MouseAway()) return r;
    return nullptr;
}

std::vector<uint8_t> CEmuW24Mouse::ReportLocked(bool bCable) const
{
    const auto& b = m_state.block[bCable ? 0 : 1];
    return {kNotifyId, bCable ? kLinkCable : kLinkReceiver, uint8_t(b[2] & 0x0F), uint8_t(b[3] >> 4),
            uint8_t(m_state.nBattery), 0, 0, 0};
}

bool CEmuW24Mouse::PressDpiButton()
{
    const std::shared_ptr<CEmuW24Link> link = ActiveLink();
    if (!link) return false;
    std::vector<uint8_t> report;
    {
        std::lock_guard lock(m_mtx);
        if (!NextDpiLevel(m_state.block[link->IsCable() ? 0 : 1])) return false;
        report = ReportLocked(link->IsCable());
    }
    return link->Report(report);
}

bool CEmuW24Mouse::PlugCable()
{
    const auto cable = m_cable.lock();
    if (!cable) return false;
    {
        std::lock_guard lock(m_mtx);
        m_state.bCable = true;
    }
    cable->Plug();
    std::vector<uint8_t> report;
    {
        std::lock_guard lock(m_mtx);
        report = ReportLocked(true);
    }
    return cable->Report(report);
}

bool CEmuW24Mouse::PullCable()
{
    const auto cable = m_cable.lock();
    {
        std::lock_guard lock(m_mtx);
        m_state.bCable = false;
    }
    if (cable) cable->Unplug();
    const std::shared_ptr<CEmuW24Link> link = ActiveLink();
    if (!link) return false;
    std::vector<uint8_t> report;
    {
        std::lock_guard lock(m_mtx);
        report = ReportLocked(false);
    }
    return link->Report(report);
}

bool CEmuW24Mouse::SetBattery(int nLevel, int nVoltage)
{
    {
        std::lock_guard lock(m_mtx);
        m_state.nBattery = std::clamp(nLevel, 0, 255);
        m_state.nVoltage = std::clamp(nVoltage, 0, 0xFFFF);
    }
    const std::shared_ptr<CEmuW24Link> link = ActiveLink();
    if (!link) return false;
    std::vector<uint8_t> report;
    {
        std::lock_guard lock(m_mtx);
        report = ReportLocked(link->IsCable());
    }
    return link->Report(report);
}

void CEmuW24Mouse::SwitchOff(bool bOff)
{
    if (auto r = m_receiver.lock()) r->SetMouseOff(bOff);
}

// ---- device variants -------------------------------------------------------------------------

void CEmuW24Mouse::SetSensorCode(uint8_t byCode)
{
    std::lock_guard lock(m_mtx);
    m_bySensorCode = byCode;
    ::SetSensorCode(m_state, byCode);
}

void CEmuW24Mouse::SetLiftOffLevel(int p, int nLevel)
{
    std::lock_guard lock(m_mtx);
    if (ValidProfile(p)) m_state.nLiftOffLevel[size_t(p - 1)] = std::clamp(nLevel, 0, 14);
}

void CEmuW24Mouse::SetBlock(int p, std::span<const uint8_t> block)
{
    std::lock_guard lock(m_mtx);
    if (!ValidProfile(p)) return;
    auto& b = m_state.block[size_t(p - 1)];
    b.fill(0);
    std::copy_n(block.begin(), std::min(block.size(), kBlockLen), b.begin());
}

// ---- the rig -------------------------------------------------------------------------------------

EmuW24Rig MakeW24Rig(const EmuW24Config& cfg, IClock& clock, CEmuBackend& backend)
{
    EmuW24Rig rig;
    rig.mouse = std::make_shared<CEmuW24Mouse>(cfg);
    rig.receiver = std::make_shared<CEmuReceiver>(rig.mouse, clock);
    rig.cable = std::make_shared<CEmuW24Link>(rig.mouse, true, clock);
    rig.mouse->Attach(rig.receiver, rig.cable);
    if (!cfg.bReceiverPlugged) rig.receiver->Unplug();
    if (!cfg.bCableConnected) rig.cable->Unplug();
    backend.AddDevice(rig.receiver);
    backend.AddDevice(rig.cable);
    return rig;
}
