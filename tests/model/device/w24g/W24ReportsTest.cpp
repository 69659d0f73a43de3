// Golden bytes of every report the wireless mouse family builds, and the
// decoding of the answers it reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "device/w24g/W24Reports.h"
#include "emu/EmuHex.h"

using namespace w24g;

namespace {

std::string Hex(std::span<const uint8_t> b) { return EmuHex(b); }
std::string Hex(std::span<const uint8_t> b, size_t nFrom, size_t nLen) { return EmuHex(b.subspan(nFrom, nLen)); }

bool AllZero(std::span<const uint8_t> b) { return std::ranges::all_of(b, [](uint8_t v) { return v == 0; }); }

}  // namespace

TEST(W24Reports, Commands)
{
    struct Case {
        CmdReport cmd;
        const char* pszHex;
    };
    const Case cases[] = {
        {MakeGetGeneralCmd(1), "05 11 00 00 00 00 00 00"},
        {MakeGetGeneralCmd(2), "05 21 00 00 00 00 00 00"},
        {MakeGetGeneralCmd(3), "05 11 00 00 00 00 00 00"},  // the mouse has two profiles
        {MakeGetLiftOffCmd(1), "05 51 00 00 00 00 00 00"},
        {MakeGetLiftOffCmd(2), "05 52 00 00 00 00 00 00"},
        {MakeOnlineCmd(), "05 80 00 00 00 00 00 00"},
        {MakePowerCmd(), "05 90 00 00 00 00 00 00"},
        {MakeLiftOffCmd(3), "05 1b 03 00 00 00 00 00"},
        {MakeDebounceCmd(8), "05 1a 08 00 00 00 00 00"},
        {MakeSetModeCmd(1), "05 02 02 00 00 00 00 00"},
        {MakeCmd(0x44, 1, 2, 3, 4), "05 44 01 02 03 04 00 00"},
    };
    for (const Case& c : cases) EXPECT_EQ(Hex(c.cmd), c.pszHex);
}

TEST(W24Reports, GeneralRecordByKind)
{
    GeneralBlock block{};
    for (size_t i = 0; i < block.size(); ++i) block[i] = uint8_t(i + 1);
    const DataReport r5 = MakeGeneralReport(kKind5, 2, block);
    EXPECT_EQ(Hex(r5, 0, 9), "08 21 00 92 00 00 00 00 01");
    EXPECT_EQ(Hex(r5, 8 + 146, 3), "93 94 00");  // the block's last bytes, then zeros
    EXPECT_TRUE(AllZero(std::span(r5).subspan(8 + kGeneralLen)));
    const DataReport r4 = MakeGeneralReport(kKind4, 1, block);
    EXPECT_EQ(Hex(r4, 0, 9), "06 11 00 9f 00 00 00 00 01");
    EXPECT_EQ(r5.size(), 520u);
}

TEST(W24Reports, MatrixRecordCarriesTheTrailerOnKind5Only)
{
    KeyMatrix m{};
    m.fill(0x150);
    m[0] = 0x00000111;
    m[19] = 0x04030270;
    const DataReport r5 = MakeMatrixReport(kKind5, 2, m);
    EXPECT_EQ(Hex(r5, 0, 12), "08 22 00 50 00 00 00 00 11 01 00 00");
    EXPECT_EQ(Hex(r5, 84, 6), "70 02 03 04 a5 00");
    EXPECT_TRUE(AllZero(std::span(r5).subspan(89)));
    const DataReport r4 = MakeMatrixReport(kKind4, 1, m);
    EXPECT_EQ(Hex(r4, 0, 4), "06 12 00 50");
    EXPECT_EQ(Hex(r4, 84, 6), "70 02 03 04 00 00");
}

TEST(W24Reports, MacroRecord)
{
    const uint8_t buf[] = {0x00, 0x01, 0x51, 0x2c, 0x04};
    const DataReport r = MakeMacroReport(kKind5, 3, buf);
    EXPECT_EQ(Hex(r, 0, 14), "08 30 02 00 00 00 00 00 03 00 01 51 2c 04");
    EXPECT_TRUE(AllZero(std::span(r).subspan(14)));
    EXPECT_EQ(MakeMacroReport(kKind4, 1, buf)[0], 6);
}

TEST(W24Reports, GeneralFromAnswerTakesTheBlockFromByte8)
{
    DataReport ans = MakeDataAnswerBuffer(kKind5);
    EXPECT_EQ(ans[0], 8);
    for (size_t i = 0; i < kGeneralLen; ++i) ans[8 + i] = uint8_t(0x80 + i);
    ans[8 + kGeneralLen] = 0xEE;  // beyond the block
    const GeneralBlock b = GeneralFromAnswer(ans);
    EXPECT_EQ(b[0], 0x80);
    EXPECT_EQ(b[147], uint8_t(0x80 + 147));
    const uint8_t shortAns[10] = {8, 0x21, 0, 0x92, 0, 0, 0, 0, 0x64, 0x14};
    const GeneralBlock s = GeneralFromAnswer(shortAns);
    EXPECT_EQ(Hex(s, 0, 3), "64 14 00");
}

TEST(W24Reports, LiftOffLevelAnswers)
{
    struct Case {
        uint8_t by;
        int nLevel;
    };
    const Case cases[] = {{0x00, 0}, {0x0F, 0}, {0x10, 0}, {0x1F, 0}, {0x30, 2}, {0x45, 3}, {0xF0, 14}};
    for (const Case& c : cases) {
        DataReport ans = MakeDataAnswerBuffer(kKind5);
        ans[9] = c.by;
        EXPECT_EQ(LiftOffLevelFromAnswer(ans), c.nLevel) << int(c.by);
    }
}

TEST(W24Reports, OnlineAnswers)
{
    struct Case {
        uint8_t b1, b2;
        bool bOnline;
    };
    const Case cases[] = {{1, 1, true}, {1, 0, false}, {0, 1, false}, {0, 0, false}, {2, 1, false}};
    for (const Case& c : cases) {
        const CmdReport ans{5, c.b1, c.b2};
        EXPECT_EQ(OnlineFromAnswer(ans), c.bOnline) << int(c.b1) << "," << int(c.b2);
    }
    const CmdReport wrongId{4, 1, 1};
    EXPECT_FALSE(OnlineFromAnswer(wrongId));
}

TEST(W24Reports, PowerAnswers)
{
    const CmdReport usb{5, 0x10, 55, 0x3C, 0x0F};
    const auto s = PowerFromAnswer(usb);
    ASSERT_TRUE(s);
    EXPECT_TRUE(s->bUsb);
    EXPECT_EQ(s->nLevel, 55);
    EXPECT_EQ(s->nVoltage, 0x0F3C);
    const CmdReport battery{5, 0x11, 7, 0x10, 0x0E};
    const auto b = PowerFromAnswer(battery);
    ASSERT_TRUE(b);
    EXPECT_FALSE(b->bUsb);
    EXPECT_EQ(b->nLevel, 7);
    EXPECT_EQ(b->nVoltage, 0x0E10);
    for (const uint8_t by : {0x00, 0x12, 0x01, 0xFF}) {
        const CmdReport other{5, by, 50, 1, 2};
        EXPECT_FALSE(PowerFromAnswer(other)) << int(by);
    }
}
