// The transport object of keyboards and the pad: its transfers, its handles
// and the apply worker asking it whether the device is there.
#include <gtest/gtest.h>

#include "FakeHid.h"
#include "TestDev.h"
#include "device/ApplyWorker.h"
#include "device/HidDevList.h"
#include "device/HidDrv.h"

using namespace fake;
using namespace std::chrono_literals;

namespace {

// A transport with two interfaces told apart by their feature length.
class CTestDrv final : public CHidDrv {
public:
    using CHidDrv::CHidDrv;
    ~CTestDrv() override { ClearHandle(); }
    int FindDev() override
    {
        CHidDevList list;
        list.EnumHidDevices(m_backend, 0x1234, 0x0042, 0);
        const HidDevInfo* pCmd = PickLast(list, {.nFeatureLen = 6});
        const HidDevInfo* pData = PickLast(list, {.nFeatureLen = 1032});
        if (!pCmd || !pData) return 0;
        auto hCmd = OpenPath(pCmd->szPath);
        auto hData = OpenPath(pData->szPath);
        if (!hCmd || !hData) return 0;
        CmdLock lock = LockCmd();
        m_hCmd = std::move(hCmd);
        m_hData = std::move(hData);
        return 1;
    }
    IHidHandle* GetHandle() override
    {
        CmdLock lock = LockCmd();
        return m_hCmd.get();
    }
    void ClearHandle() override
    {
        CloseHandle(m_hCmd);
        CloseHandle(m_hData);
    }
    bool Ask(std::vector<uint8_t>& answer)
    {
        const uint8_t cmd[6] = {0x05, 0x88, 0, 0, 0, 0};
        return Transact(m_hCmd, cmd, "SendCommand", m_hData, answer, "GetData", 20ms);
    }

private:
    std::unique_ptr<IHidHandle> m_hCmd, m_hData;
};

TEST(HidDevDrv, FindsTransfersAndClosesItsInterfaces)
{
    CLogCapture log;
    CClock clock;
    CBackend b;
    auto cmd = b.Add(Info("kb-cmd", 0x1234, 0x0042, 0xFF00, 1, 0, 0, 6, 5), &clock);
    auto data = b.Add(Info("kb-data", 0x1234, 0x0042, 0xFF00, 1, 0, 0, 1032, 6), &clock);
    CTestDrv drv(b, clock);
    ASSERT_EQ(drv.FindDev(), 1);
    EXPECT_FALSE(drv.FoundButDenied());
    data->SetAnswer({0xA1, 0xB2});
    data->FailNext(1);
    std::vector<uint8_t> answer(1032, 0);
    answer[0] = 6;
    ASSERT_TRUE(drv.Ask(answer));
    EXPECT_EQ(answer[1], 0xA1);
    // The family's own gap after the command, then one retry of the answer.
    EXPECT_EQ(clock.Sleeps(), (std::vector<IClock::Duration>{20ms, 200ms}));

    drv.ClearHandle();
    EXPECT_EQ(drv.GetHandle(), nullptr);
    EXPECT_EQ(cmd->OpenHandles(), 0);
    EXPECT_EQ(data->OpenHandles(), 0);
    answer[0] = 6;
    EXPECT_FALSE(drv.Ask(answer));
    EXPECT_EQ(log.Count("SendCommand err=19"), 1);
}

TEST(HidDevDrv, InterfaceThatCannotBeOpenedMarksFoundButDenied)
{
    CLogCapture log;
    CClock clock;
    CBackend b;
    b.Add(Info("kb-cmd", 0x1234, 0x0042, 0xFF00, 1, 0, 0, 6, 5));
    b.AddUnopenable(Info("kb-data", 0x1234, 0x0042, 0xFF00, 1, 0, 0, 1032, 6));
    CTestDrv drv(b, clock);
    EXPECT_EQ(drv.FindDev(), 0);
    EXPECT_TRUE(drv.FoundButDenied());
    EXPECT_EQ(drv.GetHandle(), nullptr);
    EXPECT_EQ(log.Count("CHidDrv: cannot open kb-data"), 1);
}

// A keyboard's worker asks the transport whether the device is there.
TEST(HidDevDrv, WorkerTakesTheHandleFromTheTransport)
{
    CClock clock;
    CBackend b;
    b.Add(Info("kb-cmd", 0x1234, 0x0042, 0xFF00, 1, 0, 0, 6, 5));
    b.Add(Info("kb-data", 0x1234, 0x0042, 0xFF00, 1, 0, 0, 1032, 6));
    CRecordingPrompt prompt;
    CTestDrv drv(b, clock);
    CTestDev dev(b, clock, prompt);  // no handle of its own
    dev.SetDrv(&drv);
    ApplyWorkerCfg cfg;
    cfg.nHandleSource = 1;
    CApplyWorker worker(dev, clock, prompt, nullptr, cfg);
    worker.Start();
    ProfileRecord pro{};
    const int levels[kMsModeCount] = {};
    auto snap = [&] { return MakeApplySnapshot(pro, CMacroList(), CMacroList(), nullptr, 0, levels, -1, false); };

    ASSERT_TRUE(worker.RequestApply(kApplyFullKbPad, snap()));
    worker.WaitIdle();
    EXPECT_TRUE(dev.Calls().empty());
    EXPECT_EQ(prompt.Entries().size(), 1u);

    ASSERT_EQ(drv.FindDev(), 1);
    ASSERT_TRUE(worker.RequestApply(kApplyFullKbPad, snap()));
    worker.WaitIdle();
    EXPECT_EQ(dev.Calls().size(), 1u);
    EXPECT_EQ(prompt.Entries().size(), 1u);
    worker.Stop();
}

}  // namespace
