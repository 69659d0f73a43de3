// The device hub: the configured families made from the registry, discovery
// on each family's own thread with its result posted, hot-plug from the
// emulator, findings taken into the program's state on the owner's thread,
// and workers whose messages never wait for the window.
#include <gtest/gtest.h>

#include <future>

#include "FakeHid.h"
#include "TestDev.h"
#include "device/ApplyWorker.h"
#include "device/DeviceHub.h"
#include "emu/EmuBackend.h"
#include "emu/VirtualClock.h"
#include "emu/mirex/EmuMirex.h"
#include "mirex/MirexTestSupport.h"

using namespace std::chrono_literals;

namespace {

TEST(DeviceHub, FindsOnTheFamilyThreadAndFollowsPlugEvents)
{
    mirextest::LoadMouse(1);
    CVirtualClock clock;
    CEmuBackend backend;
    auto mouse = std::make_shared<CEmuMirex>(MirexConfigFor(0x258A, 0x1007, 0x3360), clock);
    backend.AddDevice(mouse);
    CNoticeQueue notices;
    fake::CTarget events;
    CDeviceHub hub(backend, clock, notices, &events);
    hub.Open();
    ASSERT_EQ(hub.Count(), 1u);
    EXPECT_STREQ(hub.Name(0), "wired mouse");
    backend.SetPlugListener([&hub](const std::vector<HidDevInfo>&, bool) { hub.FindLater(); });

    g_nCurMode = -1;
    hub.FindLater();
    hub.WaitFound();
    EXPECT_EQ(events.Msgs(), (std::vector<fake::Msg>{{kMsgDeviceFound, 0, 1}}));
    EXPECT_TRUE(hub.Device(0).IsConnected());
    EXPECT_EQ(g_nCurMode, -1);  // nothing of the program's state changes on the family's thread
    CRecordingPrompt prompt;
    hub.Publish(0, prompt);
    EXPECT_EQ(g_nCurMode, 1);

    mouse->Unplug();
    hub.WaitFound();
    EXPECT_EQ(events.Msgs().back(), (fake::Msg{kMsgDeviceFound, 0, 0}));
    EXPECT_FALSE(hub.Device(0).IsConnected());
    mouse->Plug();
    hub.WaitFound();
    EXPECT_EQ(events.Msgs().back(), (fake::Msg{kMsgDeviceFound, 0, 1}));
    EXPECT_TRUE(notices.Entries().empty());
    hub.Close();
    backend.SetPlugListener({});
    EXPECT_FALSE(hub.Device(0).IsConnected());
}

// Families without a device class are named, never silently left out; no
// family configured, no device object.
TEST(DeviceHub, OnlyConfiguredFamiliesAreMade)
{
    mirextest::LoadMouse(1);
    gVar.nKbFw = 22;
    gVar.nPadFw = 40;
    EXPECT_EQ(CDeviceHub::UndrivenFamilies(gVar), (std::vector<std::string>{"keyboard", "mouse pad"}));
    gVar.nMsFw = 0;
    CVirtualClock clock;
    CEmuBackend backend;
    CNoticeQueue notices;
    CDeviceHub hub(backend, clock, notices, nullptr);
    hub.Open();
    EXPECT_EQ(hub.Count(), 0u);
    gVar.nKbFw = gVar.nPadFw = 0;
}

// A job fails while nobody takes its notice (the window's event loop has
// ended): the notice waits in the queue and stopping the worker returns at
// once. A worker that waited for the window here would never be joined.
TEST(DeviceHub, StopNeverWaitsForAPendingNotice)
{
    fake::CClock clock;
    fake::CBackend backend;
    CNoticeQueue notices;  // never drained
    fake::CTestDev dev(backend, clock, notices);
    auto port = std::make_shared<fake::CPort>(&clock);
    port->FailAlways(true);
    dev.SetHandle(HidRole::Cmd, fake::OpenOn(port));
    dev.SetApply([](fake::CTestDev& d, ApplySnapshot&, IMsgTarget*, uint32_t, std::stop_token) {
        const uint8_t cmd[6] = {0x05, 0x11, 0, 0, 0, 0};
        return d.SendFeature(HidRole::Cmd, cmd, "SendCmd") ? 1 : 0;
    });
    auto worker = std::make_unique<CApplyWorker>(dev, clock, notices, nullptr, ApplyWorkerCfg{});
    worker->Start();
    ProfileRecord pro{};
    pro.nID = 1;
    const int levels[kMsModeCount] = {};
    ASSERT_TRUE(worker->RequestApply(kApplyFullMouse, MakeApplySnapshot(pro, {}, {}, nullptr, 0, levels, 0, false)));
    worker->WaitIdle();
    ASSERT_TRUE(worker->RequestApply(kApplyLed, MakeApplySnapshot(pro, {}, {}, nullptr, 0, levels, 0, false)));
    auto stopped = std::async(std::launch::async, [&worker] { worker->Stop(); });
    ASSERT_EQ(stopped.wait_for(10s), std::future_status::ready);
    ASSERT_GE(notices.Entries().size(), 1u);
    EXPECT_EQ(notices.Entries()[0].text, kApplyFailedText);
}

}  // namespace
