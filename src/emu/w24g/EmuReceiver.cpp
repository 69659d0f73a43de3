#include "emu/w24g/EmuReceiver.h"

#include <algorithm>

#include "emu/EmuHex.h"
#include "emu/EmuInterfaces.h"
#include "emu/EmuRecordRules.h"

namespace {

// The mouse's own numbers, kept apart from the host's on purpose: the
// emulator checks the host against the device's description, not against
// the host's idea of it.
constexpr uint8_t kCmdId = 5, kNotifyId = 7;
constexpr int kCmdLen = 8, kDataLen = 520, kNotifyLen = 8;
constexpr auto kAnswerGap = std::chrono::milliseconds(30);
constexpr uint8_t kMatrixTag = 80;
constexpr size_t kPayloadAt = kEmuPayloadAt;
constexpr uint8_t kLinkCable = 0x10, kLinkReceiver = 0x11;

uint8_t BlockTag(int nKind) { return nKind == 4 ? 0x9F : 0x92; }

}  // namespace

// ---- CEmuW24Link ---------------------------------------------------------------------------

const EmuCommand<CEmuW24Link> CEmuW24Link::kCommands[] = {
    {0x11, &CEmuW24Link::OnBlockRead},   {0x21, &CEmuW24Link::OnBlockRead}, {0x51, &CEmuW24Link::OnLiftOffRead},
    {0x52, &CEmuW24Link::OnLiftOffRead}, {0x80, &CEmuW24Link::OnLink},      {0x90, &CEmuW24Link::OnBattery},
    {0x02, &CEmuW24Link::OnMode},        {0x1A, &CEmuW24Link::OnDebounce},  {0x1B, &CEmuW24Link::OnLiftOff},
    {0x31, &CEmuW24Link::OnNoSuchProfile},
};

const EmuCommand<CEmuW24Link> CEmuW24Link::kRecords[] = {
    {0x11, &CEmuW24Link::OnBlockRecord},         {0x21, &CEmuW24Link::OnBlockRecord},
    {0x12, &CEmuW24Link::OnMatrixRecord},        {0x22, &CEmuW24Link::OnMatrixRecord},
    {0x30, &CEmuW24Link::OnMacroRecord},         {0x31, &CEmuW24Link::OnNoSuchProfileRecord},
    {0x32, &CEmuW24Link::OnNoSuchProfileRecord},
};

CEmuW24Link::CEmuW24Link(std::shared_ptr<CEmuW24Mouse> mouse, bool bCable, IClock& clock)
    : CEmuDevice(mouse->Config().strName + (bCable ? "-cable" : "-receiver"), clock), m_mouse(std::move(mouse)),
      m_bCable(bCable), m_byDataId(m_mouse->Config().nKind == 4 ? 6 : 8)
{
    const EmuW24Config& cfg = m_mouse->Config();
    const EmuUsbId id{cfg.nVID, bCable ? cfg.nPIDCable : cfg.nPIDReceiver, cfg.nVersion};
    m_nCmd = AddInterface(id, {"cmd", kCmdId, kCmdLen, 0});
    m_nData = AddInterface(id, {"data", m_byDataId, kDataLen, 0});
    m_nNotify = AddInterface(id, {"notify", kNotifyId, 0, kNotifyLen});
    if (cfg.bPointerInterface) AddInterface(id, kEmuPointerInterface);
}

std::string CEmuW24Link::DescribeState() const { return m_mouse->Describe(); }

std::string CEmuW24Link::StateText() const { return m_mouse->StateText(); }

bool CEmuW24Link::RestoreStateText(std::string_view text, std::string& strErr)
{
    return m_mouse->RestoreStateText(text, strErr);
}

void CEmuW24Link::OnSetFeature(int nIface, std::span<const uint8_t> report)
{
    if (nIface == m_nCmd) OnCommand(report, true);
    else if (nIface == m_nData) OnRecord(report);
    else Violation("feature report on " + Role(nIface) + ", which takes none");
}

void CEmuW24Link::OnCommand(std::span<const uint8_t> r, bool bMouseThere)
{
    if (r[6] || r[7]) Violation("command " + Hex2(r[1]) + ": bytes 6 and 7 not zero");
    m_bMouseThere = bMouseThere;
    Violation(RunEmuCommand<CEmuW24Link>(*this, kCommands, r[1], r));
    m_bMouseThere = true;
}

void CEmuW24Link::Arm(Armed what, int p)
{
    m_armed = what;
    m_nArmedProfile = p;
    BeginTransaction();
}

void CEmuW24Link::OnLink(std::span<const uint8_t>)
{
    const uint8_t by = !m_bCable && m_bMouseThere ? 1 : 0;
    m_cmdAnswer = {kCmdId, by, by, 0, 0, 0, 0, 0};
    Arm(Armed::Cmd, 0);
}

void CEmuW24Link::OnBattery(std::span<const uint8_t>)
{
    m_cmdAnswer = {kCmdId};
    if (m_bMouseThere) {
        const CEmuW24Mouse::State s = m_mouse->GetState();
        m_cmdAnswer = {kCmdId, s.bCable ? kLinkCable : kLinkReceiver, uint8_t(s.nBattery), uint8_t(s.nVoltage),
                       uint8_t(s.nVoltage >> 8), 0, 0, 0};
    }
    Arm(Armed::Cmd, 0);
}

void CEmuW24Link::OnMode(std::span<const uint8_t> r)
{
    const uint8_t p1 = r[2];
    if (p1 < 1 || p1 > 3) return Violation("mode command with mode " + std::to_string(p1) + ", 1 to 3 expected");
    if (m_bMouseThere) m_mouse->StoreMode(p1);
}

void CEmuW24Link::OnDebounce(std::span<const uint8_t> r)
{
    if (m_bMouseThere) m_mouse->StoreDebounce(r[2]);
}

void CEmuW24Link::OnLiftOff(std::span<const uint8_t> r)
{
    if (m_bMouseThere) m_mouse->StoreLiftOff(r[2]);
}

void CEmuW24Link::OnNoSuchProfile(std::span<const uint8_t> r)
{
    Violation("command " + Hex2(r[1]) + ": the mouse has profiles 1 and 2 only");
}

void CEmuW24Link::OnRecord(std::span<const uint8_t> r)
{
    for (std::string& v : CheckDataRecord(r)) Violation(std::move(v));
    Violation(RunEmuCommand<CEmuW24Link>(*this, kRecords, r[1], r, "record"));
}

void CEmuW24Link::OnBlockRecord(std::span<const uint8_t> r)
{
    const int p = r[1] >> 4;
    if (std::string v = CheckTag(r, 0, BlockTag(m_mouse->Config().nKind)); !v.empty()) return Violation(v);
    const std::span<const uint8_t> block = r.subspan(kPayloadAt, CEmuW24Mouse::kBlockLen);
    if (std::string v = CheckByte(r, "block starts with", block[0], kEmuBlockFirst); !v.empty()) return Violation(v);
    const uint8_t byTrailer = block[CEmuW24Mouse::kBlockTrailerAt];
    if (std::string v = CheckByte(r, "block byte 144 is", byTrailer, CEmuW24Mouse::kTrailer); !v.empty())
        return Violation(v);
    m_mouse->StoreBlock(p, block);
    Carried(p, m_mouse->Block(p));
}

void CEmuW24Link::OnMatrixRecord(std::span<const uint8_t> r)
{
    if (std::string v = CheckTag(r, 0, kMatrixTag); !v.empty()) return Violation(v);
    // Kind 5 closes the matrix with the trailer byte; kind 4 leaves the byte after it zero.
    const uint8_t byAfter = r[kPayloadAt + kEmuMatrixLen];
    if (m_mouse->Config().nKind == 5) {
        if (std::string v = CheckByte(r, "byte after the matrix is", byAfter, CEmuW24Mouse::kTrailer); !v.empty())
            return Violation(v);
    } else if (byAfter != 0) {
        Violation(EmuRecordName(r) + ": byte after the matrix is " + Hex2(byAfter) + ", this kind takes none");
    }
    m_mouse->StoreMatrix(r[1] >> 4, r.subspan(kPayloadAt, kEmuMatrixLen));
}

void CEmuW24Link::OnMacroRecord(std::span<const uint8_t> r)
{
    int n = 0;
    std::span<const uint8_t> bytes;
    if (std::string v = ReadMacroRecord(r, n, bytes); !v.empty()) return Violation(v);
    m_mouse->StoreMacro(n, bytes);
}

void CEmuW24Link::OnNoSuchProfileRecord(std::span<const uint8_t> r)
{
    Violation(EmuRecordName(r) + ": the mouse has profiles 1 and 2 only");
}

void CEmuW24Link::OnGetFeature(int nIface, std::span<uint8_t> buf)
{
    // m_armedAway: the receiver answers alone (the mouse is off or out of
    // range), from its own copy of the block or with zeros.
    std::fill(buf.begin() + 1, buf.end(), uint8_t{0});
    const Armed armed = m_armed;
    const int p = m_nArmedProfile;
    if (nIface == m_nCmd) {
        if (armed != Armed::Cmd) return Violation("cmd read with no link or battery command before it");
        m_armed = Armed::None;
        EndTransaction(kAnswerGap, "command answer");
        std::copy(m_cmdAnswer.begin() + 1, m_cmdAnswer.end(), buf.begin() + 1);
        return;
    }
    if (nIface != m_nData) return Violation("feature read on " + Role(nIface) + ", which has none");
    if (armed != Armed::Block && armed != Armed::LiftOff)
        return Violation("data read with no block or lift-off command before it");
    m_armed = Armed::None;
    if (armed == Armed::Block) {
        EndTransaction(kAnswerGap, "general block");
        // The answer echoes the record header, then the block from byte 8.
        buf[1] = uint8_t(p << 4 | 1);
        buf[3] = BlockTag(m_mouse->Config().nKind);
        const auto block = m_armedAway ? AwayBlock(p) : m_mouse->Block(p);
        std::ranges::copy(block, buf.begin() + kPayloadAt);
        if (!m_armedAway) Carried(p, block);
        return;
    }
    EndTransaction(kAnswerGap, "lift-off level");
    buf[1] = uint8_t(0x50 | p);
    if (!m_armedAway) buf[kPayloadAt + 1] = uint8_t((m_mouse->LiftOffLevel(p) + 1) << 4);
}

// ---- CEmuReceiver ------------------------------------------------------------------------------

CEmuReceiver::CEmuReceiver(std::shared_ptr<CEmuW24Mouse> mouse, IClock& clock)
    : CEmuW24Link(std::move(mouse), false, clock)
{
}

void CEmuReceiver::LoseLinkAfter(int n)
{
    std::lock_guard lock(m_mtx);
    if (n <= 0) {
        m_bLinkLost = true;
        m_nLoseAfter = -1;
    } else {
        m_nLoseAfter = n;
    }
}

void CEmuReceiver::RestoreLink()
{
    std::lock_guard lock(m_mtx);
    m_bLinkLost = false;
    m_nLoseAfter = -1;
    m_nRestoreAfter = -1;
}

void CEmuReceiver::RestoreLinkAfter(int n)
{
    std::lock_guard lock(m_mtx);
    if (n <= 0) {
        m_bLinkLost = false;
        m_nRestoreAfter = -1;
    } else {
        m_nRestoreAfter = n;
    }
}

bool CEmuReceiver::MouseAway() const
{
    if (IsMouseOff()) return true;
    std::lock_guard lock(m_mtx);
    return m_bLinkLost;
}

void CEmuReceiver::CountTransfer()
{
    if (m_nLoseAfter > 0 && --m_nLoseAfter == 0) {
        m_nLoseAfter = -1;
        m_bLinkLost = true;
    } else if (m_bLinkLost && m_nRestoreAfter > 0 && --m_nRestoreAfter == 0) {
        m_nRestoreAfter = -1;
        m_bLinkLost = false;
    }
}

void CEmuReceiver::OnSetFeature(int nIface, std::span<const uint8_t> report)
{
    if (m_bLinkLost) OnSetFeatureMouseOff(nIface, report);
    else CEmuW24Link::OnSetFeature(nIface, report);
    CountTransfer();
}

void CEmuReceiver::OnGetFeature(int nIface, std::span<uint8_t> buf)
{
    m_armedAway = m_bLinkLost;
    CEmuW24Link::OnGetFeature(nIface, buf);
    m_armedAway = false;
    CountTransfer();
}

void CEmuReceiver::OnSetFeatureMouseOff(int nIface, std::span<const uint8_t> report)
{
    // The receiver answers the questions it can answer alone; records are dropped.
    if (nIface == m_nCmd) OnCommand(report, false);
}

void CEmuReceiver::OnGetFeatureMouseOff(int nIface, std::span<uint8_t> buf)
{
    m_armedAway = true;
    CEmuW24Link::OnGetFeature(nIface, buf);
    m_armedAway = false;
}

void CEmuReceiver::Carried(int p, std::span<const uint8_t> block)
{
    if (p >= 1 && p <= CEmuW24Mouse::kProfiles) std::ranges::copy(block, m_copy[size_t(p - 1)].begin());
}

std::array<uint8_t, CEmuW24Mouse::kBlockLen> CEmuReceiver::AwayBlock(int p) const
{
    if (!m_mouse->Config().bOffAnswersCopy || p < 1 || p > CEmuW24Mouse::kProfiles) return {};
    return m_copy[size_t(p - 1)];
}
