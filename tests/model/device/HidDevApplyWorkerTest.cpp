// The apply worker: combined requests, progress, failures, the link check, stop.
#include <gtest/gtest.h>

#include <cstring>
#include <future>

#include "FakeHid.h"
#include "TestDev.h"
#include "device/ApplyWorker.h"

using namespace fake;
using namespace std::chrono_literals;

namespace {

// One gate the scripted apply step waits at, opened by the test.
class CGate {
public:
    void Open()
    {
        {
            std::lock_guard l(m_mtx);
            m_bOpen = true;
        }
        m_cv.notify_all();
    }
    void Pass()
    {
        std::unique_lock l(m_mtx);
        m_bReached = true;
        m_cv.notify_all();
        m_cv.wait(l, [this] { return m_bOpen; });
    }
    bool WaitReached()
    {
        std::unique_lock l(m_mtx);
        return m_cv.wait_for(l, 5s, [this] { return m_bReached; });
    }

private:
    std::mutex m_mtx;
    std::condition_variable m_cv;
    bool m_bOpen = false;
    bool m_bReached = false;
};

struct Fixture {
    CClock clock;
    CBackend backend;
    CNoticeQueue notices;
    CTarget mainWnd;
    std::shared_ptr<CPort> cmd = std::make_shared<CPort>(&clock);
    CTestDev dev{backend, clock, notices};
    ProfileRecord pro{};
    explicit Fixture(bool bConnected = true)
    {
        if (bConnected) dev.SetHandle(HidRole::Cmd, OpenOn(cmd));
        pro.dwMagic = kProfileMagic;
        pro.nID = 7;
        pro.Ms.Mode[0].nRate = 0x1000;
    }
    bool bGoWithNoDev = false;
    std::unique_ptr<ApplySnapshot> Snap(int nRate = 0x1000)
    {
        pro.Ms.Mode[0].nRate = nRate;
        const int levels[kMsModeCount] = {1, 0, 2};
        auto snap = MakeApplySnapshot(pro, CMacroList(), CMacroList(), nullptr, 0x3360, levels, 0, false);
        snap->opt.bGoWithNoDev = bGoWithNoDev;
        return snap;
    }
};

std::vector<uint32_t> FlagsOf(const std::vector<CTestDev::ApplyCall>& calls)
{
    std::vector<uint32_t> v;
    for (const auto& c : calls) v.push_back(c.nFlags);
    return v;
}

// Changes made while a job runs are OR-combined into one more job, which
// writes the newest profile state; nothing asked for is lost.
TEST(HidDevApplyWorker, RequestsWhileBusyAreCombined)
{
    Fixture f;
    CGate gate;
    f.dev.SetApply([&](CTestDev&, ApplySnapshot&, IMsgTarget*, uint32_t nFlags, std::stop_token) {
        if (nFlags == kApplyLod) gate.Pass();
        return 1;
    });
    CApplyWorker worker(f.dev, f.clock, f.notices, &f.mainWnd, {});
    worker.Start();
    ASSERT_TRUE(worker.RequestApply(kApplyLod, f.Snap(0x125)));
    ASSERT_TRUE(gate.WaitReached());
    EXPECT_TRUE(worker.IsBusy());
    ASSERT_TRUE(worker.RequestApply(kApplyGeneral, f.Snap(0x250)));
    ASSERT_TRUE(worker.RequestApply(kApplyLed, f.Snap(0x500)));
    gate.Open();
    worker.WaitIdle();
    const auto calls = f.dev.Calls();
    EXPECT_EQ(FlagsOf(calls), (std::vector<uint32_t>{kApplyLod, kApplyGeneral | kApplyLed}));
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].pro.Ms.Mode[0].nRate, 0x500);
    EXPECT_EQ(worker.JobsDone(), 2);
    EXPECT_TRUE(f.notices.Entries().empty());
}

TEST(HidDevApplyWorker, FullApplyReportsProgressAndItsResult)
{
    CLogCapture log;
    Fixture f;
    CTarget progress;
    CApplyWorker worker(f.dev, f.clock, f.notices, &f.mainWnd, {});
    worker.Start();
    ASSERT_TRUE(worker.RequestApply(kApplyFullMouse, f.Snap(), Borrow(progress)));
    worker.WaitIdle();
    EXPECT_EQ(progress.Msgs(), (std::vector<Msg>{{kMsgApplyProgress, 20, 0},
                                                 {kMsgApplyProgress, 60, 0},
                                                 {kMsgApplyProgress, 100, 0},
                                                 {kMsgApplyDone, 1, intptr_t(kApplyFullMouse)}}));
    EXPECT_EQ(f.mainWnd.Msgs(), (std::vector<Msg>{{kMsgApplyDone, 1, intptr_t(kApplyFullMouse)}}));
    // A job with a progress window starts at once; the full mouse job includes debounce.
    EXPECT_TRUE(f.clock.Sleeps().empty());
    EXPECT_TRUE(log.HasPrefix("Start Apply: hDevice=0x"));
    EXPECT_EQ(log.Count("Apply Over"), 1);
}

// A transfer that keeps failing ends the job with the message, once, and
// neither the caller's profile record nor anything else of the caller changes.
TEST(HidDevApplyWorker, FailingTransferShowsTheMessageAndKeepsTheProfile)
{
    CLogCapture log;
    Fixture f;
    f.cmd->FailAlways(true);
    f.cmd->SetError(110);
    f.dev.SetApply([](CTestDev& dev, ApplySnapshot& snap, IMsgTarget*, uint32_t, std::stop_token) {
        snap.pro.Ms.Mode[0].nRate = 0x7777;  // the job's own copy; scribbling on it is allowed
        const uint8_t cmd[6] = {0x05, 0x11, 0, 0, 0, 0};
        return dev.SendFeature(HidRole::Cmd, cmd, "SendCmd") ? 1 : 0;
    });
    const ProfileRecord before = f.pro;
    CTarget progress;
    CApplyWorker worker(f.dev, f.clock, f.notices, &f.mainWnd, {});
    worker.Start();
    ASSERT_TRUE(worker.RequestApply(kApplyFullMouse, f.Snap(), Borrow(progress)));
    worker.WaitIdle();
    EXPECT_EQ(std::memcmp(&before, &f.pro, sizeof before), 0);
    ASSERT_EQ(f.notices.Entries().size(), 1u);
    EXPECT_EQ(f.notices.Entries()[0].text, u"   Update settings failed!      ");
    EXPECT_EQ(f.notices.Entries()[0].caption, u"Error");
    EXPECT_EQ(log.Count("SendCmd err=110"), 1);
    EXPECT_EQ(f.cmd->CountOp("setf"), 3);
    EXPECT_EQ(progress.Msgs().back(), (Msg{kMsgApplyDone, 0, intptr_t(kApplyFullMouse)}));
}

// The device is unplugged in the middle of a job: the remaining transfers
// fail, the job ends with the message and the worker takes the next job.
TEST(HidDevApplyWorker, UnplugDuringApplyEndsTheJobCleanly)
{
    CLogCapture log;
    Fixture f;
    CGate gate;
    f.dev.SetApply([&](CTestDev& dev, ApplySnapshot&, IMsgTarget*, uint32_t, std::stop_token) {
        const uint8_t cmd[6] = {0x05, 0x11, 0, 0, 0, 0};
        for (int i = 0; i < 20; ++i) {
            if (i == 3) gate.Pass();
            if (!dev.SendFeature(HidRole::Cmd, cmd, "SendCmd")) return 0;
        }
        return 1;
    });
    CApplyWorker worker(f.dev, f.clock, f.notices, &f.mainWnd, {});
    worker.Start();
    ASSERT_TRUE(worker.RequestApply(kApplyGeneral, f.Snap()));
    ASSERT_TRUE(gate.WaitReached());
    f.cmd->Unplug();
    f.dev.ClearHandle();  // the main window's answer to the unplug, while the job runs
    gate.Open();
    worker.WaitIdle();
    EXPECT_EQ(f.cmd->CountOp("setf"), 3);
    EXPECT_EQ(f.cmd->OpenHandles(), 0);
    ASSERT_EQ(f.notices.Entries().size(), 1u);
    EXPECT_EQ(f.notices.Entries()[0].text, kApplyFailedText);
    EXPECT_EQ(f.mainWnd.Msgs(), (std::vector<Msg>{{kMsgApplyDone, 0, intptr_t(kApplyGeneral)}}));
    EXPECT_FALSE(worker.IsBusy());
}

// Without a device the job is not silently dropped; with GoWithNoDev it runs.
TEST(HidDevApplyWorker, NoDeviceReportsTheFailureUnlessGoWithNoDev)
{
    for (bool bGo : {false, true}) {
        SCOPED_TRACE(bGo);
        CLogCapture log;
        Fixture f(false);
        CTarget progress;
        f.bGoWithNoDev = bGo;
        CApplyWorker worker(f.dev, f.clock, f.notices, &f.mainWnd, {});
        worker.Start();
        ASSERT_TRUE(worker.RequestApply(kApplyFullMouse, f.Snap(), Borrow(progress)));
        worker.WaitIdle();
        EXPECT_EQ(f.dev.Calls().size(), bGo ? 1u : 0u);
        EXPECT_EQ(f.notices.Entries().size(), bGo ? 0u : 1u);
        EXPECT_TRUE(log.HasPrefix("Start Apply: hDevice=0x0, nFlag=0x806f, hWnd=0x"));
        EXPECT_EQ(log.Count("Apply: no device"), bGo ? 0 : 1);
        EXPECT_EQ(progress.Msgs().back(), (Msg{kMsgApplyDone, bGo ? 1u : 0u, intptr_t(kApplyFullMouse)}));
    }
}

// A receiver mouse that is switched off: the offline text, nothing written.
// A successful link check is trusted for 10 s.
TEST(HidDevApplyWorker, ReceiverMouseLinkCheck)
{
    Fixture f;
    f.dev.SetWireless(true);
    ApplyWorkerCfg cfg;
    cfg.bCheckLink = true;
    cfg.strOffline = u"The mouse is off";
    CApplyWorker worker(f.dev, f.clock, f.notices, &f.mainWnd, cfg);
    worker.Start();

    f.dev.SetOnline(0);
    ASSERT_TRUE(worker.RequestApply(kApplyFullMouse, f.Snap()));
    worker.WaitIdle();
    EXPECT_TRUE(f.dev.Calls().empty());
    ASSERT_EQ(f.notices.Entries().size(), 1u);
    EXPECT_EQ(f.notices.Entries()[0].text, u"The mouse is off");
    EXPECT_EQ(f.notices.Entries()[0].caption, u" ");

    f.dev.SetOnline(1);
    ASSERT_TRUE(worker.RequestApply(kApplyFullMouse, f.Snap()));
    worker.WaitIdle();
    EXPECT_EQ(f.dev.OnlineAsked(), 2);

    f.dev.SetOnline(0);  // switched off since, but the check is fresh
    f.clock.Advance(9s);
    ASSERT_TRUE(worker.RequestApply(kApplyFullMouse, f.Snap()));
    worker.WaitIdle();
    EXPECT_EQ(f.dev.OnlineAsked(), 2);
    EXPECT_EQ(f.dev.Calls().size(), 2u);

    f.clock.Advance(2s);  // 11 s after the check: asked again
    ASSERT_TRUE(worker.RequestApply(kApplyFullMouse, f.Snap()));
    worker.WaitIdle();
    EXPECT_EQ(f.dev.OnlineAsked(), 3);
    EXPECT_EQ(f.dev.Calls().size(), 2u);
    EXPECT_EQ(f.notices.Entries().size(), 2u);

    f.dev.SetOnline(-1);  // the question itself fails: the job is tried
    ASSERT_TRUE(worker.RequestApply(kApplyFullMouse, f.Snap()));
    worker.WaitIdle();
    EXPECT_EQ(f.dev.Calls().size(), 3u);
}

// Partial jobs (no progress window) wait a moment first so a burst of changes
// becomes one job.
TEST(HidDevApplyWorker, PartialJobGathersFirst)
{
    Fixture f;
    CApplyWorker worker(f.dev, f.clock, f.notices, nullptr, {});
    worker.Start();
    ASSERT_TRUE(worker.RequestApply(kApplyLed, f.Snap()));
    worker.WaitIdle();
    EXPECT_EQ(f.clock.Sleeps(), std::vector<IClock::Duration>{50ms});
    EXPECT_FALSE(worker.RequestApply(0, f.Snap()));
    EXPECT_FALSE(worker.RequestApply(kApplyLed, nullptr));
}

// Shutdown in the middle of a long pause of a job: the pause is cut short, no
// failure message is shown for it, and the thread is joined.
TEST(HidDevApplyWorker, StopCutsALongPauseShort)
{
    CLogCapture log;
    CSystemClock clock;
    CBackend backend;
    CNoticeQueue notices;
    CTestDev dev(backend, clock, notices);
    dev.SetHandle(HidRole::Cmd, OpenOn(std::make_shared<CPort>()));
    std::promise<void> inPause;
    std::atomic<bool> bPauseDone{true};
    dev.SetApply([&](CTestDev& d, ApplySnapshot&, IMsgTarget*, uint32_t, std::stop_token stop) {
        inPause.set_value();
        bPauseDone = d.Pause(stop, 30s);
        return bPauseDone ? 1 : 0;
    });
    CTarget progress;
    CTarget waiting;
    ProfileRecord pro{};
    const int levels[kMsModeCount] = {};
    {
        CApplyWorker worker(dev, clock, notices, nullptr, {});
        worker.Start();
        ASSERT_TRUE(worker.RequestApply(kApplyFullMouse, MakeApplySnapshot(pro, {}, {}, nullptr, 0, levels, 0, false),
                                        Borrow(progress)));
        inPause.get_future().wait();
        ASSERT_TRUE(worker.RequestApply(kApplyLed, MakeApplySnapshot(pro, {}, {}, nullptr, 0, levels, 0, false),
                                        Borrow(waiting)));
        worker.Stop();
        EXPECT_FALSE(worker.IsBusy());
    }
    EXPECT_FALSE(bPauseDone);
    EXPECT_TRUE(notices.Entries().empty());
    EXPECT_EQ(log.Count("Apply stopped at exit"), 1);
    EXPECT_EQ(log.Count("ApplyThread exit"), 1);
    EXPECT_EQ(dev.Calls().size(), 1u);
    EXPECT_EQ(progress.Msgs().back(), (Msg{kMsgApplyDone, 0, intptr_t(kApplyFullMouse)}));
    // The job that was still waiting is dropped, and its window is told.
    EXPECT_EQ(waiting.Msgs(), (std::vector<Msg>{{kMsgApplyDone, 0, intptr_t(kApplyLed)}}));
}

TEST(HidDevApplyWorker, RequestsAfterStopAreRefused)
{
    Fixture f;
    CApplyWorker worker(f.dev, f.clock, f.notices, nullptr, {});
    worker.Start();
    worker.Stop();
    EXPECT_FALSE(worker.RequestApply(kApplyLed, f.Snap()));
    worker.Stop();
    EXPECT_TRUE(f.dev.Calls().empty());
}

}  // namespace
