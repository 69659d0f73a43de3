// Discovery of the wireless mouse through its receiver or on its cable,
// against the virtual mouse; the link and battery questions.
#include <array>
#include <filesystem>

#include "emu/EmuHex.h"
#include "keys/FunId.h"
#include "keys/MacroList.h"

#include "model/device/w24g/W24Fixture.h"

using namespace w24test;
using namespace std::chrono_literals;

namespace {

class Dev24GFind : public W24Fixture {
protected:
    // The journal lines cut to their first n bytes.
    std::vector<std::string> Heads(size_t nBytes) const
    {
        std::vector<std::string> out;
        for (const std::string& l : Journal()) {
            const size_t nHex = l.find(' ', l.find(' ') + 1) + 1;  // after "<op> <role> "
            out.push_back(l.substr(0, std::min(l.size(), nHex + 3 * nBytes - 1)));
        }
        return out;
    }
    int Sleeps(IClock::Duration d) const
    {
        const auto v = m_clock.Sleeps();
        return int(std::count(v.begin(), v.end(), d));
    }
};

}  // namespace

TEST_F(Dev24GFind, ThroughTheReceiverReadsProfile2)
{
    Load("wireless5.ini");
    m_rig.mouse->SetLiftOffLevel(2, 3);
    ASSERT_EQ(Find(), 1);
    EXPECT_TRUE(m_dev->IsWireless());
    EXPECT_EQ(m_dev->Mode(), 2);
    EXPECT_EQ(g_nCurMode, 2);
    EXPECT_EQ(m_dev->GetPID(), 0x1022);
    EXPECT_EQ(m_dev->FwVersion(), 0x0105);
    EXPECT_EQ(g_nCurDpiLevel[1], 2);  // the section's default level, as the mouse holds it
    EXPECT_EQ(g_nCurDpiLevel[0], -1);
    EXPECT_EQ(g_nCurLODLevel[1], 3);
    EXPECT_TRUE(m_dev->IsListening());
    EXPECT_EQ(Heads(9), (std::vector<std::string>{
                            "setf cmd 05 21 00 00 00 00 00 00",
                            "getf data 08 21 00 92 00 00 00 00 64",
                            "setf cmd 05 52 00 00 00 00 00 00",
                            "getf data 08 52 00 00 00 00 00 00 00",
                        }));
    EXPECT_EQ(Heads(10)[3], "getf data 08 52 00 00 00 00 00 00 00 40");
    EXPECT_TRUE(Violations().empty()) << Violations().front();
    EXPECT_EQ(Sleeps(100ms), 0);
    EXPECT_TRUE(Logged("CDev24G::FindHIDDevice, GetProfile (ProIndex=2)"));
    EXPECT_TRUE(m_prompt.Messages().empty());
    EXPECT_FALSE(std::filesystem::exists(m_dir / "analyz.txt"));
}

TEST_F(Dev24GFind, TheCableWinsWhenBothArePlugged)
{
    Load("wireless5.ini", true);
    ASSERT_EQ(Find(), 1);
    EXPECT_FALSE(m_dev->IsWireless());
    EXPECT_EQ(m_dev->Mode(), 1);
    EXPECT_EQ(m_dev->GetPID(), 0x1021);
    EXPECT_EQ(Heads(2).front(), "setf cmd 05 11");
    EXPECT_EQ(g_nCurDpiLevel[0], 2);
    EXPECT_EQ(g_nCurDpiLevel[1], -1);
}

TEST_F(Dev24GFind, SingleModeShowsMode1ButReadsTheConnectionsProfile)
{
    Load("wireless5.ini");
    gVar.Ms.nSingleMode = 1;
    ASSERT_EQ(Find(), 1);
    EXPECT_EQ(m_dev->Mode(), 1);
    EXPECT_EQ(g_nCurMode, 1);
    EXPECT_TRUE(m_dev->IsWireless());
    EXPECT_EQ(Heads(2).front(), "setf cmd 05 21");
    EXPECT_EQ(g_nCurDpiLevel[0], 2);
    EXPECT_EQ(g_nCurDpiLevel[1], 2);
}

TEST_F(Dev24GFind, Kind4UsesDataReport6AndReadsNoLiftOffLevel)
{
    Load("wireless4.ini");
    ASSERT_EQ(Find(), 1);
    EXPECT_EQ(Heads(4), (std::vector<std::string>{"setf cmd 05 21 00 00", "getf data 06 21 00 9f"}));
    EXPECT_EQ(g_nCurDpiLevel[1], 1);
    EXPECT_TRUE(Violations().empty());
}

TEST_F(Dev24GFind, RefusedSensors)
{
    struct Case {
        uint8_t byCode;
        int nAutoSw;
        int nResult;
        Msg msg;
    };
    const Case cases[] = {
        {0, 0, -1, {"     Senr error    ", "Warning"}},
        {6, 1, 0, {"Sensor 3360 is not supported", ""}},  // a sensor the description does not know
        {6, 0, -1, {"Sensor unmatch: dev=0x3360, cfg=0x3370", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.byCode));
        Load("wireless5.ini");
        gVar.Ms.nAutoSw = c.nAutoSw;
        m_rig.mouse->SetSensorCode(c.byCode);
        m_prompt.Clear();
        EXPECT_EQ(Find(), c.nResult);
        EXPECT_EQ(m_prompt.Messages(), Msgs{c.msg});
        EXPECT_FALSE(m_dev->IsConnected());  // nothing may be written to it
        EXPECT_FALSE(m_dev->IsListening());
        EXPECT_EQ(gVar.Ms.nMsSensor, 0x3370);     // the current sensor did not change
        EXPECT_TRUE(Lines("setf data").empty());
    }
}

TEST_F(Dev24GFind, AnEmptyBlockIsReadAgain)
{
    Load("wireless5.ini");
    // The mouse wakes up late: the receiver answers the first two reads alone.
    m_rig.receiver->LoseLinkAfter(0);
    m_rig.receiver->RestoreLinkAfter(4);
    ASSERT_EQ(Find(), 1);
    EXPECT_EQ(Lines("setf cmd 05 21").size(), 3u);
    EXPECT_EQ(Sleeps(100ms), 2);
    EXPECT_EQ(g_nCurDpiLevel[1], 2);
    EXPECT_FALSE(std::filesystem::exists(m_dir / "analyz.txt"));
}

TEST_F(Dev24GFind, ABlockThatStaysEmptyIsAnalysed)
{
    Load("wireless5.ini");
    std::array<uint8_t, 148> block{};
    block[0] = 0x64;
    block[1] = 0x14;
    block[2] = 0x04;
    block[3] = 0x00;  // no levels
    block[4] = 0xAB;
    block[99] = 0x0C;
    m_rig.mouse->SetBlock(2, block);
    g_nCurDpiLevel[1] = 4;
    ASSERT_EQ(Find(), 1);
    EXPECT_EQ(Lines("setf cmd 05 21").size(), 3u);
    std::string want = "Driver Title= \n64,14,4,0,AB,";
    for (int i = 5; i < 99; ++i) want += "0,";
    want += "0C";
    EXPECT_EQ(test::ReadBytes(m_dir / "analyz.txt"), want);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.Path()), {}), 1);  // no temporary left
    EXPECT_TRUE(Logged("CDev24G::FindHIDDevice, Get wrong curdpi"));
    EXPECT_EQ(g_nCurDpiLevel[1], 4);
}

TEST_F(Dev24GFind, AMouseThatNeverAnswersIsRefused)
{
    Load("wireless5.ini");
    m_rig.mouse->SwitchOff(true);
    EXPECT_EQ(Find(), -1);
    EXPECT_EQ(m_prompt.Messages(), (Msgs{{"     Senr error    ", "Warning"}}));
    EXPECT_EQ(Lines("setf cmd 05 21").size(), 3u);
    EXPECT_TRUE(std::filesystem::exists(m_dir / "analyz.txt"));
    EXPECT_FALSE(m_dev->IsConnected());
}

TEST_F(Dev24GFind, CurrentLevelFromByte3)
{
    struct Case {
        uint8_t byLevels;
        int nLevel;
        bool bWrong;
    };
    const Case cases[] = {{0x23, 1, false}, {0x32, 5, true}, {0x66, 5, false}, {0x91, 5, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.byLevels));
        Load("wireless5.ini");
        auto block = m_rig.mouse->GetState().block[1];
        block[3] = c.byLevels;
        m_rig.mouse->SetBlock(2, block);
        g_nCurDpiLevel[1] = 5;
        ASSERT_EQ(Find(), 1);
        EXPECT_EQ(g_nCurDpiLevel[1], c.nLevel);
        EXPECT_EQ(Logged("Get wrong curdpi"), c.bWrong);
        std::lock_guard lock(m_mtxLog);
        m_log.clear();
    }
}

TEST_F(Dev24GFind, NothingToOpen)
{
    Load("wireless5.ini");
    m_rig.receiver->RefuseOpen(true);
    EXPECT_EQ(Find(), 0);
    EXPECT_TRUE(m_dev->FoundButDenied());
    m_rig.receiver->RefuseOpen(false);
    m_rig.receiver->Unplug();
    EXPECT_EQ(Find(), 0);
    EXPECT_FALSE(m_dev->FoundButDenied());
    EXPECT_TRUE(Journal().empty());
}

TEST_F(Dev24GFind, ClearHandleStopsTheListenerAndForgetsTheLink)
{
    Load("wireless5.ini");
    ASSERT_EQ(Find(), 1);
    m_dev->ClearHandle();
    EXPECT_FALSE(m_dev->IsListening());
    EXPECT_FALSE(m_dev->IsConnected());
    EXPECT_EQ(m_dev->GetPID(), 0);
    EXPECT_FALSE(m_dev->IsWireless());
    bool bOnline = true;
    EXPECT_EQ(m_dev->GetOnline(bOnline), 0);
}

TEST_F(Dev24GFind, LinkAndBattery)
{
    struct Case {
        bool bCable, bOff;
        bool bOnline;
        int nPower;  // ReadPower's result
        bool bUsb;
    };
    const Case cases[] = {
        {false, false, true, 1, false},
        {false, true, false, 0, false},  // the receiver alone cannot tell the battery
        {true, false, false, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.bCable) + std::to_string(c.bOff));
        Load("wireless5.ini", c.bCable);
        ASSERT_EQ(Find(), 1);
        m_rig.mouse->SetBattery(15, 3500);
        m_rig.mouse->SwitchOff(c.bOff);
        bool bOnline = !c.bOnline;
        EXPECT_EQ(m_dev->GetOnline(bOnline), 1);
        EXPECT_EQ(bOnline, c.bOnline);
        int nLevel = -1, nVoltage = -1;
        bool bUsb = !c.bUsb;
        EXPECT_EQ(m_dev->ReadPower(nLevel, bUsb, nVoltage), c.nPower);
        if (c.nPower) {
            EXPECT_EQ(nLevel, 15);
            EXPECT_EQ(nVoltage, 3500);
            EXPECT_EQ(bUsb, c.bUsb);
        }
        EXPECT_TRUE(Violations().empty());
    }
}

TEST_F(Dev24GFind, KeyCodesAndMacroBuffersAreTheWiredFamilys)
{
    Load("wireless5.ini");
    MacroRecord macro{};
    macro.MacroID = 0x000456;
    macro.wLoopCount = 3;
    macro.Action[0] = {'A', 0, 1, {300, 0}};
    macro.Action[1] = {'A', 0, 0, {10, 0}};
    g_MacroList.Clear();
    g_MacroList.Add(macro);
    struct Case {
        uint32_t dwFunID, dwMacroID;
        uint32_t dwCode;
    };
    const Case cases[] = {
        {kFunLeftClick, 0, 0x111},
        {kFunKeyOff, 0, 0x150},
        {kFunMacro, 0x000456, 0x03010070},  // the buffer number is given by the apply
        {kFunMenuGunPreset, 0, 0xFFFFFFFF},  // not a key function of the mouse
    };
    for (const Case& c : cases) {
        KeyInfo key{};
        key.FunID = c.dwFunID;
        key.MacroID = c.dwMacroID;
        EXPECT_EQ(m_dev->keyinfo_to_hardware_code(key), c.dwCode) << std::hex << c.dwFunID;
    }
    g_MacroList.Clear();
    std::array<uint8_t, 506> buf{};
    ASSERT_EQ(m_dev->StMacro_To_HdMacro(macro, buf), 8);
    EXPECT_EQ(EmuHex(std::span(buf).first(8)), "00 02 51 2c 04 d0 0a 04");
}

TEST_F(Dev24GFind, DefaultsKeepTheConnectionsModeOnKind5)
{
    struct Case {
        const char* pszCfg;
        int nKept;
    };
    const Case cases[] = {{"wireless5.ini", 1}, {"wireless4.ini", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszCfg);
        Load(c.pszCfg);
        ProfileRecord pro{};
        pro.Ms.ProMirex.nMode = 1;
        pro.Ms.Mode[1].Dpi[0].nDpiX = 12345;
        m_dev->FillDefault(pro);
        EXPECT_EQ(pro.Ms.ProMirex.nMode, c.nKept);
        EXPECT_EQ(pro.Ms.Mode[1].Dpi[0].nDpiX, pSensorCfg->Dpi[0]);
        EXPECT_EQ(pro.Ms.Mode[1].nRate, pSensorCfg->nDR_2);
        EXPECT_EQ(pro.Ms.Mode[1].Key[2][0].FunID, kFunLeftClick);
        EXPECT_EQ(m_dev->GetKeyTable(pro, 1, 2), pro.Ms.Mode[1].Key[2]);
        EXPECT_EQ(m_dev->GetKeyTable(pro, 3, 0), nullptr);
    }
}
