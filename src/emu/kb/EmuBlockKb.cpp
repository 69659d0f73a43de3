#include "emu/kb/EmuBlockKb.h"

#include <algorithm>
#include <chrono>

#include "emu/EmuHex.h"

namespace {

constexpr EmuInterfaceDesc kCmd{"cmd", 5, 6, 0};
constexpr EmuInterfaceDesc kData{"data", 6, 1032, 0};
constexpr auto kAnswerGap = std::chrono::milliseconds(20);

}  // namespace

CEmuBlockKb::CEmuBlockKb(std::string strName, IClock& clock, const EmuUsbId& id)
    : CEmuKb(std::move(strName), clock), m_nCmd(AddInterface(id, kCmd)), m_nData(AddInterface(id, kData))
{
}

void CEmuBlockKb::AnswerOtherCommand(int n)
{
    std::lock_guard lock(m_mtx);
    m_nOtherCommand = n;
}

void CEmuBlockKb::SetUnreadable(int nAddr)
{
    std::lock_guard lock(m_mtx);
    m_nUnreadable = nAddr;
}

bool CEmuBlockKb::RefusesGet(int nIface) const
{
    return nIface == m_nData && m_nUnreadable >= 0 && m_nPendingAddr == m_nUnreadable;
}

void CEmuBlockKb::OnReadCommand(std::span<const uint8_t> r)
{
    if (r[3] || r[4] || r[5]) Violation("cmd " + EmuHex(r) + ": bytes 3 to 5 must be 0");
    const uint8_t byCmd = r[1], byAddr = r[2];
    if (!(byCmd & kRead) || !CanRead(uint8_t(byCmd & ~kRead), byAddr)) {
        m_nPendingRead = -1;
        return Violation("cmd: no read " + Hex2(byCmd) + " at address " + Hex2(byAddr));
    }
    m_nPendingRead = byCmd;
    m_nPendingAddr = byAddr;
    BeginTransaction();
}

void CEmuBlockKb::OnSetFeature(int nIface, std::span<const uint8_t> report)
{
    if (nIface == m_nCmd) return OnReadCommand(report);
    if (nIface == m_nData) return OnData(report);
    OnOtherSet(nIface, report);
}

void CEmuBlockKb::OnOtherSet(int nIface, std::span<const uint8_t>)
{
    Violation("feature report on " + Role(nIface) + ", which takes none");
}

void CEmuBlockKb::OnGetFeature(int nIface, std::span<uint8_t> buf)
{
    std::fill(buf.begin() + 1, buf.end(), uint8_t{0});
    if (AnswerOther(nIface, buf)) return;
    if (nIface != m_nData) return Violation("feature read on " + Role(nIface) + ", which has none");
    if (m_nPendingRead < 0) return Violation("data read with no read command before it");
    const uint8_t byCmd = uint8_t(m_nPendingRead);
    const uint8_t byAddr = uint8_t(m_nPendingAddr);
    m_nPendingRead = m_nPendingAddr = -1;
    EndTransaction(kAnswerGap, "block " + Hex2(byCmd));
    buf[1] = m_nOtherCommand > 0 ? uint8_t(byCmd ^ 0x07) : byCmd;
    if (m_nOtherCommand > 0) --m_nOtherCommand;
    buf[2] = byAddr;
    AnswerBlock(byAddr, buf);
}
