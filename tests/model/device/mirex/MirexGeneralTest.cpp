// The general block: the DPI part and the three lighting layouts. Every case
// starts from a block full of 0xEE and checks exactly which bytes changed, so
// a write outside its place shows.
#include <gtest/gtest.h>

#include <set>

#include "core/SensorTables.h"
#include "device/mirex/MirexGeneral.h"
#include "model/device/mirex/MirexTestSupport.h"

using namespace mirex;

namespace {

constexpr uint8_t kFill = 0xEE;

GeneralBlock Filled()
{
    GeneralBlock b;
    b.fill(kFill);
    return b;
}

std::set<size_t> Changed(const GeneralBlock& after)
{
    std::set<size_t> s;
    for (size_t i = 0; i < after.size(); ++i)
        if (after[i] != kFill) s.insert(i);
    return s;
}
std::set<size_t> Range(size_t from, size_t to)  // inclusive
{
    std::set<size_t> s;
    for (size_t i = from; i <= to; ++i) s.insert(i);
    return s;
}
std::set<size_t> operator+(std::set<size_t> a, const std::set<size_t>& b)
{
    a.insert(b.begin(), b.end());
    return a;
}

// Six levels of sensor 0x3360: 1000, 1600, 2000, 4000, 6000, 8000 (codes 3, 5, 6, 12, 15, 17).
MsModeSettings SixLevels()
{
    MsModeSettings m{};
    const int32_t dpi[] = {1000, 1600, 2000, 4000, 6000, 8000};
    for (int i = 0; i < 10; ++i) {
        m.Dpi[i].nDpiX = m.Dpi[i].nDpiY = i < 6 ? dpi[i] : 0;
        m.Dpi[i].bDisabled = i < 6 ? 0 : 1;
        m.Dpi[i].clr = 0x0000FF;
    }
    m.nRate = 0x1000;
    return m;
}

class MirexGeneral : public ::testing::Test {
protected:
    void SetUp() override { InitSensorTables(); }
    MouseOptions m_opt;
};

}  // namespace

TEST_F(MirexGeneral, EnabledLevelsAndCurrentOrdinal)
{
    MsModeSettings m = SixLevels();
    m.Dpi[1].bDisabled = m.Dpi[3].bDisabled = m.Dpi[5].bDisabled = 1;  // levels 1, 3, 5 remain
    GeneralBlock b = Filled();
    UpdateDpiPart(b, m, 0, 2, 0x3360, false, m_opt);
    EXPECT_EQ(b[0], 0x64);
    EXPECT_EQ(b[2], 0x64);  // rate code 4 in the low bits, bits 4-6 as read, bit 7 clear: X and Y together
    EXPECT_EQ(b[3], 0x23);
    EXPECT_EQ(b[4], 0xF8);
    EXPECT_EQ(EmuHex(std::span(b).subspan(5, 4)), "03 06 0f 00");
    EXPECT_EQ(Changed(b), Range(0, 0) + Range(2, 44));
}

TEST_F(MirexGeneral, SeparateXYGivesPairs)
{
    MsModeSettings m = SixLevels();
    m.bXYSeparate = 1;
    m.Dpi[0].nDpiY = 500;
    GeneralBlock b = Filled();
    UpdateDpiPart(b, m, 0, 0, 0x3360, false, m_opt);
    EXPECT_EQ(b[2] & 0x80, 0x80);
    EXPECT_EQ(b[3], 0x16);
    EXPECT_EQ(b[4], 0xC0);
    EXPECT_EQ(EmuHex(std::span(b).subspan(5, 16)), "03 01 05 05 06 06 0c 0c 0f 0f 11 11 00 00 00 00");
}

TEST_F(MirexGeneral, CurrentLevelDisabledOrUnknownCountsAll)
{
    MsModeSettings m = SixLevels();
    m.Dpi[4].bDisabled = 1;
    for (const int nCur : {4, -1, 9}) {
        GeneralBlock b = Filled();
        UpdateDpiPart(b, m, 0, nCur, 0x3360, false, m_opt);
        EXPECT_EQ(b[3], 0x55) << nCur;
    }
}

TEST_F(MirexGeneral, RateCodes)
{
    const std::pair<int32_t, uint8_t> rows[] = {{0x125, 1}, {0x250, 2}, {0x500, 3}, {0x1000, 4}, {0x333, 3}, {0, 3}};
    for (const auto& [rate, code] : rows) EXPECT_EQ(RateCode(rate), code) << std::hex << rate;

    MsModeSettings m = SixLevels();
    m_opt.nShowUsbRate = 0;
    GeneralBlock b = Filled();
    UpdateDpiPart(b, m, 0, 0, 0x3360, false, m_opt);
    EXPECT_EQ(b[2], 0x6E);  // rate not shown: its bits stay as read
    m_opt.nSetUsbRateOnReset = 1;
    UpdateDpiPart(b, m, 0, 0, 0x3360, true, m_opt);
    EXPECT_EQ(b[2], 0x64);  // ... except on a reset that asks for it
}

TEST_F(MirexGeneral, LevelColours)
{
    MsModeSettings m = SixLevels();
    m.Dpi[0].clr = 0x010101;  // stored "black" that the picker cannot give
    m.Dpi[1].clr = 0x302010;
    m_opt.DPIRGBIndex[0] = 2;
    m_opt.DPIRGBIndex[2] = 0;
    GeneralBlock b = Filled();
    UpdateDpiPart(b, m, 0, 0, 0x3360, false, m_opt);
    EXPECT_EQ(EmuHex(std::span(b).subspan(21, 6)), "00 00 00 30 20 10");
}

TEST_F(MirexGeneral, ResetClearsTheOffByte)
{
    GeneralBlock b = Filled();
    UpdateDpiPart(b, SixLevels(), 0, 0, 0x3360, true, m_opt);
    EXPECT_EQ(b[122], 0);
    EXPECT_EQ(b[114], kFill);
    m_opt.nMsFw = 3;
    b = Filled();
    UpdateDpiPart(b, SixLevels(), 0, 0, 0x3360, true, m_opt);
    EXPECT_EQ(b[114], 0);
}

TEST_F(MirexGeneral, ResolutionOfAnotherSensorTakesTheNearestStep)
{
    fake::CLogCapture log;
    EXPECT_EQ(DpiCode(0x3360, 1150), 4);  // 1200
    EXPECT_TRUE(log.HasPrefix("DPI 1150 is not a step of sensor 0x3360, 1200 sent"));
    EXPECT_EQ(DpiCode(0x3395, 26000), 0xFF);  // code 259 does not fit
    EXPECT_EQ(DpiCode(0x3360, 24000), 21);
}

// ---- lighting ----------------------------------------------------------------------

namespace {

class MirexLighting : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_opt.nMsFw = 1;
        m_opt.nApplyAllLed = 0;
        const uint8_t light[] = {1, 2, 3, 4}, speed[] = {1, 2, 3};
        std::copy(std::begin(light), std::end(light), m_opt.LightHW);
        std::copy(std::begin(speed), std::end(speed), m_opt.SpeedHW);
        m_opt.nLightNum = 4;
        m_opt.nSpeedNum = 3;
        m_mode.Led.nLedMode = 0;
    }
    // Record 0 with effect type nType: brightness 2, speed 3, red, green, blue in use.
    GeneralBlock Run(int nType, int nColours = 3)
    {
        m_opt.LedOpt[0].bValid = 1;
        m_opt.LedOpt[0].nEffectId = nType;
        MsLedMode& r = m_mode.Led.Mode[0];
        r.nBright = 1;
        r.nSpeed = 2;
        r.nDirect = 3;
        const ZColor clr[] = {0x0000FF, 0x00FF00, 0xFF0000, 0x111111, 0x222222, 0x333333, 0x444444, 0x555555};
        std::copy(std::begin(clr), std::end(clr), r.clr);
        r.nColorMask = (1 << nColours) - 1;
        GeneralBlock b = Filled();
        UpdateLightingPart(b, m_mode, m_opt);
        return b;
    }
    MouseOptions m_opt;
    MsModeSettings m_mode{};
};

}  // namespace

TEST_F(MirexLighting, StandardLayoutPlacesEachType)
{
    const std::pair<int, std::set<size_t>> rows[] = {
        {0, {122}},
        {1, {46, 47}},
        {2, Range(48, 51)},
        {3, Range(52, 62)},
        {4, {75}},
        {5, {76}},
        {6, Range(77, 101)},
        {7, Range(108, 114)},
        {8, {115}},
        {9, {116}},
        {10, {117}},
        {11, {}},
    };
    for (const auto& [type, bytes] : rows) {
        const GeneralBlock b = Run(type);
        EXPECT_EQ(Changed(b), bytes + std::set<size_t>{45}) << "type " << type;
        EXPECT_EQ(b[45], type);
    }
    EXPECT_EQ(Run(0)[122], 3);  // the off value of the description
    const GeneralBlock b1 = Run(1), b3 = Run(3);
    EXPECT_EQ(EmuHex(std::span(b1).subspan(46, 2)), "23 01");
    EXPECT_EQ(Run(2)[48], 0x2E);  // brightness in the high bits only
    EXPECT_EQ(EmuHex(std::span(b3).subspan(52, 11)), "23 03 ff 00 00 00 ff 00 00 00 ff");
    EXPECT_EQ(Run(10)[117], 0xE3);
}

TEST_F(MirexLighting, EightColoursOfTypeThreeStopAtSeven)
{
    const GeneralBlock b = Run(3, 8);
    EXPECT_EQ(b[53], 7);
    EXPECT_EQ(Changed(b), Range(52, 74) + std::set<size_t>{45});
}

TEST_F(MirexLighting, ColorfulSteadyIndexOutsideTheColoursIsSkipped)
{
    const uint8_t order[] = {7, 6, 5, 4, 3, 2, 1, 9};
    std::copy(std::begin(order), std::end(order), m_opt.ColorfulSteadyIndex);
    const GeneralBlock b = Run(6);
    EXPECT_EQ(EmuHex(std::span(b).subspan(78 + 3 * 7, 3)), "ff 00 00");  // colour 0 at place 7
    EXPECT_EQ(EmuHex(std::span(b).subspan(78, 3)), "ee ee ee");          // place 0 would take colour 7: skipped
    EXPECT_EQ(Changed(b), Range(77, 77) + Range(81, 101) + std::set<size_t>{45});
}

TEST_F(MirexLighting, RgbIndexOrdersTheTriples)
{
    m_opt.RGBIndex[0] = 1;
    m_opt.RGBIndex[1] = 0;
    const GeneralBlock b = Run(2);
    EXPECT_EQ(EmuHex(std::span(b).subspan(49, 3)), "00 ff 00");  // red goes second
}

TEST_F(MirexLighting, IndexesOutsideTheListsSkipTheRecord)
{
    m_mode.Led.Mode[0].nBright = 5;
    m_opt.LedOpt[0] = LedOptMs{};
    m_opt.LedOpt[0].bValid = 1;
    m_opt.LedOpt[0].nEffectId = 4;
    GeneralBlock b = Filled();
    UpdateLightingPart(b, m_mode, m_opt);
    EXPECT_EQ(Changed(b), std::set<size_t>{45});
    m_mode.Led.nLedMode = 40;  // no such effect: nothing at all
    b = Filled();
    UpdateLightingPart(b, m_mode, m_opt);
    EXPECT_EQ(Changed(b), std::set<size_t>{});
}

TEST_F(MirexLighting, ApplyAllLedWritesEveryDescribedRecord)
{
    m_opt.nApplyAllLed = 1;
    for (int i = 0; i < 3; ++i) {
        m_opt.LedOpt[i].bValid = i != 1;  // record 1 has no description entry
        m_opt.LedOpt[i].nEffectId = 4 + i;
        m_mode.Led.Mode[i].nBright = 0;
        m_mode.Led.Mode[i].nSpeed = 0;
    }
    GeneralBlock b = Filled();
    UpdateLightingPart(b, m_mode, m_opt);
    EXPECT_EQ(Changed(b), (std::set<size_t>{45, 75} + Range(77, 101)));
}

TEST_F(MirexLighting, KindThreeLayout)
{
    m_opt.nMsFw = 3;
    EXPECT_EQ(Changed(Run(0)), std::set<size_t>{45});
    EXPECT_EQ(Changed(Run(7)), Range(102, 108) + std::set<size_t>{45});
    EXPECT_EQ(Changed(Run(11)), (std::set<size_t>{45, 112}));
    m_opt.nShowReaction = 2;
    m_mode.Led.Mode[0].bFlag = 1;
    const GeneralBlock b = Run(10);
    EXPECT_EQ(b[112], 0x83);
    EXPECT_EQ(Changed(b), Range(111, 121) + std::set<size_t>{45});
}

TEST_F(MirexLighting, SubKinds)
{
    m_mode.Led.Mode[1].nBright = 0x40;
    m_mode.Led.Mode[1].clr[0] = 0x0000FF;
    m_mode.Led.nLedMode = 1;
    m_opt.nMsFw = 0x201;  // sub-kind 2
    GeneralBlock b = Filled();
    UpdateLightingPart(b, m_mode, m_opt);
    EXPECT_EQ(EmuHex(std::span(b).subspan(45, 7)), "1e 01 ee 40 ff 00 00");
    EXPECT_EQ(b[122], 0);

    m_opt.nMsFw = 0x101;  // sub-kind 1: effect 4 with sub-mode 3, one slider left unset
    m_mode.Led.nLedMode = 4;
    m_mode.Led.Mode[4].nSpeed = 2;
    m_mode.Led.Mode[4].nPacked = 0x000703;
    b = Filled();
    UpdateLightingPart(b, m_mode, m_opt);
    EXPECT_EQ(b[45], 0x33);
    EXPECT_EQ(b[46], 2);
    EXPECT_EQ(b[76], 2);
    EXPECT_EQ(EmuHex(std::span(b).subspan(77, 2)), "07 03");

    m_mode.Led.nLedMode = 0;  // off
    b = Filled();
    UpdateLightingPart(b, m_mode, m_opt);
    EXPECT_EQ(Changed(b), (std::set<size_t>{45, 122}));
    EXPECT_EQ(b[45], 0);
    EXPECT_EQ(b[122], 1);

    for (const int nFw : {0x101, 0x301}) {  // an effect without code; the two-zone layout
        m_opt.nMsFw = nFw;
        m_mode.Led.nLedMode = nFw == 0x101 ? 7 : 1;
        b = Filled();
        UpdateLightingPart(b, m_mode, m_opt);
        EXPECT_EQ(Changed(b), std::set<size_t>{}) << std::hex << nFw;
    }
}
