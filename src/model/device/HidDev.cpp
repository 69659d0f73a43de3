#include "device/HidDev.h"

#include "device/ApplySnapshot.h"
#include "device/HidTransfer.h"

CHidDev::CHidDev(IHidBackend& backend, IClock& clock, IPrompt& prompt, int nFwType)
    : m_backend(backend), m_clock(clock), m_prompt(prompt), m_nFwType(nFwType)
{
}

CHidDev::~CHidDev() { CloseBaseHandles(); }

void CHidDev::ClearHandle() { CloseBaseHandles(); }

void CHidDev::CloseBaseHandles()
{
    // The listener reads the notify handle: end it before the handle goes.
    m_listener.Stop();
    std::unique_ptr<IHidHandle> cmd, data, notify;
    {
        CmdLock lock = LockCmd();  // waits for a transaction in progress to end
        cmd = std::move(m_hCmd);
        data = std::move(m_hData);
        notify = std::move(m_hNotify);
    }
    // Closed outside the lock; nothing can reach them any more.
}

IHidHandle* CHidDev::GetHandle()
{
    CmdLock lock = LockCmd();
    return m_hCmd.get();
}

int CHidDev::InitialDriver(IMsgTarget* pWnd)
{
    m_hWnd = pWnd;
    m_listener.Stop();
    CmdLock lock = LockCmd();
    if (m_hNotify) m_listener.Start(*m_hNotify, pWnd, m_byInputId, m_nInputLen);
    return 1;
}

int CHidDev::StopDriver()
{
    m_listener.Stop();
    return 1;
}

void CHidDev::SetHandle(HidRole role, std::unique_ptr<IHidHandle> h)
{
    std::unique_ptr<IHidHandle> old;
    {
        CmdLock lock = LockCmd();
        std::unique_ptr<IHidHandle>& slot =
            role == HidRole::Cmd ? m_hCmd : role == HidRole::Data ? m_hData : m_hNotify;
        // Replacing the handle the listener reads would pull it from under the
        // thread: stop the listener with it.
        if (role == HidRole::Notify && slot.get() != h.get()) m_listener.Stop();
        old = std::move(slot);
        slot = std::move(h);
    }
}

bool CHidDev::HasHandle(HidRole role) const
{
    CmdLock lock = LockCmd();
    return HandleLocked(role) != nullptr;
}

IHidHandle* CHidDev::HandleLocked(HidRole role) const
{
    switch (role) {
    case HidRole::Cmd: return m_hCmd.get();
    case HidRole::Data: return m_hData.get();
    case HidRole::Notify: return m_hNotify.get();
    }
    return nullptr;
}

bool CHidDev::SendFeature(HidRole role, std::span<const uint8_t> report, const char* pszName)
{
    CmdLock lock = LockCmd();
    return SetFeatureTries(HandleLocked(role), m_clock, report, pszName);
}

bool CHidDev::GetFeature(HidRole role, std::span<uint8_t> buf, const char* pszName)
{
    CmdLock lock = LockCmd();
    return GetFeatureTries(HandleLocked(role), m_clock, buf, pszName);
}

bool CHidDev::WriteOutput(HidRole role, std::span<const uint8_t> report, const char* pszName)
{
    CmdLock lock = LockCmd();
    return WriteOutputTries(HandleLocked(role), m_clock, report, pszName);
}

bool CHidDev::Transact(HidRole cmdRole, std::span<const uint8_t> cmd, const char* pszSendName, HidRole ansRole,
                       std::span<uint8_t> answer, const char* pszGetName)
{
    CmdLock lock = LockCmd();
    if (!SendFeature(cmdRole, cmd, pszSendName)) return false;
    CmdDelay();
    return GetFeature(ansRole, answer, pszGetName);
}
