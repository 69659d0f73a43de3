// The type-24 keyboard against its virtual firmware, loaded from the kb24
// fixture: whole applies per flag group as sequences of the keyboard's
// operations and as journals, what the keyboard stores against what the
// profile asked for, two identical keyboards paired and written
// independently, failed transfers and reads, unplugging during an apply, and
// the real-time operations of the music page.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "model/device/kb/KbTestRig.h"
#include "core/Gvar.h"
#include "core/INoticeSink.h"
#include "core/IPrompt.h"
#include "core/Ini.h"
#include "core/Log.h"
#include "core/Options.h"
#include "core/Utf.h"
#include "device/ApplySnapshot.h"
#include "device/DeviceHub.h"
#include "device/IMsgTarget.h"
#include "device/kb/KbBlock.h"
#include "device/kb/KbDefaults.h"
#include "device/kb/KbDescSnap.h"
#include "device/newkb/DevNew.h"
#include "device/newkb/NewKbReports.h"
#include "emu/EmuBackend.h"
#include "emu/EmuHex.h"
#include "emu/EmuStateText.h"
#include "emu/VirtualClock.h"
#include "emu/newkb/EmuNewKb.h"
#include "keys/FunId.h"

using namespace newkb;

namespace {

constexpr uint32_t kMacroA = 0x000701, kMacroB = 0x000702;

MacroRecord TestMacro(uint32_t id, char16_t ch)
{
    MacroRecord r{};
    r.dwMagic = MACRO_MAGIC;
    r.MacroID = id;
    r.wLoopCount = 3;
    r.szName[0] = ch;
    r.Action[0] = {uint8_t(ch), 0, 1, {40, 0}};
    r.Action[1] = {uint8_t(ch), 0, 0, {60, 0}};
    return r;
}

class NewKbTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(kbtest::LoadInstallation("kb24.ini"));
        ASSERT_EQ(gVar.nKbFw, 24);
        m_macros.Add(TestMacro(kMacroA, u'Q'));
        m_macros.Add(TestMacro(kMacroB, u'W'));
        m_d = std::make_unique<kb::KbDescSnap>(kb::MakeKbDescSnap(gVar, g_defKEY));
    }

    void TearDown() override
    {
        m_units.clear();
        LogStop();
        ClearGvar();
    }

    // n identical keyboards and the family's device objects (unit 0 first).
    void Attach(int n)
    {
        m_backend = std::make_unique<CEmuBackend>();
        for (int k = 1; k <= n; ++k) {
            m_kbs.push_back(std::make_shared<CEmuNewKb>(NewKbConfigFor(gVar, k), m_clock));
            m_backend->AddDevice(m_kbs.back());
        }
        auto first = std::make_unique<CDevNew>(*m_backend, m_clock, m_notes);
        std::vector<std::unique_ptr<CHidDev>> more = first->MakeSiblings();
        m_units.push_back(std::move(first));
        for (auto& p : more) m_units.emplace_back(static_cast<CDevNew*>(p.release()));
    }

    std::unique_ptr<ProfileRecord> Profile(uint32_t nID = 5) const
    {
        auto pro = std::make_unique<ProfileRecord>();
        pro->dwMagic = kProfileMagic;
        pro->nID = nID;
        m_units.front()->FillDefault(*pro);
        return pro;
    }

    int Apply(CDevNew& dev, const ProfileRecord& pro, uint32_t nFlags, bool bGoWithNoDev = false)
    {
        const int n[kMsModeCount] = {};
        auto snap = MakeApplySnapshot(pro, m_macros, m_bullets, nullptr, 0, n, -1, false);
        snap->opt.bGoWithNoDev = bGoWithNoDev;
        return dev.ApplySetting(*snap, &m_progress, kMsgApplyProgress, nFlags, std::stop_token());
    }

    // The first bytes of each report the host sent: "06 83 00 00 01 00 f8 01".
    std::vector<std::string> SentHeads() const
    {
        std::vector<std::string> out;
        for (const std::string& l : m_backend->Journal()->Lines("setf", "cmd")) out.push_back(l.substr(9, 23));
        return out;
    }

    static int SlotOf(uint8_t vk)
    {
        for (int i = 0; i < gVar.Kb.nKeyNum; ++i)
            if (g_defKEY[i].byKey1 == vk && g_defKEY[i].byModifier == 0) return i;
        return -1;
    }

    CVirtualClock m_clock;
    kbtest::CNotes m_notes;
    kbtest::CProgress m_progress;
    CMacroList m_macros, m_bullets;
    std::unique_ptr<kb::KbDescSnap> m_d;
    std::unique_ptr<CEmuBackend> m_backend;
    std::vector<std::shared_ptr<CEmuNewKb>> m_kbs;
    std::vector<std::unique_ptr<CDevNew>> m_units;
};

}  // namespace

TEST_F(NewKbTest, WholeApplyPerFlagGroup)
{
    Attach(1);
    ASSERT_EQ(m_units[0]->FindHIDDevice(), 1);
    auto pro = Profile();
    pro->Kb.Key[SlotOf('A')].FunID = kFunMacro;
    pro->Kb.Key[SlotOf('A')].MacroID = kMacroA;
    const int nModes = m_d->nModeCount;
    struct Case {
        const char* pszWhat;
        bool bGame;
        uint32_t nFlags;
        std::vector<std::string> ops;
    };
    const std::string rgb = "W 0a/00 " + std::to_string(21 * nModes);
    std::vector<std::string> game = {"R 83/00", "W 03/00 504", "W 05/00 40", "W 04/00 128", "R 84/00"};
    for (int g = 0; g < m_d->GroupCount(); ++g) {
        game.push_back(EmuPrintf("W 06/%02x 378", g));
        game.push_back(EmuPrintf("R 86/%02x", g));
    }
    const Case cases[] = {
        {"normal, full", false, 0x8007, {"R 83/00", "W 03/00 504", "W 05/00 40", "W 04/00 128", "R 84/00", rgb}},
        {"keys", false, 0x0001, {"R 83/00", "W 03/00 504", "W 05/00 40"}},
        {"lighting", false, 0x0002, {"W 04/00 128", "R 84/00", rgb}},
        {"group colours outside their mode", false, 0x0004, {}},
        {"per-key colour mode, full", true, 0x8007, game},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        pro->Kb.nLedMode = c.bGame ? gVar.Kb.nGaoshouIndex : 0;
        m_kbs[0]->ClearOperations();
        m_backend->Journal()->Clear();
        m_progress.m_steps.clear();
        EXPECT_EQ(Apply(*m_units[0], *pro, c.nFlags), 1);
        EXPECT_EQ(m_kbs[0]->Operations(), c.ops);
        EXPECT_EQ(m_progress.m_steps.back(), 100);
        EXPECT_EQ(m_progress.m_steps.front(), 20);
        if (c.nFlags & 2) {
            EXPECT_NE(std::ranges::find(m_progress.m_steps, 40), m_progress.m_steps.end());
        }
    }
    EXPECT_EQ(m_backend->Violations(), std::vector<std::string>{});
    EXPECT_TRUE(m_notes.Notes().empty());
}

TEST_F(NewKbTest, JournalOfAKeysApplyIsChunkedWithItsPauses)
{
    Attach(1);
    ASSERT_EQ(m_units[0]->FindHIDDevice(), 1);
    auto pro = Profile();
    // Enough macros for a macro area over one chunk.
    MacroRecord big = TestMacro(0x000703, u'E');
    for (int i = 0; i < 170; ++i) big.Action[i] = {uint8_t('E'), 0, uint16_t(i % 2 == 0), {10, 0}};
    m_macros.Add(big);
    pro->Kb.Key[SlotOf('E')].FunID = kFunMacro;
    pro->Kb.Key[SlotOf('E')].MacroID = 0x000703;
    m_backend->Journal()->Clear();
    m_clock.ClearSleeps();
    ASSERT_EQ(Apply(*m_units[0], *pro, 0x0001), 1);
    // 4 + 30 + 170 * 3 = 544 bytes: two chunks, numbered, 512 and 32 bytes.
    EXPECT_EQ(SentHeads(), (std::vector<std::string>{"06 83 00 00 01 00 f8 01", "06 03 00 00 01 00 f8 01",
                                                     "06 05 00 00 02 00 00 02", "06 05 00 00 02 01 20 00"}));
    const std::vector<std::string> reads = m_backend->Journal()->Lines("getf", "cmd");
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_TRUE(reads[0].starts_with("getf cmd 06 83 00 00 01 00 f8 01")) << reads[0];
    // 20 before the job, 30 + 20 for the read, 30 + 20 for the matrix, 30 + 20 + 20 for the macros, 30 at the end.
    using ms = std::chrono::milliseconds;
    EXPECT_EQ(m_clock.Sleeps(), (std::vector<IClock::Duration>{ms(20), ms(30), ms(20), ms(30), ms(20), ms(30), ms(20),
                                                               ms(20), ms(500)}));
    EXPECT_EQ(m_backend->Violations(), std::vector<std::string>{});
}

TEST_F(NewKbTest, WhatTheKeyboardStoresIsWhatTheProfileAskedFor)
{
    Attach(1);
    ASSERT_EQ(m_units[0]->FindHIDDevice(), 1);
    const CEmuNewKb::State factory = m_kbs[0]->GetState();
    auto pro = Profile();
    KeyInfo& a = pro->Kb.Key[SlotOf('A')];
    a.FunID = kFunMacro;
    a.MacroID = kMacroA;
    KeyInfo& s = pro->Kb.Key[SlotOf('S')];
    s.FunID = kFunMacro;
    s.MacroID = kMacroB;
    pro->Kb.Key[SlotOf('D')] = pro->Kb.Key[SlotOf('A')];
    pro->Kb.Key[SlotOf('F')].FunID = MakeFunID(FUN_MEDIA, kCcPlayPause);
    pro->Kb.Key[SlotOf('G')].FunID = 0;  // left to the keyboard
    pro->Kb.Led[0].nSpeed = 2;
    pro->Kb.Led[0].nBright = 9;
    pro->Kb.Led[0].clr[3] = 0x123456;
    ASSERT_EQ(Apply(*m_units[0], *pro, 0x8007), 1);

    const CEmuNewKb::State st = m_kbs[0]->GetState();
    const kb::CKbBlock block(pro->Kb);
    const MatrixPlan plan = FillMatrix(
        block, *m_d, MatrixFromBytes(factory.matrix), [this](uint32_t id) { return m_macros.FindById(id); }, nullptr);
    const auto matrix = MatrixBytes(plan.codes);
    EXPECT_TRUE(std::equal(matrix.begin(), matrix.end(), st.matrix.begin()));
    EXPECT_EQ(m_kbs[0]->KeyCode(g_defKEY[SlotOf('F')].MatrixInx), 0xCD000002u);
    EXPECT_EQ(m_kbs[0]->KeyCode(g_defKEY[SlotOf('D')].MatrixInx), m_kbs[0]->KeyCode(g_defKEY[SlotOf('A')].MatrixInx));
    const int nG = g_defKEY[SlotOf('G')].MatrixInx;
    EXPECT_EQ(m_kbs[0]->KeyCode(nG), MatrixFromBytes(factory.matrix)[size_t(nG)]);
    ASSERT_EQ(st.nMacroLen, int(plan.area.size()));
    EXPECT_TRUE(std::equal(plan.area.begin(), plan.area.end(), st.macro.begin()));
    const auto led = LightingBlock(block, *m_d);
    EXPECT_TRUE(std::equal(led.begin(), led.end(), st.led.begin()));
    const std::vector<uint8_t> rgb = RgbTable(block, *m_d);
    ASSERT_EQ(st.nRgbLen, int(rgb.size()));
    EXPECT_TRUE(std::equal(rgb.begin(), rgb.end(), st.rgb.begin()));
    EXPECT_EQ(EmuHex(std::span(st.rgb).subspan(9, 3)), "12 34 56");  // blue, green, red (RGBIndex 2,1,0)

    // The per-key colour mode: every group as the profile has it.
    pro->Kb.nLedMode = gVar.Kb.nGaoshouIndex;
    pro->Kb.clrGameKey[1][SlotOf('Q')] = 0x0000FF;
    ASSERT_EQ(Apply(*m_units[0], *pro, 0x8007), 1);
    const CEmuNewKb::State st2 = m_kbs[0]->GetState();
    ASSERT_EQ(int(st2.game.size()), m_d->GroupCount());
    for (int g = 0; g < m_d->GroupCount(); ++g) {
        const std::vector<uint8_t> planes = GroupColours(kb::CKbBlock(pro->Kb), *m_d, g);
        EXPECT_TRUE(std::equal(planes.begin(), planes.end(), st2.game.at(g + 1).begin())) << g;
    }
    // Red of Q in group 2 lies in the third plane (GameRGBIndex 2,1,0).
    EXPECT_EQ(st2.game.at(2)[252 + size_t(g_defKEY[SlotOf('Q')].LedInx)], 0xFF);
    EXPECT_EQ(st2.led[8 + size_t(gVar.Kb.nLedModeSelectOffset)], 1);
    const std::string dump = m_kbs[0]->DescribeState();
    // The grid of a group names each key with its three plane bytes.
    const size_t nGroup2 = dump.find("per-key colours, group 2");
    ASSERT_NE(nGroup2, std::string::npos) << dump;
    EXPECT_NE(dump.find("Q         0000ff", nGroup2), std::string::npos) << dump;
    EXPECT_NE(dump.find("0: Q: press Q, 40 ms; release Q, 60 ms;"), std::string::npos) << dump;
    EXPECT_NE(dump.find("macro 0, repeat bit 1, count 3"), std::string::npos);
    EXPECT_NE(dump.find("consumer 00cd"), std::string::npos);
    EXPECT_EQ(m_backend->Violations(), std::vector<std::string>{});
}

TEST_F(NewKbTest, TwoIdenticalKeyboardsArePairedAndWrittenIndependently)
{
    Attach(2);
    ASSERT_EQ(m_units.size(), 5u);
    EXPECT_EQ(m_units[0]->FindHIDDevice(), 1);
    EXPECT_EQ(m_units[1]->FindHIDDevice(), 1);
    for (size_t u = 2; u < m_units.size(); ++u) EXPECT_EQ(m_units[u]->FindHIDDevice(), 0) << u;
    EXPECT_EQ(m_units[0]->Where(), "command emu:kb24/cmd, input emu:kb24/notify");
    EXPECT_EQ(m_units[1]->Where(), "command emu:kb24-2/cmd, input emu:kb24-2/notify");
    // Each keyboard answered the probe only on its own input interface.
    EXPECT_EQ(m_kbs[0]->ProbesAnswered(), 1);
    EXPECT_EQ(m_kbs[1]->ProbesAnswered(), 1);

    auto one = Profile(1), two = Profile(2);
    const int nA = g_defKEY[SlotOf('A')].MatrixInx;
    two->Kb.Key[SlotOf('A')].FunID = MakeFunID(FUN_MEDIA, kCcMute);
    two->Kb.Led[0].nBright = 1;
    EXPECT_EQ(Apply(*m_units[0], *one, 0x8007), 1);
    EXPECT_EQ(Apply(*m_units[1], *two, 0x8007), 1);
    EXPECT_EQ(m_kbs[0]->KeyCode(nA), 0x04000000u);   // A
    EXPECT_EQ(m_kbs[1]->KeyCode(nA), 0xE2000002u);   // mute
    EXPECT_NE(m_kbs[0]->GetState().led, m_kbs[1]->GetState().led);
    // A second discovery keeps each keyboard on its own object.
    EXPECT_EQ(m_units[1]->FindHIDDevice(), 1);
    EXPECT_EQ(m_units[1]->Where(), "command emu:kb24-2/cmd, input emu:kb24-2/notify");
    EXPECT_EQ(m_backend->Violations(), std::vector<std::string>{});
}

TEST_F(NewKbTest, AKeyboardWhoseInputStaysSilentIsNotPaired)
{
    Attach(2);
    m_kbs[0]->SetProbeSilent(true);
    EXPECT_EQ(m_units[0]->FindHIDDevice(), 1);
    EXPECT_EQ(m_units[0]->Where(), "command emu:kb24-2/cmd, input emu:kb24-2/notify");
    EXPECT_EQ(m_units[1]->FindHIDDevice(), 0);
}

TEST_F(NewKbTest, TheDeviceHubMakesOneObjectPerKeyboardSlot)
{
    Attach(2);
    CDeviceHub hub(*m_backend, m_clock, m_notes, nullptr);
    hub.Open();
    ASSERT_EQ(hub.Count(), 5u);
    EXPECT_STREQ(hub.Name(0), "keyboard 1");
    EXPECT_STREQ(hub.Name(4), "keyboard 5");
    EXPECT_FALSE(hub.IsSpare(0));
    EXPECT_TRUE(hub.IsSpare(1));
    EXPECT_EQ(CDeviceHub::UndrivenFamilies(gVar), std::vector<std::string>{});
    EXPECT_EQ(hub.FindNow(0), 1);
    EXPECT_EQ(hub.FindNow(1), 1);
    EXPECT_EQ(hub.FindNow(2), 0);
    EXPECT_EQ(hub.Device(1).Where(), "command emu:kb24-2/cmd, input emu:kb24-2/notify");
    hub.Close();
}

TEST_F(NewKbTest, AFailedMatrixReadWritesNoMatrix)
{
    Attach(1);
    ASSERT_EQ(m_units[0]->FindHIDDevice(), 1);
    auto pro = Profile();
    for (const bool bGoOn : {false, true}) {
        SCOPED_TRACE(bGoOn ? "GoWithNoDev" : "plain");
        m_kbs[0]->ClearOperations();
        m_clock.ClearSleeps();
        m_kbs[0]->FailNext(3);  // the read command, three times
        EXPECT_EQ(Apply(*m_units[0], *pro, 0x8007, bGoOn), 0);
        const std::vector<std::string> ops = m_kbs[0]->Operations();
        EXPECT_EQ(std::ranges::count_if(ops, [](const std::string& s) { return s.starts_with("W 03"); }), 0);
        // With GoWithNoDev the lighting is still written.
        EXPECT_EQ(std::ranges::count(ops, "W 04/00 128"), bGoOn ? 1 : 0);
        // Tries 100 ms apart.
        const auto sleeps = m_clock.Sleeps();
        EXPECT_EQ(std::ranges::count(sleeps, IClock::Duration(std::chrono::milliseconds(100))), 2);
    }
    // A write that fails three times fails the job.
    m_kbs[0]->ClearOperations();
    m_backend->Journal()->Clear();
    pro->Kb.nLedMode = 0;
    m_kbs[0]->FailNext(3);
    EXPECT_EQ(Apply(*m_units[0], *pro, 0x0002), 0);
    EXPECT_EQ(m_kbs[0]->Operations(), std::vector<std::string>{});
    EXPECT_EQ(m_backend->Violations(), std::vector<std::string>{});
}

TEST_F(NewKbTest, UnplugDuringAnApplyAndPlugBack)
{
    Attach(1);
    ASSERT_EQ(m_units[0]->FindHIDDevice(), 1);
    auto pro = Profile();
    m_kbs[0]->UnplugAfter(3);  // read, matrix, then the lighting block goes nowhere
    EXPECT_EQ(Apply(*m_units[0], *pro, 0x8007), 0);
    EXPECT_EQ(m_kbs[0]->Operations(), (std::vector<std::string>{"R 83/00", "W 03/00 504"}));
    // Discovery lets go of the slot; the keyboard is paired again once it is back.
    EXPECT_EQ(m_units[0]->FindHIDDevice(), 0);
    EXPECT_EQ(m_units[0]->Where(), "");
    m_kbs[0]->Plug();
    EXPECT_EQ(m_units[0]->FindHIDDevice(), 1);
    EXPECT_EQ(Apply(*m_units[0], *pro, 0x0002), 1);
    EXPECT_EQ(m_backend->Violations(), std::vector<std::string>{});
}

TEST_F(NewKbTest, RealTimeDataAndRestoringTheLighting)
{
    Attach(1);
    ASSERT_EQ(m_units[0]->FindHIDDevice(), 1);
    std::vector<uint8_t> frame(700);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = uint8_t(i * 5 + 1);
    m_clock.ClearSleeps();
    ASSERT_TRUE(m_units[0]->SetRealData(frame));
    EXPECT_EQ(m_kbs[0]->Operations(), std::vector<std::string>{"W 08/00 700"});
    EXPECT_EQ(m_clock.Sleeps(), (std::vector<IClock::Duration>{std::chrono::milliseconds(7), std::chrono::milliseconds(7)}));
    std::vector<uint8_t> back(700);
    ASSERT_TRUE(m_units[0]->GetRealData(back));
    EXPECT_EQ(back, frame);
    // A failed read is a failure, with nothing stale handed back.
    m_kbs[0]->FailNext(3);
    EXPECT_FALSE(m_units[0]->GetRealData(back));
    EXPECT_EQ(std::ranges::count(back, 0), 700);

    // While an apply runs, the music page's transfers are refused.
    auto pro = Profile();
    bool bTried = false;
    m_progress.m_hook = [&] {
        if (bTried) return;
        bTried = true;
        EXPECT_TRUE(m_units[0]->IsBusy());
        EXPECT_FALSE(m_units[0]->SetRealData(frame));
        EXPECT_FALSE(m_units[0]->RestoreLighting(*m_d, pro->Kb));
    };
    EXPECT_EQ(Apply(*m_units[0], *pro, 0x0002), 1);
    EXPECT_TRUE(bTried);
    m_progress.m_hook = nullptr;
    EXPECT_FALSE(m_units[0]->IsBusy());

    pro->Kb.nLedMode = 1;
    ASSERT_TRUE(m_units[0]->RestoreLighting(*m_d, pro->Kb));
    const auto led = LightingBlock(kb::CKbBlock(pro->Kb), *m_d);
    EXPECT_TRUE(std::ranges::equal(led, m_kbs[0]->GetState().led));
    EXPECT_EQ(m_backend->Violations(), std::vector<std::string>{});
}

// Real-time frames from the music thread while an apply runs on the apply
// thread: no frame's chunk goes out between the apply's first and last report.
TEST_F(NewKbTest, MusicFramesNeverInterleaveWithAnApply)
{
    Attach(1);
    ASSERT_EQ(m_units[0]->FindHIDDevice(), 1);
    auto pro = Profile();
    m_backend->Journal()->Clear();
    std::atomic<bool> bStop{false};
    std::atomic<int> nSent{0}, nTried{0};
    std::thread music([&] {
        const std::vector<uint8_t> frame(600, 0x11);  // two chunks a frame
        while (!bStop) {
            if (m_units[0]->SetRealData(frame)) ++nSent;
            ++nTried;
            std::this_thread::yield();
        }
    });
    ASSERT_TRUE(test::WaitFor([&] { return nSent.load() > 0; }));
    // At each progress step the music thread gets its turn, so a frame that
    // were let through would land in the middle of the apply.
    m_progress.m_hook = [&] {
        const int n = nTried.load();
        EXPECT_TRUE(test::WaitFor([&] { return nTried.load() > n + 2; }));
    };
    const int nApply = Apply(*m_units[0], *pro, 0x0007);
    m_progress.m_hook = nullptr;
    const int nAfter = nSent.load();
    ASSERT_TRUE(test::WaitFor([&] { return nSent.load() > nAfter + 2; }));
    bStop = true;
    music.join();
    EXPECT_EQ(nApply, 1);
    EXPECT_EQ(m_backend->Violations(), std::vector<std::string>{});
    // The command byte of every report the host sent, in order: 08 a real-time chunk.
    std::vector<std::string> cmds;
    for (const std::string& h : SentHeads()) cmds.push_back(h.substr(3, 2));
    const auto first = std::ranges::find_if(cmds, [](const std::string& c) { return c != "08"; });
    const auto last = std::find_if(cmds.rbegin(), cmds.rend(), [](const std::string& c) { return c != "08"; });
    ASSERT_NE(first, cmds.end());
    const std::vector<std::string> apply(first, last.base());
    EXPECT_EQ(std::ranges::count(apply, "08"), 0) << ::testing::PrintToString(apply);
    EXPECT_EQ(std::ranges::count(apply, "03"), 1);  // the matrix, in one chunk
}

// A new profile's keyboard block: the description's key table, its modes
// from LEDParam, the default mode, and the groups of GaoshouKey%d, over
// whatever the record held before.
TEST_F(NewKbTest, DefaultsAreTheKeyTableAndTheDescriptionsLighting)
{
    Attach(1);
    auto pro = std::make_unique<ProfileRecord>();
    std::memset(static_cast<void*>(&pro->Kb), 0xA5, sizeof(pro->Kb));
    m_units[0]->FillDefault(*pro);
    const KbSettings& s = pro->Kb;
    for (int i = 0; i < kKbKeyNum; ++i) {
        SCOPED_TRACE("slot " + std::to_string(i));
        EXPECT_EQ(s.Key[i].FunID, m_d->defKey[size_t(i)].FunID);
        EXPECT_EQ(s.Key[i].byKey1, m_d->defKey[size_t(i)].byKey1);
        EXPECT_EQ(s.Key[i].byModifier, m_d->defKey[size_t(i)].byModifier);
    }
    EXPECT_NE(s.Key[SlotOf('A')].FunID, 0u);
    // LEDParam=07,34,00,34: mode 0 colourful, mode 1 not; both speed 3, brightness 4.
    EXPECT_EQ(s.nLedMode, 0);
    EXPECT_EQ(s.Led[0].nSpeed, 3);
    EXPECT_EQ(s.Led[0].nBright, 4);
    EXPECT_EQ(s.Led[0].bColorful, 1);
    EXPECT_EQ(s.Led[1].bColorful, 0);
    EXPECT_EQ(s.Led[1].nDirect, 1);
    EXPECT_EQ(s.Led[1].clr[0], kb::kDefaultModeColours[0]);
    // GaoshouKey1 = W A S D, GaoshouKey2 = Q E R: each group lights its own keys only.
    const kb::CKbBlock block(s);
    EXPECT_EQ(block.GameColour(0, SlotOf('W')), gVar.Kb.clrGaoshou);
    EXPECT_EQ(block.GameColour(0, SlotOf('Q')), 0u);
    EXPECT_EQ(block.GameColour(1, SlotOf('Q')), gVar.Kb.clrGaoshou);
    EXPECT_EQ(block.GameColour(1, SlotOf('W')), 0u);
    EXPECT_NE(gVar.Kb.clrGaoshou, 0u);
    // The record is a usable profile: it applies with nothing the keyboard refuses.
    pro->dwMagic = kProfileMagic;
    pro->nID = 5;
    ASSERT_EQ(m_units[0]->FindHIDDevice(), 1);
    EXPECT_EQ(Apply(*m_units[0], *pro, 0x0007), 1);
    EXPECT_EQ(m_backend->Violations(), std::vector<std::string>{});
}
