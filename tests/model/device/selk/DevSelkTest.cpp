// The Selk keyboard against its virtual firmware, loaded from the fixture
// configuration kb20.ini: discovery, whole applies per flag group as
// journals, what the keyboard stores against what the profile asked for, the
// bytes read-modify-write must keep, the refusal, failed transfers and reads,
// and a keyboard pulled out in the middle of an apply.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
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
#include "device/IMsgTarget.h"
#include "device/kb/KbDefaults.h"
#include "device/kb/KbKeyMatrix.h"
#include "device/kb/KbMacro128.h"
#include "device/selk/DevSelk.h"
#include "device/selk/SelkBlocks.h"
#include "device/selk/SelkCodes.h"
#include "emu/EmuBackend.h"
#include "emu/EmuHex.h"
#include "emu/VirtualClock.h"
#include "emu/selk/EmuSelk.h"
#include "keys/FunId.h"
#include "keys/KeyCodes.h"

namespace selktest {
void LoadFnTable(const CIniFile& cfg, IPrompt& prompt);
}

namespace {

constexpr uint32_t kMacroId = 0x000555;

MacroRecord KeyMacro()
{
    MacroRecord r{};
    r.dwMagic = MACRO_MAGIC;
    r.MacroID = kMacroId;
    r.nRepeatMode = 1;
    r.wLoopCount = 2;
    r.Action[0] = {kVkRShift, 0, 1, {50, 0}};
    r.Action[1] = {'A', 0, 1, {250, 0}};
    r.Action[2] = {'A', 0, 0, {5, 0}};
    r.Action[3] = {kVkRShift, 0, 0, {5, 0}};
    return r;
}

using Seq = std::vector<std::string>;

class SelkTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        m_dev.reset();
        LogStop();
        ClearGvar();
        m_progress.m_steps.clear();
        m_macros.Clear();
    }

    void Load()
    {
        // The Fn layer of the fixture (start-up reads the application folder's).
        ASSERT_NO_FATAL_FAILURE(kbtest::LoadInstallation("kb20.ini", selktest::LoadFnTable));
        ASSERT_EQ(gVar.nKbFw, 20);
        m_log.Start();
        m_backend = std::make_unique<CEmuBackend>();
        m_kb = std::make_shared<CEmuSelk>(SelkConfigFor(gVar), m_clock);
        m_backend->AddDevice(m_kb);
        m_dev = std::make_unique<CDevSelk>(*m_backend, m_clock, m_notes);
        ASSERT_EQ(m_dev->FindHIDDevice(), 1);
        m_pro = std::make_unique<ProfileRecord>();
        m_pro->dwMagic = kProfileMagic;
        m_pro->nID = 5;
        m_dev->FillDefault(*m_pro);
        m_snapKb = std::make_unique<kb::KbDescSnap>(kb::MakeKbDescSnap(gVar, g_defKEY));
        m_backend->Journal()->Clear();
    }

    int Apply(uint32_t nFlags, bool bReset = false, IMsgTarget* pProgress = nullptr)
    {
        const int n[kMsModeCount] = {};
        auto snap = MakeApplySnapshot(*m_pro, m_macros, m_bullets, nullptr, 0, n, -1, bReset);
        return m_dev->ApplySetting(*snap, pProgress ? pProgress : &m_progress, kMsgApplyProgress, nFlags,
                                   std::stop_token());
    }

    // One line a transfer the keyboard took: "R 83@00" a read command, "W 03@00"
    // a data write; answers are left out.
    Seq Transfers() const { return kbtest::Summaries(*m_backend->Journal(), kbtest::CmdDataSummary); }

    bool Logged(std::string_view text) const { return m_log.Logged(text); }

    int SlotOf(uint8_t vk) const { return kb::SlotOfVk(*m_snapKb, vk); }
    int PosOf(uint8_t vk) const { return g_defKEY[kb::SlotOfVk(*m_snapKb, vk)].MatrixInx; }

    CVirtualClock m_clock;
    kbtest::CNotes m_notes;
    kbtest::CProgress m_progress;
    std::unique_ptr<CEmuBackend> m_backend;
    std::shared_ptr<CEmuSelk> m_kb;
    std::unique_ptr<CDevSelk> m_dev;
    std::unique_ptr<ProfileRecord> m_pro;
    CMacroList m_macros, m_bullets;
    std::unique_ptr<kb::KbDescSnap> m_snapKb;
    kbtest::CLogCapture m_log;
};

}  // namespace

TEST_F(SelkTest, FindsTheKeyboardAndRefusesWhatCannotBeOpened)
{
    Load();
    EXPECT_TRUE(m_dev->IsConnected());
    EXPECT_EQ(m_dev->FwVersion(), 0x0102);
    m_dev->ClearHandle();
    m_kb->RefuseOpen(true);
    EXPECT_EQ(m_dev->FindHIDDevice(), 0);
    EXPECT_TRUE(m_dev->FoundButDenied());
    EXPECT_FALSE(m_dev->IsConnected());
    m_kb->RefuseOpen(false);
    m_kb->Unplug();
    EXPECT_EQ(m_dev->FindHIDDevice(), 0);
    EXPECT_FALSE(m_dev->FoundButDenied());
}

TEST_F(SelkTest, DefaultsTakeTheFamilysLightingPolicy)
{
    Load();
    // DefLed=2,2,3,1,0: mode 2 with speed 2, brightness 3, first direction, not colourful.
    EXPECT_EQ(m_pro->Kb.nLedMode, 2);
    EXPECT_EQ(m_pro->Kb.Led[2].nSpeed, 2);
    EXPECT_EQ(m_pro->Kb.Led[2].nBright, 3);
    EXPECT_EQ(m_pro->Kb.Led[2].nDirect, 1);
    EXPECT_EQ(m_pro->Kb.Led[2].bColorful, 0);
    // Other modes: LEDParam's nibbles plus one (the built-in 0x07, 0x35: speed 3 + 1, brightness 5 + 1).
    EXPECT_EQ(m_pro->Kb.Led[0].nSpeed, 4);
    EXPECT_EQ(m_pro->Kb.Led[0].nBright, 6);
    EXPECT_EQ(m_pro->Kb.Led[0].bColorful, 1);
    for (const KeyInfo& k : m_pro->Kb.DirectKey) EXPECT_EQ(k.FunID, 0u);
}

TEST_F(SelkTest, WholeApplyPerFlagGroup)
{
    struct Case {
        const char* what;
        bool bGameMode;
        int nGroup;
        bool bMacro;
        uint32_t nFlags;
        Seq want;
    };
    const Case cases[] = {
        {"apply", false, 0, false, 0x8007, {"R 83@00", "W 03@00", "W 08@a8", "R 84@c8", "W 04@c8", "W 03@00"}},
        {"apply with a macro", false, 0, true, 0x8007,
         {"R 83@00", "W 03@00", "W 08@a8", "W 05@cc", "R 84@c8", "W 04@c8", "W 03@00"}},
        {"lighting", false, 0, false, 0x02, {"R 83@00", "W 03@00", "W 08@a8", "W 03@00"}},
        {"colours outside their mode", false, 0, false, 0x04, {}},
        {"keys", false, 0, false, 0x01, {"R 84@c8", "W 04@c8"}},
        {"apply, game mode", true, 0, false, 0x8007,
         {"R 83@00", "W 03@00", "W 09@ac", "W 09@b0", "R 84@c8", "W 04@c8", "W 03@00"}},
        {"all colours", true, 0, false, 0x06, {"R 83@00", "W 03@00", "W 09@ac", "W 09@b0", "W 03@00"}},
        {"one key's colour, group 2", true, 2, false, 0x04, {"W 09@b0"}},
        {"one key's colour, group 1", true, 1, false, 0x10, {"W 09@ac"}},
        {"one key's colour, group 14", true, 14, false, 0x04, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Load();
        if (c.bGameMode) m_pro->Kb.nLedMode = gVar.Kb.nGaoshouIndex;
        m_pro->Kb.nCurGameGroup = uint16_t(c.nGroup);
        if (c.bMacro) {
            ASSERT_NE(m_macros.Add(KeyMacro()), nullptr);
            m_pro->Kb.Key[SlotOf('B')].FunID = kFunMacro;
            m_pro->Kb.Key[SlotOf('B')].MacroID = kMacroId;
        }
        EXPECT_EQ(Apply(c.nFlags), 1);
        EXPECT_EQ(Transfers(), c.want);
        EXPECT_EQ(m_backend->Violations(), std::vector<std::string>{});
        ASSERT_FALSE(m_progress.m_steps.empty());
        EXPECT_EQ(m_progress.m_steps.front(), 20);
        EXPECT_EQ(m_progress.m_steps.back(), 100);
        TearDown();
    }
}

TEST_F(SelkTest, TheKeyboardStoresWhatTheProfileAskedFor)
{
    Load();
    ASSERT_NE(m_macros.Add(KeyMacro()), nullptr);
    const int nA = SlotOf('A'), nB = SlotOf('B'), nF1 = SlotOf(0x70), nF9 = SlotOf(0x78);
    ASSERT_GE(nA, 0);
    ASSERT_GE(nB, 0);
    ASSERT_GE(nF1, 0);
    ASSERT_GE(nF9, 0);
    m_pro->Kb.Key[nA].FunID = kFunLeftClick;                 // A is the left button
    m_pro->Kb.Key[nB].FunID = kFunMacro;                     // B plays the macro (repeat mode 1)
    m_pro->Kb.Key[nB].MacroID = kMacroId;
    m_pro->Kb.Key[nF9].nFnIndex = 40;                        // F9 with Fn: play/pause
    m_pro->Kb.Key[nF9].FnFun.FunID = MakeFunID(FUN_MEDIA, kCcPlayPause);
    m_pro->Kb.nLedMode = 2;
    m_pro->Kb.Led[2].nSpeed = 4;
    m_pro->Kb.Led[2].nBright = 2;
    m_pro->Kb.Led[2].nDirect = 2;
    m_pro->Kb.Led[2].bColorful = 0;
    m_pro->Kb.Led[2].nClrIndex = 3;
    m_pro->Kb.Led[2].clr[0] = 0x102030;
    m_pro->Kb.nCurGameGroup = 1;
    ASSERT_EQ(Apply(0x8007), 1);
    EXPECT_EQ(m_backend->Violations(), std::vector<std::string>{});

    // Keys, as the keyboard reads them, high byte first.
    EXPECT_EQ(m_kb->KeyValue(PosOf('A')), 0x070000F0u);
    EXPECT_EQ(m_kb->KeyValue(PosOf('B')), 0x10000500u);        // buffer 1
    EXPECT_EQ(m_kb->KeyValue(PosOf('C')), 0x00000006u);        // untouched keys: their own usage
    EXPECT_EQ(m_kb->KeyValue(PosOf(0x78)), 0x02000028u);       // F9: Fn entry 40
    EXPECT_EQ(m_kb->KeyValue(132 + 40), 0x00000042u);
    EXPECT_EQ(m_kb->KeyValue(180 + 40), 0x040000CDu);
    const int e = g_defKEY[nF1].nFnIndex;                      // the fixture's Fn layer: F1 with Fn
    ASSERT_GE(e, 0);
    ASSERT_LT(e, 48);
    EXPECT_EQ(m_kb->KeyValue(g_defKEY[nF1].MatrixInx), 0x02000000u | uint32_t(e));
    EXPECT_EQ(m_kb->KeyValue(132 + e), 0x0000003Au);
    kb::Macro128 want{};
    kb::EncodeMacro128(KeyMacro(), want, selk::kMacroStyle);
    const std::vector<uint8_t> macros = m_kb->Memory(0xCC, 128);
    EXPECT_TRUE(std::equal(want.begin(), want.end(), macros.begin()));
    EXPECT_EQ(EmuHex(std::span(macros).first(14)), "00 02 32 e1 32 04 00 03 00 02 85 04 85 e1");

    // Lighting: mode 2 is mode byte 3, group 1 + 32, its entry colour 3 with
    // the second direction of Direct1 (3,1,2: code 2), speed 4 - 1, brightness 2 - 1.
    const std::vector<uint8_t> cfg = m_kb->Cfg();
    EXPECT_EQ(cfg[0], gVar.Kb.nOurCfg);
    EXPECT_EQ(EmuHex(std::span(cfg).subspan(8 + 4, 3)), "00 03 21");
    EXPECT_EQ(EmuHex(std::span(cfg).subspan(8 + 20 + 4, 2)), "23 31");
    EXPECT_EQ(EmuHex(std::span(cfg).subspan(8 + 62, 2)), "5a a5");
    const std::vector<uint8_t> rgb = m_kb->Memory(0xA8, 1024);
    const selk::SelkBlock tab = selk::BuildRgbTable(kb::CKbBlock(m_pro->Kb), *m_snapKb);
    EXPECT_TRUE(std::equal(tab.begin(), tab.end(), rgb.begin()));
    EXPECT_EQ(EmuHex(std::span(rgb).subspan(21 + 2 * 21, 3)), "30 20 10");  // 0x102030 with RGBIndex 0,1,2

    // Per-key colours: in the per-key mode the keyboard holds the profile's
    // groups, blue, green and red planes at each key's LED position.
    m_pro->Kb.nLedMode = gVar.Kb.nGaoshouIndex;
    m_pro->Kb.clrGameKey[1][nA] = 0x00332211;
    ASSERT_EQ(Apply(0x06), 1);
    const std::vector<uint8_t> led = m_kb->Memory(0xAC, 1024);
    const int nLedA = g_defKEY[nA].LedInx;
    EXPECT_EQ(led[size_t(396 + nLedA)], 0x33);
    EXPECT_EQ(led[size_t(396 + 132 + nLedA)], 0x22);
    EXPECT_EQ(led[size_t(396 + 264 + nLedA)], 0x11);
    const selk::SelkBlock blk = selk::BuildLedBlock(kb::CKbBlock(m_pro->Kb), *m_snapKb, 0);
    EXPECT_TRUE(std::equal(blk.begin(), blk.end(), led.begin()));
    EXPECT_EQ(m_kb->Cfg()[8 + 4], 1);
    EXPECT_EQ(m_backend->Violations(), std::vector<std::string>{});

    const std::string dump = m_kb->DescribeState();
    EXPECT_NE(dump.find("mouse left"), std::string::npos) << dump;
    EXPECT_NE(dump.find("macro buffer 1, repeat mode 05"), std::string::npos) << dump;
    EXPECT_NE(dump.find("press LShift, 50 ms"), std::string::npos) << dump;
    EXPECT_NE(dump.find("Fn entry 40; key F9; with Fn consumer 00cd"), std::string::npos) << dump;
    EXPECT_NE(dump.find("per-key colours, group 2"), std::string::npos) << dump;
    EXPECT_NE(dump.find("112233"), std::string::npos) << dump;
}

// The keyboard has 32 macro buffers, eight to a block: 33 keys with 33
// macros fill all four blocks in the order the keys name them, each key
// plays its own buffer, and the 33rd key keeps the keyboard's own function.
TEST_F(SelkTest, ThirtyTwoMacroBuffersAndTheThirtyThirdKeyKeepsItsFunction)
{
    Load();
    std::vector<int> slots;  // keys with a position of their own, outside the Fn layer and the twin pair
    std::vector<int> used;
    for (int i = 0; i < gVar.Kb.nKeyNum && slots.size() < 33; ++i) {
        const KeyInfo& k = g_defKEY[i];
        if (k.FunID == 0 || k.MatrixInx < 0 || k.MatrixInx >= 132 || k.nFnIndex >= 0) continue;
        if (k.MatrixInx == 75 || k.MatrixInx == 80 || std::ranges::count(used, k.MatrixInx)) continue;
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
    const uint32_t dwLastBefore = m_kb->KeyValue(used.back());
    ASSERT_EQ(Apply(0x01), 1);
    EXPECT_EQ(Transfers(), (Seq{"W 05@cc", "W 05@d0", "W 05@d4", "W 05@d8", "R 84@c8", "W 04@c8"}));
    EXPECT_EQ(m_backend->Violations(), std::vector<std::string>{});
    for (size_t n = 0; n < 32; ++n) {
        SCOPED_TRACE("key " + std::to_string(n));
        const uint32_t v = m_kb->KeyValue(used[n]);
        ASSERT_EQ(v >> 24, 0x10u);
        const int nBuffer = int(v & 0xFF);  // buffer number - 1
        const std::vector<uint8_t> buf = m_kb->Memory(0xCC + 4 * (nBuffer / 8), 1024);
        const size_t at = size_t(nBuffer % 8) * 128;
        EXPECT_EQ((buf[at] << 8 | buf[at + 1]), int(n + 1));  // the buffer holds this key's macro
    }
    EXPECT_EQ(m_kb->KeyValue(used.back()), dwLastBefore);
    EXPECT_TRUE(Logged("no macro buffer left (32 in use)"));
}

TEST_F(SelkTest, ReadModifyWriteKeepsWhatTheProfileDoesNotName)
{
    Load();
    const std::vector<uint8_t> cfgBefore = m_kb->Cfg();
    const std::vector<uint8_t> keysBefore = m_kb->Memory(0xC8, 1024);
    ASSERT_EQ(Apply(0x8007), 1);
    const std::vector<uint8_t> cfg = m_kb->Cfg();
    // Written: byte 0; in P (from 8): 4..6 the mode bytes, 20.. the mode
    // entries, 62/63 the marks. Everything else as the keyboard had it.
    const int nModes = m_snapKb->nModeCount;
    for (size_t i = 1; i < cfg.size(); ++i) {
        const bool bWritten = (i >= 12 && i <= 14) || (i >= 28 && i < 28 + 2 * size_t(nModes)) || i == 70 || i == 71;
        if (!bWritten) EXPECT_EQ(cfg[i], cfgBefore[i]) << i;
    }
    // The key block: positions no key of the profile names keep the keyboard's codes.
    const std::vector<uint8_t> keys = m_kb->Memory(0xC8, 1024);
    int nKept = 0;
    for (size_t i = 0; i < 256; ++i)
        if (keysBefore[4 * i] == 0xEE) {
            EXPECT_TRUE(std::equal(keys.begin() + ptrdiff_t(4 * i), keys.begin() + ptrdiff_t(4 * i + 4),
                                   keysBefore.begin() + ptrdiff_t(4 * i)))
                << i;
            ++nKept;
        }
    EXPECT_GT(nKept, 60);  // 45 positions without a key, 28 after the Fn tables
    // Without SyncKB the block is the profile's alone.
    TearDown();
    Load();
    gVar.Kb.nSyncKB = 0;
    ASSERT_EQ(Apply(0x01), 1);
    EXPECT_EQ(Transfers(), Seq{"W 04@c8"});
    EXPECT_EQ(m_kb->KeyValue(255), 0u);
}

TEST_F(SelkTest, AResetSwitchesToTheKeyboardsDefaultConfiguration)
{
    Load();
    gVar.Kb.nOurCfg = 1;
    gVar.Kb.nDefCfg = 0;
    ASSERT_EQ(Apply(0x8007), 1);
    EXPECT_EQ(m_kb->Cfg()[0], 1);
    m_backend->Journal()->Clear();
    ASSERT_EQ(Apply(0x8007, true), 1);
    EXPECT_EQ(m_kb->Cfg()[0], 0);
    EXPECT_EQ(Transfers(), (Seq{"R 83@00", "W 03@00", "W 08@a8", "R 84@c8", "W 04@c8", "W 03@00"}));
    // The first write of the configuration clears its mode and group bytes;
    // the last one names the mode (2 + EffectBase) and group (0 + StartGp).
    const std::vector<std::string> writes = m_backend->Journal()->Lines("setf", "data");
    ASSERT_GE(writes.size(), 2u);
    const auto first = EmuParseHex(std::string_view(writes.front()).substr(10), 1032);
    const auto last = EmuParseHex(std::string_view(writes.back()).substr(10), 1032);
    ASSERT_TRUE(first && last);
    EXPECT_EQ((*first)[1], 3);
    EXPECT_EQ((*first)[8 + 13], 0);
    EXPECT_EQ((*first)[8 + 14], 0);
    EXPECT_EQ((*first)[8], 1);  // still the configuration that was read
    EXPECT_EQ((*last)[1], 3);
    EXPECT_EQ((*last)[8], 0);
    EXPECT_EQ((*last)[8 + 13], 3);
    EXPECT_EQ((*last)[8 + 14], 32);
}

TEST_F(SelkTest, AnotherConfigurationIsToldAndNothingWritten)
{
    Load();
    gVar.Kb.nTipForDevCfg = 1;
    m_kb->SetCfgInUse(uint8_t(gVar.Kb.nOurCfg + 1));
    for (const uint32_t nFlags : {0x8007u, 0x01u}) {
        m_backend->Journal()->Clear();
        EXPECT_EQ(Apply(nFlags), 1);
        EXPECT_EQ(Transfers(), Seq{"R 83@00"});
    }
    EXPECT_EQ(m_notes.Notes().size(), 2u);
    m_kb->SetCfgInUse(gVar.Kb.nOurCfg);
    m_backend->Journal()->Clear();
    EXPECT_EQ(Apply(0x01), 1);
    EXPECT_EQ(Transfers(), (Seq{"R 83@00", "R 84@c8", "W 04@c8"}));
}

TEST_F(SelkTest, FailedReadsNeverLeadToWritingBack)
{
    // The configuration cannot be read: nothing at all is written.
    Load();
    m_kb->SetUnreadable(0x00);
    EXPECT_EQ(Apply(0x8007), 0);
    EXPECT_EQ(Transfers(), Seq{"R 83@00"});
    TearDown();

    // With GoWithNoDev the keys still go, but no configuration that was never read.
    Load();
    gVar.nGoWithNoDev = 1;
    m_kb->SetUnreadable(0x00);
    EXPECT_EQ(Apply(0x8007), 0);  // a keyboard was there and a step failed
    EXPECT_EQ(Transfers(), (Seq{"R 83@00", "R 84@c8", "W 04@c8"}));
    TearDown();

    // An answer for another command is no answer for the configuration ...
    Load();
    m_kb->AnswerOtherCommand(1);
    EXPECT_EQ(Apply(0x02), 0);
    EXPECT_EQ(Transfers(), Seq{"R 83@00"});
    EXPECT_TRUE(Logged("the answer is for"));
    TearDown();

    // ... but the key block's answer is taken whatever command it repeats.
    Load();
    m_kb->AnswerOtherCommand(1);
    m_pro->Kb.Key[SlotOf('A')].FunID = kFunLeftClick;
    EXPECT_EQ(Apply(0x01), 1);
    EXPECT_EQ(Transfers(), (Seq{"R 84@c8", "W 04@c8"}));
    EXPECT_EQ(m_kb->KeyValue(PosOf('A')), 0x070000F0u);
    EXPECT_EQ(m_kb->KeyValue(255), 0xEE0000FFu);  // merged into what was read
    TearDown();

    // The key block cannot be read: no key block is written and the job
    // fails, also with GoWithNoDev; the keyboard keeps its keys and Fn layer.
    for (const int nGoWithNoDev : {0, 1}) {
        SCOPED_TRACE("GoWithNoDev=" + std::to_string(nGoWithNoDev));
        Load();
        gVar.nGoWithNoDev = nGoWithNoDev;
        m_kb->SetUnreadable(0xC8);
        m_pro->Kb.Key[SlotOf('A')].FunID = kFunLeftClick;
        const uint32_t dwA = m_kb->KeyValue(PosOf('A'));
        EXPECT_EQ(Apply(0x01), 0);
        EXPECT_EQ(Transfers(), Seq{"R 84@c8"});
        EXPECT_EQ(m_kb->KeyValue(PosOf('A')), dwA);
        EXPECT_EQ(m_kb->KeyValue(255), 0xEE0000FFu);
        EXPECT_TRUE(Logged("Read matrix err, bSyncKB=1"));
        EXPECT_TRUE(Logged("FillMatrix Err"));
        TearDown();
    }
}

TEST_F(SelkTest, FailedTransfersAreTriedThreeTimes)
{
    Load();
    m_kb->FailNext(2);
    const auto t0 = m_clock.Now();
    EXPECT_EQ(Apply(0x01), 1);
    EXPECT_EQ(Transfers(), (Seq{"R 84@c8", "W 04@c8"}));
    // Two pauses of 200 ms after the failed tries, 20 ms before the answer,
    // 20 and 10 ms after the read and the write, 500 + 20 at the end.
    EXPECT_EQ(m_clock.Now() - t0, std::chrono::milliseconds(2 * 200 + 20 + 20 + 10 + 520));
    TearDown();

    Load();
    m_kb->FailNext(3);
    EXPECT_EQ(Apply(0x02), 0);
    EXPECT_EQ(Transfers(), Seq{});
    EXPECT_TRUE(Logged("GetProfile error"));
}

TEST_F(SelkTest, UnpluggedInTheMiddleOfAnApply)
{
    for (int n = 1; n <= 6; ++n) {
        SCOPED_TRACE("gone after " + std::to_string(n) + " transfers");
        Load();
        m_kb->UnplugAfter(n);
        EXPECT_EQ(Apply(0x8007), 0);
        const Seq seq = Transfers();
        EXPECT_LE(seq.size(), size_t(n));
        EXPECT_EQ(m_backend->Violations(), std::vector<std::string>{});
        EXPECT_NE(m_progress.m_steps.back(), 100);
        TearDown();
    }
}

TEST_F(SelkTest, StateSurvivesASaveAndLoad)
{
    Load();
    m_pro->Kb.Key[SlotOf('A')].FunID = kFunLeftClick;
    ASSERT_EQ(Apply(0x8007), 1);
    const test::CTempDir tmp;
    const auto path = tmp / "kb20.state";
    std::string strErr;
    ASSERT_TRUE(m_kb->SaveState(path, strErr)) << strErr;
    auto other = std::make_shared<CEmuSelk>(SelkConfigFor(gVar), m_clock);
    ASSERT_TRUE(other->LoadState(path, strErr)) << strErr;
    EXPECT_EQ(other->Memory(0, 256 * 256), m_kb->Memory(0, 256 * 256));
    EXPECT_EQ(other->KeyValue(PosOf('A')), 0x070000F0u);
}
