#include "device/ApplyWorker.h"

#include "core/Log.h"
#include "device/HidDev.h"

namespace {

// The job's progress windows as one target (requests combined into one job
// each brought their own).
class CFanOut final : public IMsgTarget {
public:
    explicit CFanOut(const std::vector<std::shared_ptr<IMsgTarget>>& targets) : m_targets(targets) {}
    void Post(uint32_t nMsg, uintptr_t wParam, intptr_t lParam) override
    {
        for (const auto& p : m_targets) p->Post(nMsg, wParam, lParam);
    }

private:
    const std::vector<std::shared_ptr<IMsgTarget>>& m_targets;
};

unsigned LowBits(const void* p) { return unsigned(reinterpret_cast<uintptr_t>(p)); }

}  // namespace

CApplyWorker::CApplyWorker(CHidDev& dev, IClock& clock, INoticeSink& notices, IMsgTarget* pMainWnd,
                           ApplyWorkerCfg cfg)
    : m_dev(dev), m_clock(clock), m_notices(notices), m_pMainWnd(pMainWnd), m_cfg(std::move(cfg))
{
}

CApplyWorker::~CApplyWorker() { Stop(); }

void CApplyWorker::Start()
{
    {
        std::lock_guard lock(m_mtx);
        if (m_bStopped) return;
    }
    if (m_thread.joinable()) return;
    m_thread = std::jthread([this](std::stop_token stop) { Run(stop); });
}

bool CApplyWorker::RequestApply(uint32_t nFlags, std::unique_ptr<ApplySnapshot> snap,
                                std::shared_ptr<IMsgTarget> pProgress)
{
    if (!snap || nFlags == 0) {
        LogPrintf("RequestApply: nothing to write (nFlag=0x%x)", nFlags);
        return false;
    }
    {
        std::lock_guard lock(m_mtx);
        if (m_bStopped) return false;
        m_pending.nFlags |= nFlags;
        m_pending.snap = std::move(snap);  // the newest state holds every earlier change
        if (pProgress) m_pending.progress.push_back(std::move(pProgress));
    }
    m_cv.notify_all();
    return true;
}

void CApplyWorker::Stop()
{
    Job dropped;
    {
        std::lock_guard lock(m_mtx);
        if (m_bStopped) return;
        m_bStopped = true;
        dropped = std::move(m_pending);
        m_pending = Job{};
    }
    if (m_thread.joinable()) {
        m_thread.request_stop();  // wakes the wait and cuts the running job's pauses short
        m_thread.join();
    }
    if (dropped.nFlags) {
        LogPrintf("ApplyThread: job 0x%x dropped at exit", dropped.nFlags);
        Finish(dropped, false);
    }
    m_cv.notify_all();  // wakes WaitIdle callers
}

bool CApplyWorker::IsBusy() const
{
    std::lock_guard lock(m_mtx);
    return m_bBusy;
}

void CApplyWorker::WaitIdle()
{
    std::unique_lock lock(m_mtx);
    m_cv.wait(lock, [this] { return !m_bBusy && (m_pending.nFlags == 0 || m_bStopped); });
}

int CApplyWorker::JobsDone() const
{
    std::lock_guard lock(m_mtx);
    return m_nDone;
}

void CApplyWorker::Run(std::stop_token stop)
{
    LogPrintf("ApplyThread Start");
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mtx);
            if (!m_cv.wait(lock, stop, [this] { return m_pending.nFlags != 0; })) break;
            if (!(m_pending.nFlags & kApplyProgress)) {
                lock.unlock();
                const bool bGo = m_clock.SleepUnless(kApplyGather, stop);
                lock.lock();
                if (!bGo) break;
            }
            job = std::move(m_pending);
            m_pending = Job{};
            m_bBusy = true;
        }
        const bool bOk = RunJob(job, stop);
        Finish(job, bOk);
        {
            std::lock_guard lock(m_mtx);
            m_bBusy = false;
            ++m_nDone;
        }
        m_cv.notify_all();
    }
    LogPrintf("ApplyThread exit");
}

bool CApplyWorker::RunJob(Job& job, std::stop_token stop)
{
    const bool bConnected = m_dev.IsConnected();
    const bool bGoWithNoDev = job.snap->opt.bGoWithNoDev;
    LogPrintf("Start Apply: hDevice=0x%x, nFlag=0x%x, hWnd=0x%x, bGoNoDev=%x", unsigned(bConnected), job.nFlags,
              LowBits(job.progress.empty() ? nullptr : job.progress.front().get()), unsigned(bGoWithNoDev));
    if (!bConnected && !bGoWithNoDev) {
        // The job cannot be written; closing the progress window alone would
        // look like success.
        LogPrintf("Apply: no device");
        m_notices.Notice(kApplyFailedText, u"Error");
        return false;
    }
    if (m_cfg.bCheckLink && !LinkAllowsJob()) return false;

    CFanOut fan(job.progress);
    IMsgTarget* pProgress = job.progress.empty() ? nullptr : &fan;
    if (pProgress) pProgress->Post(kMsgApplyProgress, 20, 0);
    const int nResult = m_dev.ApplySetting(*job.snap, pProgress, kMsgApplyProgress, job.nFlags, stop);
    if (nResult == 0) {
        if (stop.stop_requested()) {
            LogPrintf("Apply stopped at exit");
        } else {
            m_notices.Notice(kApplyFailedText, u"Error");
        }
        return false;
    }
    if (pProgress) pProgress->Post(kMsgApplyProgress, 100, 0);
    return true;
}

bool CApplyWorker::LinkAllowsJob()
{
    ILinkState* pLink = m_dev.Link();
    if (!pLink || !pLink->IsWireless()) return true;
    const IClock::TimePoint tNow = m_clock.Now();
    if (m_bLinkChecked && tNow - m_tLinkOk < kLinkCheckValid) return true;
    bool bOnline = false;
    if (!pLink->GetOnline(bOnline)) return true;  // could not ask: the job's own transfers will tell
    if (bOnline) {
        m_bLinkChecked = true;
        m_tLinkOk = tNow;
        return true;
    }
    LogPrintf("Apply: the mouse behind the receiver does not answer");
    m_notices.Notice(m_cfg.strOffline, u" ");
    return false;
}

void CApplyWorker::Finish(const Job& job, bool bOk)
{
    for (const auto& p : job.progress) p->Post(kMsgApplyDone, bOk ? 1 : 0, intptr_t(job.nFlags));
    if (m_pMainWnd) m_pMainWnd->Post(kMsgApplyDone, bOk ? 1 : 0, intptr_t(job.nFlags));
    LogPrintf("Apply Over");
}
