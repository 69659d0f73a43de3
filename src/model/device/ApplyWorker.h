// The apply worker of one device family: a thread that writes profiles to the
// device while the user interface stays responsive. Each request carries a
// snapshot made by the user-interface thread (ApplySnapshot.h) and, for a full
// apply, the progress window that waits for it. Requests made while one is
// waiting are combined: their flags are OR-ed (nothing asked for is lost), the
// newest snapshot is written, and every waiting progress window gets the
// result. The worker reports through the message target and IPrompt only.
//
// Messages: kMsgApplyProgress (percentage) to the job's progress windows, and
// kMsgApplyDone (wParam 1 success, 0 failure; lParam the job's flags) to them
// and to the main window when the job ends.
//
// The worker never waits for the user: "   Update settings failed!      " and
// the offline text go to the notice sink, which only hands them over. So Stop
// can always join the thread, also after the event loop has ended.
//
// Lock order: m_mtx is taken alone; no call into the device, the prompt or a
// message target is made while holding it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "core/INoticeSink.h"
#include "device/ApplySnapshot.h"
#include "device/IClock.h"
#include "device/IMsgTarget.h"

class CHidDev;

// Whether a job runs without a device (GoWithNoDev) travels in each job's snapshot.
struct ApplyWorkerCfg {
    bool bCheckLink = false;     // receiver mouse: ask whether the mouse answers before a job
    std::u16string strOffline;   // shown when it does not (the catalogue's fifth battery text)
};

constexpr char16_t kApplyFailedText[] = u"   Update settings failed!      ";
// A link check younger than this is trusted without asking again.
constexpr std::chrono::milliseconds kLinkCheckValid{10000};
// A job without a progress window waits this long first, so that a burst of
// immediate changes (a slider being dragged) becomes one job.
constexpr std::chrono::milliseconds kApplyGather{50};

class CApplyWorker {
public:
    // pMainWnd (may be null) must accept messages until Stop has returned.
    CApplyWorker(CHidDev& dev, IClock& clock, INoticeSink& notices, IMsgTarget* pMainWnd, ApplyWorkerCfg cfg);
    // Stops and joins the thread.
    ~CApplyWorker();
    CApplyWorker(const CApplyWorker&) = delete;
    CApplyWorker& operator=(const CApplyWorker&) = delete;

    // Starts the thread (StartApplyWorker); a second call does nothing.
    void Start();
    // Queues a job (RequestApply). pProgress, when given, receives the
    // job's progress and its kMsgApplyDone; the worker shares its ownership
    // until then, so a window that closes early leaves a live target behind.
    // A null snapshot is refused (false).
    bool RequestApply(uint32_t nFlags, std::unique_ptr<ApplySnapshot> snap,
                      std::shared_ptr<IMsgTarget> pProgress = nullptr);
    // The exit event: waiting jobs are dropped (their progress windows get a
    // failed kMsgApplyDone), the running job's long pauses are cut short, the
    // thread is joined. Calls after the first do nothing.
    void Stop();

    // A job is running.
    bool IsBusy() const;
    // Blocks until no job runs or waits (command-line tool, tests).
    void WaitIdle();
    // Jobs run to the end since Start.
    int JobsDone() const;

private:
    struct Job {
        uint32_t nFlags = 0;
        std::unique_ptr<ApplySnapshot> snap;
        std::vector<std::shared_ptr<IMsgTarget>> progress;
    };

    void Run(std::stop_token stop);
    bool RunJob(Job& job, std::stop_token stop);
    void Finish(const Job& job, bool bOk);
    bool LinkAllowsJob();

    CHidDev& m_dev;
    IClock& m_clock;
    INoticeSink& m_notices;
    IMsgTarget* const m_pMainWnd;
    const ApplyWorkerCfg m_cfg;

    mutable std::mutex m_mtx;
    std::condition_variable_any m_cv;
    Job m_pending;                  // guarded by m_mtx; nFlags 0 = nothing waits
    bool m_bBusy = false;           // guarded by m_mtx
    bool m_bStopped = false;        // guarded by m_mtx
    int m_nDone = 0;                // guarded by m_mtx

    // Worker thread only.
    bool m_bLinkChecked = false;
    IClock::TimePoint m_tLinkOk{};

    std::jthread m_thread;          // Start and Stop run on one thread (the owner's)
};
