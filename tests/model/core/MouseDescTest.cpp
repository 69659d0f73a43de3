// The mouse section of the description: defaults, every check with its
// message, the lighting options, the current sensor, and whole files.
#include <algorithm>
#include <array>
#include <cctype>
#include <functional>
#include <string>

#include "TestSupport.h"
#include "core/Log.h"
#include "core/Options.h"
#include "model/core/MouseDescFixture.h"

namespace fs = std::filesystem;
using namespace mstest;

namespace {

using Rect4 = std::array<int32_t, 4>;
Rect4 R(const ZRect& rc) { return {rc.left, rc.top, rc.right, rc.bottom}; }

class MouseDescTest : public MouseDescFixture {};

}  // namespace

TEST_F(MouseDescTest, MissingKeysTakeTheirDefaults)
{
    Load("");
    EXPECT_EQ(Messages(), Msgs{});
    const MsDesc& ms = gVar.Ms;
    EXPECT_EQ(ms.nVID, 0x258A);
    EXPECT_EQ(ms.nPID[0], 0);
    EXPECT_EQ(ms.nPop, 0);
    EXPECT_EQ(ms.nLedInd, 1);
    EXPECT_EQ(ms.nShowDpiCheck, 1);
    EXPECT_EQ(ms.nLedOffVal, 3);
    EXPECT_EQ(ms.nShowMacro, 1);
    EXPECT_EQ(ms.nShowPUBGMenu, 1);
    EXPECT_EQ(ms.nApplyAllLed, 1);
    EXPECT_EQ(ms.nShowSys, 255);
    EXPECT_EQ(ms.nHandOft, 51);
    EXPECT_EQ(ms.nKeyCodeHasIndex, 1);
    EXPECT_EQ(ms.nApplyMode, 1);
    EXPECT_EQ(ms.nEnhancePrecision, -1);
    EXPECT_EQ(ms.nShowLED, 255);
    EXPECT_EQ(ms.nShowLEDEx, 0);
    EXPECT_EQ(ms.ptSleep.x, 648);
    EXPECT_EQ(ms.ptSleep.y, 128);
    EXPECT_EQ(ms.ptLedOFFWhenMoving.x, 672);
    EXPECT_EQ(ms.ptLedOFFWhenMoving.y, 102);
    EXPECT_EQ(ms.ptLOD.y, 131);
    EXPECT_EQ(ms.nWirlessLOD, 1);
    EXPECT_EQ(ms.nLOD, 0x000A0206);
    EXPECT_EQ(Ints(ms.ColorfulSteadyIndex), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(Ints(ms.LightUI), (std::vector<int>{1, 2, 3, 4, 0, 0, 0, 0}));
    EXPECT_EQ(Ints(ms.LightHW), (std::vector<int>{1, 2, 3, 4, 0, 0, 0, 0}));
    EXPECT_EQ(ms.nLightNum, 4);
    EXPECT_EQ(ms.nDefLight, 3);
    EXPECT_EQ(Ints(ms.SpeedUI), (std::vector<int>{1, 2, 3, 0, 0, 0, 0, 0}));
    EXPECT_EQ(ms.nSpeedNum, 3);
    EXPECT_EQ(ms.nDefSpeed, 1);
    EXPECT_EQ(Ints(ms.RGBIndex), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(Ints(ms.DPIRGBIndex), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(R(ms.rcDpiText), (Rect4{1, 4, 37, 20}));
    EXPECT_EQ(ms.nShootSpeed, 1);
    EXPECT_EQ(ms.clrPickMs[1], MakeColor(255, 128, 0));
    EXPECT_EQ(ms.clrPickMs[7], MakeColor(255, 255, 255));
    EXPECT_EQ(ms.clrFull, MakeColor(0, 255, 0));
    EXPECT_EQ(ms.clrLow, MakeColor(255, 128, 0));
    EXPECT_EQ(ms.clrChijiBkg, MakeColor(4, 106, 157));
    EXPECT_EQ(ms.clrDpiMark, MakeColor(255, 0, 0));
    EXPECT_EQ(ms.clrDpiSelect, MakeColor(255, 255, 255));
    EXPECT_EQ(ms.nShowPowerGrid, 1);
    EXPECT_EQ(ms.nShowEx, 0x010101);
    EXPECT_EQ(ms.PickColor[3].clr, MakeColor(0, 255, 255));
    EXPECT_EQ(ms.PickColor[6].nIndex, 7);
    EXPECT_EQ(ms.PickColor[7].clr, 0u);
    // Read only under their switches: ShowEffect, MsFw above 255, bullets, ShowLOD, DebounceUi.
    EXPECT_EQ(ms.clrEffectTail[0], 0u);
    EXPECT_EQ(Ints(ms.DpiSW), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(ms.GunValue[0], 0);
    EXPECT_EQ(ms.nLodNum, 0);
    EXPECT_EQ(ms.nDebounceNum, 0);
    EXPECT_EQ(ms.nDefDebounce, 0);
    EXPECT_EQ(ms.LedOpt[0].bValid, 0);
    EXPECT_EQ(ms.nMsSensor, 0x3360);
    EXPECT_EQ(pSensorCfg, &gVar.Ms.Sensor[0]);
}

TEST_F(MouseDescTest, ValuesUnderTheirSwitches)
{
    gVar.nMsFw = 0x211;  // bullets and an LED layout
    Load("ShowEffect=1\nShowLOD=2\nDebounceUi=2,4,8\nDebounceHw=1,2\nDefDebounce=2\nShowLED=0x0301\n"
         "PID=0x1007,0x1008,0x1009,0x100A,0x100B,0x100C,0x100D\nPID2=2345\nPrecisionUI=1,2,3,4,5,6,7,8,9,10,11,12,13\n"
         "ShowUsbRateForPUBG=125,1000");
    EXPECT_EQ(Messages(), Msgs{});
    const MsDesc& ms = gVar.Ms;
    EXPECT_EQ(ms.clrEffectTail[4], MakeColor(128, 0, 255));
    EXPECT_EQ(ms.clrEffectTail[6], MakeColor(250, 198, 3));
    EXPECT_EQ(Ints(ms.DpiSW), (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(Ints(ms.DpiSW2), (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(ms.GunValue[0], 13);
    EXPECT_EQ(ms.GunValue[20], 8);
    EXPECT_EQ(ms.GunColor[6], MakeColor(255, 255, 255));
    EXPECT_EQ(ms.LODSet[0], 5);
    EXPECT_EQ(ms.LODSet[15], 20);
    EXPECT_EQ(Ints(ms.LODVal), Ints(ms.LODSet));
    EXPECT_EQ(ms.nLodNum, 16);
    EXPECT_EQ(ms.nDebounceNum, 3);
    EXPECT_EQ(Ints(ms.DebounceHw, 3), (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(ms.nDefDebounce, 2);
    EXPECT_EQ(ms.nShowLED, 1);
    EXPECT_EQ(ms.nShowLEDEx, 3);
    // Lists are cut at their capacity.
    EXPECT_EQ(ms.nPID[4], 0x100B);
    EXPECT_EQ(ms.nPID2[0], 0x2345);  // hexadecimal list
    EXPECT_EQ(ms.nPrecisionNum, 11);
    EXPECT_EQ(ms.PrecisionUI[10], 11);
    EXPECT_EQ(ms.PrecisionUI[11], 0);
    EXPECT_EQ(ms.ShowUsbRateForPUBG[0], 0x125);
    EXPECT_EQ(ms.ShowUsbRateForPUBG[1], 0x1000);
}

TEST_F(MouseDescTest, EveryCheckShowsItsMessageAndKeepsIndexesInRange)
{
    struct Case {
        const char* name;
        int32_t nMsFw;
        std::string ms;
        Msgs expected;
        std::function<void(const MsDesc&)> check;
    };
    const Msg wrongPoint{"Wrong POINT num", "Error"};
    const std::vector<Case> cases = {
        {"steady index short", 1, "ColorfulSteadyIndex=0,1,2", {{"Wrong ColorfulSteadyIndex value", "Warning"}},
         [](const MsDesc& ms) { EXPECT_EQ(ms.ColorfulSteadyIndex[7], 7); }},
        {"steady index beyond 7", 1, "ColorfulSteadyIndex=7,6,5,4,3,2,1,9",
         {{"Wrong ColorfulSteadyIndex value", "Warning"}},
         [](const MsDesc& ms) { EXPECT_EQ(ms.ColorfulSteadyIndex[0], 0); }},
        {"steady index reordered", 1, "ColorfulSteadyIndex=7,6,5,4,3,2,1,0", {},
         [](const MsDesc& ms) { EXPECT_EQ(ms.ColorfulSteadyIndex[0], 7); }},
        {"DefLight beyond the default list", 1, "DefLight=4", {{"Wrong DefLight value", "Warning"}},
         [](const MsDesc& ms) { EXPECT_EQ(ms.nDefLight, 3); }},
        {"DefLight beyond a short list", 1, "LightUI=10,20\nDefLight=2", {{"Wrong DefLight value", "Warning"}},
         [](const MsDesc& ms) {
             EXPECT_EQ(ms.nLightNum, 2);
             EXPECT_EQ(ms.nDefLight, 1);
             EXPECT_EQ(Ints(ms.LightHW, 3), (std::vector<int>{0x10, 0x20, 0}));  // copy of LightUI
         }},
        {"LightHW of its own", 1, "LightUI=1,2,3\nLightHW=10,20,30\nDefLight=0", {},
         [](const MsDesc& ms) { EXPECT_EQ(ms.LightHW[2], 0x30); }},
        {"negative DefSpeed", 1, "DefSpeed=-1", {{"Wrong DefSpeed value", "Warning"}},
         [](const MsDesc& ms) { EXPECT_EQ(ms.nDefSpeed, 0); }},
        {"DefSpeed beyond SpeedUI", 1, "SpeedUI=1,2,3,4,5\nDefSpeed=5", {{"Wrong DefSpeed value", "Warning"}},
         [](const MsDesc& ms) { EXPECT_EQ(ms.nDefSpeed, 4); }},
        {"lift-off tables missing", 1, "ShowLOD=1",
         {{"Wrong LodUI value", "Warning"}, {"Wrong LodHW value", "Warning"}},
         [](const MsDesc& ms) { EXPECT_EQ(ms.nLodNum, 0); }},
        {"lift-off levels cut to the tables", 1, "ShowLOD=1\nLodUI=1,2\nLodHW=1,2\nLOD=0x000A0909", {},
         [](const MsDesc& ms) { EXPECT_EQ(ms.nLOD, 0x000A0708); }},
        {"lift-off default beyond the levels", 1, "LOD=0x000A0906", {},
         [](const MsDesc& ms) { EXPECT_EQ(ms.nLOD, 0x000A0506); }},
        {"debounce default beyond its values", 1, "DebounceUi=2,4\nDebounceHw=1,2\nDefDebounce=7", {},
         [](const MsDesc& ms) { EXPECT_EQ(ms.nDefDebounce, 1); }},
        {"debounce switched off", 1, "DebounceUi=0,4\nDefDebounce=1", {},
         [](const MsDesc& ms) { EXPECT_EQ(ms.nDebounceNum, 0); }},
        {"RGBIndex beyond 2", 1, "RGBIndex=0,1,3", {{"Wrong RGBIndex value", "Warning"}},
         [](const MsDesc& ms) { EXPECT_EQ(Ints(ms.RGBIndex), (std::vector<int>{0, 1, 2})); }},
        {"RGBIndex short", 1, "RGBIndex=2,1", {},
         [](const MsDesc& ms) { EXPECT_EQ(Ints(ms.RGBIndex), (std::vector<int>{0, 1, 2})); }},
        {"DPIRGBIndex beyond 2", 1, "DPIRGBIndex=2,1,5\nRGBIndex=1,2,0", {{"Wrong DPIRGBIndex value", "Warning"}},
         [](const MsDesc& ms) {
             EXPECT_EQ(Ints(ms.DPIRGBIndex), (std::vector<int>{0, 1, 2}));
             EXPECT_EQ(Ints(ms.RGBIndex), (std::vector<int>{1, 2, 0}));
         }},
        {"DPI lock menus", 1, "SnipMenu=1,16,3,4", {{"Dpi lock menus > 15", "Error"}},
         [](const MsDesc& ms) {
             EXPECT_EQ(ms.nSnipMenu[1], 15);
             EXPECT_EQ(ms.nSnipMenu[3], 4);
         }},
        {"GunValue short", 0x11, "GunValue=1,2,3", {{"GunValue number!=21", "Error"}},
         [](const MsDesc& ms) { EXPECT_EQ(ms.GunValue[0], 13); }},
        {"GunValue long", 0x11, "GunValue=1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22",
         {{"GunValue number!=21", "Error"}}, [](const MsDesc& ms) { EXPECT_EQ(ms.GunValue[1], 40); }},
        {"GunValue of 21", 0x11, "GunValue=1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21", {},
         [](const MsDesc& ms) { EXPECT_EQ(ms.GunValue[20], 21); }},
        {"GunValue ignored without bullets", 1, "GunValue=1,2,3", {},
         [](const MsDesc& ms) { EXPECT_EQ(ms.GunValue[0], 0); }},
        {"point", 1, "ptSleep=1,2,3", {wrongPoint}, [](const MsDesc& ms) { EXPECT_EQ(ms.ptSleep.x, 648); }},
        {"rectangle", 1, "rcDpiText=1,2", {{"Wrong rect num", "Error"}},
         [](const MsDesc& ms) { EXPECT_EQ(ms.rcDpiText.right, 37); }},
        {"LED switch", 1, "ShowLED=0x0102", {},
         [](const MsDesc& ms) {
             EXPECT_EQ(ms.nShowLED, 2);
             EXPECT_EQ(ms.nShowLEDEx, 1);
         }},
        {"picker colours until a black one", 1, "PickColor=255,0,0,4,0,0,0,9,0,255,0,5", {},
         [](const MsDesc& ms) {
             EXPECT_EQ(ms.PickColor[0].clr, MakeColor(255, 0, 0));
             EXPECT_EQ(ms.PickColor[0].nIndex, 4);
             EXPECT_EQ(ms.PickColor[1].clr, 0u);
         }},
        {"identifier too wide ends the list", 1, "PID=0x1007,0x12345,0x1009", {},
         [](const MsDesc& ms) {
             EXPECT_EQ(ms.nPID[0], 0x1007);
             EXPECT_EQ(ms.nPID[1], 0);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        m_prompt.Clear();
        gVar.nMsFw = c.nMsFw;
        Load(c.ms);
        EXPECT_EQ(Messages(), c.expected);
        c.check(gVar.Ms);
    }
}

TEST_F(MouseDescTest, BuiltInLedListsByMouseKind)
{
    Load("");
    EXPECT_EQ(gVar.Ms.LedOpt[0].bValid, 0);  // a wired kind-1 mouse has none

    SetUp();
    gVar.nMsFw = 4;
    Load("");
    const LedOptMs* o = gVar.Ms.LedOpt;
    EXPECT_EQ((std::array<int32_t, 8>{o[0].bValid, o[0].nPara1, o[0].nEffectId, o[0].nPara2, o[0].nPara3,
                                      o[0].nPara4, o[0].nPara5, o[0].nClrNum}),
              (std::array<int32_t, 8>{1, 5, 1, 1, 0, 1, 0, 0}));
    EXPECT_EQ(o[0].Clr[0], 0x0000FFu);
    EXPECT_EQ(o[0].Clr[9], 0xFA8000u);
    EXPECT_EQ(o[1].Clr[0], 0xFF00FFu);
    EXPECT_EQ(o[2].nClrNum, 7);
    EXPECT_EQ(o[3].nPara1, 0);
    EXPECT_EQ(o[6].Clr[7], 0x0000FFu);
    EXPECT_EQ(o[10].bValid, 1);
    EXPECT_EQ(o[10].nEffectId, 0);
    EXPECT_EQ(o[11].bValid, 0);

    SetUp();
    gVar.nMsFw = 3;
    Load("");
    EXPECT_EQ(o[3].nPara1, 8);
    EXPECT_EQ(o[7].nPara1, 8);
    EXPECT_EQ(o[10].nEffectId, 11);
    EXPECT_EQ(o[11].bValid, 1);
    EXPECT_EQ(o[0].Clr[8], 0u);  // list B's palette ends early
    EXPECT_EQ(o[0].Clr[7], 0xFFFFFFu);

    SetUp();
    gVar.nMsFw = 0x104;  // kind 4 with an LED layout of its own
    Load("");
    EXPECT_EQ(o[0].bValid, 0);
}

TEST_F(MouseDescTest, LedOptionKeysOverTheBuiltInList)
{
    gVar.nMsFw = 5;
    Load("LedOpt2=7,8,1,1,0,1,12,255,0,0,0,300,0,1\nLedOpt15=3,4\nLedOpt3=x\n"
         "LedOpt4=1,2,3,4,5,6,10,1,1,1,2,2,2,3,3,3,4,4,4,5,5,5,6,6,6,7,7,7,8,8,8,9,9,9,10,10,10,11,11,11");
    EXPECT_EQ(Messages(), Msgs{});
    const LedOptMs* o = gVar.Ms.LedOpt;
    EXPECT_EQ(o[1].nEffectId, 7);
    EXPECT_EQ(o[1].nPara1, 8);
    EXPECT_EQ(o[1].nPara5, 1);
    EXPECT_EQ(o[1].nClrNum, 10);  // brought into the 10 colours
    EXPECT_EQ(o[1].Clr[0], MakeColor(255, 0, 0));
    EXPECT_EQ(o[1].Clr[1], MakeColor(0, 255, 0));
    EXPECT_EQ(o[1].Clr[2], MakeColor(1, 0, 0));  // a colour cut short
    EXPECT_EQ(o[1].Clr[3], 0u);
    EXPECT_EQ(o[14].bValid, 1);
    EXPECT_EQ(o[14].nEffectId, 3);
    EXPECT_EQ(o[14].nClrNum, 0);
    EXPECT_EQ(o[2].nEffectId, 3);  // unparsable: the built-in record stays
    EXPECT_EQ(o[3].Clr[9], MakeColor(10, 10, 10));  // 37 numbers read, the rest dropped
    EXPECT_EQ(o[0].nEffectId, 1);
}

TEST_F(MouseDescTest, SetCurSensorAndFindSensorCfg)
{
    LoadText("[MS]\nSensor=0x3389\n[SENSOR_1]\nSensor=0x3360\n[SENSOR_2]\nSensor=0\n[SENSOR_3]\nSensor=0x3395\n");
    EXPECT_EQ(Messages(), (Msgs{{"set_cur_sensor:  pSensorCfg=null for 0x3389", "Error"}}));
    EXPECT_EQ(pSensorCfg, nullptr);
    EXPECT_EQ(gVar.Ms.nMsSensor, 0x3389);

    m_prompt.Clear();
    EXPECT_EQ(set_cur_sensor(0x3395, m_prompt), &gVar.Ms.Sensor[2]);
    EXPECT_EQ(pSensorCfg, &gVar.Ms.Sensor[2]);
    EXPECT_EQ(gVar.Ms.nMsSensor, 0x3395);
    EXPECT_EQ(Messages(), Msgs{});
    EXPECT_EQ(gVar.Ms.Sensor[1].nSensor, 0);  // Sensor=0 leaves its slot empty

    EXPECT_EQ(FindSensorCfg(0x3360), &gVar.Ms.Sensor[0]);
    EXPECT_EQ(FindSensorCfg(0), nullptr);
    EXPECT_EQ(FindSensorCfg(0x3050), nullptr);
    EXPECT_EQ(set_cur_sensor(0, m_prompt), nullptr);
    EXPECT_EQ(Messages(), (Msgs{{"set_cur_sensor:  pSensorCfg=null for 0x0000", "Error"}}));
}

TEST_F(MouseDescTest, NoDescriptionAtAllNamesTheDefaultSensor)
{
    LoadText("");
    EXPECT_EQ(Messages(), (Msgs{{"set_cur_sensor:  pSensorCfg=null for 0x3050", "Error"}}));
    EXPECT_EQ(gVar.Ms.nMsSensor, 0x3050);
    EXPECT_EQ(gVar.Ms.nVID, 0x258A);
}

TEST_F(MouseDescTest, ALoadStartsFromTheBuiltInStepsAndAnEmptyDescription)
{
    Load("PID=0x1007", "DPISET=400,800\nDPI=400,800,400,800,400,800");
    EXPECT_EQ(Messages(), Msgs{});
    EXPECT_EQ(FindSensorTable(0x3360)->nCount, 2);
    gVar.Ms.nGunKeyParam = 5;
    Load("");
    EXPECT_EQ(FindSensorTable(0x3360)->nCount, 21);
    EXPECT_EQ(gVar.Ms.nPID[0], 0);
    EXPECT_EQ(gVar.Ms.nGunKeyParam, 0);
}

// ---- whole files -----------------------------------------------------------------

namespace {

bool SameLetters(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return std::tolower(x) == std::tolower(y); });
}

// Loads a whole installation's cfg.ini the way start-up does and checks that it
// shows nothing and that every key of its mouse sections is one the loader read
// (a misspelt key, or one whose switch is off, would silently do nothing).
class MouseDescFileTest : public MouseDescFixture {
protected:
    void TearDown() override { LogStop(); }

    void LoadFile(const fs::path& path)
    {
        SCOPED_TRACE(path.string());
        const CIniFile cfg = CIniFile::Load(path);
        ASSERT_TRUE(cfg.Exists());
        LogConfig log;
        log.pathFile = m_dir / "Log.txt";
        log.debugOut = [](const std::string&) {};
        EXPECT_TRUE(DataInit(cfg, m_prompt, log));
        EXPECT_TRUE(PostInit(m_prompt));
        LoadLangAndSkins(cfg, CIniFile(), m_prompt);
        EXPECT_EQ(Messages(), Msgs{});
        ASSERT_NE(gVar.nMsFw, 0);

        std::vector<std::pair<std::string, std::string>> read;
        LoadMouseDescription(cfg, m_prompt, &read);
        EXPECT_EQ(Messages(), Msgs{});
        BuildMouseKeyLayout(nullptr, m_prompt);
        EXPECT_EQ(Messages(), Msgs{});
        int nMouseKeys = 0;
        cfg.VisitValues([&](std::string_view section, std::string_view key, std::string_view) {
            if (!SameLetters(section, "MS") && !(section.size() > 7 && SameLetters(section.substr(0, 7), "SENSOR_")))
                return;
            ++nMouseKeys;
            const bool bRead = std::any_of(read.begin(), read.end(), [&](const auto& e) {
                return SameLetters(e.first, section) && SameLetters(e.second, key);
            });
            EXPECT_TRUE(bRead) << "[" << section << "] " << key << " is never read";
        });
        EXPECT_GT(nMouseKeys, 20);
    }

    test::CTempDir m_dir;
};

}  // namespace

TEST_F(MouseDescFileTest, ShippedCfgIni)
{
    LoadFile(test::SourceDir() / "data" / "cfg.ini");
    ASSERT_NE(pSensorCfg, nullptr);
    EXPECT_EQ(pSensorCfg->nSensor, 0x3360);
    EXPECT_EQ(gVar.Ms.Sensor[1].nSensor, 0x3395);
    EXPECT_EQ(pSensorCfg->nKM, 7);
    EXPECT_EQ(pSensorCfg->nMDNUM, 3);
    EXPECT_EQ(gVar.Ms.LedOpt[10].bValid, 1);
    EXPECT_EQ(g_MsKeyLayout[0][0].FunID, 0x01000011u);
    EXPECT_EQ(g_MsKeyLayout[0][6].MatrixInx, 7);
    EXPECT_EQ(g_MsKeyLayout[2][5].FunID, 0x020000A1u);  // Ctrl+C in the third mode
    EXPECT_EQ(g_MsKeyLayout[2][5].byModifier, 0x01);
    EXPECT_EQ(gVar.Ms.Sensor[1].Key[2][5].FunID, 0x080000A8u);  // copied from the first mode
}

TEST_F(MouseDescFileTest, WirelessKind4)
{
    LoadFile(test::FixtureDir() / "cfg" / "wireless4.ini");
    EXPECT_EQ(gVar.nMsFw & 0x0F, 4);
    EXPECT_NE(gVar.Ms.nPID2[0], 0);
    EXPECT_EQ(gVar.Ms.LedOpt[10].bValid, 1);  // the built-in effect list
    ASSERT_NE(pSensorCfg, nullptr);
    EXPECT_EQ(pSensorCfg->nMDNUM, 2);
}

TEST_F(MouseDescFileTest, WirelessKind5)
{
    LoadFile(test::FixtureDir() / "cfg" / "wireless5.ini");
    EXPECT_EQ(gVar.nMsFw & 0x0F, 5);
    EXPECT_NE(gVar.Ms.nPID2[0], 0);
    EXPECT_EQ(gVar.Ms.nShowLOD, 2);
    ASSERT_NE(pSensorCfg, nullptr);
    EXPECT_EQ(pSensorCfg->nSensor, 0x3370);
}

TEST_F(MouseDescFileTest, MouseOnlyWithBullets)
{
    LoadFile(test::FixtureDir() / "cfg" / "mouse-only.ini");
    EXPECT_EQ(gVar.nKbFw + gVar.nPadFw, 0);
    EXPECT_FALSE(gVar.bMultiDev);
    EXPECT_GT(gVar.nMsFw & 0xFF, 15);
    ASSERT_NE(pSensorCfg, nullptr);
    EXPECT_EQ(pSensorCfg->nSensor, 0x3389);
    EXPECT_EQ(hwParam.nMacroBufferSize, 506);
}
