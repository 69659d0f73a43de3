// CDevMirex against the virtual wired mouse: discovery, whole applies of each
// flag as journals, and every fault switch ending in its log line or message.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "device/ApplyWorker.h"
#include "device/mirex/MirexProtocol.h"
#include "model/device/mirex/MirexTestSupport.h"

using namespace mirextest;

namespace {

class MirexDevice : public MirexDeviceFixture {};

bool SameRecord(const ProfileRecord& a, const ProfileRecord& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

TEST_F(MirexDevice, FindsTheMouseAndReadsModeAndLevels)
{
    m_mouse->PressDpiButton();  // mode 1 now on its second level
    ASSERT_EQ(Find(), 1);
    EXPECT_EQ(g_nCurMode, 1);
    EXPECT_EQ(m_dev->Mode(), 1);
    EXPECT_EQ(g_nCurDpiLevel[0], 1);
    EXPECT_EQ(g_nCurDpiLevel[1], 0);
    EXPECT_EQ(g_nCurDpiLevel[2], 0);
    EXPECT_EQ(m_dev->FwVersion(), 0x0107);
    EXPECT_EQ(m_dev->GetPID(), 0x1007);
    EXPECT_TRUE(m_dev->IsListening());
    const std::vector<std::string> expected = {
        "setf cmd 05 02 00 00 00 00", "getf cmd 05 01 00 00 00 00", "setf cmd 05 11 00 00 00 00",
        "getf data 04 11 00 7b",      "setf cmd 05 21 00 00 00 00", "getf data 04 21 00 7b",
        "setf cmd 05 31 00 00 00 00", "getf data 04 31 00 7b",
    };
    EXPECT_EQ(Heads(Journal(), 4), Heads(expected, 4));  // the pointer interface is never touched
    EXPECT_TRUE(m_backend->Violations().empty());
    EXPECT_TRUE(m_log.HasPrefix("FW Version=0x107"));

    // The listener turns the mouse's own reports into messages.
    m_mouse->PressDpiButton();
    ASSERT_TRUE(m_wnd.WaitForCount(1));
    EXPECT_EQ(m_wnd.Msgs()[0].nMsg, kMsgInputReport);
    EXPECT_EQ(m_wnd.Msgs()[0].wParam, 0x0301u);  // mode 1, third level
}

TEST_F(MirexDevice, DiscoveryRefusals)
{
    struct Row {
        const char* pszName;
        int nSensorCode;
        const char* pszExtraMs;
        std::function<void(CEmuMirex&)> fault;
        int nResult;
        const char* pszMessage;  // shown, or null
        const char* pszLog;      // logged, or null
    };
    const Row rows[] = {
        {"sensor code 0", 0, "", nullptr, -1, "     Senr error    ", nullptr},
        {"undescribed sensor, auto switch", 3, "AutoSw=1", nullptr, 0, "Sensor 9800 is not supported", nullptr},
        {"another sensor", 3, "", nullptr, -1, "Sensor unmatch: dev=0x9800, cfg=0x3360", nullptr},
        {"unreadable block", 6, "", [](CEmuMirex& m) { m.SetBlockUnreadable(true); }, 0, nullptr,
         "CDevMirex::FindHIDDevice,  Get general data error"},
        {"receiver with the mouse off", 6, "", [](CEmuMirex& m) { m.SetMouseOff(true); }, -1, "     Senr error    ",
         nullptr},
        {"unplugged", 6, "", [](CEmuMirex& m) { m.Unplug(); }, 0, nullptr, nullptr},
        {"no permission", 6, "", [](CEmuMirex& m) { m.RefuseOpen(true); }, 0, nullptr,
         "CDevMirex::FindHIDDevice: the mouse's interfaces cannot be opened"},
    };
    for (const Row& r : rows) {
        Build(1, r.pszExtraMs, r.nSensorCode);
        if (r.fault) r.fault(*m_mouse);
        ClearMessages();
        EXPECT_EQ(Find(), r.nResult) << r.pszName;
        EXPECT_FALSE(m_dev->IsConnected()) << r.pszName;  // nothing left open
        EXPECT_FALSE(m_dev->IsListening()) << r.pszName;
        EXPECT_EQ(Messages(), r.pszMessage ? std::vector<std::string>{r.pszMessage} : std::vector<std::string>{})
            << r.pszName;
        if (r.pszLog) {
            EXPECT_TRUE(m_log.HasPrefix(r.pszLog)) << r.pszName;
        }
        EXPECT_EQ(m_dev->FoundButDenied(), std::string(r.pszName) == "no permission") << r.pszName;
        EXPECT_TRUE(m_backend->Violations().empty()) << r.pszName;
    }
}

TEST_F(MirexDevice, FullApplyJournal)
{
    Connect();
    const ProfileRecord pro = NewProfile();
    EXPECT_EQ(Apply(pro, kApplyFullMouse), 1);
    const std::vector<std::string> expected = {
        "setf cmd 05 11 00 00 00 00", "getf data 04 11 00 7b", "setf data 04 11 00 7b",
        "setf data 04 12 00 50",      "setf data 04 22 00 50", "setf data 04 32 00 50",
        "setf cmd 05 1b 14 00 00 00", "setf cmd 05 1a 02 00 00 00",
    };
    EXPECT_EQ(Heads(Journal(), 4), Heads(expected, 4));
    EXPECT_TRUE(m_backend->Violations().empty());
    EXPECT_EQ(Progress(), (std::vector<intptr_t>{40, 60, 80, 100}));
    EXPECT_EQ(m_pointer.m_calls.size(), 1u);
    EXPECT_EQ(SleepsOf(1500ms), 1);
    EXPECT_EQ(SleepsOf(3000ms), 0);  // no buffers written

    // What the mouse now holds, read from the mouse's side.
    const CEmuMirex::State s = m_mouse->GetState();
    EXPECT_EQ(EmuHex(std::span(s.block[0]).first(11)), "64 06 03 16 c0 03 05 06 0c 0f 11");
    EXPECT_EQ(m_mouse->KeyCode(1, 1), 0x111u);
    EXPECT_EQ(m_mouse->KeyCode(1, 2), 0x211u);
    EXPECT_EQ(m_mouse->KeyCode(1, 6), 0x41u);
    EXPECT_EQ(m_mouse->KeyCode(3, 7), 0x650u);
    EXPECT_EQ(m_mouse->KeyCode(1, 8), mirex::kKeyOff);
    EXPECT_EQ(s.nLiftOff, 0x14);
    EXPECT_EQ(s.nDebounce, 2);
}

TEST_F(MirexDevice, MacroOnTwoKeysIsWrittenOnce)
{
    Connect();
    m_macros.Add(Macro(0xABC, {Act('A', 0, 1, 300), Act('A', 0, 0, 20)}));
    ProfileRecord pro = NewProfile();
    pro.Ms.Mode[0].Key[0][0].FunID = kFunMacro;
    pro.Ms.Mode[0].Key[0][0].MacroID = 0xABC;
    pro.Ms.Mode[1].Key[0][1].FunID = kFunMacro;
    pro.Ms.Mode[1].Key[0][1].MacroID = 0xABC;
    EXPECT_EQ(Apply(pro, kApplyKeys), 1);
    EXPECT_EQ(Heads(Journal(), 9), (std::vector<std::string>{
                                       "setf data 04 30 02 00 00 00 00 00 01",
                                       "setf data 04 12 00 50 00 00 00 00 70",
                                       "setf data 04 22 00 50 00 00 00 00 11",
                                       "setf data 04 32 00 50 00 00 00 00 11",
                                   }));
    EXPECT_EQ(m_mouse->KeyCode(1, 1), 0x01010170u);
    EXPECT_EQ(m_mouse->KeyCode(2, 2), 0x01010170u);
    const auto s = m_mouse->GetState();
    ASSERT_EQ(s.macros.size(), 1u);
    EXPECT_EQ(CEmuMirex::DescribeMacroBuffer(s.macros.at(1)),
              (std::vector<std::string>{"1: key 04 press, 300 ms", "2: key 04 release, 20 ms"}));
    EXPECT_EQ(SleepsOf(60ms), 1);
    EXPECT_EQ(SleepsOf(3000ms), 1);  // the mouse stores its buffers
    EXPECT_EQ(m_macros.FindById(0xABC)->bySlot, 0);  // the user's records are not touched
}

TEST_F(MirexDevice, ResetWritesEveryMode)
{
    Connect();
    const ProfileRecord pro = NewProfile();
    EXPECT_EQ(Apply(pro, kApplyGeneral, true), 1);
    EXPECT_EQ(m_backend->Journal()->Lines("setf", "data").size(), 3u);
    const auto state = m_mouse->GetState();
    for (const auto& b : state.block) {
        EXPECT_EQ(b[0], 0x64);
        EXPECT_EQ(b[122], 0);
    }
    EXPECT_TRUE(m_backend->Violations().empty());
}

TEST_F(MirexDevice, PartialApplies)
{
    struct Row {
        uint32_t nFlags;
        std::vector<std::string> heads;  // first 2 bytes of each transfer
        size_t nPointerCalls;
    };
    const Row rows[] = {
        {kApplyOsPointer, {}, 1},
        {kApplyDebounce, {"setf cmd 05 1a"}, 0},
        {kApplyLod, {"setf cmd 05 1b"}, 0},
        {kApplyGeneral, {"setf cmd 05 11", "getf data 04 11", "setf data 04 11"}, 0},
        {kApplyLed, {"setf cmd 05 11", "getf data 04 11", "setf data 04 11"}, 0},
    };
    for (const Row& r : rows) {
        Connect();
        m_pointer.m_calls.clear();
        EXPECT_EQ(Apply(NewProfile(), r.nFlags), 1) << std::hex << r.nFlags;
        EXPECT_EQ(Heads(Journal(), 2), r.heads) << std::hex << r.nFlags;
        EXPECT_EQ(m_pointer.m_calls.size(), r.nPointerCalls) << std::hex << r.nFlags;
    }
}

TEST_F(MirexDevice, FaultsEndInTheirLogLinesAndLeaveTheRecord)
{
    struct Row {
        const char* pszName;
        int nGoWithNoDev;
        std::function<void(CEmuMirex&)> fault;
        int nResult;
        const char* pszLog;
        bool bBlockWritten;
    };
    const Row rows[] = {
        {"failed read", 0, [](CEmuMirex& m) { m.FailNext(3); }, 0, "Get general data error, err=0x20", false},
        {"failed read, go on", 1, [](CEmuMirex& m) { m.FailNext(3); }, 0, "Get general data error, err=0x20", false},
        {"unplugged during the job", 0, [](CEmuMirex& m) { m.UnplugAfter(2); }, 0, "SendData err=19", false},
        {"noise for an answer", 0, [](CEmuMirex& m) { m.AnswerGarbage(1); }, 0,
         "Get general data error, sensor 0x", false},
        {"unplugged before", 0, [](CEmuMirex& m) { m.Unplug(); }, 0, "SendCmd err=19", false},
    };
    for (const Row& r : rows) {
        Connect();
        const size_t nMark = m_log.Lines().size();  // this row's lines start here
        gVar.nGoWithNoDev = r.nGoWithNoDev;
        const ProfileRecord pro = NewProfile();
        auto snap = Snap(pro);
        const auto blockBefore = m_mouse->GetState().block[0];
        r.fault(*m_mouse);
        EXPECT_EQ(m_dev->ApplySetting(*snap, &m_progress, kMsgApplyProgress, kApplyGeneral | kApplyKeys,
                                      std::stop_token()),
                  r.nResult)
            << r.pszName;
        const auto lines = m_log.Lines();
        EXPECT_TRUE(std::any_of(lines.begin() + ptrdiff_t(nMark), lines.end(),
                                [&](const std::string& l) { return l.starts_with(r.pszLog); }))
            << r.pszName;
        EXPECT_TRUE(SameRecord(snap->pro, pro)) << r.pszName;
        EXPECT_EQ(m_mouse->GetState().block[0] != blockBefore, r.bBlockWritten) << r.pszName;
        // Going on after the failed read still writes the keys, and still reports failure.
        EXPECT_EQ(m_backend->Journal()->Lines("setf", "data").size(), r.nGoWithNoDev ? 3u : 0u) << r.pszName;
        m_mouse->Plug();
        m_mouse->AnswerGarbage(0);
        Find();
    }
}

TEST_F(MirexDevice, WithoutAnyMouseGoWithNoDevSucceeds)
{
    gVar.nGoWithNoDev = 1;
    EXPECT_EQ(Apply(NewProfile(), kApplyFullMouse), 1);
    EXPECT_TRUE(Journal().empty());
    gVar.nGoWithNoDev = 0;
    EXPECT_EQ(Apply(NewProfile(), kApplyFullMouse), 0);
}

TEST_F(MirexDevice, AStoppedJobEndsWithoutItsPauses)
{
    Connect();
    std::stop_source stop;
    stop.request_stop();
    auto snap = Snap(NewProfile());
    EXPECT_EQ(m_dev->ApplySetting(*snap, nullptr, kMsgApplyProgress, kApplyFullMouse, stop.get_token()), 0);
    EXPECT_EQ(SleepsOf(1500ms), 0);
    EXPECT_TRUE(Journal().empty());
}

TEST_F(MirexDevice, TheWorkerShowsTheFailure)
{
    Connect();
    m_mouse->FailNext(3);
    CApplyWorker worker(*m_dev, m_clock, m_notices, &m_wnd, ApplyWorkerCfg{});
    worker.Start();
    ASSERT_TRUE(worker.RequestApply(kApplyFullMouse, Snap(NewProfile()), fake::Borrow(m_progress)));
    worker.WaitIdle();
    worker.Stop();
    EXPECT_EQ(Messages(), std::vector<std::string>{U16ToUtf8(kApplyFailedText)});
}

TEST_F(MirexDevice, InvalidKeysMakeOneNotice)
{
    Connect();
    ProfileRecord pro = NewProfile();
    pro.Ms.Mode[0].Key[0][2].FunID = MakeFunID(FUN_SPECIAL, kSpShift);
    pro.Ms.Mode[0].Key[0][3].FunID = MakeFunID(FUN_MOUSE, 0x30);
    EXPECT_EQ(Apply(pro, kApplyKeys), 1);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], "Invalid key 3: FunID=0x80000a3, MacroID=0x0, Name=\n"
                             "Invalid key 4: FunID=0x1000030, MacroID=0x0, Name=");
    EXPECT_EQ(m_mouse->KeyCode(1, 3), mirex::kKeyOff);
}

TEST_F(MirexDevice, SetModeAndDefaults)
{
    Connect();
    EXPECT_EQ(m_dev->SetMode(2), 1);
    EXPECT_EQ(m_dev->SetMode(3), 0);
    EXPECT_EQ(Journal(), std::vector<std::string>{"setf cmd 05 02 03 00 00 00"});
    EXPECT_EQ(m_mouse->GetState().nMode, 3);

    const ProfileRecord pro = NewProfile();
    const MsModeSettings& m = pro.Ms.Mode[1];
    EXPECT_EQ(pro.Ms.nSensor, 0x3360);
    EXPECT_EQ(m.nDpiNum, 6);
    EXPECT_EQ(m.Dpi[5].nDpiX, 8000);
    EXPECT_EQ(m.Dpi[6].bDisabled, 1);
    EXPECT_EQ(m.nRate, 0x500);
    EXPECT_EQ(m.Sys.nDblClickTime, 550);
    EXPECT_EQ(m.nLod, 1);
    EXPECT_EQ(pro.Ms.nDebounce, 1);
    EXPECT_EQ(m.Key[4][1].FunID, MakeFunID(FUN_MOUSE, kMsRight));
    EXPECT_EQ(m.Key[4][1].MatrixInx, 2);
    EXPECT_EQ(m_dev->GetKeyTable(const_cast<ProfileRecord&>(pro), 3, 0), nullptr);
}

TEST_F(MirexDevice, DefaultLightingReachesTheMouse)
{
    Build(2);  // kind 2: the built-in effect list, effect 0 is type 1
    Connect();
    ASSERT_EQ(Apply(NewProfile(), kApplyLed), 1);
    const auto b = m_mouse->GetState().block[0];
    EXPECT_EQ(b[45], 1);
    EXPECT_EQ(b[46], 0x42);  // brightness 4 (default position 3), speed 2 (position 1)
    EXPECT_EQ(b[47], 1);
    EXPECT_TRUE(m_backend->Violations().empty());
}
