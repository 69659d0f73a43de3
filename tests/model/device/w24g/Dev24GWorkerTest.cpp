// The wireless mouse behind the apply worker when things go wrong: the mouse
// switched off behind its receiver, the mouse leaving range or the receiver
// pulled in the middle of an apply. Each ends with the message the user is
// meant to see, the profile record as it was and no thread left running. And
// what the mouse reports on its own reaches the main window.
#include <condition_variable>
#include <cstring>
#include <thread>

#include "device/ApplySnapshot.h"
#include "device/ApplyWorker.h"
#include "device/DeviceHub.h"
#include "keys/FunId.h"
#include "model/device/w24g/W24Fixture.h"

using namespace w24test;
using namespace std::chrono_literals;

namespace {

// Collects posted messages; Wait blocks (real time) until one of nMsg arrived.
class CWindow final : public IMsgTarget {
public:
    void Post(uint32_t nMsg, uintptr_t wParam, intptr_t) override
    {
        std::lock_guard lock(m_mtx);
        m_msgs.emplace_back(nMsg, wParam);
        m_cv.notify_all();
    }
    std::vector<uintptr_t> Wait(uint32_t nMsg, size_t nCount)
    {
        std::unique_lock lock(m_mtx);
        m_cv.wait_for(lock, 5s, [&] { return Of(nMsg).size() >= nCount; });
        return Of(nMsg);
    }

private:
    std::vector<uintptr_t> Of(uint32_t nMsg) const
    {
        std::vector<uintptr_t> v;
        for (const auto& [m, w] : m_msgs)
            if (m == nMsg) v.push_back(w);
        return v;
    }
    std::mutex m_mtx;
    std::condition_variable m_cv;
    std::vector<std::pair<uint32_t, uintptr_t>> m_msgs;
};

constexpr uint32_t kMacroId = 0x000321;
const char16_t kOffline[] = u"The mouse is off line";

class Dev24GWorker : public W24Fixture {
protected:
    // bOffAnswersCopy: what the receiver answers for the mouse while it is away.
    void Connect(bool bOffAnswersCopy = true)
    {
        Load("wireless5.ini");
        m_cfg.bOffAnswersCopy = bOffAnswersCopy;
        MakeRig();
        m_dev->SetMainWindow(&m_main);
        ASSERT_EQ(Find(), 1);
        m_pro = ProfileRecord{};
        m_pro.dwMagic = kProfileMagic;
        m_pro.nID = 7;
        m_dev->FillDefault(m_pro);
        m_pro.Ms.ProMirex.nMode = 1;
        MacroRecord r{};
        r.MacroID = kMacroId;
        r.wLoopCount = 1;
        r.Action[0] = {'A', 0, 1, {20, 0}};
        m_macros.Add(r);
        m_pro.Ms.Mode[1].Key[0][3].FunID = kFunMacro;
        m_pro.Ms.Mode[1].Key[0][3].MacroID = kMacroId;
        ClearJournal();
        ApplyWorkerCfg cfg;
        cfg.bCheckLink = true;
        cfg.strOffline = kOffline;
        m_worker = std::make_unique<CApplyWorker>(*m_dev, m_clock, m_prompt, &m_main, cfg);
        m_worker->Start();
    }

    // A full apply through the worker; the result it reported.
    bool RunFullApply()
    {
        const ProfileRecord before = m_pro;
        auto snap = MakeApplySnapshot(m_pro, m_macros, m_bullets, pSensorCfg, gVar.Ms.nMsSensor, g_nCurDpiLevel,
                                      g_nCurMode, false);
        EXPECT_TRUE(m_worker->RequestApply(kApplyFullMouse, std::move(snap), std::shared_ptr<IMsgTarget>(&m_progressWnd, [](IMsgTarget*) {})));
        m_worker->WaitIdle();
        const std::vector<uintptr_t> done = m_progressWnd.Wait(kMsgApplyDone, ++m_nRuns);
        EXPECT_EQ(done.size(), size_t(m_nRuns));
        EXPECT_EQ(std::memcmp(&before, &m_pro, sizeof before), 0);
        return done.size() == size_t(m_nRuns) && done.back() == 1;
    }

    // Everything stopped as at exit: nothing may still run afterwards.
    void StopAll()
    {
        m_worker->Stop();
        EXPECT_FALSE(m_worker->IsBusy());
        m_dev->ClearHandle();
        EXPECT_FALSE(m_dev->IsListening());
    }

    void TearDown() override
    {
        if (m_worker) m_worker->Stop();
        m_worker.reset();
        W24Fixture::TearDown();
    }

    CWindow m_main, m_progressWnd;
    ProfileRecord m_pro{};
    CMacroList m_macros, m_bullets;
    std::unique_ptr<CApplyWorker> m_worker;
    int m_nRuns = 0;
};

}  // namespace

TEST_F(Dev24GWorker, AFullApplyGoesThrough)
{
    Connect();
    EXPECT_TRUE(RunFullApply());
    EXPECT_EQ(Lines("setf cmd 05 80").size(), 1u);
    EXPECT_EQ(Lines("setf data 08 22").size(), 1u);
    EXPECT_TRUE(m_prompt.Messages().empty());
    // A second apply within the link check's life does not ask again.
    EXPECT_TRUE(RunFullApply());
    EXPECT_EQ(Lines("setf cmd 05 80").size(), 1u);
    EXPECT_TRUE(Violations().empty()) << Violations().front();
    StopAll();
}

TEST_F(Dev24GWorker, TheMouseSwitchedOffBehindItsReceiver)
{
    Connect();
    m_rig.mouse->SwitchOff(true);
    EXPECT_FALSE(RunFullApply());
    EXPECT_EQ(m_prompt.Messages(), (Msgs{{U16ToUtf8(kOffline), " "}}));
    EXPECT_EQ(Lines("setf"), (std::vector<std::string>{"setf cmd 05 80 00 00 00 00 00 00"}));
    EXPECT_EQ(Lines("getf"), (std::vector<std::string>{"getf cmd 05 00 00 00 00 00 00 00"}));
    StopAll();
}

TEST_F(Dev24GWorker, TheMouseLeavesRangeAfterTheLinkCheck)
{
    Connect(false);
    const auto block = m_rig.mouse->GetState().block[1];
    m_rig.receiver->LoseLinkAfter(2);  // the link question and its answer still go through
    EXPECT_FALSE(RunFullApply());
    EXPECT_EQ(m_prompt.Messages(), (Msgs{{"Warning: value=0", " "},
                                         {"Tips: rsn=0", " "},
                                         {"   Update settings failed!      ", "Error"}}));
    EXPECT_TRUE(Lines("setf data").empty());
    EXPECT_EQ(m_rig.mouse->GetState().block[1], block);
    StopAll();
}

TEST_F(Dev24GWorker, TheReceiverIsPulledWhileMacrosAreWritten)
{
    Connect();
    const auto matrix = m_rig.mouse->GetState().matrix[1];
    // Link question, block read, block write, macro buffer: then the receiver is gone.
    m_rig.receiver->UnplugAfter(6);
    EXPECT_FALSE(RunFullApply());
    EXPECT_EQ(m_prompt.Messages(), (Msgs{{"   Update settings failed!      ", "Error"}}));
    EXPECT_TRUE(Logged("SendData err=19"));
    EXPECT_TRUE(Logged("SetMatrix, err="));
    EXPECT_EQ(Lines("setf data 08 30").size(), 1u);
    EXPECT_TRUE(Lines("setf data 08 22").empty());
    EXPECT_EQ(m_rig.mouse->GetState().matrix[1], matrix);
    EXPECT_EQ(m_rig.mouse->GetState().macros.size(), 1u);
    StopAll();
}

TEST_F(Dev24GWorker, WhatTheMouseReportsReachesTheMainWindow)
{
    Connect();
    ASSERT_TRUE(m_dev->IsListening());
    ASSERT_TRUE(m_rig.mouse->PressDpiButton());  // level 3 of 6 -> 4
    std::vector<uintptr_t> got = m_main.Wait(kMsgInputReport, 1);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], 0x50040411u);  // receiver, 1000 Hz, level 4, battery 80
    ASSERT_TRUE(m_rig.mouse->SetBattery(30, 3600));
    got = m_main.Wait(kMsgInputReport, 2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[1], 0x1E040411u);
    // The cable goes in: the mouse now talks over the cable, which the
    // receiver's listener does not hear; the host finds the cable next.
    ASSERT_TRUE(m_rig.mouse->PlugCable());
    ASSERT_EQ(Find(), 1);
    EXPECT_FALSE(m_dev->IsWireless());
    ASSERT_TRUE(m_rig.mouse->PressDpiButton());
    got = m_main.Wait(kMsgInputReport, 3);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[2], 0x1E040410u);  // cable, 1000 Hz, the cable profile's level 3 -> 4, battery 30
    StopAll();
}

// The receiver is pulled while a failing apply is reading its last error: the
// user-interface thread closes the handles (its answer to the unplug) at the
// same time. The job fails cleanly, the worker takes the next job, and the
// thread sanitizer sees no race on the handles.
TEST_F(Dev24GWorker, UnplugDuringAFailingApplyIsClean)
{
    Connect();
    for (int n = 0; n < 20; ++n) {
        SCOPED_TRACE(n);
        ASSERT_EQ(Find(), 1);
        m_rig.receiver->FailNext(1000);
        auto snap = MakeApplySnapshot(m_pro, m_macros, m_bullets, pSensorCfg, gVar.Ms.nMsSensor, g_nCurDpiLevel,
                                      g_nCurMode, false);
        snap->opt.bGoWithNoDev = true;  // every failed step goes on, asking for the last error again
        ASSERT_TRUE(m_worker->RequestApply(kApplyGeneral | kApplyKeys | kApplyProgress, std::move(snap)));
        std::this_thread::yield();
        m_dev->ClearHandle();
        m_worker->WaitIdle();
        m_rig.receiver->FailNext(0);
        EXPECT_FALSE(m_dev->IsConnected());
    }
    EXPECT_EQ(m_worker->JobsDone(), 20);
    StopAll();
}

// The device hub with the wireless family: discovery on the family's thread
// leaves the link and the battery in the family's state.
TEST_F(W24Fixture, HubKeepsLinkAndBatteryOfTheWirelessMouse)
{
    Load("wireless5.ini");
    ASSERT_TRUE(m_rig.mouse->SetBattery(55, 3900));
    CDeviceHub hub(*m_backend, m_clock, m_prompt, nullptr);
    hub.Open();
    ASSERT_EQ(hub.Count(), 1u);
    EXPECT_STREQ(hub.Name(0), "wireless mouse");
    hub.FindLater();
    hub.WaitFound();
    const DeviceState st = hub.State(0);
    ASSERT_TRUE(st.bConnected);
    EXPECT_EQ(st.nLink, 1);  // through the receiver
    EXPECT_EQ(st.found.nMode, 2);
    ASSERT_TRUE(st.bBatteryRead);
    EXPECT_EQ(st.nBatteryLevel, 55);
    EXPECT_FALSE(st.bCharging);

    // The link check reads the battery again without looking for the mouse.
    ASSERT_TRUE(m_rig.mouse->SetBattery(40, 3700));
    hub.ReadLinkLater(0);
    hub.WaitFound();
    EXPECT_EQ(hub.State(0).nBatteryLevel, 40);
    EXPECT_EQ(hub.State(0).nLink, 1);
    hub.Close();
}
