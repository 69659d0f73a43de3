// The device hub: the configured families made from the registry, discovery
// on each family's own thread with its result posted, hot-plug from the
// emulator, findings taken into the program's state on the owner's thread,
// and workers whose messages never wait for the window.
#include <gtest/gtest.h>

#include <future>
#include <optional>
#include <thread>

#include "FakeHid.h"
#include "TestDev.h"
#include "device/ApplyWorker.h"
#include "device/DeviceHub.h"
#include "emu/EmuBackend.h"
#include "emu/VirtualClock.h"
#include "device/mirex/DevMirex.h"
#include "device/w24g/Dev24G.h"
#include "emu/mirex/EmuMirex.h"
#include "mirex/MirexTestSupport.h"

using namespace std::chrono_literals;

namespace {

// The demo installation's wired mouse behind the emulator, and a hub over it.
struct WiredRig {
    CVirtualClock clock;
    CEmuBackend backend;
    std::shared_ptr<CEmuMirex> mouse = AddMouse();
    CNoticeQueue notices;
    fake::CTarget events;
    CDeviceHub hub{backend, clock, notices, &events};

    std::shared_ptr<CEmuMirex> AddMouse()
    {
        auto m = std::make_shared<CEmuMirex>(MirexConfigFor(0x258A, 0x1007, 0x3360), clock);
        backend.AddDevice(m);
        return m;
    }
};

TEST(DeviceHub, FindsOnTheFamilyThreadAndFollowsPlugEvents)
{
    mirextest::LoadMouse(1);
    WiredRig rig;
    auto& [clock, backend, mouse, notices, events, hub] = rig;
    hub.Open();
    ASSERT_EQ(hub.Count(), 1u);
    EXPECT_STREQ(hub.Name(0), "wired mouse");
    backend.SetPlugListener([&hub](const std::vector<HidDevInfo>&, bool) { hub.FindLater(); });

    g_nCurMode = -1;
    hub.FindLater();
    hub.WaitFound();
    EXPECT_EQ(events.Msgs(), (std::vector<fake::Msg>{{kMsgDeviceFound, 0, 1}}));
    EXPECT_TRUE(hub.Device(0).IsConnected());
    const DeviceState st = hub.State(0);
    EXPECT_TRUE(st.bConnected);
    EXPECT_EQ(st.found.nMode, 1);
    EXPECT_EQ(st.nLink, -1);  // the wired family has no receiver
    EXPECT_FALSE(st.bBatteryRead);
    EXPECT_EQ(g_nCurMode, -1);  // nothing of the program's state changes on the family's thread
    CRecordingPrompt prompt;
    hub.Publish(0, prompt);
    EXPECT_EQ(g_nCurMode, 1);

    mouse->Unplug();
    hub.WaitFound();
    EXPECT_EQ(events.Msgs().back(), (fake::Msg{kMsgDeviceFound, 0, 0}));
    EXPECT_FALSE(hub.Device(0).IsConnected());
    EXPECT_FALSE(hub.State(0).bConnected);
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
    gVar.nKbFw = 29;  // a keyboard no registry line drives
    gVar.nPadFw = 41;  // a pad of a firmware type no family writes
    EXPECT_EQ(CDeviceHub::UndrivenFamilies(gVar), (std::vector<std::string>{"keyboard", "mouse pad"}));
    gVar.nKbFw = 22;  // the RGB keyboard is driven
    EXPECT_EQ(CDeviceHub::UndrivenFamilies(gVar), (std::vector<std::string>{"mouse pad"}));
    gVar.nKbFw = 29;
    gVar.nMsFw = 0;
    CVirtualClock clock;
    CEmuBackend backend;
    CNoticeQueue notices;
    {
        CDeviceHub hub(backend, clock, notices, nullptr);
        hub.Open();
        EXPECT_EQ(hub.Count(), 0u);
    }
    gVar.nPadFw = 40;
    EXPECT_EQ(CDeviceHub::UndrivenFamilies(gVar), (std::vector<std::string>{"keyboard"}));
    CDeviceHub hub(backend, clock, notices, nullptr);
    hub.Open();
    ASSERT_EQ(hub.Count(), 1u);
    EXPECT_STREQ(hub.Name(0), "mouse pad");
    EXPECT_EQ(hub.FullApply(0), 0x8007u);
    hub.Close();
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

// What each mouse family's own input report says (bytes 1..4 as posted).
TEST(DeviceHub, InputReportsDecodePerFamily)
{
    struct Case {
        const char* pszName;
        int nMsFw;
        bool bSingleMode;
        uint32_t dwBytes;
        std::optional<DeviceEvent> expected;
    };
    auto Ev = [](int nMode, int nOrdinal, int nLevel, int nRate, int nLink, int nExtra) {
        DeviceEvent e;
        e.nMode = nMode;
        e.nLevelOrdinal = nOrdinal;
        e.nLevel = nLevel;
        e.nRateCode = nRate;
        e.nLink = nLink;
        e.nExtra = nExtra;
        return std::optional<DeviceEvent>(e);
    };
    const Case cases[] = {
        {"wired: mode 2, second enabled level", 1, false, 0x00000202, Ev(1, 2, -1, -1, -1, 0)},
        {"wired: performance byte", 1, false, 0x2A000101, Ev(0, 1, -1, -1, -1, 0x2A)},
        {"wired: no mode, a level", 1, false, 0x00000300, Ev(-1, 3, -1, -1, -1, 0)},
        {"wired: level byte 0 is nothing", 1, false, 0x00000002, std::nullopt},
        {"wired: level 0 in the low bits is nothing", 1, false, 0x00001002, std::nullopt},
        {"wireless: receiver, 250 Hz, level 3", 5, false, 0x00030211, Ev(1, -1, 2, 2, 1, 0)},
        {"wireless: cable, 1000 Hz, level 4, battery 30", 5, false, 0x1E040410, Ev(0, -1, 3, 4, 0, 30)},
        {"wireless: one mode on both links", 5, true, 0x00030211, Ev(0, -1, 2, 2, 1, 0)},
        {"wireless: odd rate passed on", 5, false, 0x00030711, Ev(1, -1, 2, 7, 1, 0)},
        {"wireless: unknown link byte", 5, false, 0x00030212, std::nullopt},
    };
    fake::CClock clock;
    fake::CBackend backend;
    CNoticeQueue notices;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        mirextest::LoadMouse(c.nMsFw);
        gVar.Ms.nSingleMode = c.bSingleMode;
        std::unique_ptr<CHidDev> dev;
        if (c.nMsFw == 5) dev = std::make_unique<CDev24G>(backend, clock, notices, c.nMsFw);
        else dev = std::make_unique<CDevMirex>(backend, clock, notices, c.nMsFw);
        const std::optional<DeviceEvent> got = dev->DecodeInput(c.dwBytes);
        ASSERT_EQ(got.has_value(), c.expected.has_value());
        if (!got) continue;
        EXPECT_EQ(got->nMode, c.expected->nMode);
        EXPECT_EQ(got->nLevelOrdinal, c.expected->nLevelOrdinal);
        EXPECT_EQ(got->nLevel, c.expected->nLevel);
        EXPECT_EQ(got->nRateCode, c.expected->nRateCode);
        EXPECT_EQ(got->nLink, c.expected->nLink);
        EXPECT_EQ(got->nExtra, c.expected->nExtra);
    }
    gVar.Ms.nSingleMode = 0;
}

// The mouse's own report reaches the event target marked with its family,
// and the hub decodes it.
TEST(DeviceHub, InputReportsArriveMarkedWithTheirFamily)
{
    mirextest::LoadMouse(1);
    WiredRig rig;
    auto& [clock, backend, mouse, notices, events, hub] = rig;
    hub.Open();
    ASSERT_EQ(hub.FindNow(0), 1);
    const uint8_t report[8] = {7, 2, 3, 0, 0, 0, 0, 0};
    ASSERT_TRUE(mouse->InjectInput("notify", report));
    std::vector<fake::Msg> got;
    for (int n = 0; n < 500 && got.empty(); ++n) {
        for (const fake::Msg& m : events.Msgs())
            if (m.nMsg == kMsgInputReport) got.push_back(m);
        if (got.empty()) std::this_thread::sleep_for(10ms);
    }
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].wParam, 0x0302u);
    EXPECT_EQ(got[0].lParam, 0);
    const std::optional<DeviceEvent> e = hub.Decode(0, uint32_t(got[0].wParam));
    ASSERT_TRUE(e);
    EXPECT_EQ(e->nMode, 1);
    EXPECT_EQ(e->nLevelOrdinal, 3);
    hub.Close();
}

}  // namespace
