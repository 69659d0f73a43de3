// Colour picker arithmetic: the wheel, typed values, palette and gradient.
#include <gtest/gtest.h>

#include <cmath>

#include "lighting/ColorMath.h"

using namespace colormath;

namespace {

TEST(ColorMath, WheelColoursByDirectionAndDistance)
{
    struct Case {
        double dx, dy;
        uint32_t clr;
    };
    const double r = 50;
    const Case cases[] = {
        {0, 0, Pack(255, 255, 255)},       // white in the middle
        {50, 0, Pack(255, 0, 0)},          // red at the right
        {-25, -43.30127, Pack(0, 255, 0)}, // green at 120°, up is negative dy
        {-25, 43.30127, Pack(0, 0, 255)},  // blue at 240°
        {25, 0, Pack(255, 128, 128)},      // half-way to red: half saturation
        {100, 0, Pack(255, 0, 0)},         // past the rim: the rim's colour
    };
    for (const Case& c : cases) {
        const uint32_t got = WheelColour(c.dx, c.dy, r);
        EXPECT_NEAR(Red(got), Red(c.clr), 1) << c.dx << "," << c.dy;
        EXPECT_NEAR(Green(got), Green(c.clr), 1) << c.dx << "," << c.dy;
        EXPECT_NEAR(Blue(got), Blue(c.clr), 1) << c.dx << "," << c.dy;
    }
    EXPECT_TRUE(OnWheel(30, 40, 50));
    EXPECT_FALSE(OnWheel(30, 41, 50));
    EXPECT_FALSE(OnWheel(0, 0, 0));
}

TEST(ColorMath, WheelPointRoundTrips)
{
    for (uint32_t clr : {Pack(255, 0, 0), Pack(0, 255, 0), Pack(255, 128, 128), Pack(10, 200, 255), Pack(255, 255, 255)}) {
        double dx = 0, dy = 0;
        WheelPoint(clr, 50, dx, dy);
        const uint32_t back = WheelColour(dx, dy, 50);
        EXPECT_NEAR(Red(back), Red(clr), 2) << std::hex << clr;
        EXPECT_NEAR(Green(back), Green(clr), 2) << std::hex << clr;
        EXPECT_NEAR(Blue(back), Blue(clr), 2) << std::hex << clr;
    }
}

TEST(ColorMath, TypedValues)
{
    struct Case {
        const char* text;
        int value;
        bool ok;
        bool corrected;
    };
    const Case cases[] = {
        {"", 0, true, false},     {"  ", 0, true, false},      {"0", 0, true, false},
        {"128", 128, true, false}, {"255", 255, true, false},   {"256", 255, true, true},
        {"300", 255, true, true}, {"99999999999", 255, true, true}, {" 42 ", 42, true, false},
        {"-1", 0, false, false},  {"12a", 0, false, false},    {"1.5", 0, false, false},
    };
    for (const Case& c : cases) {
        bool corrected = false, ok = false;
        EXPECT_EQ(ClampChannel(c.text, corrected, ok), c.value) << c.text;
        EXPECT_EQ(ok, c.ok) << c.text;
        EXPECT_EQ(corrected, c.corrected) << c.text;
    }
    EXPECT_EQ(ParseChannel("300").value, 300);  // the RGB editor refuses it itself
}

TEST(ColorMath, PaletteAndGradient)
{
    EXPECT_EQ(PaletteColour(0), Pack(255, 255, 255));
    EXPECT_EQ(PaletteColour(17), Pack(255, 0, 0));
    EXPECT_EQ(PaletteColour(23), Pack(0xFF, 0x69, 0xB4));
    EXPECT_EQ(PaletteColour(39), Pack(0x80, 0, 0x80));
    EXPECT_EQ(GradientColour(0), Pack(0, 0, 255));
    EXPECT_EQ(GradientColour(0.6), Pack(255, 255, 0));
    EXPECT_EQ(GradientColour(1), Pack(255, 0, 0));
    EXPECT_EQ(GradientColour(0.75), Pack(0, 255, 0));
    const uint32_t mid = GradientColour(0.675);  // half-way yellow → green
    EXPECT_NEAR(Red(mid), 128, 1);
    EXPECT_EQ(Green(mid), 255);
    EXPECT_EQ(Blue(mid), 0);
    EXPECT_EQ(GradientColour(-3), GradientColour(0));
}

}  // namespace
