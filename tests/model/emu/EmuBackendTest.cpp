// The emulator framework: enumeration and opening, the journal, fault
// switches, input reports, and the protocol checks, on a small test device.
#include <gtest/gtest.h>

#include <cerrno>
#include <thread>

#include "TestSupport.h"
#include "emu/EmuBackend.h"
#include "emu/EmuHex.h"
#include "emu/VirtualClock.h"

using namespace std::chrono_literals;

namespace {

// cmd: feature report 5 of 6 bytes, a command opens a transaction that the
// next read closes; notify: input report 7 of 8 bytes; out: output report 2.
class CTestDevice final : public CEmuDevice {
public:
    explicit CTestDevice(IClock& clock) : CEmuDevice("dev", clock)
    {
        HidDevInfo cmd;
        cmd.nReportId = 5;
        cmd.nFeatureLen = 6;
        cmd.nUsagePage = 0xFF00;
        cmd.nUsage = 1;
        cmd.nVID = 0x1234;
        cmd.nPID = 0x5678;
        AddInterface("cmd", cmd);
        HidDevInfo notify = cmd;
        notify.nReportId = 7;
        notify.nFeatureLen = 0;
        notify.nInputLen = 8;
        AddInterface("notify", notify);
        HidDevInfo out = cmd;
        out.nReportId = 2;
        out.nFeatureLen = 0;
        out.nOutputLen = 4;
        AddInterface("out", out);
    }
    std::string DescribeState() const override { return "sets " + std::to_string(m_nSets); }
    int Sets() const
    {
        std::lock_guard lock(m_mtx);
        return m_nSets;
    }

protected:
    void OnSetFeature(int, std::span<const uint8_t>) override
    {
        ++m_nSets;
        BeginTransaction();
    }
    void OnGetFeature(int, std::span<uint8_t> buf) override
    {
        EndTransaction(30ms, "answer");
        for (size_t i = 1; i < buf.size(); ++i) buf[i] = uint8_t(i);
    }
    void OnWriteOutput(int, std::span<const uint8_t>) override {}
    std::string StateText() const override { return "sets " + std::to_string(m_nSets) + "\n"; }
    bool RestoreStateText(std::string_view text, std::string& strErr) override
    {
        if (!text.starts_with("sets ")) {
            strErr = "not a test state";
            return false;
        }
        m_nSets = std::stoi(std::string(text.substr(5)));
        return true;
    }

private:
    int m_nSets = 0;
};

class EmuBackend : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dev = std::make_shared<CTestDevice>(m_clock);
        m_backend.AddDevice(m_dev);
    }
    std::unique_ptr<IHidHandle> Open(const char* pszRole) { return m_backend.Open(std::string("emu:dev/") + pszRole); }
    bool Set(IHidHandle& h, std::vector<uint8_t> r) { return h.SetFeature(r); }
    std::string Get(IHidHandle& h)
    {
        std::array<uint8_t, 6> buf{5};
        return h.GetFeature(buf) ? EmuHex(buf) : "failed";
    }

    // Waits (a bounded poll) until a reader blocks in ReadInput; false when none does within 10 s.
    bool AwaitWaitingRead() const
    {
        for (int i = 0; i < 10000 && m_dev->WaitingReads() == 0; ++i) std::this_thread::sleep_for(1ms);
        return m_dev->WaitingReads() > 0;
    }

    CVirtualClock m_clock;
    CEmuBackend m_backend;
    std::shared_ptr<CTestDevice> m_dev;
    const std::vector<uint8_t> m_cmd{5, 1, 2, 3, 4, 5};
};

}  // namespace

TEST_F(EmuBackend, EnumeratesAndOpensByPath)
{
    const auto list = m_backend.Enumerate();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].szPath, "emu:dev/cmd");
    EXPECT_EQ(list[0].nFeatureLen, 6);
    EXPECT_EQ(list[1].szPath, "emu:dev/notify");
    EXPECT_TRUE(Open("cmd"));
    EXPECT_FALSE(m_backend.Open("emu:dev/nothing"));
    EXPECT_FALSE(m_backend.Open("/dev/hidraw0"));

    m_dev->RefuseOpen(true);
    EXPECT_FALSE(Open("cmd"));
    EXPECT_EQ(m_backend.Enumerate().size(), 3u);  // still there, only not for us
    m_dev->RefuseOpen(false);
    m_dev->Unplug();
    EXPECT_TRUE(m_backend.Enumerate().empty());
    EXPECT_FALSE(Open("cmd"));
    m_dev->Plug();
    EXPECT_EQ(m_backend.Enumerate().size(), 3u);
}

TEST_F(EmuBackend, JournalHasOneLinePerTransfer)
{
    test::CTempDir dir;
    auto cmd = Open("cmd"), notify = Open("notify"), out = Open("out");
    ASSERT_TRUE(Set(*cmd, m_cmd));
    m_clock.Sleep(30ms);
    EXPECT_EQ(Get(*cmd), "05 01 02 03 04 05");
    const uint8_t w[] = {2, 0xAB, 0, 0xFF};
    EXPECT_TRUE(out->WriteOutput(w));
    const uint8_t in[] = {7, 1, 2, 0, 0, 0, 0, 0};
    ASSERT_TRUE(m_dev->InjectInput("notify", in));
    std::array<uint8_t, 8> buf{};
    EXPECT_EQ(notify->ReadInput(buf, 0ms), 8);
    const std::vector<std::string> expected = {
        "setf cmd 05 01 02 03 04 05",
        "getf cmd 05 01 02 03 04 05",
        "write out 02 ab 00 ff",
        "read notify 07 01 02 00 00 00 00 00",
    };
    EXPECT_EQ(m_backend.Journal()->Lines(), expected);
    std::string strErr;
    ASSERT_TRUE(m_backend.Journal()->WriteFile(dir / "journal.txt", strErr)) << strErr;
    EXPECT_EQ(test::ReadBytes(dir / "journal.txt"), m_backend.Journal()->Text());
    EXPECT_EQ(m_backend.Journal()->Lines("getf", "cmd").size(), 1u);
    EXPECT_TRUE(m_backend.Violations().empty());
}

TEST_F(EmuBackend, FailNextFailsThatManyTransfersUnjournalled)
{
    auto cmd = Open("cmd");
    m_dev->FailNext(2);
    EXPECT_FALSE(Set(*cmd, m_cmd));
    EXPECT_EQ(cmd->LastError(), EPIPE);
    EXPECT_FALSE(Set(*cmd, m_cmd));
    EXPECT_TRUE(Set(*cmd, m_cmd));
    EXPECT_EQ(cmd->LastError(), 0);
    EXPECT_EQ(m_dev->Sets(), 1);
    EXPECT_EQ(m_dev->FailedTransfers(), 2);
    EXPECT_EQ(m_backend.Journal()->Size(), 1u);
}

TEST_F(EmuBackend, UnplugAfterTransfersAndOldHandlesStayDead)
{
    auto cmd = Open("cmd");
    m_dev->UnplugAfter(2);
    EXPECT_TRUE(Set(*cmd, m_cmd));
    m_clock.Sleep(30ms);
    EXPECT_NE(Get(*cmd), "failed");
    EXPECT_FALSE(Set(*cmd, m_cmd));
    EXPECT_EQ(cmd->LastError(), ENODEV);
    EXPECT_FALSE(m_dev->IsPlugged());
    m_dev->Plug();
    EXPECT_FALSE(Set(*cmd, m_cmd));  // a handle of the old device
    auto fresh = Open("cmd");
    EXPECT_TRUE(Set(*fresh, m_cmd));
}

TEST_F(EmuBackend, UnplugEndsAWaitingRead)
{
    auto notify = Open("notify");
    std::array<uint8_t, 8> buf{};
    int n = 0;
    std::thread reader([&] { n = notify->ReadInput(buf, 10000ms); });
    EXPECT_TRUE(AwaitWaitingRead());
    m_dev->Unplug();
    reader.join();
    EXPECT_EQ(n, -1);
    EXPECT_EQ(notify->LastError(), ENODEV);
}

TEST_F(EmuBackend, ReadsWaitTimeOutAndCancel)
{
    auto notify = Open("notify");
    std::array<uint8_t, 8> buf{};
    EXPECT_EQ(notify->ReadInput(buf, 1ms), 0);  // nothing came
    // A cancel with no read waiting is kept for the next read.
    notify->CancelRead();
    EXPECT_EQ(notify->ReadInput(buf, 10000ms), 0);
    // A cancel from another thread wakes a waiting read.
    int n = 1;
    std::thread reader([&] { n = notify->ReadInput(buf, 10000ms); });
    EXPECT_TRUE(AwaitWaitingRead());
    notify->CancelRead();
    reader.join();
    EXPECT_EQ(n, 0);
    // Reports queued before the read are delivered in order, to every open handle.
    auto second = Open("notify");
    const uint8_t a[] = {7, 1, 0, 0, 0, 0, 0, 0}, b[] = {7, 2, 0, 0, 0, 0, 0, 0};
    m_dev->InjectInput("notify", a);
    m_dev->InjectInput("notify", b);
    EXPECT_EQ(notify->ReadInput(buf, 0ms), 8);
    EXPECT_EQ(buf[1], 1);
    EXPECT_EQ(notify->ReadInput(buf, 0ms), 8);
    EXPECT_EQ(buf[1], 2);
    EXPECT_EQ(second->ReadInput(buf, 0ms), 8);
    EXPECT_EQ(buf[1], 1);
    EXPECT_FALSE(m_dev->InjectInput("battery", a));
}

TEST_F(EmuBackend, GarbageAnswers)
{
    auto cmd = Open("cmd");
    m_dev->AnswerGarbage(1);
    ASSERT_TRUE(Set(*cmd, m_cmd));
    m_clock.Sleep(30ms);
    const std::string noise = Get(*cmd);
    EXPECT_NE(noise, "05 01 02 03 04 05");
    EXPECT_EQ(noise.substr(0, 2), "05");  // the report id stays
    ASSERT_TRUE(Set(*cmd, m_cmd));
    m_clock.Sleep(30ms);
    EXPECT_EQ(Get(*cmd), "05 01 02 03 04 05");
}

TEST_F(EmuBackend, MouseOffTakesReportsAndAnswersEmpty)
{
    auto cmd = Open("cmd");
    m_dev->SetMouseOff(true);
    EXPECT_TRUE(Set(*cmd, m_cmd));
    EXPECT_EQ(m_dev->Sets(), 0);  // the receiver took it, no mouse saw it
    EXPECT_EQ(Get(*cmd), "05 00 00 00 00 00");
    EXPECT_TRUE(m_backend.Violations().empty());
    m_dev->SetMouseOff(false);
    EXPECT_TRUE(Set(*cmd, m_cmd));
    EXPECT_EQ(m_dev->Sets(), 1);
}

TEST_F(EmuBackend, RuleChecksCatchLengthIdAndGap)
{
    auto cmd = Open("cmd"), notify = Open("notify");
    EXPECT_FALSE(Set(*cmd, {5, 1, 2}));
    EXPECT_FALSE(Set(*cmd, {4, 1, 2, 3, 4, 5}));
    EXPECT_FALSE(Set(*notify, {7, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(Set(*cmd, m_cmd));
    m_clock.Sleep(29ms);
    EXPECT_NE(Get(*cmd), "failed");
    const std::vector<std::string> expected = {
        "setf cmd 05 01 02: 3 bytes, the report has 6",
        "setf cmd 04 01 02 03 04 05: report id 4, the interface takes 5",
        "setf notify 07 00 00 00 00 00 00 00: the interface has no such report",
        "answer read 29 ms after its command, 30 ms needed",
    };
    EXPECT_EQ(m_dev->Violations(), expected);
    EXPECT_EQ(m_dev->Sets(), 1);  // refused reports reach no firmware
    m_dev->ClearViolations();
    EXPECT_NE(Get(*cmd), "failed");
    EXPECT_EQ(m_dev->Violations(), std::vector<std::string>{"read of answer without a command before it"});
}

TEST_F(EmuBackend, TransferOfAnotherThreadInsideATransactionIsCaught)
{
    auto cmd = Open("cmd"), other = Open("cmd");
    ASSERT_TRUE(Set(*cmd, m_cmd));
    std::thread t([&] { Set(*other, m_cmd); });
    t.join();
    ASSERT_EQ(m_dev->Violations().size(), 1u);
    EXPECT_EQ(m_dev->Violations()[0], "setf on cmd from another thread between a command and its answer");
}

TEST_F(EmuBackend, StateFiles)
{
    test::CTempDir dir;
    auto cmd = Open("cmd");
    Set(*cmd, m_cmd);
    Set(*cmd, m_cmd);
    std::string strErr;
    ASSERT_TRUE(m_dev->SaveState(dir / "dev.state", strErr)) << strErr;
    EXPECT_EQ(test::ReadBytes(dir / "dev.state"), "sets 2\n");
    test::WriteBytes(dir / "bad.state", "nonsense");
    EXPECT_FALSE(m_dev->LoadState(dir / "bad.state", strErr));
    EXPECT_NE(strErr.find("not a test state"), std::string::npos);
    EXPECT_FALSE(m_dev->LoadState(dir / "missing.state", strErr));
    EXPECT_EQ(m_dev->Sets(), 2);
    test::WriteBytes(dir / "dev.state", "sets 7\n");
    ASSERT_TRUE(m_dev->LoadState(dir / "dev.state", strErr)) << strErr;
    EXPECT_EQ(m_dev->Sets(), 7);
}

// A listener hears every arrival and removal once, with the device's
// interfaces, on the thread that plugged, and outside the emulator's locks:
// it can enumerate and open from inside the call.
TEST_F(EmuBackend, PlugListenerHearsArrivalsAndRemovals)
{
    struct Heard {
        std::string strFirstPath;
        size_t nInterfaces;
        bool bArrived;
        size_t nEnumerated;  // what the backend listed from inside the call
        bool bOpened;
        std::thread::id thread;
    };
    std::vector<Heard> heard;
    m_backend.SetPlugListener([&](const std::vector<HidDevInfo>& ifaces, bool bArrived) {
        heard.push_back({ifaces.empty() ? std::string() : ifaces[0].szPath, ifaces.size(), bArrived,
                         m_backend.Enumerate().size(), m_backend.Open("emu:dev/cmd") != nullptr,
                         std::this_thread::get_id()});
    });
    m_dev->Unplug();
    m_dev->Unplug();  // already gone: nothing to tell
    std::thread([&] { m_dev->Plug(); }).join();
    m_dev->Plug();    // already there
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[0].strFirstPath, "emu:dev/cmd");
    EXPECT_EQ(heard[0].nInterfaces, 3u);
    EXPECT_FALSE(heard[0].bArrived);
    EXPECT_EQ(heard[0].nEnumerated, 0u);
    EXPECT_FALSE(heard[0].bOpened);
    EXPECT_EQ(heard[0].thread, std::this_thread::get_id());
    EXPECT_TRUE(heard[1].bArrived);
    EXPECT_EQ(heard[1].nEnumerated, 3u);
    EXPECT_TRUE(heard[1].bOpened);
    EXPECT_NE(heard[1].thread, std::this_thread::get_id());

    // The unplug fault pulls the device inside a transfer: told once, after it.
    heard.clear();
    auto cmd = Open("cmd");
    m_dev->UnplugAfter(1);
    EXPECT_TRUE(Set(*cmd, m_cmd));
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_FALSE(heard[0].bArrived);
    EXPECT_EQ(heard[0].nEnumerated, 0u);

    // A device added plugged arrives; an empty listener stops the calls.
    heard.clear();
    auto second = std::make_shared<CTestDevice>(m_clock);
    m_backend.AddDevice(second);
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_TRUE(heard[0].bArrived);
    m_backend.SetPlugListener(nullptr);
    second->Unplug();
    EXPECT_EQ(heard.size(), 1u);
}

// A device that outlives its backend may still be plugged and pulled.
TEST(EmuBackendLifetime, ADeviceOutlivesItsBackend)
{
    CVirtualClock clock;
    auto dev = std::make_shared<CTestDevice>(clock);
    int nHeard = 0;
    {
        CEmuBackend backend;
        backend.SetPlugListener([&](const std::vector<HidDevInfo>&, bool) { ++nHeard; });
        backend.AddDevice(dev);
    }
    dev->Unplug();
    dev->Plug();
    EXPECT_EQ(nHeard, 1);  // the arrival while the backend was there
}

TEST(EmuVirtualClock, RecordsWaitsAndMovesTime)
{
    CVirtualClock clock;
    const auto t0 = clock.Now();
    clock.Sleep(30ms);
    clock.Advance(5ms);
    std::stop_source stop;
    EXPECT_TRUE(clock.SleepUnless(200ms, stop.get_token()));
    stop.request_stop();
    EXPECT_FALSE(clock.SleepUnless(1500ms, stop.get_token()));
    EXPECT_EQ(clock.Now() - t0, 235ms);
    EXPECT_EQ(clock.Sleeps(), (std::vector<IClock::Duration>{30ms, 200ms}));
    EXPECT_EQ(clock.TotalSlept(), 230ms);
}

TEST(EmuHexText, RoundTripAndRefusals)
{
    const uint8_t b[] = {0, 0x0F, 0xA0, 0xFF};
    EXPECT_EQ(EmuHex(b), "00 0f a0 ff");
    EXPECT_EQ(EmuParseHex("00 0f a0 FF", 10), (std::vector<uint8_t>{0, 0x0F, 0xA0, 0xFF}));
    EXPECT_FALSE(EmuParseHex("0f0", 10));
    EXPECT_FALSE(EmuParseHex("0g", 10));
    EXPECT_FALSE(EmuParseHex("00 01 02", 2));
    EXPECT_EQ(EmuParseHex("", 2), std::vector<uint8_t>{});
}
