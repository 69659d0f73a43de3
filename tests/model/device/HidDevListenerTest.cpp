// The listener of a mouse device object: reports to messages, stop, unplug.
#include <gtest/gtest.h>

#include "FakeHid.h"
#include "TestDev.h"

using namespace fake;
using namespace std::chrono_literals;

namespace {

struct Fixture {
    CClock clock;
    CBackend backend;
    CNoticeQueue prompt;
    CTarget wnd;
    std::shared_ptr<CPort> notify = std::make_shared<CPort>();
    CTestDev dev{backend, clock, prompt};
    Fixture()
    {
        dev.SetHandle(HidRole::Cmd, OpenOn(std::make_shared<CPort>()));
        dev.SetHandle(HidRole::Notify, OpenOn(notify));
    }
};

// Waits (bounded) for a thread that ends by itself.
bool WaitUntilStopped(const CHidDev& dev)
{
    for (int i = 0; i < 5000 && dev.IsListening(); ++i) std::this_thread::sleep_for(1ms);
    return !dev.IsListening();
}

TEST(HidDevListener, PostsBytesOneToFourOfTheMouseReport)
{
    CLogCapture log;
    Fixture f;
    ASSERT_EQ(f.dev.InitialDriver(&f.wnd), 1);
    f.notify->QueueInput({0x01, 0xAA, 0xBB, 0xCC, 0xDD, 0, 0, 0});  // another report of the interface
    f.notify->QueueInput({0x07, 0x11});                              // too short to carry bytes 1-4
    f.notify->QueueInput({0x07, 0x11, 0x22, 0x33, 0x44, 0, 0, 0});
    f.notify->QueueInput({0x07, 0xF0, 0x01, 0x00, 0x80, 0, 0, 0});
    ASSERT_TRUE(f.wnd.WaitForCount(2));
    f.dev.StopDriver();
    EXPECT_EQ(f.wnd.Msgs(), (std::vector<Msg>{{kMsgInputReport, 0x44332211u, 0}, {kMsgInputReport, 0x800001F0u, 0}}));
    EXPECT_EQ(log.Count("Buffer= 11 22 33 44, NumberOfBytesRead=8"), 1);
    EXPECT_EQ(log.Count("ServiceThread Start"), 1);
    EXPECT_EQ(log.Count("ServiceThread exit"), 1);
}

// Blocked in its read, the listener is woken by the stop itself: one cancel,
// no read that runs out its wait, and the thread is gone when StopDriver returns.
TEST(HidDevListener, StopWakesTheBlockedReadAtOnce)
{
    CLogCapture log;
    Fixture f;
    f.dev.InitialDriver(&f.wnd);
    ASSERT_TRUE(f.notify->WaitForReader());
    EXPECT_EQ(f.dev.StopDriver(), 1);
    EXPECT_FALSE(f.dev.IsListening());
    EXPECT_EQ(f.notify->Cancels(), 1);
    EXPECT_EQ(f.notify->ReadTimeouts(), 0);
    EXPECT_EQ(log.Count("ServiceThread: hObject[1] is signal"), 1);
    // Nothing arrives after the stop.
    f.notify->QueueInput({0x07, 1, 2, 3, 4, 0, 0, 0});
    EXPECT_TRUE(f.wnd.Msgs().empty());
}

// A stop that comes before the thread has reached its read is not lost.
TEST(HidDevListener, StopRightAfterStartNeverHangs)
{
    Fixture f;
    for (int i = 0; i < 50; ++i) {
        f.dev.InitialDriver(&f.wnd);
        f.dev.StopDriver();
        ASSERT_FALSE(f.dev.IsListening());
    }
    EXPECT_EQ(f.notify->ReadTimeouts(), 0);
    EXPECT_LE(f.notify->MaxReaders(), 1);
}

TEST(HidDevListener, UnplugEndsTheThreadByItself)
{
    CLogCapture log;
    Fixture f;
    f.dev.InitialDriver(&f.wnd);
    ASSERT_TRUE(f.notify->WaitForReader());
    f.notify->SetError(19);
    f.notify->Unplug();
    ASSERT_TRUE(WaitUntilStopped(f.dev));
    EXPECT_EQ(log.Count("ServiceThread: ReadFile Err=19"), 1);
    EXPECT_EQ(log.Count("ServiceThread exit"), 1);
    f.dev.ClearHandle();  // the main window learns of the unplug later
    EXPECT_EQ(f.notify->OpenHandles(), 0);
    EXPECT_EQ(f.notify->Cancels(), 0);
}

// One listener per device object: starting again replaces the running one,
// and clearing the handles ends it before the notify handle is closed.
TEST(HidDevListener, RestartKeepsOneListenerAndClearHandleJoinsFirst)
{
    Fixture f;
    f.dev.InitialDriver(&f.wnd);
    ASSERT_TRUE(f.notify->WaitForReader());
    f.dev.InitialDriver(&f.wnd);
    ASSERT_TRUE(f.notify->WaitForReader());
    f.notify->QueueInput({0x07, 1, 0, 0, 0, 0, 0, 0});
    ASSERT_TRUE(f.wnd.WaitForCount(1));
    f.dev.ClearHandle();
    EXPECT_FALSE(f.dev.IsListening());
    EXPECT_EQ(f.notify->OpenHandles(), 0);
    EXPECT_EQ(f.notify->MaxReaders(), 1);
    EXPECT_EQ(f.wnd.Msgs().size(), 1u);
    // Without a notify handle there is nothing to listen to.
    f.dev.InitialDriver(&f.wnd);
    EXPECT_FALSE(f.dev.IsListening());
}

// The destructor of a listening device object ends its thread.
TEST(HidDevListener, DestructorStopsTheListener)
{
    CClock clock;
    CBackend backend;
    CNoticeQueue prompt;
    CTarget wnd;
    auto notify = std::make_shared<CPort>();
    {
        CTestDev dev(backend, clock, prompt);
        dev.SetHandle(HidRole::Notify, OpenOn(notify));
        dev.InitialDriver(&wnd);
        ASSERT_TRUE(notify->WaitForReader());
    }
    EXPECT_EQ(notify->OpenHandles(), 0);
    EXPECT_EQ(notify->Cancels(), 1);
    EXPECT_EQ(notify->ReadTimeouts(), 0);
}

}  // namespace
