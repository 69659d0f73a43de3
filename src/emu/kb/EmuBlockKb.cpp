#include "emu/kb/EmuBlockKb.h"

#include <chrono>

#include "emu/EmuHex.h"

namespace {

constexpr EmuInterfaceDesc kCmd{"cmd", 5, 6, 0};
constexpr EmuInterfaceDesc kData{"data", 6, 1032, 0};
constexpr auto kAnswerGap = std::chrono::milliseconds(20);

}  // namespace

CEmuBlockKb::CEmuBlockKb(std::string strName, IClock& clock, const EmuUsbId& id)
    : CEmuDevice(std::move(strName), clock), m_nCmd(AddInterface(id, kCmd)), m_nData(AddInterface(id, kData))
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

bool CEmuBlockKb::AnswerRead(int nIface, std::span<uint8_t> buf, uint8_t& byAddr)
{
    if (nIface != m_nData) {
        Violation("feature read on " + Role(nIface) + ", which has none");
        return false;
    }
    if (m_nPendingRead < 0) {
        Violation("data read with no read command before it");
        return false;
    }
    const uint8_t byCmd = uint8_t(m_nPendingRead);
    byAddr = uint8_t(m_nPendingAddr);
    m_nPendingRead = m_nPendingAddr = -1;
    EndTransaction(kAnswerGap, "block " + Hex2(byCmd));
    buf[1] = m_nOtherCommand > 0 ? uint8_t(byCmd ^ 0x07) : byCmd;
    if (m_nOtherCommand > 0) --m_nOtherCommand;
    buf[2] = byAddr;
    return true;
}
