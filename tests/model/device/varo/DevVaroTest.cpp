// The type-21 keyboard against its virtual firmware, loaded from the kb21
// fixture: discovery, whole applies per flag group as journals with their
// pauses, what the keyboard stores against what the profile asked for, the
// keyboard's codes kept by SyncKB, failed and retried transfers, unplugging
// during an apply, refused opening, indexes outside the keyboard, and the
// music frames.
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
#include "core/INoticeSink.h"
#include "core/IPrompt.h"
#include "core/Ini.h"
#include "core/Log.h"
#include "core/Options.h"
#include "core/Utf.h"
#include "device/ApplySnapshot.h"
#include "device/IMsgTarget.h"
#include "device/kb/KbDefaults.h"
#include "device/varo/DevVaro.h"
#include "device/varo/VaroCodes.h"
#include "emu/EmuBackend.h"
#include "emu/EmuHex.h"
#include "emu/VirtualClock.h"
#include "emu/varo/EmuVaro.h"
#include "keys/FunId.h"
#include "keys/KeyCodes.h"

namespace {

MacroRecord KeyMacro(uint32_t id, uint8_t vk = 'A')
{
    MacroRecord r{};
    r.dwMagic = MACRO_MAGIC;
    r.MacroID = id;
    r.wLoopCount = 3;
    r.Action[0] = {vk, 0, 1, {50, 0}};
    r.Action[1] = {vk, 0, 0, {250, 0}};
    return r;
}

using Seq = std::vector<std::string>;

// "setf led 0a 01 ..." -> "setf led".
std::string Summary(const std::string& line)
{
    const size_t n = line.find(' ', line.find(' ') + 1);
    return line.substr(0, n);
}

class VaroTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        m_dev.reset();
        LogStop();
        ClearGvar();
    }

    void Load(EmuVaroConfig (*tweak)(EmuVaroConfig) = nullptr)
    {
        ASSERT_NO_FATAL_FAILURE(kbtest::LoadInstallation("kb21.ini"));
        ASSERT_EQ(gVar.nKbFw, 21);
        m_log.Start();
        m_backend = std::make_unique<CEmuBackend>();
        EmuVaroConfig c = VaroConfigFor(gVar);
        if (tweak) c = tweak(c);
        m_kb = std::make_shared<CEmuVaro>(c, m_clock);
        m_backend->AddDevice(m_kb);
        m_dev = std::make_unique<CDevVaro>(*m_backend, m_clock, m_notes);
        m_pro = std::make_unique<ProfileRecord>();
        m_pro->dwMagic = kProfileMagic;
        m_pro->nID = 5;
        m_dev->FillDefault(*m_pro);
        m_snapKb = kb::MakeKbDescSnap(gVar, g_defKEY);
    }

    void LoadAndFind()
    {
        Load();
        ASSERT_EQ(m_dev->FindHIDDevice(), 1);
        m_backend->Journal()->Clear();
    }

    int Apply(uint32_t nFlags, bool bReset = false)
    {
        const int n[kMsModeCount] = {};
        auto snap = MakeApplySnapshot(*m_pro, m_macros, m_bullets, nullptr, 0, n, -1, bReset);
        m_t0 = m_clock.TotalSlept();
        return m_dev->ApplySetting(*snap, &m_progress, kMsgApplyProgress, nFlags, std::stop_token());
    }
    std::chrono::milliseconds Slept() const
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(m_clock.TotalSlept() - m_t0);
    }

    Seq Transfers() const
    {
        Seq out;
        for (const std::string& l : m_backend->Journal()->Lines()) out.push_back(Summary(l));
        return out;
    }
    std::vector<std::string> Lines(const char* op, const char* role) const
    {
        return m_backend->Journal()->Lines(op, role);
    }

    bool Logged(std::string_view text) const { return m_log.Logged(text); }

    int SlotOf(uint8_t vk) const { return kb::SlotOfVk(m_snapKb, vk); }
    int PosOf(uint8_t vk) const { return g_defKEY[SlotOf(vk)].MatrixInx; }
    void SetKey(uint8_t vk, const KeyInfo& k)
    {
        const int n = SlotOf(vk);
        ASSERT_GE(n, 0) << int(vk);
        KeyInfo& dst = m_pro->Kb.Key[n];
        dst.FunID = k.FunID;
        dst.MacroID = k.MacroID;
        dst.byModifier = k.byModifier;
        dst.byKey1 = k.byKey1;
        dst.byKey2 = k.byKey2;
    }
    static KeyInfo Fun(uint8_t byClass, uint32_t v, uint8_t byMod = 0, uint8_t byKey1 = 0, uint32_t id = 0)
    {
        KeyInfo k{};
        k.FunID = MakeFunID(byClass, v);
        k.byModifier = byMod;
        k.byKey1 = byKey1;
        k.MacroID = id;
        return k;
    }

    CVirtualClock m_clock;
    IClock::Duration m_t0{};
    kbtest::CNotes m_notes{/*bWithCaption=*/true};
    kbtest::CProgress m_progress;
    std::unique_ptr<CEmuBackend> m_backend;
    std::shared_ptr<CEmuVaro> m_kb;
    std::unique_ptr<CDevVaro> m_dev;
    std::unique_ptr<ProfileRecord> m_pro;
    CMacroList m_macros, m_bullets;
    kb::KbDescSnap m_snapKb;
    kbtest::CLogCapture m_log;
};

}  // namespace

TEST_F(VaroTest, FindsTheKeyboardByReportLengthsAndIds)
{
    Load();
    EXPECT_TRUE(m_dev->IsPresent());
    ASSERT_EQ(m_dev->FindHIDDevice(), 1);
    EXPECT_TRUE(m_dev->IsConnected());
    EXPECT_TRUE(m_dev->HasMusic());
    EXPECT_EQ(m_dev->FwVersion(), 0x0105);
    EXPECT_TRUE(Logged("FW Version=0x105"));
    EXPECT_TRUE(Logged("nFeatureLength=1921, nReportID=12"));
    EXPECT_FALSE(m_dev->FoundButDenied());

    // There but not to be opened: found-but-denied, nothing open.
    m_kb->RefuseOpen(true);
    EXPECT_EQ(m_dev->FindHIDDevice(), 0);
    EXPECT_TRUE(m_dev->FoundButDenied());
    EXPECT_FALSE(m_dev->IsConnected());
    m_kb->RefuseOpen(false);

    // Gone: not found, not denied.
    m_kb->Unplug();
    EXPECT_FALSE(m_dev->IsPresent());
    EXPECT_EQ(m_dev->FindHIDDevice(), 0);
    EXPECT_FALSE(m_dev->FoundButDenied());
    TearDown();

    // A keyboard that declares 379 bytes for its colour and music interfaces,
    // and one without music.
    Load([](EmuVaroConfig c) {
        c.nColourLen = 379;
        return c;
    });
    EXPECT_EQ(m_dev->FindHIDDevice(), 1);
    EXPECT_TRUE(m_dev->HasMusic());
    TearDown();
    Load([](EmuVaroConfig c) {
        c.bMusic = false;
        return c;
    });
    EXPECT_EQ(m_dev->FindHIDDevice(), 1);
    EXPECT_FALSE(m_dev->HasMusic());
    EXPECT_FALSE(m_dev->SendMusicData(std::vector<uint8_t>(10)));
}

TEST_F(VaroTest, WholeApplyPerFlagGroup)
{
    struct Case {
        const char* what;
        uint32_t nFlags;
        bool bMacro, bReset;
        int nSyncKB;
        Seq want;
        int nSleptMs;
    };
    const Case cases[] = {
        {"apply button", 0x8007, false, false, 1,
         {"getf led", "setf led", "setf color", "getf matrix", "setf matrix"}, 50 + 100 + 100 + 50 + 40 + 500},
        {"lighting", 0x02, false, false, 1, {"getf led", "setf led"}, 50 + 100 + 500},
        {"per-key colours", 0x04, false, false, 1, {"setf color"}, 100 + 500},
        {"keys", 0x01, false, false, 1, {"getf matrix", "setf matrix"}, 50 + 40 + 500},
        {"keys with a macro", 0x01, true, false, 1, {"setf macro", "getf matrix", "setf matrix"},
         100 + 50 + 40 + 500},
        {"keys without sync", 0x01, false, false, 0, {"setf matrix"}, 40 + 500},
        {"reset", 0x8007, true, true, 1,
         {"getf led", "setf led", "setf color", "setf led", "setf color", "setf macro", "getf matrix", "setf matrix"},
         50 + 100 + 100 + 100 + 100 + 100 + 50 + 40 + 500},
        {"nothing of the keyboard's", 0x08, false, false, 1, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LoadAndFind();
        gVar.Kb.nSyncKB = c.nSyncKB;
        if (c.bMacro) {
            ASSERT_NE(m_macros.Add(KeyMacro(0x777)), nullptr);
            SetKey('B', Fun(FUN_MACRO, 0, 0, 0, 0x777));
        }
        EXPECT_EQ(Apply(c.nFlags, c.bReset), 1);
        EXPECT_EQ(Transfers(), c.want);
        EXPECT_EQ(Slept().count(), c.nSleptMs);
        EXPECT_EQ(m_backend->Violations(), std::vector<std::string>{});
        if (!c.want.empty()) {
            ASSERT_FALSE(m_progress.m_steps.empty());
            EXPECT_EQ(m_progress.m_steps.back(), 100);
        }
        if (c.bReset) {
            const auto led = Lines("setf", "led");
            ASSERT_EQ(led.size(), 2u);
            EXPECT_TRUE(led[0].starts_with("setf led 0a 13 01 00 00")) << led[0];  // the per-key mode + 1, group 1
            std::string strCleared = "setf color 0b";
            for (int i = 0; i < 379; ++i) strCleared += " 00";
            const auto colour = Lines("setf", "color");
            ASSERT_EQ(colour.size(), 2u);
            EXPECT_EQ(colour[0], strCleared);
        }
        m_progress.m_steps.clear();
        m_macros = CMacroList();
        TearDown();
    }
}

TEST_F(VaroTest, TheKeyboardStoresWhatTheProfileAskedFor)
{
    LoadAndFind();
    ASSERT_NE(m_macros.Add(KeyMacro(0x777)), nullptr);
    SetKey('A', Fun(FUN_KEY, kKeyPlain, 0, 'Z'));                 // A sends Z
    SetKey('B', Fun(FUN_MACRO, 0, 0, 0, 0x777));                  // B plays the macro
    SetKey('C', Fun(FUN_KEY, kKeyPlain, kModLCtrl | kModLAlt, 46)); // C: Ctrl+Alt+Del
    SetKey('D', Fun(FUN_MEDIA, kCcVolumeUp));                     // D: volume up
    SetKey('E', Fun(FUN_MOUSE, kMsRight));                        // E: right button
    m_pro->Kb.nLedMode = 2;
    m_pro->Kb.Led[2].nSpeed = 2;
    m_pro->Kb.Led[2].nBright = 3;
    m_pro->Kb.Led[2].bColorful = 0;
    m_pro->Kb.Led[2].clr[0] = 0x302010;
    m_pro->Kb.nCurGameGroup = 1;
    m_pro->Kb.clrGameKey[1][SlotOf('A')] = 0x0000FF;
    ASSERT_EQ(Apply(0x8007), 1);
    EXPECT_EQ(m_backend->Violations(), std::vector<std::string>{});

    // Every key of the profile holds the code the profile gives it, at its position.
    for (int i = 0; i < m_snapKb.nKeySlots; ++i) {
        const KeyInfo& k = m_pro->Kb.Key[i];
        const MacroRecord* pMacro = FunClass(k.FunID) == FUN_MACRO ? m_macros.FindById(k.MacroID) : nullptr;
        std::optional<uint32_t> want = varo::VaroKeyCode(k, pMacro);
        ASSERT_TRUE(want) << i;
        if (FunClass(k.FunID) == FUN_MACRO) *want = varo::WithMacroBuffer(*want, 1, 3);
        EXPECT_EQ(m_kb->KeyCode(g_defKEY[i].MatrixInx), *want) << "slot " << i;
    }
    EXPECT_EQ(m_kb->KeyCode(PosOf('A')), 0x001D0000u);
    EXPECT_EQ(m_kb->KeyCode(PosOf('B')), 0x03010002u);
    EXPECT_EQ(m_kb->KeyCode(PosOf('C')), 0x004C0500u);
    EXPECT_EQ(m_kb->KeyCode(PosOf('D')), 0xE9000001u);
    EXPECT_EQ(m_kb->KeyCode(PosOf('E')), 0x0000F110u);
    const auto st = m_kb->GetState();
    EXPECT_EQ(EmuHex(std::span(st.macro).first(9)), "05 00 04 99 00 04 00 00 00");

    // The lighting record as the profile has it, and the group's colours by LED position.
    EXPECT_EQ(EmuHex(std::span(st.led).first(9)), EmuHex(std::span<const uint8_t>(*varo::BuildLedReport(kb::CKbBlock(m_pro->Kb), m_snapKb)).subspan(1, 9)));
    EXPECT_EQ(EmuHex(std::span(st.led).subspan(1, 7)), "02 02 03 00 10 20 30");  // group 1 + 1, speed, brightness, colour
    EXPECT_EQ(m_kb->KeyColour(0, g_defKEY[SlotOf('A')].LedInx), 0x0000FFu);  // group 1 of an RGB keyboard is byte 0
    EXPECT_EQ(m_kb->KeyColour(0, g_defKEY[SlotOf('B')].LedInx), 0u);

    const std::string dump = m_kb->DescribeState();
    EXPECT_NE(dump.find("macro buffer 1, repeat mode 1, count 3"), std::string::npos) << dump;
    EXPECT_NE(dump.find("buffer 1: press A, 50 ms; release A, 250 ms;"), std::string::npos) << dump;
    EXPECT_NE(dump.find("group 2, speed 2, brightness 3"), std::string::npos) << dump;
    EXPECT_NE(dump.find("per-key colours, group byte 0"), std::string::npos) << dump;
    EXPECT_NE(dump.find("consumer 00e9"), std::string::npos) << dump;
    EXPECT_NE(dump.find("mouse right"), std::string::npos) << dump;
}

TEST_F(VaroTest, SyncKeepsTheKeyboardsCodesWhereTheProfileHasNone)
{
    for (const int nSync : {1, 0}) {
        SCOPED_TRACE(nSync);
        LoadAndFind();
        gVar.Kb.nSyncKB = nSync;
        const int nEsc = PosOf(27);
        SetKey(27, Fun(FUN_SPECIAL, kSpKeyOff));  // code 0: the keyboard's own
        m_kb->PresetCode(nEsc, 0x00290000);
        const uint32_t dwFree = m_kb->KeyCode(0);  // a position without a key: the keyboard's code
        ASSERT_NE(dwFree, 0u);
        ASSERT_EQ(Apply(0x01), 1);
        EXPECT_EQ(m_kb->KeyCode(nEsc), nSync ? 0x00290000u : 0u);
        EXPECT_EQ(m_kb->KeyCode(0), nSync ? dwFree : 0u);
        EXPECT_EQ(m_kb->KeyCode(PosOf('A')), 0x00040000u);
        TearDown();
    }
}

TEST_F(VaroTest, FailedTransfersRetriesAndGoWithNoDev)
{
    // Two failures: the third try goes through, 200 ms after each.
    LoadAndFind();
    m_kb->FailNext(2);
    EXPECT_EQ(Apply(0x02), 1);
    EXPECT_EQ(Transfers(), (Seq{"getf led", "setf led"}));
    EXPECT_EQ(Slept().count(), 200 + 200 + 50 + 100 + 500);
    TearDown();

    // The lighting state does not answer: nothing is written.
    LoadAndFind();
    m_kb->FailNext(3);
    EXPECT_EQ(Apply(0x8007), 0);
    EXPECT_EQ(Transfers(), Seq{});
    EXPECT_TRUE(Logged("Get LED Failed."));
    EXPECT_TRUE(Logged("GetCommand err="));
    TearDown();

    // With GoWithNoDev the other steps still run, and the job still failed.
    LoadAndFind();
    gVar.nGoWithNoDev = 1;
    m_kb->FailNext(3);
    EXPECT_EQ(Apply(0x8007), 0);
    EXPECT_EQ(Transfers(), (Seq{"setf led", "setf color", "getf matrix", "setf matrix"}));
    TearDown();

}

TEST_F(VaroTest, AFailedMatrixReadNeverLeadsToWritingTheMatrix)
{
    for (const int nGo : {0, 1}) {
        SCOPED_TRACE(nGo);
        LoadAndFind();
        gVar.nGoWithNoDev = nGo;
        m_kb->FailNext(3);  // the first transfer of a keys job without macros is the matrix read
        EXPECT_EQ(Apply(0x01), 0);
        EXPECT_EQ(Transfers(), Seq{});
        EXPECT_TRUE(Logged("Get matrix failed"));
        TearDown();
    }
}

TEST_F(VaroTest, UnplugDuringAnApplyAndRefusedOpen)
{
    LoadAndFind();
    m_kb->UnplugAfter(2);  // after the lighting state and the lighting report
    EXPECT_EQ(Apply(0x8007), 0);
    EXPECT_EQ(Transfers(), (Seq{"getf led", "setf led"}));
    EXPECT_EQ(m_dev->FindHIDDevice(), 0);
    EXPECT_FALSE(m_dev->IsConnected());
    m_kb->Plug();
    EXPECT_EQ(m_dev->FindHIDDevice(), 1);
    EXPECT_EQ(Apply(0x8007), 1);
    TearDown();

    // Refused at open: no device, nothing moves, the job says so.
    Load();
    m_kb->RefuseOpen(true);
    EXPECT_EQ(m_dev->FindHIDDevice(), 0);
    EXPECT_TRUE(m_dev->FoundButDenied());
    EXPECT_EQ(Apply(0x8007), 0);
    EXPECT_EQ(m_backend->Journal()->Size(), 0u);
}

TEST_F(VaroTest, IndexesOutsideTheKeyboardNeverAddressABuffer)
{
    LoadAndFind();
    // Eleven distinct macros: ten buffers; the eleventh key keeps its own function.
    const char keys[] = "QWERTYUIOPA";
    for (int i = 0; i < 11; ++i) {
        ASSERT_NE(m_macros.Add(KeyMacro(0x100 + uint32_t(i), uint8_t(keys[i]))), nullptr);
        SetKey(uint8_t(keys[i]), Fun(FUN_MACRO, 0, 0, 0, 0x100 + uint32_t(i)));
    }
    // A key position and an LED position beyond the keyboard's, and an unknown function.
    const int nS = SlotOf('S'), nD = SlotOf('D');
    g_defKEY[nS].MatrixInx = 127;
    g_defKEY[nD].LedInx = 131;
    std::fill(std::begin(m_pro->Kb.clrGameKey[0]), std::end(m_pro->Kb.clrGameKey[0]), 0u);
    m_pro->Kb.clrGameKey[0][nD] = 0xFFFFFF;
    SetKey('F', Fun(FUN_HW, 1));
    m_pro->Kb.nCurGameGroup = 0;
    EXPECT_EQ(Apply(0x8007), 1);
    EXPECT_EQ(m_backend->Violations(), std::vector<std::string>{});
    const auto st = m_kb->GetState();
    for (int b = 0; b < 10; ++b) EXPECT_NE(st.macro[size_t(b) * 192 + 2], 0) << b;
    EXPECT_EQ(m_kb->KeyCode(PosOf('A')), 0u);  // the eleventh macro: no buffer left
    EXPECT_EQ(m_kb->KeyCode(PosOf('Q')) & 0xFFFF, 0x0002u);
    EXPECT_EQ(m_kb->KeyCode(PosOf('P')) >> 8 & 0xFF, 9u);  // buffer 10
    const std::vector<std::string> notes = m_notes.Notes();
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0], "Error: Invaild key code, Key[" + std::to_string(std::min(SlotOf('A'), SlotOf('F'))) + "]");
    EXPECT_EQ(notes[1], "Warning: Matrix inx warning");
    EXPECT_TRUE(Logged("Wrong MatrixInx=127"));
    EXPECT_TRUE(Logged("LED position 131 outside the colour plane"));
    for (int led = 0; led < 126; ++led) EXPECT_EQ(m_kb->KeyColour(9, led), 0u) << led;  // group 0 is byte 9

    // A lighting mode and a group that are none of the keyboard's: nothing is sent for them.
    m_notes.Clear();
    m_backend->Journal()->Clear();
    m_pro->Kb.nLedMode = 40;
    EXPECT_EQ(Apply(0x02), 0);
    EXPECT_EQ(Transfers(), Seq{"getf led"});
    EXPECT_TRUE(Logged("lighting mode of the profile is none of the keyboard's"));
    m_backend->Journal()->Clear();
    m_pro->Kb.nCurGameGroup = 7;  // no group byte on an RGB keyboard
    EXPECT_EQ(Apply(0x04), 0);
    EXPECT_EQ(Transfers(), Seq{});
    EXPECT_TRUE(Logged("Colour group 7 has no group byte"));
}

TEST_F(VaroTest, MusicFramesAndRestoredLighting)
{
    LoadAndFind();
    std::vector<uint8_t> frame(379);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = uint8_t(i);
    EXPECT_TRUE(m_dev->SendMusicData(frame));
    EXPECT_EQ(m_kb->GetState().nFrames, 1);
    EXPECT_EQ(m_kb->GetState().frame[378], uint8_t(378));
    frame.push_back(0);
    EXPECT_FALSE(m_dev->SendMusicData(frame));  // too long
    EXPECT_EQ(m_kb->GetState().nFrames, 1);

    m_pro->Kb.nLedMode = 3;
    ASSERT_TRUE(m_dev->RestoreLighting(m_pro->Kb, m_snapKb));
    EXPECT_EQ(Lines("setf", "led").back().substr(0, 14), "setf led 0a " + EmuHex(std::span<const uint8_t>(
                                                                               std::vector<uint8_t>{uint8_t(m_snapKb.DevMode(3))})));
    EXPECT_EQ(m_backend->Violations(), std::vector<std::string>{});

    // Frames sent all through an apply from another thread: none goes out
    // between the apply's first and last transfer.
    m_backend->Journal()->Clear();
    std::atomic<bool> bStop{false};
    std::thread music([&] {
        const std::vector<uint8_t> f(100, 7);
        while (!bStop) {
            EXPECT_TRUE(m_dev->SendMusicData(f));
            std::this_thread::yield();
        }
    });
    EXPECT_EQ(Apply(0x8007), 1);
    bStop = true;
    music.join();
    const Seq t = Transfers();
    const auto first = std::find_if(t.begin(), t.end(), [](const std::string& s) { return s != "setf music"; });
    const auto last = std::find_if(t.rbegin(), t.rend(), [](const std::string& s) { return s != "setf music"; }).base();
    EXPECT_EQ(std::count(first, last, "setf music"), 0);
    EXPECT_EQ(std::count(first, last, "setf matrix"), 1);
}

TEST_F(VaroTest, VirtualKeyboardChecksAndKeepsItsState)
{
    LoadAndFind();
    ASSERT_NE(m_macros.Add(KeyMacro(0x777)), nullptr);
    SetKey('B', Fun(FUN_MACRO, 0, 0, 0, 0x777));
    m_pro->Kb.clrGameKey[0][SlotOf('A')] = 0x112233;
    ASSERT_EQ(Apply(0x8007), 1);
    const test::CTempDir dir;
    const std::filesystem::path file = dir / "kb21.state";
    std::string strErr;
    ASSERT_TRUE(m_kb->SaveState(file, strErr)) << strErr;

    // A fresh keyboard with that state holds what the first one held.
    auto again = std::make_shared<CEmuVaro>(VaroConfigFor(gVar), m_clock);
    ASSERT_TRUE(again->LoadState(file, strErr)) << strErr;
    EXPECT_EQ(again->DescribeState(), m_kb->DescribeState());
    EXPECT_EQ(again->KeyColour(9, g_defKEY[SlotOf('A')].LedInx), 0x112233u);
    test::WriteBytes(file, "zorvik-emu-state varo 1\nled 1 00\n");
    EXPECT_FALSE(again->LoadState(file, strErr));
    EXPECT_EQ(again->DescribeState(), m_kb->DescribeState());  // a bad file changes nothing

    // Protocol checks: a key that plays an empty buffer, a lighting report with a bad colour flag.
    auto h = m_backend->Open(m_backend->Enumerate()[0].szPath);
    ASSERT_TRUE(h);
    varo::MatrixCodes codes{};
    codes[3] = 0x00000502;  // buffer 6: empty
    EXPECT_TRUE(h->SetFeature(varo::BuildMatrixReport(codes)));
    auto hLed = m_backend->Open(m_backend->Enumerate()[1].szPath);
    std::array<uint8_t, 42> led{10, 1, 1, 2, 3, 0x20};
    EXPECT_TRUE(hLed->SetFeature(led));
    EXPECT_EQ(m_backend->Violations(),
              (std::vector<std::string>{"kb21: matrix position 3 plays macro buffer 6, which holds no macro",
                                        "kb21: led: colour flag 20, 0, 1..7 or 8 expected"}));
}
