// The pad's block and reports as bytes, and the pad defaults of a profile.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "device/pad/PadDefaults.h"
#include "device/pad/PadReports.h"
#include "emu/EmuHex.h"

using namespace pad;

namespace {

// A block whose first two bytes are the pad's own and whose lighting bytes hold noise.
PadBlock ReadBlock()
{
    PadBlock b;
    b.fill(0xEE);
    b[0] = 0xA1;
    b[1] = 0x02;
    return b;
}

PadLedMode Effect(int32_t nSpeed, int32_t nBright, int32_t nDirect, int32_t nMask)
{
    PadLedMode e = DefaultEffect();
    e.nSpeed = nSpeed;
    e.nBright = nBright;
    e.nDirect = nDirect;
    e.nColorMask = nMask;
    return e;
}

const std::string kZeros3 = "00 00 00";
std::string Zeros(int nTriples)
{
    std::string s;
    for (int i = 0; i < nTriples; ++i) s += (s.empty() ? "" : " ") + kZeros3;
    return s;
}

}  // namespace

TEST(PadReports, LightingBytes)
{
    struct Case {
        const char* pszName;
        int nIndex;
        PadLedMode e;
        std::string strBytes;  // block bytes 2..25
    };
    // The default colours as the pad takes them: red, green, blue.
    const std::string c0 = "ff 00 00", c1 = "00 00 ff", c2 = "00 ff 00", c3 = "80 00 ff", c4 = "fa c6 03",
                      c5 = "fa 03 6a", c6 = "ff ff ff";
    const Case cases[] = {
        {"index 10 is effect 0", 10, Effect(2, 0x100, 5, 0x01), "00 42 00 " + c0 + " " + Zeros(6)},
        {"index 0, direction first", 0, Effect(0x13, 0x20, 6, 0x01), "01 13 80 " + c0 + " " + Zeros(6)},
        {"index 2, direction first", 2, Effect(2, 0x50, 6, 0), "03 22 80 " + Zeros(7)},
        {"index 2, direction second", 2, Effect(2, 0x70, 5, 0), "03 32 00 " + Zeros(7)},
        {"index 3 counts its colours", 3, Effect(2, 0x100, 6, 0x05), "04 42 02 " + c0 + " " + c2 + " " + Zeros(5)},
        {"mask above bit 6 adds nothing", 3, Effect(2, 0x100, 5, 0xFFFF),
         "04 42 07 " + c0 + " " + c1 + " " + c2 + " " + c3 + " " + c4 + " " + c5 + " " + c6},
        {"only bit 7", 5, Effect(2, 0x100, 6, 0x80), "06 42 00 " + Zeros(7)},
        {"direction only on effects 1 and 3", 1, Effect(1, 0x100, 6, 0x40), "02 41 00 " + c6 + " " + Zeros(6)},
        {"speed keeps its low four bits", 9, Effect(0x7F, 0x33, 6, 0x02), "0a 4f 00 " + c1 + " " + Zeros(6)},
    };
    for (const Case& c : cases) {
        PadBlock b = ReadBlock();
        PutLighting(b, c.nIndex, c.e);
        EXPECT_EQ(EmuHex(std::span(b).first(2)), "a1 02") << c.pszName;
        EXPECT_EQ(EmuHex(std::span(b).subspan(2)), c.strBytes) << c.pszName;
    }
}

TEST(PadReports, BrightnessCodes)
{
    const std::pair<int32_t, int> cases[] = {{0x20, 1}, {0x50, 2}, {0x70, 3}, {0x100, 4}, {0, 4}, {0x21, 4}, {-1, 4}};
    for (const auto& [nBright, nCode] : cases) EXPECT_EQ(BrightCode(nBright), nCode) << nBright;
}

TEST(PadReports, ReportsAndAnswers)
{
    EXPECT_EQ(EmuHex(MakeReadBuffer()), "30 " + Zeros(26 / 3) + " 00 00");
    PadBlock b{};
    for (size_t i = 0; i < b.size(); ++i) b[i] = uint8_t(i + 1);
    const PadReport r = MakeBlockReport(b);
    EXPECT_EQ(EmuHex(r), "30 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f 10 11 12 13 14 15 16 17 18 19 1a");

    ASSERT_TRUE(BlockFromAnswer(r).has_value());
    EXPECT_EQ(*BlockFromAnswer(r), b);
    PadReport other = r;
    other[0] = 0x31;
    EXPECT_FALSE(BlockFromAnswer(other).has_value());                    // another report
    EXPECT_FALSE(BlockFromAnswer(std::span(r).first(20)).has_value());   // too short
}

TEST(PadDefaults, FactoryAndDescription)
{
    struct Case {
        const char* pszName;
        std::vector<int32_t> ledParam;
        int nLedMode;
        PadLedMode current;   // the record of nLedMode
    };
    PadLedMode factory{};
    factory.nSpeed = 2;
    factory.nBright = 0x100;
    factory.nDirect = 5;
    const ZColor clr[7] = {0x0000FF, 0xFF0000, 0x00FF00, 0xFF0080, 0x03C6FA, 0x6A03FA, 0xFFFFFF};
    std::memcpy(factory.clr, clr, sizeof clr);
    factory.nColorMask = 0xFFFF;
    PadLedMode fromCfg = factory;
    fromCfg.nSpeed = 3;
    fromCfg.nBright = 4;
    fromCfg.nDirect = 6;
    PadLedMode zeroIndex = factory;
    zeroIndex.nSpeed = 0;
    zeroIndex.nBright = 0x50;
    zeroIndex.nDirect = 0;
    zeroIndex.bFlag = 1;
    const Case cases[] = {
        {"no default lighting", {0, 0, 0, 0, 0}, 0, factory},
        {"the shipped description", {1, 3, 4, 6, 0}, 1, fromCfg},
        {"effect 0 with values", {0, 0, 0x50, 0, 1}, 0, zeroIndex},
        {"an effect the pad does not have", {15, 3, 4, 6, 0}, 0, factory},
        {"a negative effect", {-2, 3, 4, 6, 0}, 0, factory},
        {"values that add up to nothing", {2, 1, -3, 0, 0}, 0, factory},
    };
    for (const Case& c : cases) {
        PadSettings pad;
        std::memset(&pad, 0xEE, sizeof pad);
        FillPadDefault(pad, c.ledParam);
        EXPECT_EQ(pad.nLedMode, c.nLedMode) << c.pszName;
        for (int i = 0; i < kPadLedModeNum; ++i) {
            const PadLedMode& want = i == c.nLedMode ? c.current : factory;
            EXPECT_EQ(std::memcmp(&pad.Mode[i], &want, sizeof want), 0) << c.pszName << ", record " << i;
        }
    }
}
