// The transfer rule and the command lock of a device object.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "FakeHid.h"
#include "TestDev.h"

using namespace fake;
using namespace std::chrono_literals;

namespace {

struct Fixture {
    CClock clock;
    CBackend backend;
    CNoticeQueue prompt;
    std::shared_ptr<CPort> cmd = std::make_shared<CPort>(&clock);
    std::shared_ptr<CPort> data = std::make_shared<CPort>(&clock);
    CTestDev dev{backend, clock, prompt};
    Fixture()
    {
        dev.SetHandle(HidRole::Cmd, OpenOn(cmd));
        dev.SetHandle(HidRole::Data, OpenOn(data));
    }
};

const std::vector<uint8_t> kCmd = {0x05, 0x02, 0, 0, 0, 0};

struct RetryCase {
    int nFailures;
    bool bOk;
    int nCalls;
};

class HidDevTransferRetry : public ::testing::TestWithParam<RetryCase> {};

TEST_P(HidDevTransferRetry, ThreeTriesTwoHundredMsApart)
{
    const RetryCase& c = GetParam();
    CLogCapture log;
    Fixture f;
    f.cmd->FailNext(c.nFailures);
    f.cmd->SetError(32);
    EXPECT_EQ(f.dev.SendFeature(HidRole::Cmd, kCmd, "SendCmd"), c.bOk);
    EXPECT_EQ(f.cmd->CountOp("setf"), c.nCalls);
    EXPECT_EQ(f.clock.Sleeps(), std::vector<IClock::Duration>(size_t(c.nCalls - 1), 200ms));
    EXPECT_EQ(log.Count("SendCmd err=32"), c.bOk ? 0 : 1);
    // Every try sent the same whole report.
    for (const Call& call : f.cmd->Calls()) EXPECT_EQ(call.bytes, kCmd);
}

INSTANTIATE_TEST_SUITE_P(HidDev, HidDevTransferRetry,
                         ::testing::Values(RetryCase{0, true, 1}, RetryCase{1, true, 2}, RetryCase{2, true, 3},
                                           RetryCase{3, false, 3}, RetryCase{10, false, 3}));

TEST(HidDevTransfer, GetFeatureRetriesAndLogsItsOwnName)
{
    CLogCapture log;
    Fixture f;
    f.data->FailAlways(true);
    f.data->SetError(71);
    std::vector<uint8_t> buf(520, 0x33);
    buf[0] = 4;
    EXPECT_FALSE(f.dev.GetFeature(HidRole::Data, buf, "GetData"));
    EXPECT_EQ(f.data->CountOp("getf"), 3);
    EXPECT_EQ(log.Count("GetData err=71"), 1);
    // A failed transfer hands back the report id alone, never what the failed call left.
    EXPECT_EQ(buf[0], 4);
    EXPECT_TRUE(std::all_of(buf.begin() + 1, buf.end(), [](uint8_t b) { return b == 0; }));
}

TEST(HidDevTransfer, OutputReportsFollowTheSameRule)
{
    CLogCapture log;
    Fixture f;
    f.data->FailNext(2);
    const std::vector<uint8_t> out = {0x07, 1, 2};
    EXPECT_TRUE(f.dev.WriteOutput(HidRole::Data, out, "WriteData"));
    EXPECT_EQ(f.data->CountOp("write"), 3);
    EXPECT_EQ(f.clock.Sleeps(), (std::vector<IClock::Duration>{200ms, 200ms}));
}

TEST(HidDevTransfer, MissingHandleFailsAtOnceWithoutRetries)
{
    CLogCapture log;
    CClock clock;
    CBackend backend;
    CNoticeQueue prompt;
    CTestDev dev(backend, clock, prompt);
    EXPECT_FALSE(dev.SendFeature(HidRole::Cmd, kCmd, "SendCmd"));
    EXPECT_TRUE(clock.Sleeps().empty());
    EXPECT_EQ(log.Count("SendCmd err=19"), 1);
    EXPECT_FALSE(dev.IsConnected());
}

TEST(HidDevTransfer, TransactionWaitsThirtyMsBetweenCommandAndAnswer)
{
    Fixture f;
    f.data->SetAnswer({0, 0, 0, 0, 0, 0, 0, 0x64, 0x0A});
    std::vector<uint8_t> answer(520, 0);
    answer[0] = 4;
    const std::vector<uint8_t> req = {0x05, 0x11, 0, 0, 0, 0};
    ASSERT_TRUE(f.dev.Transact(HidRole::Cmd, req, "SendCmd", HidRole::Data, answer, "GetData"));
    EXPECT_EQ(f.clock.Sleeps(), std::vector<IClock::Duration>{30ms});
    const auto sent = f.cmd->Calls();
    const auto got = f.data->Calls();
    ASSERT_EQ(sent.size(), 1u);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].t - sent[0].t, 30ms);
    EXPECT_EQ(answer[8], 0x64);
    EXPECT_EQ(answer[9], 0x0A);
}

TEST(HidDevTransfer, FailedCommandSkipsTheAnswer)
{
    CLogCapture log;
    Fixture f;
    f.cmd->FailAlways(true);
    std::vector<uint8_t> answer(6, 0);
    answer[0] = 5;
    EXPECT_FALSE(f.dev.Transact(HidRole::Cmd, kCmd, "SendCmd", HidRole::Cmd, answer, "GetCmd"));
    EXPECT_EQ(f.cmd->CountOp("getf"), 0);
    EXPECT_EQ(log.Count("SendCmd err=5"), 1);
}

// Two threads (the user interface and the apply worker) run transactions on
// one device; the lock keeps each command next to its own answer.
TEST(HidDevTransfer, LockKeepsTwoThreadsTransactionsWhole)
{
    Fixture f;
    constexpr int kRounds = 200;
    auto run = [&](uint8_t byCmd) {
        std::vector<uint8_t> req = {0x05, byCmd, 0, 0, 0, 0};
        std::vector<uint8_t> ans(6, 0);
        for (int i = 0; i < kRounds; ++i) {
            ans[0] = 5;
            EXPECT_TRUE(f.dev.Transact(HidRole::Cmd, req, "SendCmd", HidRole::Cmd, ans, "GetCmd"));
        }
    };
    std::jthread a(run, uint8_t(0x02));
    std::jthread b(run, uint8_t(0x1A));
    a.join();
    b.join();
    const auto calls = f.cmd->Calls();
    ASSERT_EQ(calls.size(), size_t(4 * kRounds));
    for (size_t i = 0; i < calls.size(); i += 2) {
        ASSERT_EQ(calls[i].strOp, "setf") << i;
        ASSERT_EQ(calls[i + 1].strOp, "getf") << i;
        ASSERT_EQ(calls[i].thread, calls[i + 1].thread) << "transaction at call " << i << " was interleaved";
        ASSERT_EQ(calls[i + 1].t - calls[i].t, 30ms) << i;
    }
}

// The device goes away while another thread keeps transferring: the handles
// are closed under the lock, and later transfers fail cleanly.
TEST(HidDevTransfer, ClearHandleDuringTransfersEndsThemCleanly)
{
    CLogCapture log;
    Fixture f;
    std::atomic<bool> bFailed{false};
    std::atomic<int> nOk{0};
    std::jthread worker([&] {
        std::vector<uint8_t> ans(6, 0);
        while (!bFailed) {
            ans[0] = 5;
            if (f.dev.Transact(HidRole::Cmd, kCmd, "SendCmd", HidRole::Cmd, ans, "GetCmd")) ++nOk;
            else bFailed = true;
        }
    });
    while (nOk < 5) std::this_thread::yield();
    f.dev.ClearHandle();
    worker.join();
    EXPECT_TRUE(bFailed);
    EXPECT_EQ(f.cmd->OpenHandles(), 0);
    EXPECT_FALSE(f.dev.IsConnected());
    EXPECT_EQ(log.Count("SendCmd err=19"), 1);
}

}  // namespace
