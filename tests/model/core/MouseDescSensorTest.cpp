// The sensor sections of the mouse description: steps, levels, colours, modes,
// default keys and marks; and the parser of one default key value.
#include <array>
#include <functional>
#include <string>

#include "model/core/MouseDescFixture.h"

using namespace mstest;

namespace {

class MouseSensorTest : public MouseDescFixture {
protected:
    const SensorCfg& S(int i = 0) const { return gVar.Ms.Sensor[i]; }
    static std::vector<int> Steps(int32_t nSensor)
    {
        const SensorDpiTable* t = FindSensorTable(nSensor);
        return t ? std::vector<int>(t->Dpi, t->Dpi + t->nCount) : std::vector<int>{};
    }
    static std::vector<int> Codes(int32_t nSensor, bool bLock = false)
    {
        const SensorDpiTable* t = FindSensorTable(nSensor);
        if (!t) return {};
        const uint16_t* p = bLock ? t->LockCode : t->HwCode;
        return std::vector<int>(p, p + t->nCount);
    }
};

using V = std::vector<int>;

}  // namespace

TEST_F(MouseSensorTest, DefaultsOfASensorSection)
{
    Load("");
    EXPECT_EQ(Messages(), Msgs{});
    const SensorCfg& s = S();
    EXPECT_EQ(s.nSensor, 0x3360);
    EXPECT_EQ((std::array<int32_t, 7>{s.nRATE1, s.nRATE2, s.nRATE3, s.nRATE4, s.nDR, s.nDR_2, s.nDR_3}),
              (std::array<int32_t, 7>{0x125, 0x250, 0x500, 0x1000, 0x500, 0x500, 0x500}));
    EXPECT_EQ(s.nDM, 6);
    EXPECT_EQ(s.nDPIH, 14);
    EXPECT_EQ(s.nDefLevel, -1);
    EXPECT_EQ(Ints(s.Dpi), (V{1000, 1600, 2000, 4000, 6000, 8000, 0, 0, 0, 0}));
    EXPECT_EQ(s.DpiClr[0], MakeColor(255, 0, 0));
    EXPECT_EQ(s.DpiClr[1], MakeColor(0, 0, 255));
    EXPECT_EQ(s.DpiClr[2], MakeColor(0, 255, 0));
    EXPECT_EQ(s.DpiClr[5], MakeColor(255, 255, 255));
    EXPECT_EQ(s.DpiClr[6], 0u);
    EXPECT_EQ((std::array<int32_t, 7>{s.nKEYY, s.nKEYH, s.nMOUSEX, s.nMOUSEY, s.nKeyMask, s.nMDNUM, s.nKM}),
              (std::array<int32_t, 7>{10, 6, 360, 50, 0, 3, 7}));
    EXPECT_EQ(s.Key[0][0].FunID, 0u);
    EXPECT_EQ(Steps(0x3360).size(), 21u);
    for (int i = 1; i < kSensorSlotNum; ++i) EXPECT_EQ(S(i).nSensor, 0) << i;
}

TEST_F(MouseSensorTest, SectionValuesAndClampedCounts)
{
    Load("", "DR=0x1000\nDR_3=0x250\nDM=3\nDEFLEVEL=2\nDPI=800,1600,3200\nDC=255,0,0,0,255,0,0,0,300\nKEYY=20\n"
             "MDNUM=6\nKM=4\nMark1=10,20,30,40\nMark2=1,2,3,4\nMark4=9,9,9,9");
    EXPECT_EQ(Messages(), Msgs{});
    const SensorCfg& s = S();
    EXPECT_EQ(s.nDR_2, 0x1000);
    EXPECT_EQ(s.nDR_3, 0x250);
    EXPECT_EQ(s.nDefLevel, 2);
    EXPECT_EQ(Ints(s.Dpi), (V{800, 1600, 3200, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(s.DpiClr[2], MakeColor(0, 0, 255));
    EXPECT_EQ(s.DpiClr[3], MakeColor(0, 255, 255));  // beyond DM: the default colour
    EXPECT_EQ(s.nMDNUM, 2);
    EXPECT_EQ(s.nKM, 2);
    EXPECT_EQ(s.nKEYY, 20);
    // Marks are written x, y, width, height and end at the first missing one.
    EXPECT_EQ((std::array<int32_t, 4>{s.Mark[0].left, s.Mark[0].top, s.Mark[0].right, s.Mark[0].bottom}),
              (std::array<int32_t, 4>{10, 20, 40, 60}));
    EXPECT_EQ(s.Mark[1].right, 4);
    EXPECT_EQ(s.Mark[3].right, 0);

    // Counts and indexes outside what the arrays hold.
    SetUp();
    Load("", "DM=12\nDEFLEVEL=10\nDPI=1000,1600,2000,4000,6000,8000,10000,12000,24000,500");
    EXPECT_EQ(Messages(), Msgs{});
    EXPECT_EQ(S().nDM, 10);
    EXPECT_EQ(S().nDefLevel, -1);
    EXPECT_EQ(S().Dpi[9], 500);

    SetUp();
    Load("", "DM=0\nDEFLEVEL=-2\nDPI=800");
    EXPECT_EQ(Messages(), Msgs{});
    EXPECT_EQ(S().nDM, 1);
    EXPECT_EQ(S().nDefLevel, -1);
    EXPECT_EQ(S().Dpi[0], 800);
}

TEST_F(MouseSensorTest, SensorChecksAndTheirMessages)
{
    struct Case {
        const char* name;
        std::string ms, sensor;
        Msgs expected;
        std::function<void()> check;
    };
    const std::vector<Case> cases = {
        {"unknown sensor", "Sensor=0x3395", "Sensor=0x1234\n",
         {{"Error, Sensor vaulue of SENSOR_1 section is 0x1234", "Error"},
          {"set_cur_sensor:  pSensorCfg=null for 0x3395", "Error"}},
         [&] { EXPECT_EQ(S().nSensor, 0); }},
        {"DPI count other than DM", "", "DPI=1000,2000,3000,4000,5000", {{"DPI != DM.", "Warning"}},
         [&] { EXPECT_EQ(S().Dpi[4], 6000); }},
        {"DPI list cut at ten", "", "DM=6\nDPI=1,2,3,4,5,6,7,8,9,10,11,12", {{"DPI != DM.", "Warning"}},
         [&] { EXPECT_EQ(S().Dpi[0], 1000); }},
        {"default level not a step", "", "DPI=1000,1600,2000,4000,6000,8100",
         {{"Wrong default dpi value: 8100", "Warning"}}, [&] { EXPECT_EQ(S().Dpi[5], 8100); }},
        {"no default levels for the sensor", "Sensor=0x7350", "Sensor=0x7350\nDM=2",
         {{"Wrong default dpi value: 0", "Warning"}, {"Wrong default dpi value: 0", "Warning"}},
         [&] { EXPECT_EQ(S().Dpi[0], 0); }},
        {"DPIRANGE too short", "", "DPIRANGE=100,1000\nDPI=1000,1600,2000,4000,6000,8000",
         {{"Wrong DPIRANGE", "Warning"}}, [&] { EXPECT_EQ(Steps(0x3360).size(), 21u); }},
        {"DPIRANGE that never ends", "", "DPIRANGE=100,1000,0,1,1\nDPI=1000,1600,2000,4000,6000,8000",
         {{"Wrong DPIRANGE", "Warning"}}, [&] { EXPECT_EQ(Steps(0x3360).size(), 21u); }},
        {"DPIRANGE backwards", "", "DPIRANGE=1000,100,100,1,1\nDPI=1000,1600,2000,4000,6000,8000",
         {{"Wrong DPIRANGE", "Warning"}}, [&] { EXPECT_EQ(Steps(0x3360).size(), 21u); }},
        {"DPIRANGE second range cut short", "", "DPIRANGE=100,1000,100,1,1,2000\nDPI=1000,1600,2000,4000,6000,8000",
         {{"Wrong DPIRANGE", "Warning"}}, [&] { EXPECT_EQ(Steps(0x3360).size(), 21u); }},
        {"fewer hardware codes", "", "DPISET=400,800,1600\nDPIHW=1,2\nDM=3\nDPI=400,800,1600",
         {{"DPISET Num != DPIHW Num", "Warning"}}, [&] { EXPECT_EQ(Codes(0x3360), (V{1, 2, 0})); }},
        {"fewer lock codes", "SnipMenu=1,2,0,1", "DPISET=400,800\nDPILK=5\nDM=2\nDPI=400,800",
         {{"DPISET Num != DPILK Num", "Warning"}},
         [&] {
             EXPECT_EQ(Codes(0x3360), (V{1, 2}));
             EXPECT_EQ(Codes(0x3360, true), (V{5, 0}));
         }},
        {"too few keys", "", "K1_1=1,11,0,1\nK2_1=1,13,0,2", {{"Key num to small", "Error"}},
         [&] { EXPECT_EQ(S().Key[1][1].FunID, 0x01000013u); }},
        {"a mark that is not four numbers", "", "Mark1=1,2,3\nMark2=5,5,5,5", {{"Mark value error", "Error"}},
         [&] {
             EXPECT_EQ(S().Mark[0].right, 0);
             EXPECT_EQ(S().Mark[1].right, 10);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        m_prompt.Clear();
        Load(c.ms, c.sensor);
        EXPECT_EQ(Messages(), c.expected);
        c.check();
    }
}

TEST_F(MouseSensorTest, DpiRangesRebuildTheSteps)
{
    Load("", "DPIRANGE=100,1000,100,1,1\nDM=2\nDPI=100,1000");
    EXPECT_EQ(Messages(), Msgs{});
    EXPECT_EQ(Steps(0x3360), (V{100, 200, 300, 400, 500, 600, 700, 800, 900, 1000}));
    EXPECT_EQ(Codes(0x3360), (V{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(Codes(0x3360, true), Codes(0x3360));
    EXPECT_EQ(DpiToHwCode(0x3360, 700), 7);  // the steps are the sensor's for the whole run

    // A second range going on with the codes, and one with codes of its own.
    SetUp();
    Load("", "DPIRANGE=100,500,100,1,1,600,1000,200,0,0\nDM=2\nDPI=100,1000");
    EXPECT_EQ(Steps(0x3360), (V{100, 200, 300, 400, 500, 600, 800, 1000}));
    EXPECT_EQ(Codes(0x3360), (V{1, 2, 3, 4, 5, 6, 7, 8}));
    SetUp();
    Load("", "DPIRANGE=100,300,100,10,2,400,600,100,40,5\nDM=2\nDPI=100,600");
    EXPECT_EQ(Codes(0x3360), (V{10, 12, 14, 40, 45, 50}));

    // At most 400 steps; an alias changes the value kept for a step.
    SetUp();
    Load("Sensor=0x3395", "Sensor=0x3395\nDPIRANGE=50,30000,50,0,1\nDPIRANGEALIAS=100,150,200,-1,9999,1\n"
                          "DM=2\nDPI=50,20000");
    EXPECT_EQ(Messages(), Msgs{});
    const V steps = Steps(0x3395);
    ASSERT_EQ(steps.size(), 400u);
    EXPECT_EQ(steps[399], 20000);
    EXPECT_EQ(steps[1], 150);
    EXPECT_EQ(steps[3], 200);
    EXPECT_EQ(Codes(0x3395)[399], 399);
}

TEST_F(MouseSensorTest, DpiSetWithAndWithoutCodes)
{
    Load("", "DPISET=400,800,1600\nDM=3\nDPI=400,800,1600\nDPILK=7,8,9");
    EXPECT_EQ(Messages(), Msgs{});
    EXPECT_EQ(Steps(0x3360), (V{400, 800, 1600}));
    EXPECT_EQ(Codes(0x3360), (V{1, 2, 3}));
    EXPECT_EQ(Codes(0x3360, true), (V{1, 2, 3}));  // no DPI-lock menu: DPILK is not read

    SetUp();
    Load("SnipMenu=1,1,2", "DPISET=400,800,1600\nDPIHW=16,32,48\nDM=3\nDPI=400,800,1600");
    EXPECT_EQ(Codes(0x3360), (V{16, 32, 48}));
    EXPECT_EQ(Codes(0x3360, true), (V{16, 32, 48}));

    // Two sections of one sensor share its steps: the later change holds for both.
    SetUp();
    LoadText("[MS]\nSensor=0x3360\n[SENSOR_1]\nSensor=0x3360\nDPISET=500,1000\nDM=2\nDPI=500,1000\n"
             "[SENSOR_2]\nSensor=0x3360\nDPISET=500,1000,2000\nDM=2\nDPI=500,2000\n");
    EXPECT_EQ(Messages(), Msgs{});
    EXPECT_EQ(Steps(0x3360), (V{500, 1000, 2000}));
}

TEST_F(MouseSensorTest, ModesKeysAndSlots)
{
    // MDNUM outside 3, 6, 9: the DPI data stays, no keys, no marks, one mode.
    Load("", "MDNUM=4\nDM=2\nDPI=800,1600\nK1_1=1,11,0,1\nMark1=1,2,3,4");
    EXPECT_EQ(Messages(), Msgs{});
    EXPECT_EQ(S().Dpi[1], 1600);
    EXPECT_EQ(S().nMDNUM, 1);
    EXPECT_EQ(S().nKM, 0);
    EXPECT_EQ(S().Key[0][0].FunID, 0u);
    EXPECT_EQ(S().Mark[0].right, 0);

    // KM odd, zero or above 42: no keys.
    for (const char* km : {"KM=13", "KM=0", "KM=44", "KM=-2"}) {
        SetUp();
        Load("", std::string(km) + "\nK1_1=1,11,0,1");
        EXPECT_EQ(Messages(), Msgs{}) << km;
        EXPECT_EQ(S().nKM, 0) << km;
        EXPECT_EQ(S().Key[0][0].FunID, 0u) << km;
    }

    // Mode 2 missing copies mode 1; mode 3 keeps its own; keys land in their slots.
    SetUp();
    Load("", "KM=4\nK1_1=1,11,0,1\nK2_1=1,13,0,2\nK2_3=8,AA,0,2\nK1_3=1,11,0,1\nK21_1=1,12,0,14\nK22_1=1,12,0,3");
    EXPECT_EQ(Messages(), Msgs{});
    EXPECT_EQ(S().Key[1][1].FunID, 0x01000013u);
    EXPECT_EQ(S().Key[1][20].MatrixInx, 0x14);
    EXPECT_EQ(S().Key[2][1].FunID, 0x080000AAu);
    EXPECT_EQ(S().Key[2][20].FunID, 0u);

    // Slots: a Sensor=0 section leaves its slot empty, SENSOR_10 is not read.
    SetUp();
    LoadText("[MS]\nSensor=0x3360\n[SENSOR_1]\nSensor=0\nDM=3\n[SENSOR_2]\nSensor=0x3360\n"
             "[SENSOR_9]\nSensor=0x3395\n[SENSOR_10]\nSensor=0x3389\n");
    EXPECT_EQ(Messages(), Msgs{});
    EXPECT_EQ(S(0).nSensor, 0);
    EXPECT_EQ(S(0).nDM, 0);
    EXPECT_EQ(S(1).nSensor, 0x3360);
    EXPECT_EQ(S(8).nSensor, 0x3395);
    EXPECT_EQ(S(9).nSensor, 0);
    EXPECT_EQ(pSensorCfg, &gVar.Ms.Sensor[1]);
    EXPECT_EQ(FindSensorCfg(0x3389), nullptr);
}

// ---- one key value ------------------------------------------------------------------

TEST_F(MouseSensorTest, KeyParserByClass)
{
    MsDesc& ms = gVar.Ms;
    for (int i = 0; i < 21; ++i) ms.GunValue[i] = uint8_t(100 + i);
    for (int i = 0; i < 7; ++i) ms.GunColor[i] = MakeColor(uint8_t(10 * (i + 1)), 0, 0);
    ms.ExKey[1] = 0x77;
    ms.ExKey[5] = 0x99;
    ms.nShootSpeed = 1;

    struct Case {
        const char* value;
        uint32_t FunID;
        int32_t MatrixInx;
        uint32_t MacroID;
        std::array<int, 4> bytes;  // byModifier, byKey1, byKey2, byModVk
        uint32_t dwParam, dwColor;
        Msgs expected;
    };
    const Case cases[] = {
        {"1,11,0,1", 0x01000011, 1, 0, {0, 0, 0, 0}, 0, 0, {}},
        {"2,4143,15,2", 0x020000A1, 2, 0, {5, 0x43, 0x41, 0}, 0, 0, {}},
        {"2,A0,0,3", 0x020000A1, 3, 0, {0x02, 0, 0, 16}, 0, 0, {}},     // lone left Shift
        {"2,A5,0,3", 0x020000A1, 3, 0, {0x40, 0, 0, 165}, 0, 0, {}},    // lone right Alt
        {"2,11,2,3", 0x020000A1, 3, 0, {0x03, 0, 0, 0}, 0, 0, {}},      // Ctrl named with Shift held
        {"5,0,1234ABCD,4", 0x05000000, 4, 0x1234ABCD, {0, 0, 0, 0}, 0, 0, {}},
        {"C,0,77,4", 0x0C000000, 4, 0x77, {0, 0, 0, 0}, 0, 0, {}},
        {"8,A4,1E0A05,5", 0x080000A4, 5, 0, {0, 0, 0, 0}, 0x1E0A05, 0, {}},
        {"8,A6,2,5", 0x080000A6, 5, 0, {0, 0, 0, 0}, 2, 0, {}},
        {"8,AF,FF00,5", 0x080000AF, 5, 0, {0, 0, 0, 0}, 0xFF00, 0, {}},
        {"8,1A8,99,6", 0x080000A8, 6, 0, {0, 0, 0, 0}, 0, 0, {}},
        // Gun presets: compensation from the table by gun and scope, shooting speed, colour.
        {"8,C0,21,7", 0x080000C0, 7, 0, {0, 0, 0, 0}, 0x19000021 | (100u + 5) << 16, MakeColor(10, 0, 0), {}},
        {"8,C0,300516,7", 0x080000C0, 7, 0, {0, 0, 0, 0}, 0x19300516, MakeColor(60, 0, 0), {}},
        {"8,C0,5000000F,7", 0x080000C0, 7, 0, {0, 0, 0, 0}, 0x5000000F, MakeColor(10, 0, 0), {}},
        {"8,C0,F30,7", 0x080000C0, 7, 0, {0, 0, 0, 0}, 0x19000F30, 0, {}},
        {"9,2,ABCD,8", 0x09000002, 8, 0, {0, 0, 0, 0}, 0xABCD, 0, {}},
        {"9,4,ABCD,8", 0, 8, 0, {0, 0, 0, 0}, 0, 0, {{"Wrong FUN_HW Index", "Error"}}},
        {"B,1,0,9", 0x0B000001, 9, 0, {0, 0, 0, 0}, 0x77, 0, {}},
        {"B,5,0,9", 0x0B000005, 9, 0, {0, 0, 0, 0}, 0x99, 0, {}},
        {"B,0,0,9", 0x0B000000, 9, 0, {0, 0, 0, 0}, 0, 0, {{"UnSet ExKey Value", "Error"}}},
        {"B,6,0,9", 0, 9, 0, {0, 0, 0, 0}, 0, 0, {{"Wrong ExKey Index", "Error"}}},
        {"3,1FF30,0,A", 0x03000030, 10, 0, {0, 0, 0, 0}, 0, 0, {}},
        {"1,11,0,14", 0x01000011, 20, 0, {0, 0, 0, 0}, 0, 0, {}},
        {"1,11,0,15", 0, 0, 0, {0, 0, 0, 0}, 0, 0, {{"Wrong matrix index value!", "Error"}}},
        {"1,11,0,0", 0, 0, 0, {0, 0, 0, 0}, 0, 0, {{"Wrong matrix index value!", "Error"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        m_prompt.Clear();
        KeyInfo key{};
        key.LedInx = 55;  // the whole record is rewritten
        ASSERT_TRUE(ParseMouseKey(c.value, key, m_prompt));
        EXPECT_EQ(key.FunID, c.FunID);
        EXPECT_EQ(key.MatrixInx, c.MatrixInx);
        EXPECT_EQ(key.MacroID, c.MacroID);
        EXPECT_EQ((std::array<int, 4>{key.byModifier, key.byKey1, key.byKey2, key.byModVk}), c.bytes);
        EXPECT_EQ(key.dwParam, c.dwParam);
        EXPECT_EQ(key.dwColor, c.dwColor);
        EXPECT_EQ(key.LedInx, 0);
        EXPECT_EQ(Messages(), c.expected);
    }

    // The custom key keeps its parameter for the function menu; a shooting speed above 1 is used.
    KeyInfo key{};
    EXPECT_TRUE(ParseMouseKey("8,AD,1234,5", key, m_prompt));
    EXPECT_EQ(key.dwParam, 0x1234u);
    EXPECT_EQ(ms.nGunKeyParam, 0x1234);
    ms.nShootSpeed = 40;
    EXPECT_TRUE(ParseMouseKey("8,C0,0,7", key, m_prompt));
    EXPECT_EQ(key.dwParam, 0x28000000u | 100u << 16);
    ms.nShootSpeed = 1000;
    EXPECT_TRUE(ParseMouseKey("8,C0,1,7", key, m_prompt));
    EXPECT_EQ(key.dwParam >> 24, 255u);

    // Values that are not four numbers are not keys.
    for (const char* bad : {"1,11,0", "1,11,zz,1", "", "x"}) EXPECT_FALSE(ParseMouseKey(bad, key, m_prompt)) << bad;
}
