#include "device/HidDrv.h"

#include "core/Log.h"

std::unique_ptr<IHidHandle> CHidDrv::OpenPath(const std::string& strPath)
{
    std::unique_ptr<IHidHandle> h = m_backend.Open(strPath);
    if (!h) {
        LogPrintf("CHidDrv: cannot open %s", strPath.c_str());
        m_bDenied = true;
    }
    return h;
}

void CHidDrv::CloseHandle(std::unique_ptr<IHidHandle>& h)
{
    std::unique_ptr<IHidHandle> old;
    CmdLock lock = LockCmd();
    old = std::move(h);
}

bool CHidDrv::SendFeature(const std::unique_ptr<IHidHandle>& h, std::span<const uint8_t> report, const char* pszName)
{
    CmdLock lock = LockCmd();
    return SetFeatureTries(h.get(), m_clock, report, pszName);
}

bool CHidDrv::GetFeature(const std::unique_ptr<IHidHandle>& h, std::span<uint8_t> buf, const char* pszName)
{
    CmdLock lock = LockCmd();
    return GetFeatureTries(h.get(), m_clock, buf, pszName);
}

bool CHidDrv::WriteOutput(const std::unique_ptr<IHidHandle>& h, std::span<const uint8_t> report, const char* pszName)
{
    CmdLock lock = LockCmd();
    return WriteOutputTries(h.get(), m_clock, report, pszName);
}

bool CHidDrv::Transact(const std::unique_ptr<IHidHandle>& hCmd, std::span<const uint8_t> cmd, const char* pszSendName,
                       const std::unique_ptr<IHidHandle>& hAns, std::span<uint8_t> answer, const char* pszGetName,
                       IClock::Duration delay)
{
    CmdLock lock = LockCmd();
    if (!SetFeatureTries(hCmd.get(), m_clock, cmd, pszSendName)) return false;
    m_clock.Sleep(delay);
    return GetFeatureTries(hAns.get(), m_clock, answer, pszGetName);
}
