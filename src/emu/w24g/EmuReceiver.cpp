#include "emu/w24g/EmuReceiver.h"

#include <algorithm>

#include "emu/EmuHex.h"

namespace {

// The mouse's own numbers, kept apart from the host's on purpose: the
// emulator checks the host against the device's description, not against
// the host's idea of it.
constexpr uint8_t kCmdId = 5, kNotifyId = 7;
constexpr int kCmdLen = 8, kDataLen = 520, kNotifyLen = 8;
constexpr auto kAnswerGap = std::chrono::milliseconds(30);
constexpr uint8_t kMatrixTag = 80, kTrailer = 0xA5;
constexpr size_t kPayloadAt = 8;
constexpr size_t kBlockTrailerAt = 144;

std::string Hex2(unsigned v)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    return {kDigits[(v >> 4) & 0x0F], kDigits[v & 0x0F]};
}

HidDevInfo VendorInterface(const EmuW24Config& cfg, int nPID, int nId, int nFeature, int nInput)
{
    HidDevInfo i;
    i.nReportId = nId;
    i.nFeatureLen = nFeature;
    i.nInputLen = nInput;
    i.nUsagePage = 0xFF00;
    i.nUsage = 1;
    i.nVID = cfg.nVID;
    i.nPID = nPID;
    i.nVersion = cfg.nVersion;
    return i;
}

uint8_t BlockTag(int nKind) { return nKind == 4 ? 0x9F : 0x92; }

}  // namespace

// ---- CEmuW24Link ---------------------------------------------------------------------------

CEmuW24Link::CEmuW24Link(std::shared_ptr<CEmuW24Mouse> mouse, bool bCable, IClock& clock)
    : CEmuDevice(mouse->Config().strName + (bCable ? "-cable" : "-receiver"), clock), m_mouse(std::move(mouse)),
      m_bCable(bCable), m_byDataId(m_mouse->Config().nKind == 4 ? 6 : 8)
{
    const EmuW24Config& cfg = m_mouse->Config();
    const int nPID = bCable ? cfg.nPIDCable : cfg.nPIDReceiver;
    m_nCmd = AddInterface("cmd", VendorInterface(cfg, nPID, kCmdId, kCmdLen, 0));
    m_nData = AddInterface("data", VendorInterface(cfg, nPID, m_byDataId, kDataLen, 0));
    m_nNotify = AddInterface("notify", VendorInterface(cfg, nPID, kNotifyId, 0, kNotifyLen));
    if (cfg.bPointerInterface) {
        HidDevInfo ptr = VendorInterface(cfg, nPID, 0, 0, 8);
        ptr.nUsagePage = 1;  // generic desktop, mouse: the system's own
        ptr.nUsage = 2;
        AddInterface("pointer", ptr);
    }
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
    const uint8_t c = r[1], p1 = r[2];
    if (r[6] || r[7]) Violation("command " + Hex2(c) + ": bytes 6 and 7 not zero");
    const auto arm = [&](Armed what, int p) {
        m_armed = what;
        m_nArmedProfile = p;
        BeginTransaction();
    };
    switch (c) {
    case 0x11:
    case 0x21: arm(Armed::Block, c >> 4); return;
    case 0x51:
    case 0x52: arm(Armed::LiftOff, c & 0x0F); return;
    case 0x80: {
        const uint8_t by = !m_bCable && bMouseThere ? 1 : 0;
        m_cmdAnswer = {kCmdId, by, by, 0, 0, 0, 0, 0};
        arm(Armed::Cmd, 0);
        return;
    }
    case 0x90: {
        m_cmdAnswer = {kCmdId};
        if (bMouseThere) {
            const CEmuW24Mouse::State s = m_mouse->GetState();
            m_cmdAnswer = {kCmdId, uint8_t(s.bCable ? 0x10 : 0x11), uint8_t(s.nBattery), uint8_t(s.nVoltage),
                           uint8_t(s.nVoltage >> 8), 0, 0, 0};
        }
        arm(Armed::Cmd, 0);
        return;
    }
    case 0x02:
        if (p1 < 1 || p1 > 3) return Violation("mode command with mode " + std::to_string(p1) + ", 1 to 3 expected");
        if (bMouseThere) m_mouse->StoreMode(p1);
        return;
    case 0x1A:
        if (bMouseThere) m_mouse->StoreDebounce(p1);
        return;
    case 0x1B:
        if (bMouseThere) m_mouse->StoreLiftOff(p1);
        return;
    case 0x31: return Violation("command 31: the mouse has profiles 1 and 2 only");
    default: Violation("unknown command " + Hex2(c));
    }
}

void CEmuW24Link::OnRecord(std::span<const uint8_t> r)
{
    const std::string strKind = "record " + Hex2(r[1]);
    if (r[kDataLen - 1] != 0) Violation(strKind + ": last byte " + Hex2(r[kDataLen - 1]) + ", not 00");
    if (r[4] || r[5] || r[6] || r[7]) Violation(strKind + ": header bytes 3 to 6 not zero");
    const int nKind = m_mouse->Config().nKind;
    const uint8_t kind = r[1];
    if (kind == 0x11 || kind == 0x21) {
        const uint8_t byTag = BlockTag(nKind);
        if (r[2] != 0 || r[3] != byTag)
            return Violation(strKind + ": tag " + Hex2(r[2]) + " " + Hex2(r[3]) + ", not 00 " + Hex2(byTag));
        const std::span<const uint8_t> block = r.subspan(kPayloadAt, CEmuW24Mouse::kBlockLen);
        if (block[0] != 0x64) return Violation(strKind + ": block starts with " + Hex2(block[0]) + ", not 64");
        if (block[kBlockTrailerAt] != kTrailer)
            return Violation(strKind + ": block byte 144 is " + Hex2(block[kBlockTrailerAt]) + ", not a5");
        m_mouse->StoreBlock(kind >> 4, block);
        Carried(kind >> 4, m_mouse->Block(kind >> 4));
        return;
    }
    if (kind == 0x12 || kind == 0x22) {
        if (r[2] != 0 || r[3] != kMatrixTag)
            return Violation(strKind + ": tag " + Hex2(r[2]) + " " + Hex2(r[3]) + ", not 00 50");
        const size_t nTrailer = kPayloadAt + CEmuW24Mouse::kMatrixLen;
        if (nKind == 5 && r[nTrailer] != kTrailer)
            return Violation(strKind + ": byte after the matrix is " + Hex2(r[nTrailer]) + ", not a5");
        if (nKind != 5 && r[nTrailer] != 0)
            Violation(strKind + ": byte after the matrix is " + Hex2(r[nTrailer]) + ", this kind takes none");
        m_mouse->StoreMatrix(kind >> 4, r.subspan(kPayloadAt, CEmuW24Mouse::kMatrixLen));
        return;
    }
    if (kind == 0x30) {
        if (r[2] != 2 || r[3] != 0) return Violation(strKind + ": tag " + Hex2(r[2]) + " " + Hex2(r[3]) + ", not 02 00");
        const int n = r[8];
        if (n < 1 || n > CEmuW24Mouse::kBufferMax)
            return Violation("macro buffer " + std::to_string(n) + ", the mouse has 1 to 20");
        m_mouse->StoreMacro(n, r.subspan(9, CEmuW24Mouse::kMacroLen));
        return;
    }
    if (kind == 0x31 || kind == 0x32) return Violation(strKind + ": the mouse has profiles 1 and 2 only");
    Violation("unknown " + strKind);
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
