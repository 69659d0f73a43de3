// Golden bytes of every report the wired mouse family builds.
#include <gtest/gtest.h>

#include <algorithm>

#include "device/mouse/HdMacroEvent.h"
#include "device/mirex/MirexReports.h"
#include "emu/EmuHex.h"

using namespace mirex;

namespace {

std::string Hex(std::span<const uint8_t> b) { return EmuHex(b); }
std::string Hex(std::span<const uint8_t> b, size_t nFrom, size_t nLen) { return EmuHex(b.subspan(nFrom, nLen)); }
bool AllZero(std::span<const uint8_t> b) { return std::ranges::all_of(b, [](uint8_t v) { return v == 0; }); }

}  // namespace

TEST(MirexHdMacroEvent, GoldenBytes)
{
    EXPECT_EQ(Hex(PackHdEvent({HdKind::Key, false, 0x123, 0x04})), "51 23 04");
    EXPECT_EQ(Hex(PackHdEvent({HdKind::Key, true, 0x100, 0x04})), "d1 01 04");  // zero low byte sent as 1
    EXPECT_EQ(Hex(PackHdEvent({HdKind::Move1, true, 0, 0xfb})), "20 01 fb");   // movements never carry release
    EXPECT_EQ(Hex(PackHdEvent({HdKind::Modifier, false, 0xFFF, 0x01})), "6f ff 01");
    // Bullet buffers keep a zero low byte (only their last event is fixed up).
    EXPECT_EQ(Hex(PackHdEventRaw({HdKind::Button, true, 0x100, 0x01})), "91 00 01");
}

TEST(MirexReports, CommandReports)
{
    EXPECT_EQ(Hex(MakeGetModeCmd()), "05 02 00 00 00 00");
    EXPECT_EQ(Hex(MakeSetModeCmd(0)), "05 02 01 00 00 00");
    EXPECT_EQ(Hex(MakeSetModeCmd(2)), "05 02 03 00 00 00");
    EXPECT_EQ(Hex(MakeSetModeCmd(7)), "05 02 01 00 00 00");  // no such mode: the first
    EXPECT_EQ(Hex(MakeGetGeneralCmd(1)), "05 11 00 00 00 00");
    EXPECT_EQ(Hex(MakeGetGeneralCmd(3)), "05 31 00 00 00 00");
    EXPECT_EQ(Hex(MakeLiftOffCmd(0x14)), "05 1b 14 00 00 00");
    EXPECT_EQ(Hex(MakeDebounceCmd(4)), "05 1a 04 00 00 00");
}

TEST(MirexReports, GeneralBlockRecord)
{
    GeneralBlock b{};
    for (size_t i = 0; i < b.size(); ++i) b[i] = uint8_t(i + 1);
    const DataReport r = MakeGeneralReport(2, b);
    EXPECT_EQ(Hex(r, 0, 10), "04 21 00 7b 00 00 00 00 01 02");
    EXPECT_EQ(r[8 + 139], 140);
    EXPECT_TRUE(AllZero(std::span(r).subspan(148)));  // rest of the record and the trailing byte
}

TEST(MirexReports, MatrixRecordIsLittleEndian)
{
    KeyMatrix m;
    m.fill(0x150);
    m[0] = 0x111;
    m[19] = 0x01020070;
    const DataReport r = MakeMatrixReport(3, m);
    EXPECT_EQ(Hex(r, 0, 16), "04 32 00 50 00 00 00 00 11 01 00 00 50 01 00 00");
    EXPECT_EQ(Hex(r, 8 + 76, 4), "70 00 02 01");
    EXPECT_TRUE(AllZero(std::span(r).subspan(88)));
}

TEST(MirexReports, MacroRecord)
{
    const uint8_t buf[] = {0x00, 0x01, 0x51, 0x23, 0x04};
    const DataReport r = MakeMacroReport(3, buf);
    EXPECT_EQ(Hex(r, 0, 14), "04 30 02 00 00 00 00 00 03 00 01 51 23 04");
    EXPECT_TRUE(AllZero(std::span(r).subspan(14)));
    // A buffer longer than the payload is cut at 510 bytes; the last byte stays 0.
    std::vector<uint8_t> big(600, 0xAB);
    const DataReport r2 = MakeMacroReport(1, big);
    EXPECT_EQ(r2[518], 0xAB);
    EXPECT_EQ(r2[519], 0);
}

TEST(MirexReports, ParsesAnswers)
{
    const uint8_t ok[] = {5, 2, 0, 0, 0, 0}, zero[] = {5, 0, 0, 0, 0, 0}, big[] = {5, 4, 0, 0, 0, 0},
                  wrongId[] = {4, 2, 0, 0, 0, 0};
    EXPECT_EQ(ParseModeAnswer(ok), 2);
    EXPECT_EQ(ParseModeAnswer(zero), 0xFF);
    EXPECT_EQ(ParseModeAnswer(big), 0xFF);
    EXPECT_EQ(ParseModeAnswer(wrongId), 0xFF);

    DataReport ans{};
    ans[8] = 0x64;
    ans[9] = 6;
    ans[147] = 0x99;
    ans[148] = 0x77;  // beyond the block
    const GeneralBlock b = GeneralFromAnswer(ans);
    EXPECT_EQ(b[0], 0x64);
    EXPECT_EQ(b[1], 6);
    EXPECT_EQ(b[139], 0x99);
}
