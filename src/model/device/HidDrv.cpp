#include "device/HidDrv.h"

#include <cerrno>
#include <utility>

void CHidDrv::Install(HidRole role, std::unique_ptr<IHidHandle> h)
{
    std::unique_ptr<IHidHandle> old;
    {
        CmdLock lock = LockCmd();
        old = std::exchange(m_handles[size_t(role)], std::move(h));
    }
    // The old handle closes outside the lock; nothing can reach it any more.
}

void CHidDrv::CloseAll()
{
    std::array<std::unique_ptr<IHidHandle>, kHidRoleCount> old;
    {
        CmdLock lock = LockCmd();  // waits for a transaction in progress to end
        old.swap(m_handles);
    }
}

bool CHidDrv::IsOpen(HidRole role) const
{
    CmdLock lock = LockCmd();
    return HandleLocked(role) != nullptr;
}

IHidHandle* CHidDrv::HandleForListener(HidRole role) const
{
    CmdLock lock = LockCmd();
    return HandleLocked(role);
}

bool CHidDrv::SendFeature(HidRole role, std::span<const uint8_t> report, const char* pszName, IClock::Duration gap)
{
    CmdLock lock = LockCmd();
    return SetFeatureTries(HandleLocked(role), m_clock, report, pszName, gap);
}

bool CHidDrv::GetFeature(HidRole role, std::span<uint8_t> buf, const char* pszName, IClock::Duration gap)
{
    CmdLock lock = LockCmd();
    return GetFeatureTries(HandleLocked(role), m_clock, buf, pszName, gap);
}

bool CHidDrv::WriteOutput(HidRole role, std::span<const uint8_t> report, const char* pszName)
{
    CmdLock lock = LockCmd();
    return WriteOutputTries(HandleLocked(role), m_clock, report, pszName);
}

bool CHidDrv::Transact(HidRole cmdRole, std::span<const uint8_t> cmd, const char* pszSendName, HidRole ansRole,
                       std::span<uint8_t> answer, const char* pszGetName, IClock::Duration gap)
{
    CmdLock lock = LockCmd();
    if (!SetFeatureTries(HandleLocked(cmdRole), m_clock, cmd, pszSendName)) return false;
    m_clock.Sleep(gap);
    return GetFeatureTries(HandleLocked(ansRole), m_clock, answer, pszGetName);
}

int CHidDrv::LastError(HidRole role) const
{
    CmdLock lock = LockCmd();
    const IHidHandle* h = HandleLocked(role);
    return h ? h->LastError() : ENODEV;
}
