// The wireless mouse's 148-byte general block: what each builder changes, and
// that it changes nothing else (every test starts from a block of 0xEE).
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/SensorTables.h"
#include "device/w24g/W24General.h"
#include "emu/EmuHex.h"

using namespace w24g;

namespace {

constexpr int32_t kSensor = 0x3370;  // steps of 100 from 100, codes from 0

GeneralBlock Filled()
{
    GeneralBlock b;
    b.fill(0xEE);
    return b;
}

std::string Hex(const GeneralBlock& b, size_t nFrom, size_t nLen) { return EmuHex(std::span(b).subspan(nFrom, nLen)); }

// The bytes that differ from the 0xEE block, as "offset: value" runs.
std::map<size_t, uint8_t> Changed(const GeneralBlock& b)
{
    std::map<size_t, uint8_t> m;
    for (size_t i = 0; i < b.size(); ++i)
        if (b[i] != 0xEE) m[i] = b[i];
    return m;
}

W24Options Options()
{
    W24Options o;
    const uint8_t light[] = {1, 2, 3, 4}, speed[] = {1, 2, 3};
    std::copy(std::begin(light), std::end(light), o.base.LightHW);
    std::copy(std::begin(speed), std::end(speed), o.base.SpeedHW);
    o.base.nLightNum = 4;
    o.base.nSpeedNum = 3;
    o.base.nApplyAllLed = 0;
    o.base.nShowUsbRate = 1;
    return o;
}

class W24General : public ::testing::Test {
protected:
    void SetUp() override { InitSensorTables(); }
};

MsModeSettings Levels(std::initializer_list<int32_t> dpi, int nEnabled)
{
    MsModeSettings m{};
    int i = 0;
    for (const int32_t d : dpi) {
        m.Dpi[i].nDpiX = m.Dpi[i].nDpiY = d;
        m.Dpi[i].bDisabled = i >= nEnabled;
        ++i;
    }
    for (; i < kMsDpiLevelNum; ++i) m.Dpi[i].bDisabled = 1;
    m.nRate = 0x1000;
    return m;
}

}  // namespace

TEST_F(W24General, DpiPartWritesEverySlotAsSixteenBitCodes)
{
    MsModeSettings mode = Levels({400, 800, 1600, 3200, 6400, 19000, 0, 200}, 6);
    mode.Dpi[0].clr = 0x112233;
    mode.Dpi[1].clr = 0x010101;  // sent as black
    W24Options opt = Options();
    opt.base.DPIRGBIndex[0] = 2;  // red last, blue first
    opt.base.DPIRGBIndex[2] = 0;
    GeneralBlock b = Filled();
    b[kGbRate] = 0x83;
    UpdateDpiPart(b, mode, 2, kSensor, false, opt);
    EXPECT_EQ(b[0], 0x64);
    EXPECT_EQ(b[kGbRate], 0x04);   // 1000 Hz, X and Y together
    EXPECT_EQ(b[kGbLevels], 0x36); // six enabled, the third current
    EXPECT_EQ(b[4], 0xEE);         // kept as read
    EXPECT_EQ(Hex(b, kGbDpiX, 16), "03 00 07 00 0f 00 1f 00 3f 00 bd 00 00 00 01 00");
    EXPECT_EQ(Hex(b, kGbDpiY, 16), "ee ee ee ee ee ee ee ee ee ee ee ee ee ee ee ee");
    EXPECT_EQ(Hex(b, kGbDpiColors, 6), "11 22 33 00 00 00");
    EXPECT_EQ(b[61], 0xEE);
}

TEST_F(W24General, DpiPartWithXAndYApart)
{
    MsModeSettings mode = Levels({400, 800}, 2);
    mode.Dpi[0].nDpiY = 1000;
    mode.Dpi[1].nDpiY = 26000;  // not a step of this sensor: the nearest is sent
    mode.bXYSeparate = 1;
    GeneralBlock b = Filled();
    b[kGbRate] = 0x03;
    UpdateDpiPart(b, mode, 0, kSensor, false, Options());
    EXPECT_EQ(b[kGbRate], 0x84);
    EXPECT_EQ(b[kGbLevels], 0x12);
    EXPECT_EQ(Hex(b, kGbDpiX, 4), "03 00 07 00");
    EXPECT_EQ(Hex(b, kGbDpiY, 4), "09 00 bd 00");
}

TEST_F(W24General, DpiCodesAboveOneByte)
{
    EXPECT_EQ(DpiCode16(0x3395, 26000), 0x0103);
    EXPECT_EQ(DpiCode16(0x3395, 12800), 127);
    EXPECT_EQ(DpiCode16(kSensor, 430), 3);   // nearest step 400
    EXPECT_EQ(DpiCode16(kSensor, 0), 0);     // an unused level
    EXPECT_EQ(DpiCode16(0x1234, 800), 0);    // a sensor without steps
}

TEST_F(W24General, CurrentLevelOrdinal)
{
    struct Case {
        int nEnabled, nCur;
        uint8_t byLevels;
    };
    const Case cases[] = {
        {5, 0, 0x15}, {5, 4, 0x55}, {5, 6, 0x55} /* disabled: the last */, {5, -1, 0x55}, {0, 0, 0x00}, {8, 7, 0x88},
    };
    for (const Case& c : cases) {
        const MsModeSettings mode = Levels({400, 800, 1600, 3200, 6400, 100, 200, 300}, c.nEnabled);
        GeneralBlock b = Filled();
        UpdateDpiPart(b, mode, c.nCur, kSensor, false, Options());
        EXPECT_EQ(b[kGbLevels], c.byLevels) << c.nEnabled << " " << c.nCur;
    }
}

TEST_F(W24General, RateCodeOnlyWhenShownOrOnReset)
{
    struct Case {
        int nShow, nOnReset;
        bool bReset;
        uint8_t byRate;
    };
    const Case cases[] = {{1, 0, false, 0x02}, {0, 0, false, 0x03}, {0, 1, false, 0x03}, {0, 1, true, 0x02}};
    for (const Case& c : cases) {
        MsModeSettings mode = Levels({400}, 1);
        mode.nRate = 0x250;
        W24Options opt = Options();
        opt.base.nShowUsbRate = c.nShow;
        opt.base.nSetUsbRateOnReset = c.nOnReset;
        GeneralBlock b = Filled();
        b[kGbRate] = 0x03;
        UpdateDpiPart(b, mode, 0, kSensor, c.bReset, opt);
        EXPECT_EQ(b[kGbRate], c.byRate) << c.nShow << c.nOnReset << c.bReset;
    }
}

TEST_F(W24General, CurLevelFromBlock)
{
    struct Case {
        uint8_t by;
        int nLevel;  // -1: refused
    };
    const Case cases[] = {{0x23, 1}, {0x32, -1}, {0x0F, -1}, {0x11, 0}, {0x88, 7}, {0x99, -1}, {0xFF, -1}, {0x16, 0}};
    for (const Case& c : cases) {
        GeneralBlock b{};
        b[kGbLevels] = c.by;
        EXPECT_EQ(CurLevelFromBlock(b).value_or(-1), c.nLevel) << int(c.by);
    }
}

TEST_F(W24General, Plausibility)
{
    struct Case {
        uint8_t bySensor, byRate;
        int32_t nExpected;
        bool bOk;
    };
    const Case cases[] = {
        {20, 4, 0, true},        {20, 0x81, kSensor, true}, {0, 4, 0, false}, {10, 4, 0, false} /* no such code */,
        {20, 0, 0, false},       {20, 5, 0, false},         {6, 3, kSensor, false} /* another sensor */,
        {0x54, 4, kSensor, true} /* the top bits are not the code */,
    };
    for (const Case& c : cases) {
        GeneralBlock b{};
        b[kGbSensor] = c.bySensor;
        b[kGbRate] = c.byRate;
        EXPECT_EQ(IsPlausible(b, c.nExpected), c.bOk) << int(c.bySensor) << " " << int(c.byRate);
    }
}

namespace {

// One effect record, the current one, of the given type; two colours.
MsModeSettings OneEffect(int nType, W24Options& opt, int nColours = 2)
{
    MsModeSettings m{};
    m.Led.nLedMode = 0;
    opt.base.LedOpt[0].bValid = 1;
    opt.base.LedOpt[0].nEffectId = nType;
    MsLedMode& r = m.Led.Mode[0];
    r.nBright = 2;  // LightHW 3
    r.nSpeed = 1;   // SpeedHW 2
    r.nDirect = 3;
    for (int i = 0; i < 10; ++i) r.clr[i] = ZColor(0x030201 + 0x030303 * i);
    r.nColorCount = nColours;
    return m;
}

std::vector<uint8_t> Colours(int n)
{
    std::vector<uint8_t> v;
    for (int i = 0; i < n; ++i)
        for (int c = 1; c <= 3; ++c) v.push_back(uint8_t(c + 3 * i));
    return v;
}

}  // namespace

TEST_F(W24General, EachEffectTypeWritesOnlyItsBytes)
{
    struct Case {
        int nType;
        std::map<size_t, std::vector<uint8_t>> runs;  // offset -> bytes
    };
    const std::vector<uint8_t> two = Colours(2);
    std::vector<uint8_t> type3 = two, type6 = two, type7 = two;
    type3.resize(21, 0);
    type6.resize(30, 0);
    const Case cases[] = {
        {0, {{61, {0}}}},
        {1, {{61, {1, 0x32, 1}}}},
        {2, {{61, {2}}, {64, {0x3E, 1, 2, 3}}}},
        {3, {{61, {3}}, {68, {0x32, 2}}, {70, type3}}},
        {4, {{61, {4}}, {91, {0xE2}}}},
        {5, {{61, {5}}, {92, {0x32}}}},
        {6, {{61, {6}}, {93, {0x3E}}, {94, type6}}},
        {7, {{61, {7}}, {124, {0x32}}, {125, type7}}},
        {8, {{61, {8}}, {131, {0x32}}}},
        {9, {{61, {9}}, {132, {0x32}}}},
        {10, {{61, {10}}, {133, {0xE2}}}},
        {12, {{61, {12}}}},
    };
    for (const Case& c : cases) {
        W24Options opt = Options();
        const MsModeSettings mode = OneEffect(c.nType, opt);
        GeneralBlock b = Filled();
        UpdateLightingPart(b, mode, opt);
        std::map<size_t, uint8_t> want;
        for (const auto& [at, bytes] : c.runs)
            for (size_t i = 0; i < bytes.size(); ++i) want[at + i] = bytes[i];
        EXPECT_EQ(Changed(b), want) << "type " << c.nType;
    }
}

TEST_F(W24General, ColoursNeverRunPastTheirEffect)
{
    W24Options opt = Options();
    MsModeSettings mode = OneEffect(3, opt, 8);
    GeneralBlock b = Filled();
    UpdateLightingPart(b, mode, opt);
    EXPECT_EQ(b[69], 7);
    EXPECT_EQ(Hex(b, 88, 4), "13 14 15 ee");  // the seventh colour ends at 90; 91 is type 4's

    opt = Options();
    mode = OneEffect(7, opt, 8);
    b = Filled();
    UpdateLightingPart(b, mode, opt);
    EXPECT_EQ(Hex(b, 125, 7), "01 02 03 04 05 06 ee");

    opt = Options();
    mode = OneEffect(6, opt, 12);  // more than the eight colours a record gives
    b = Filled();
    UpdateLightingPart(b, mode, opt);
    EXPECT_EQ(Hex(b, 115, 10), "16 17 18 00 00 00 00 00 00 ee");

    opt = Options();
    mode = OneEffect(6, opt, -3);
    b = Filled();
    UpdateLightingPart(b, mode, opt);
    EXPECT_EQ(Hex(b, 93, 3), "3e 00 00");
}

TEST_F(W24General, SteadyEffectOfSubKind1)
{
    W24Options opt = Options();
    opt.nSubMsFw = 1;
    MsModeSettings mode = OneEffect(2, opt, 3);
    mode.Led.Mode[0].nUnused15 = 0x25;
    GeneralBlock b = Filled();
    UpdateLightingPart(b, mode, opt);
    std::map<size_t, uint8_t> want{{61, 2}, {64, 0xE5}};
    const std::vector<uint8_t> three = Colours(3);
    for (size_t i = 0; i < three.size(); ++i) want[94 + i] = three[i];
    EXPECT_EQ(Changed(b), want);
}

TEST_F(W24General, AllEffectsExceptTheMaskedOnes)
{
    W24Options opt = Options();
    opt.base.nApplyAllLed = 1;
    opt.nLedMask = 0x2;  // effect 1 is not offered
    MsModeSettings mode{};
    const int types[] = {5, 8, 9, 1};
    for (int i = 0; i < 4; ++i) {
        opt.base.LedOpt[i].bValid = 1;
        opt.base.LedOpt[i].nEffectId = types[i];
        mode.Led.Mode[i].nBright = 1;
        mode.Led.Mode[i].nSpeed = 0;
    }
    mode.Led.Mode[3].nBright = 9;  // outside the brightness list: skipped
    mode.Led.nLedMode = 2;
    GeneralBlock b = Filled();
    UpdateLightingPart(b, mode, opt);
    EXPECT_EQ(Changed(b), (std::map<size_t, uint8_t>{{61, 9}, {92, 0x21}, {132, 0x21}}));
}

TEST_F(W24General, CurrentEffectWithoutDescriptionLeavesTheTypeByte)
{
    W24Options opt = Options();
    MsModeSettings mode{};
    mode.Led.nLedMode = 40;
    GeneralBlock b = Filled();
    UpdateLightingPart(b, mode, opt);
    EXPECT_TRUE(Changed(b).empty());
}

TEST_F(W24General, SystemPartFlags)
{
    struct Case {
        int nShowNoSleep, nLedOffOpt, nShowSync;
        bool bNoSleep, bLedOff;
        std::optional<bool> sync;
        uint8_t byIn, byOut;
    };
    const Case cases[] = {
        {0, 0, 0, true, true, std::nullopt, 0xEF, 0xEC},  // only the lighting bits cleared
        {1, 0, 0, false, true, std::nullopt, 0xFF, 0x7C},
        {1, 1, 0, true, false, std::nullopt, 0x00, 0x80},
        {0, 1, 0, false, true, std::nullopt, 0x00, 0x04},
        {1, 0, 1, true, false, false, 0x00, 0x00},        // motion sync takes bit 7
        {1, 0, 1, false, false, true, 0x00, 0x80},
        {1, 0, 1, true, false, std::nullopt, 0x00, 0x80}, // no motion-sync value: no-sleep stays
        {0, 0, 1, false, false, true, 0x03, 0x80},
    };
    for (const Case& c : cases) {
        W24Options opt = Options();
        opt.nShowNoSleep = c.nShowNoSleep;
        opt.nLedOFFWhenMoving = c.nLedOffOpt;
        opt.nShowMotionSync = c.nShowSync;
        MsSettings ms{};
        ms.bNoSleep = c.bNoSleep;
        ms.bLedOffWhenMoving = c.bLedOff;
        W24Extras ex;
        ex.bMotionSync = c.sync;
        GeneralBlock b = Filled();
        b[kGbFlags] = c.byIn;
        UpdateSystemPart(b, ms, ex, opt);
        EXPECT_EQ(b[kGbFlags], c.byOut) << c.nShowNoSleep << c.nLedOffOpt << c.nShowSync;
        EXPECT_EQ(b[kGbTrailer], 0xA5);
        EXPECT_EQ(Hex(b, kGbZoneOption, 5), "ee ee ee ee ee");  // no zone given: as read
    }
}

TEST_F(W24General, SecondZone)
{
    W24Options opt = Options();
    opt.base.RGBIndex[0] = 1;  // green, red, blue
    opt.base.RGBIndex[1] = 0;
    MsSettings ms{};
    W24Extras ex;
    ex.zone = W24Zone{2, 7, 0x030201};
    GeneralBlock b = Filled();
    UpdateSystemPart(b, ms, ex, opt);
    EXPECT_EQ(Hex(b, kGbZoneOption, 5), "02 07 02 01 03");
    ex.zone = W24Zone{0, 7, 0x030201};
    UpdateSystemPart(b, ms, ex, opt);
    EXPECT_EQ(Hex(b, kGbZoneOption, 2), "00 00");
    b = Filled();
    ex.zone = W24Zone{3, 7, 0};
    UpdateSystemPart(b, ms, ex, opt);
    EXPECT_EQ(Hex(b, kGbZoneOption, 5), "ee ee ee ee ee");
}
