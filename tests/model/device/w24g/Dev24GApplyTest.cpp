// Whole applies onto the virtual wireless mouse, read back from its journal
// and from what it holds afterwards.
#include <cstring>

#include "device/ApplySnapshot.h"
#include "emu/EmuHex.h"
#include "keys/FunId.h"
#include "model/device/w24g/W24Fixture.h"

using namespace w24test;
using namespace std::chrono_literals;

namespace {

class CProgress final : public IMsgTarget {
public:
    void Post(uint32_t nMsg, uintptr_t wParam, intptr_t) override
    {
        std::lock_guard lock(m_mtx);
        if (nMsg == kMsgApplyProgress) m_steps.push_back(int(wParam));
    }
    std::vector<int> Steps() const
    {
        std::lock_guard lock(m_mtx);
        return m_steps;
    }

private:
    mutable std::mutex m_mtx;
    std::vector<int> m_steps;
};

class CPointer final : public IOsPointerSettings {
public:
    bool Apply(const MsSysSettings& sys) override
    {
        m_calls.push_back(sys);
        return true;
    }
    std::vector<MsSysSettings> m_calls;
};

constexpr uint32_t kMacroId = 0x000321;

MacroRecord KeyMacro()
{
    MacroRecord r{};
    r.dwMagic = MACRO_MAGIC;
    r.MacroID = kMacroId;
    r.wLoopCount = 1;
    r.Action[0] = {'A', 0, 1, {300, 0}};
    r.Action[1] = {'A', 0, 0, {10, 0}};
    return r;
}

class Dev24GApply : public W24Fixture {
protected:
    // Finds the mouse and makes a default profile for the connection's mode.
    void Connect(std::string_view cfg, bool bCable = false)
    {
        Load(cfg, bCable);
        ASSERT_EQ(Find(), 1);
        m_pro = ProfileRecord{};
        m_pro.dwMagic = kProfileMagic;
        m_pro.nID = 7;
        m_dev->FillDefault(m_pro);
        m_pro.Ms.ProMirex.nMode = bCable ? 0 : 1;
        ClearJournal();
        m_clock.ClearSleeps();
    }

    int Apply(uint32_t nFlags, bool bReset = false)
    {
        auto snap = MakeApplySnapshot(m_pro, m_macros, m_bullets, pSensorCfg, gVar.Ms.nMsSensor, g_nCurDpiLevel,
                                      g_nCurMode, bReset);
        return m_dev->ApplySetting(*snap, &m_progress, kMsgApplyProgress, nFlags, std::stop_token());
    }

    // The set-feature lines cut to their first n bytes.
    std::vector<std::string> Sets(size_t nBytes) const
    {
        std::vector<std::string> out;
        for (const std::string& l : Lines("setf ")) {
            const size_t nHex = l.find(' ', 5) + 1;
            out.push_back(l.substr(0, std::min(l.size(), nHex + 3 * nBytes - 1)));
        }
        return out;
    }

    bool Slept(IClock::Duration d) const
    {
        const auto v = m_clock.Sleeps();
        return std::find(v.begin(), v.end(), d) != v.end();
    }

    ProfileRecord m_pro{};
    CMacroList m_macros, m_bullets;
    CProgress m_progress;
};

std::string Hex(std::span<const uint8_t> b) { return EmuHex(b); }

}  // namespace

TEST_F(Dev24GApply, FullApplyThroughTheReceiver)
{
    Connect("wireless5.ini");
    m_macros.Add(KeyMacro());
    KeyInfo& key = m_pro.Ms.Mode[1].Key[0][5];  // the DPI key, matrix position 6
    ASSERT_EQ(key.MatrixInx, 6);
    key.FunID = kFunMacro;
    key.MacroID = kMacroId;
    const ProfileRecord before = m_pro;
    const auto cableBlock = m_rig.mouse->GetState().block[0];

    EXPECT_EQ(Apply(kApplyFullMouse), 1);

    EXPECT_EQ(Sets(9), (std::vector<std::string>{
                           "setf cmd 05 21 00 00 00 00 00 00",
                           "setf data 08 21 00 92 00 00 00 00 64",
                           "setf data 08 30 02 00 00 00 00 00 01",
                           "setf data 08 22 00 50 00 00 00 00 11",
                           "setf cmd 05 1a 04 00 00 00 00 00",
                       }));
    EXPECT_TRUE(Violations().empty()) << Violations().front();
    EXPECT_EQ(m_progress.Steps(), (std::vector<int>{40, 60, 80, 100}));
    EXPECT_TRUE(Slept(1500ms));
    EXPECT_TRUE(Slept(3000ms));  // macro buffers were written
    EXPECT_TRUE(Logged("SetLOD2: the lift-off levels of this mouse are not sent by this command"));
    EXPECT_EQ(std::memcmp(&before, &m_pro, sizeof before), 0);

    const CEmuW24Mouse::State s = m_rig.mouse->GetState();
    const auto& b = s.block[1];
    EXPECT_EQ(Hex(std::span(b).subspan(0, 4)), "64 14 04 36");
    EXPECT_EQ(Hex(std::span(b).subspan(5, 16)), "03 00 07 00 0f 00 1f 00 3f 00 bd 00 00 00 00 00");
    EXPECT_EQ(b[144], 0xA5);
    EXPECT_EQ(s.block[0], cableBlock);  // only the connection's profile is written
    EXPECT_EQ(m_rig.mouse->KeyCode(2, 1), 0x111u);
    EXPECT_EQ(m_rig.mouse->KeyCode(2, 6), 0x01010170u);  // macro buffer 1, once, count 1
    EXPECT_EQ(m_rig.mouse->KeyCode(2, 7), 0x450u);
    EXPECT_EQ(m_rig.mouse->KeyCode(2, 8), 0x150u);
    EXPECT_EQ(m_rig.mouse->KeyCode(1, 6), 0x41u);       // the cable's profile is untouched
    ASSERT_EQ(s.macros.count(1), 1u);
    EXPECT_EQ(Hex(std::span(s.macros.at(1)).subspan(0, 9)), "00 02 51 2c 04 d0 0a 04 00");
    EXPECT_EQ(s.nDebounce, 4);
    EXPECT_EQ(s.nLiftOff, -1);
}

TEST_F(Dev24GApply, Kind4OnTheCable)
{
    Connect("wireless4.ini", true);
    m_pro.Ms.Mode[0].Dpi[0].nDpiX = 26000;
    EXPECT_EQ(Apply(kApplyFullMouse), 1);
    EXPECT_EQ(Sets(4), (std::vector<std::string>{
                           "setf cmd 05 11 00 00",
                           "setf data 06 11 00 9f",
                           "setf data 06 12 00 50",
                           "setf cmd 05 1b 01 00",  // lift-off, no debounce option
                       }));
    EXPECT_TRUE(Violations().empty()) << Violations().front();
    EXPECT_EQ(m_rig.mouse->GetState().nLiftOff, 1);
    // Codes above one byte reach the mouse whole (26000 is step 259 of this sensor).
    EXPECT_EQ(Hex(std::span(m_rig.mouse->GetState().block[0]).subspan(5, 10)), "03 01 0f 00 1f 00 3f 00 7f 00");
}

TEST_F(Dev24GApply, NoLiftOffThroughTheReceiverWhenTheMouseSaysSo)
{
    Connect("wireless4.ini");
    EXPECT_EQ(Apply(kApplyLod), 1);
    EXPECT_TRUE(Lines("setf").empty());
    EXPECT_TRUE(Logged("SetLOD2: not set through the receiver"));
    gVar.Ms.nWirlessLOD = 1;
    EXPECT_EQ(Apply(kApplyLod), 1);
    EXPECT_EQ(Sets(3), (std::vector<std::string>{"setf cmd 05 1b 01"}));
}

TEST_F(Dev24GApply, ProfileMustBelongToTheConnection)
{
    struct Case {
        bool bCable;
        int nMode;
        unsigned nDebug;
        const char* pszMsg;
    };
    const Case cases[] = {
        {false, 0, 0, "1002"}, {false, 2, 0, "1002"}, {true, 1, 0, "1001"},
        {false, 0, 4, "1002"},  // whatever the log level
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.bCable) + std::to_string(c.nMode) + std::to_string(c.nDebug));
        Connect("wireless5.ini", c.bCable);
        m_dev->StopDriver();  // the listener reads the log level
        g_nDebug = c.nDebug;
        m_prompt.Clear();
        m_pro.Ms.ProMirex.nMode = c.nMode;
        EXPECT_EQ(Apply(kApplyFullMouse), 0);
        EXPECT_EQ(m_prompt.Messages(), (Msgs{{c.pszMsg, " "}}));
        EXPECT_TRUE(Lines("setf").empty());
        g_nDebug = 1;
    }
}

TEST_F(Dev24GApply, SingleModeWritesTheConnectionsProfileFromTheFirstBlock)
{
    Connect("wireless5.ini");
    gVar.Ms.nSingleMode = 1;
    m_pro.Ms.ProMirex.nMode = 0;
    m_pro.Ms.Mode[0].Dpi[0].nDpiX = 1000;
    EXPECT_EQ(Apply(kApplyGeneral | kApplyKeys), 1);
    EXPECT_TRUE(Logged("SingleMode, nProIndex=2"));
    EXPECT_EQ(Sets(2), (std::vector<std::string>{"setf cmd 05 21", "setf data 08 21", "setf data 08 22"}));
    EXPECT_EQ(m_rig.mouse->GetState().block[1][5], 9);  // 1000 DPI from the first mode block
    EXPECT_EQ(m_rig.mouse->KeyCode(2, 6), 0x141u);        // the first block's keys: DPI up
}

TEST_F(Dev24GApply, PointerSettingsOnlyTouchNothingOnTheMouse)
{
    Load("wireless5.ini");
    CPointer pointer;
    m_dev = std::make_unique<CDev24G>(*m_backend, m_clock, m_prompt, gVar.nMsFw, &pointer);
    ASSERT_EQ(Find(), 1);
    m_pro.nID = 7;
    m_dev->FillDefault(m_pro);
    m_pro.Ms.ProMirex.nMode = 1;
    m_pro.Ms.Mode[1].Sys.nPointerSpeed = 14;
    ClearJournal();
    EXPECT_EQ(Apply(kApplyOsPointer), 1);
    EXPECT_TRUE(Journal().empty());
    ASSERT_EQ(pointer.m_calls.size(), 1u);
    EXPECT_EQ(pointer.m_calls[0].nPointerSpeed, 14);
    EXPECT_EQ(m_progress.Steps(), (std::vector<int>{40, 100}));
}

TEST_F(Dev24GApply, AnImplausibleBlockIsReplacedByTheLastGoodOne)
{
    Connect("wireless5.ini");
    ASSERT_EQ(Apply(kApplyGeneral), 1);
    // The mouse half wakes and answers a block of zeros.
    m_rig.mouse->SetBlock(2, std::array<uint8_t, 148>{});
    ClearJournal();
    m_pro.Ms.Mode[1].Dpi[0].nDpiX = 500;
    EXPECT_EQ(Apply(kApplyGeneral), 1);
    EXPECT_TRUE(Logged("lastGeneral:-------------"));
    EXPECT_TRUE(m_prompt.Messages().empty());
    const auto b = m_rig.mouse->GetState().block[1];
    EXPECT_EQ(Hex(std::span(b).subspan(0, 7)), "64 14 04 36 c0 04 00");  // 500 DPI is step 4
}

TEST_F(Dev24GApply, AnImplausibleBlockWithNothingBeforeIsNotWritten)
{
    struct Case {
        int nGoWithNoDev;
        Msgs msgs;
        size_t nSets;  // set-feature transfers
    };
    const Case cases[] = {
        {0, {{"Warning: value=0", " "}, {"Tips: rsn=0", " "}}, 1},
        {1, {}, 2},  // goes on to the keys, still fails
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nGoWithNoDev);
        Connect("wireless5.ini");
        gVar.nGoWithNoDev = c.nGoWithNoDev;
        m_rig.mouse->SetBlock(2, std::array<uint8_t, 148>{});
        const auto matrixBefore = m_rig.mouse->GetState().matrix[1];
        m_prompt.Clear();
        EXPECT_EQ(Apply(kApplyGeneral | kApplyKeys), 0);
        EXPECT_EQ(m_prompt.Messages(), c.msgs);
        EXPECT_EQ(Lines("setf").size(), c.nSets);
        EXPECT_TRUE(Lines("setf data 08 21").empty());
        EXPECT_EQ(m_rig.mouse->GetState().block[1], (std::array<uint8_t, 148>{}));
        EXPECT_EQ(m_rig.mouse->GetState().matrix[1] != matrixBefore, c.nGoWithNoDev == 1);
    }
}

TEST_F(Dev24GApply, GarbageAnswersAreNotWrittenBack)
{
    Connect("wireless5.ini");
    m_rig.receiver->AnswerGarbage(-1);
    EXPECT_EQ(Apply(kApplyFullMouse), 0);
    EXPECT_EQ(m_prompt.Messages().front(), (Msg{"Warning: value=0", " "}));
    EXPECT_EQ(Sets(2), (std::vector<std::string>{"setf cmd 05 21"}));
    EXPECT_TRUE(Logged("General: the block read is not plausible"));
}

TEST_F(Dev24GApply, AMacroOnTwoKeysIsWrittenOnce)
{
    Connect("wireless5.ini");
    m_macros.Add(KeyMacro());
    for (const int k : {3, 4}) {
        m_pro.Ms.Mode[1].Key[0][k].FunID = kFunMacro;
        m_pro.Ms.Mode[1].Key[0][k].MacroID = kMacroId;
    }
    m_pro.Ms.Mode[0].Key[0][0].FunID = kFunMacro;  // the cable's mode is not written: no buffer for it
    m_pro.Ms.Mode[0].Key[0][0].MacroID = 0x000999;
    EXPECT_EQ(Apply(kApplyKeys), 1);
    EXPECT_EQ(Lines("setf data 08 30").size(), 1u);
    EXPECT_EQ(m_rig.mouse->KeyCode(2, 4), 0x01010170u);
    EXPECT_EQ(m_rig.mouse->KeyCode(2, 5), 0x01010170u);
}

TEST_F(Dev24GApply, ResetIsLoggedAndRateWrittenOnRequest)
{
    Connect("wireless5.ini");
    gVar.Ms.nShowUsbRate = 0;
    gVar.Ms.nSetUsbRateOnReset = 1;
    m_rig.mouse->SetBlock(2, [&] {
        auto b = m_rig.mouse->GetState().block[1];
        b[2] = 0x02;
        return b;
    }());
    EXPECT_EQ(Apply(kApplyGeneral, true), 1);
    EXPECT_TRUE(Logged("Apply Reset..."));
    EXPECT_EQ(m_rig.mouse->GetState().block[1][2], 0x04);  // the profile's 1000 Hz
}
