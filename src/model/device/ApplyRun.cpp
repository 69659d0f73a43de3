#include "device/ApplyRun.h"

#include "core/Utf.h"

CApplyRunBase::CApplyRunBase(CHidDev& dev, ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg,
                             std::stop_token stop)
    : m_dev(dev), m_snap(snap), m_pProgress(pProgress), m_nMsg(nMsg), m_stop(std::move(stop)),
      m_bGoOn(snap.opt.bGoWithNoDev), m_bHadDevice(dev.IsConnected())
{
}

bool CApplyRunBase::Begin(const char* pszName)
{
    LogPrintf("%s", pszName);
    if (m_snap.pro.nID == 0) return false;
    if (!m_pProgress) LogPrintf("hWnd=0");
    if (m_snap.bReset) LogPrintf("Apply Reset...");
    return true;
}

bool CApplyRunBase::Failed(const std::string& strLog)
{
    LogPrintf("%s", strLog.c_str());
    m_bFailed = true;
    return m_bGoOn;
}

void CApplyRunBase::Progress(int nPercent)
{
    if (m_pProgress) m_pProgress->Post(m_nMsg, uintptr_t(nPercent), 0);
}

bool CApplyRunBase::Pause(IClock::Duration d)
{
    if (m_bStopped) return false;
    if (!m_dev.Drv().Clock().SleepUnless(d, m_stop)) m_bStopped = true;
    return !m_bStopped;
}

void CApplyRunBase::Notice(const std::vector<std::string>& lines)
{
    if (lines.empty()) return;
    std::string strText;
    for (const std::string& s : lines) strText.append(strText.empty() ? "" : "\n").append(s);
    m_dev.Notices().Notice(Utf8ToU16(strText), u"");
}

void CApplyRunBase::Notice(std::u16string_view text, std::u16string_view caption)
{
    m_dev.Notices().Notice(text, caption);
}

int CApplyRunBase::Finish(bool bDone, const ApplyTiming& timing)
{
    if (bDone && !m_bStopped) {
        Progress(100);
        Pause(timing.done);
    }
    if (m_bBuffersWritten && !m_bStopped) Pause(timing.settle);
    if (m_bStopped) return 0;
    return bDone && !(m_bFailed && m_bHadDevice) ? 1 : 0;
}
