// The RGB keyboard against its virtual firmware, loaded from the fixture
// configurations (the demo's family 22, and family 23): discovery, whole
// applies per flag group as journals, what the keyboard stores against what
// the profile asked for, the refusals, failed reads, and the music operations.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "model/device/kb/KbTestRig.h"
#include "core/Gvar.h"
#include "core/Ini.h"
#include "core/INoticeSink.h"
#include "core/IPrompt.h"
#include "core/Log.h"
#include "core/Options.h"
#include "core/Utf.h"
#include "device/ApplySnapshot.h"
#include "device/IMsgTarget.h"
#include "device/kb/KbDefaults.h"
#include "device/kb/KbKeyMatrix.h"
#include "device/varorgb/DevVaroRGB.h"
#include "device/varorgb/VaroRgbCodes.h"
#include "emu/EmuBackend.h"
#include "emu/EmuHex.h"
#include "emu/VirtualClock.h"
#include "emu/varorgb/EmuVaroRgb.h"
#include "keys/FunId.h"
#include "keys/KeyCodes.h"

namespace varorgbtest {
void LoadFnTable(const CIniFile& cfg, IPrompt& prompt);
}

namespace {

constexpr uint32_t kMacroId = 0x000777;

MacroRecord KeyMacro()
{
    MacroRecord r{};
    r.dwMagic = MACRO_MAGIC;
    r.MacroID = kMacroId;
    r.wLoopCount = 2;
    r.Action[0] = {'A', 0, 1, {50, 0}};
    r.Action[1] = {'A', 0, 0, {250, 0}};
    return r;
}

class VaroRgbTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        m_dev.reset();
        LogStop();
        ClearGvar();
    }

    void Load(const char* pszFixture)
    {
        // The Fn layer of the fixture (start-up reads the application folder's).
        ASSERT_NO_FATAL_FAILURE(kbtest::LoadInstallation(pszFixture, varorgbtest::LoadFnTable));
        m_log.Start();
        m_backend = std::make_unique<CEmuBackend>();
        m_kb = std::make_shared<CEmuVaroRgb>(VaroRgbConfigFor(gVar), m_clock);
        m_backend->AddDevice(m_kb);
        m_dev = std::make_unique<CDevVaroRGB>(*m_backend, m_clock, m_notes, gVar.nKbFw);
        ASSERT_EQ(m_dev->FindHIDDevice(), 1);
        m_pro = std::make_unique<ProfileRecord>();
        m_pro->dwMagic = kProfileMagic;
        m_pro->nID = 5;
        m_dev->FillDefault(*m_pro);
        m_snapKb = kb::MakeKbDescSnap(gVar, g_defKEY);
        m_backend->Journal()->Clear();
    }

    int Apply(uint32_t nFlags, bool bReset = false)
    {
        const int n[kMsModeCount] = {};
        auto snap = MakeApplySnapshot(*m_pro, m_macros, m_bullets, nullptr, 0, n, -1, bReset);
        return m_dev->ApplySetting(*snap, &m_progress, kMsgApplyProgress, nFlags, std::stop_token());
    }

    // One line a transfer the keyboard took: "R 83@b6" a read command, "W 03@b6"
    // a data write, "M" a music frame; answers are left out.
    std::vector<std::string> Transfers() const
    {
        return kbtest::Summaries(*m_backend->Journal(), kbtest::CmdDataSummary);
    }

    bool Logged(std::string_view text) const { return m_log.Logged(text); }

    int SlotOf(uint8_t vk) const { return kb::SlotOfVk(m_snapKb, vk); }
    int PosOf(uint8_t vk) const { return g_defKEY[kb::SlotOfVk(m_snapKb, vk)].MatrixInx; }

    CVirtualClock m_clock;
    kbtest::CNotes m_notes;
    kbtest::CProgress m_progress;
    std::unique_ptr<CEmuBackend> m_backend;
    std::shared_ptr<CEmuVaroRgb> m_kb;
    std::unique_ptr<CDevVaroRGB> m_dev;
    std::unique_ptr<ProfileRecord> m_pro;
    CMacroList m_macros, m_bullets;
    kb::KbDescSnap m_snapKb;
    kbtest::CLogCapture m_log;
};

using Seq = std::vector<std::string>;

}  // namespace

TEST_F(VaroRgbTest, FindsTheKeyboardAndRefusesWhatCannotBeOpened)
{
    Load("keyboard-only.ini");
    EXPECT_TRUE(m_dev->IsConnected());
    EXPECT_TRUE(m_dev->HasMusic());
    EXPECT_EQ(m_dev->FwVersion(), 0x0105);
    m_dev->ClearHandle();
    m_kb->RefuseOpen(true);
    EXPECT_EQ(m_dev->FindHIDDevice(), 0);
    EXPECT_TRUE(m_dev->FoundButDenied());
    EXPECT_FALSE(m_dev->IsConnected());
}

TEST_F(VaroRgbTest, WholeApplyPerFlagGroup)
{
    struct Case {
        const char* fixture;
        bool bGameMode;
        uint32_t nFlags;
        Seq want;
    };
    const Case cases[] = {
        {"keyboard-only.ini", false, 0x8007,
         {"R 83@b6", "R 88@b8", "W 08@b8", "R 84@d4", "W 04@d4", "W 03@b6"}},
        {"keyboard-only.ini", false, 0x02, {"R 83@b6", "R 88@b8", "W 08@b8", "W 03@b6"}},
        {"keyboard-only.ini", false, 0x04, {"R 83@b6"}},  // per-key colours only in their mode
        {"keyboard-only.ini", false, 0x01, {"R 83@b6", "R 84@d4", "W 04@d4"}},
        {"keyboard-only.ini", true, 0x8007, {"R 83@b6", "W 09@bc", "W 09@c0", "R 84@d4", "W 04@d4", "W 03@b6"}},
        {"keyboard-only.ini", true, 0x10, {"R 83@b6", "W 09@bc", "W 09@c0"}},
        {"kb23.ini", false, 0x8007, {"R 83@ba", "R 84@d4", "W 04@d4", "W 03@ba"}},
        {"kb23.ini", true, 0x06, {"R 83@ba", "W 09@bc", "W 09@c0", "W 03@ba"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.fixture) + " flags " + std::to_string(c.nFlags) + (c.bGameMode ? " game" : ""));
        Load(c.fixture);
        if (c.bGameMode) m_pro->Kb.nLedMode = gVar.Kb.nGaoshouIndex;
        EXPECT_EQ(Apply(c.nFlags), 1);
        EXPECT_EQ(Transfers(), c.want);
        EXPECT_EQ(m_backend->Violations(), std::vector<std::string>{});
        EXPECT_EQ(m_progress.m_steps.back(), 100);
        m_progress.m_steps.clear();
        TearDown();
    }
}

TEST_F(VaroRgbTest, TheKeyboardStoresWhatTheProfileAskedFor)
{
    Load("keyboard-only.ini");
    ASSERT_NE(m_macros.Add(KeyMacro()), nullptr);
    const int nA = SlotOf('A'), nF1 = SlotOf(0x70), nB = SlotOf('B');
    ASSERT_GE(nA, 0);
    ASSERT_GE(nF1, 0);
    ASSERT_GE(nB, 0);
    ASSERT_GE(g_defKEY[nF1].nFnIndex, 0);
    m_pro->Kb.Key[nA].byKey1 = 'Z';                         // A now sends Z
    m_pro->Kb.Key[nB].FunID = kFunMacro;                    // B plays the macro
    m_pro->Kb.Key[nB].MacroID = kMacroId;
    m_pro->Kb.nLedMode = 2;
    m_pro->Kb.Led[2].nSpeed = 2;
    m_pro->Kb.Led[2].nBright = 3;
    m_pro->Kb.Led[2].clr[0] = 0x102030;
    m_pro->Kb.nCurGameGroup = 1;
    m_backend->Journal()->Clear();
    const std::vector<uint8_t> before = m_kb->Cfg();
    ASSERT_EQ(Apply(0x8007), 1);
    EXPECT_EQ(m_backend->Violations(), std::vector<std::string>{});

    // Keys: the position of A holds Z; F1's position keeps its Fn reference and
    // F1 itself went to that Fn entry; B plays macro buffer 1.
    EXPECT_EQ(m_kb->KeyCode(PosOf('A')), 0x1D000000u);
    const int e = g_defKEY[nF1].nFnIndex;
    EXPECT_EQ(m_kb->KeyCode(g_defKEY[nF1].MatrixInx), kb::FnRef(e));
    EXPECT_EQ(m_kb->KeyCode(132 + e), 0x3A000000u);
    EXPECT_EQ(m_kb->KeyCode(PosOf('B')), 0x00010010u);
    const auto macros = m_kb->PageAt(0xDC);
    EXPECT_EQ(EmuHex(std::span(macros).first(12)), "00 02 32 04 b2 04 00 03 00 02 00 00");

    // Lighting: the configuration in use names mode 2 (its mode number 3), group 1 + 32; mode 2's
    // speed and brightness; its colour in the table, blue first; every other byte as the keyboard had it.
    const std::vector<uint8_t> cfg = m_kb->Cfg();
    EXPECT_EQ(EmuHex(std::span(cfg).subspan(8 + 4, 3)), "00 03 21");
    EXPECT_EQ(cfg[8 + 22 + 2 * 2 + 1], 0x23);
    for (size_t i : {size_t(1), size_t(3), size_t(7), size_t(8 + 10), size_t(8 + 123 + 5), size_t(253)})
        EXPECT_EQ(cfg[i], before[i]) << i;
    const auto rgb = m_kb->PageAt(0xB8);
    EXPECT_EQ(EmuHex(std::span(rgb).subspan(21 + 2 * 21, 3)), "10 20 30");  // 0x102030: blue 10 first
    EXPECT_EQ(rgb[0], 0xA0);  // bytes before the table are the keyboard's

    // Per-key colours: in the per-key mode the keyboard holds the profile's groups by LED position.
    m_pro->Kb.nLedMode = gVar.Kb.nGaoshouIndex;
    m_pro->Kb.clrGameKey[1][nA] = 0x0000FF;
    ASSERT_EQ(Apply(0x04), 1);
    const auto led0 = m_kb->PageAt(0xBC);
    const int nLedA = g_defKEY[nA].LedInx;
    EXPECT_EQ(led0[size_t(378 + 252 + nLedA)], 0xFF);  // group 1, red plane last (GameRGBIndex 2,1,0)
    EXPECT_EQ(led0[size_t(378 + nLedA)], 0x00);
    const std::string dump = m_kb->DescribeState();
    EXPECT_NE(dump.find("macro buffer 1"), std::string::npos) << dump;
    EXPECT_NE(dump.find("press A, 50 ms"), std::string::npos) << dump;
}

// 32 macro buffers, eight to a block, on both keyboards of the family: 33
// keys with 33 macros fill the four blocks, each key plays its own buffer,
// and the 33rd key keeps what the keyboard had.
TEST_F(VaroRgbTest, ThirtyTwoMacroBuffersAndTheThirtyThirdKeyKeepsItsFunction)
{
    struct Case { const char* fixture; uint8_t byFirstBlock; };
    for (const Case& c : {Case{"keyboard-only.ini", 0xDC}, Case{"kb23.ini", 0xDC}}) {
        SCOPED_TRACE(c.fixture);
        Load(c.fixture);
        std::vector<int> slots, used;  // keys with a position of their own, outside the Fn layer
        for (int i = 0; i < gVar.Kb.nKeyNum && slots.size() < 33; ++i) {
            const KeyInfo& k = g_defKEY[i];
            if (k.FunID == 0 || k.MatrixInx < 0 || k.MatrixInx >= 132 || k.nFnIndex >= 0) continue;
            if (std::ranges::count(used, k.MatrixInx)) continue;
            used.push_back(k.MatrixInx);
            slots.push_back(i);
        }
        ASSERT_EQ(slots.size(), 33u);
        for (size_t n = 0; n < slots.size(); ++n) {
            MacroRecord r = KeyMacro();
            r.MacroID = kMacroId + uint32_t(n);
            r.wLoopCount = uint16_t(n + 1);  // names the macro in its buffer
            ASSERT_NE(m_macros.Add(r), nullptr);
            m_pro->Kb.Key[slots[n]].FunID = kFunMacro;
            m_pro->Kb.Key[slots[n]].MacroID = r.MacroID;
        }
        const uint32_t dwLastBefore = m_kb->KeyCode(used.back());
        ASSERT_EQ(Apply(0x01), 1);
        EXPECT_EQ(m_backend->Violations(), std::vector<std::string>{});
        const std::vector<std::string> t = Transfers();
        for (int b = 0; b < 4; ++b) {
            const std::string w = "W 05@" + Hex2(uint8_t(c.byFirstBlock + 4 * b));
            EXPECT_EQ(std::ranges::count(t, w), 1) << w;
        }
        for (size_t n = 0; n < 32; ++n) {
            SCOPED_TRACE("key " + std::to_string(n));
            const uint32_t code = m_kb->KeyCode(used[n]);
            ASSERT_EQ(code & 0xFF, 0x10u);
            const int nBuffer = int(code >> 24);  // buffer number - 1
            const auto page = m_kb->PageAt(uint8_t(c.byFirstBlock + 4 * (nBuffer / 8)));
            const size_t at = size_t(nBuffer % 8) * 128;
            EXPECT_EQ((page[at] << 8 | page[at + 1]), int(n + 1));  // the buffer holds this key's macro
        }
        EXPECT_EQ(m_kb->KeyCode(used.back()), dwLastBefore);
        EXPECT_TRUE(Logged("no macro buffer left (32 in use)"));
        m_macros.Clear();
        TearDown();
    }
}

TEST_F(VaroRgbTest, SingleColourKeyboardStoresItsModeBytesAndOnOffKeys)
{
    Load("kb23.ini");
    const int nEsc = SlotOf(27);
    ASSERT_GE(nEsc, 0);
    m_pro->Kb.nLedMode = gVar.Kb.nGaoshouIndex;
    m_pro->Kb.Led[1].nSpeed = 4;
    m_pro->Kb.Led[1].nBright = 1;
    m_pro->Kb.clrGameKey[0][nEsc] = 0x00FF00;
    ASSERT_EQ(Apply(0x8007), 1);
    const std::vector<uint8_t> cfg = m_kb->Cfg();
    EXPECT_EQ(cfg[8 + 4], 1);                                // per-key colour mode
    EXPECT_EQ(cfg[8 + 19 + 1], 0x41);                        // mode 1: speed 4, brightness 1
    EXPECT_EQ(m_kb->PageAt(0xBC)[size_t(g_defKEY[nEsc].LedInx)], 1);
    EXPECT_EQ(m_backend->Violations(), std::vector<std::string>{});
}

TEST_F(VaroRgbTest, WirelessOrForeignConfigurationIsToldAndNothingWritten)
{
    for (const bool bWireless : {true, false}) {
        Load("keyboard-only.ini");
        if (bWireless) {
            gVar.Kb.nTipForWireless = 1;
            m_kb->SetWireless(true);
        } else {
            gVar.Kb.nTipForDevCfg = 1;
            m_kb->SetCfgInUse(1);
        }
        EXPECT_EQ(Apply(0x8007), 1);
        EXPECT_EQ(Transfers(), Seq{"R 83@b6"});
        ASSERT_EQ(m_notes.Notes().size(), bWireless ? 1u : 2u);  // one note per run, the notes add up
        TearDown();
    }
}

TEST_F(VaroRgbTest, FailedReadsNeverLeadToWritingBack)
{
    // The configuration cannot be read: without GoWithNoDev nothing at all is written.
    Load("keyboard-only.ini");
    m_kb->SetUnreadable(0xB6);
    EXPECT_EQ(Apply(0x8007), 0);
    EXPECT_EQ(Transfers(), Seq{"R 83@b6"});
    TearDown();

    // With it, the keys still go, but no configuration that was never read.
    Load("keyboard-only.ini");
    gVar.nGoWithNoDev = 1;
    m_kb->SetUnreadable(0xB6);
    Apply(0x8007);
    EXPECT_EQ(Transfers(), (Seq{"R 83@b6", "R 84@d4", "W 04@d4"}));
    TearDown();

    // An answer for another command is no answer: the read fails.
    Load("keyboard-only.ini");
    m_kb->AnswerOtherCommand(1);
    EXPECT_EQ(Apply(0x01), 0);
    EXPECT_EQ(Transfers(), Seq{"R 83@b6"});
    EXPECT_TRUE(Logged("the answer is for"));
    TearDown();

    // The key block cannot be read (sync): it is not written; the rest goes on with GoWithNoDev.
    Load("keyboard-only.ini");
    gVar.nGoWithNoDev = 1;
    m_kb->SetUnreadable(0xD4);
    EXPECT_EQ(Apply(0x8007), 0);  // a keyboard was there and a step failed
    EXPECT_EQ(Transfers(), (Seq{"R 83@b6", "R 88@b8", "W 08@b8", "R 84@d4", "W 03@b6"}));
    EXPECT_TRUE(Logged("Read matrix err, bSyncKB=1"));
}

TEST_F(VaroRgbTest, MusicFramesEffectDataAndRestore)
{
    Load("keyboard-only.ini");
    std::vector<uint8_t> frame(378);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = uint8_t(i);
    EXPECT_TRUE(m_dev->SendMusicData(frame));
    EXPECT_EQ(m_kb->GetState().nFrames, 1);
    EXPECT_EQ(m_kb->GetState().frame[377], uint8_t(377));
    frame.push_back(0);
    EXPECT_FALSE(m_dev->SendMusicData(frame));  // too long
    EXPECT_EQ(m_kb->GetState().nFrames, 1);

    std::vector<uint8_t> effect(378);
    ASSERT_TRUE(m_dev->ReadEffectData(effect));
    EXPECT_EQ(effect[10], uint8_t(30));
    std::vector<uint8_t> small(100);
    EXPECT_FALSE(m_dev->ReadEffectData(small));

    ASSERT_TRUE(m_dev->RestoreLighting(m_snapKb, gVar.Kb.nGaoshouIndex));
    const std::vector<uint8_t> cfg = m_kb->Cfg();
    EXPECT_EQ(cfg[8 + 4], 1);  // the per-key colour mode shows with its switch on
    EXPECT_EQ(cfg[8 + 5], m_snapKb.DevMode(gVar.Kb.nGaoshouIndex));
    EXPECT_EQ(m_backend->Violations(), std::vector<std::string>{});
}

// Music frames sent from another thread all through an apply: none goes out
// between the apply's first and last transfer.
TEST_F(VaroRgbTest, MusicFramesNeverInterleaveWithAnApply)
{
    Load("keyboard-only.ini");
    std::atomic<bool> bStop{false};
    std::atomic<int> nSent{0};
    std::thread music([&] {
        const std::vector<uint8_t> frame(378, 0x11);
        while (!bStop) {
            if (m_dev->SendMusicData(frame)) ++nSent;
            std::this_thread::yield();
        }
    });
    ASSERT_TRUE(test::WaitFor([&] { return nSent.load() > 0; }));
    const int nApply = Apply(0x8007);
    ASSERT_TRUE(test::WaitFor([&] { return m_kb->GetState().nFrames > 2; }));
    bStop = true;
    music.join();
    EXPECT_EQ(nApply, 1);
    const std::vector<std::string> t = Transfers();
    const auto first = std::find_if(t.begin(), t.end(), [](const std::string& s) { return s != "M"; });
    const auto last = std::find_if(t.rbegin(), t.rend(), [](const std::string& s) { return s != "M"; });
    ASSERT_NE(first, t.end());
    EXPECT_EQ(std::count(first, last.base(), std::string("M")), 0);
    EXPECT_EQ(std::count(first, last.base(), std::string("W 04@d4")), 1);
}
