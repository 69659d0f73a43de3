// The transport every family moves its reports through, and discovery as
// data: interfaces chosen by role from the enumeration, opened only when all
// required ones are there, and refused interfaces reported as denied.
#include <gtest/gtest.h>

#include <cerrno>
#include <thread>

#include "FakeHid.h"
#include "device/HidDrv.h"
#include "device/InterfacePick.h"

using namespace fake;
using namespace std::chrono_literals;

namespace {

constexpr HidInterfaceRule kRules[] = {
    {HidRole::Cmd, {0xFF00, 1, 6}},
    {HidRole::Data, {0xFF00, 1, 1032}},
    {HidRole::Notify, {0xFF00, 1, 0, 8}, false},
};

bool Ours(const HidDevInfo& d) { return d.nVID == 0x1234 && d.nPID == 0x0042; }

FindResult FindOn(CBackend& b, CHidDrv& drv)
{
    const std::vector<HidDevInfo> list = b.Enumerate();
    HandleSet h;
    const FindResult r = OpenInterfaces(b, ChooseInterfaces(list, kRules, Ours), kRules, h);
    for (size_t i = 0; i < h.size(); ++i) drv.Install(HidRole(i), std::move(h[i]));
    return r;
}

TEST(HidDevDrv, FindsTransfersAndClosesItsInterfaces)
{
    CLogCapture log;
    CClock clock;
    CBackend b;
    b.Add(Info("other", 0x1234, 0x0043, 0xFF00, 1, 0, 0, 6, 5), &clock);  // another product: not ours
    auto cmd = b.Add(Info("kb-cmd", 0x1234, 0x0042, 0xFF00, 1, 0, 0, 6, 5), &clock);
    auto data = b.Add(Info("kb-data", 0x1234, 0x0042, 0xFF00, 1, 0, 0, 1032, 6), &clock);
    CHidDrv drv(clock);
    ASSERT_EQ(FindOn(b, drv), FindResult::Found);
    EXPECT_TRUE(drv.IsOpen(HidRole::Cmd));
    EXPECT_FALSE(drv.IsOpen(HidRole::Notify));  // optional and absent
    data->SetAnswer({0xA1, 0xB2});
    data->FailNext(1);
    std::vector<uint8_t> answer(1032, 0);
    answer[0] = 6;
    const uint8_t ask[6] = {0x05, 0x88, 0, 0, 0, 0};
    ASSERT_TRUE(drv.Transact(HidRole::Cmd, ask, "SendCommand", HidRole::Data, answer, "GetData", 20ms));
    EXPECT_EQ(answer[1], 0xA1);
    // The family's own gap after the command, then one retry of the answer.
    EXPECT_EQ(clock.Sleeps(), (std::vector<IClock::Duration>{20ms, 200ms}));

    drv.CloseAll();
    EXPECT_FALSE(drv.IsOpen(HidRole::Cmd));
    EXPECT_EQ(cmd->OpenHandles(), 0);
    EXPECT_EQ(data->OpenHandles(), 0);
    EXPECT_EQ(drv.LastError(HidRole::Cmd), ENODEV);
    answer[0] = 6;
    EXPECT_FALSE(drv.Transact(HidRole::Cmd, ask, "SendCommand", HidRole::Data, answer, "GetData"));
    EXPECT_EQ(log.Count("SendCommand err=19"), 1);
}

// Choosing first, opening after: an incomplete device leaves nothing open; a
// complete one whose interface will not open is denied (the udev rule message).
TEST(HidDevDrv, IncompleteDeviceOpensNothingAndARefusedOneIsDenied)
{
    CClock clock;
    {
        CBackend b;
        auto cmd = b.Add(Info("kb-cmd", 0x1234, 0x0042, 0xFF00, 1, 0, 0, 6, 5));
        CHidDrv drv(clock);
        EXPECT_EQ(FindOn(b, drv), FindResult::NotFound);
        EXPECT_EQ(cmd->OpenHandles(), 0);
    }
    {
        CBackend b;
        auto cmd = b.Add(Info("kb-cmd", 0x1234, 0x0042, 0xFF00, 1, 0, 0, 6, 5));
        b.AddUnopenable(Info("kb-data", 0x1234, 0x0042, 0xFF00, 1, 0, 0, 1032, 6));
        CHidDrv drv(clock);
        EXPECT_EQ(FindOn(b, drv), FindResult::Denied);
        EXPECT_FALSE(drv.IsOpen(HidRole::Cmd));
        EXPECT_EQ(cmd->OpenHandles(), 0);
    }
}

// When several interfaces qualify for a role, the last one found wins; with
// first-rule-only an interface serves only the first role it meets.
TEST(HidDevDrv, ChoiceRules)
{
    const std::vector<HidDevInfo> list = {
        Info("a", 0x1234, 0x0042, 0xFF00, 1, 8, 0, 6, 5),
        Info("b", 0x1234, 0x0042, 0xFF00, 1, 0, 0, 6, 5),
        Info("c", 0x1234, 0x0042, 0xFF00, 1, 0, 0, 1032, 6),
    };
    const InterfaceChoice all = ChooseInterfaces(list, kRules, Ours);
    EXPECT_EQ(all.Of(HidRole::Cmd)->szPath, "b");
    EXPECT_EQ(all.Of(HidRole::Notify)->szPath, "a");
    const InterfaceChoice first = ChooseInterfaces(list, kRules, Ours, true);
    EXPECT_EQ(first.Of(HidRole::Notify), nullptr);
    EXPECT_TRUE(first.Complete(kRules));
}

// The last error is read under the command lock: a concurrent close (an
// unplug) leaves a clean ENODEV, never a freed handle. Run under the thread
// sanitizer too.
TEST(HidDevDrv, LastErrorAndCloseRaceCleanly)
{
    CSystemClock clock;
    CBackend b;
    auto port = b.Add(Info("kb-cmd", 0x1234, 0x0042, 0xFF00, 1, 0, 0, 6, 5));
    port->SetError(110);
    for (int n = 0; n < 50; ++n) {
        CHidDrv drv(clock);
        drv.Install(HidRole::Cmd, b.Open("kb-cmd"));
        std::thread closer([&] { drv.CloseAll(); });
        const int nErr = drv.LastError(HidRole::Cmd);
        closer.join();
        EXPECT_TRUE(nErr == 110 || nErr == ENODEV) << nErr;
        EXPECT_EQ(drv.LastError(HidRole::Cmd), ENODEV);
    }
}

}  // namespace
