#include <gtest/gtest.h>

#include <vector>

#include "core/IniValues.h"

using V = std::vector<int32_t>;

TEST(IniValues, NumberLists)
{
    struct Case { const char* text; int nRadix; size_t nCapacity; V values; };
    const Case cases[] = {
        {"16,0,30", 10, 3, {16, 0, 30}},          // a byte list such as FontSize
        {"1,2,3,4", 10, 3, {1, 2, 3}},            // capacity
        {"1,2", 10, 0, {}},
        {" 7 , -1 ,+2", 10, 8, {7, -1, 2}},       // blanks around items, signs in radix 10
        {"5 ; x", 10, 8, {}},                     // an inline "comment" is not a number
        {"1, 5 ; x, 3", 10, 8, {1}},
        {"1,,2", 10, 8, {1}},
        {"", 10, 8, {}},
        {"12a,1", 10, 8, {}},
        {"0x10", 10, 8, {}},                      // no prefix in radix 10
        {"1 2", 10, 8, {}},
        {"2147483647,-2147483648,2147483648", 10, 8, {INT32_MAX, INT32_MIN}},
        {"ff,0x10,0XAB,1A", 16, 8, {255, 16, 171, 26}},  // radix 16 with and without 0x
        {"10,zz,1", 16, 8, {16}},
        {"0x", 16, 8, {}},
        {"FFFFFFFF,100000000", 16, 8, {-1}},      // 32 bits fit, 33 do not
        {"-1", 16, 8, {-1}},
        {"101,2", 2, 8, {5}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseNumberList(c.text, c.nRadix, c.nCapacity), c.values) << c.text << " radix " << c.nRadix;
    EXPECT_EQ(ParseNumberList("1,2", 0, 8), V{});  // no such radix
}

TEST(IniValues, MixedRadixLists)
{
    const std::vector<int> kbKey = {10, 10, 10, 10, 16, 16, 16, 10, 10};
    struct Case { const char* text; V values; };
    const Case cases[] = {
        {"10,20,30,40,2,0x41,1a,5,6", {10, 20, 30, 40, 2, 0x41, 0x1A, 5, 6}},
        {"10,20,30,40,2,41,1a,5,6,99", {10, 20, 30, 40, 2, 0x41, 0x1A, 5, 6}},  // ends with the radixes
        {"10,20,30,40,2,41,1a,5", {10, 20, 30, 40, 2, 0x41, 0x1A, 5}},
        {"10,20,30,1a,2", {10, 20, 30}},            // hex digits where decimal is expected
        {"-5,20,30,40,2,zz", {-5, 20, 30, 40, 2}},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseMixedList(c.text, kbKey), c.values) << c.text;
    EXPECT_EQ(ParseMixedList("1,2", {}), V{});
}

TEST(IniValues, Colours)
{
    struct Case { const char* text; bool bOk; ZColor clr; };
    constexpr ZColor kUnset = 0xABCDEF;
    const Case cases[] = {
        {"255,0,0", true, 0x0000FF},
        {"67,156,200", true, MakeColor(67, 156, 200)},
        {" 1 , 2 , 3 ", true, MakeColor(1, 2, 3)},
        {"300,-5,128", true, MakeColor(255, 0, 128)},          // clamped
        {"99999999999999999999,1,1", true, MakeColor(255, 1, 1)},
        {"10,20", true, MakeColor(10, 20, 0)},                 // used as far as it parses
        {"10", true, MakeColor(10, 0, 0)},
        {"10,abc,30", true, MakeColor(10, 0, 0)},
        {"1,2,3,4", true, MakeColor(1, 2, 3)},
        {"", false, kUnset},
        {"abc", false, kUnset},
        {"0x10,0,0", false, kUnset},                           // colours are decimal
    };
    for (const Case& c : cases) {
        ZColor clr = kUnset;
        EXPECT_EQ(ParseColor(c.text, clr), c.bOk) << c.text;
        EXPECT_EQ(clr, c.clr) << c.text;
    }
}

TEST(IniValues, ColourLists)
{
    using C = std::vector<ZColor>;
    struct Case { const char* text; size_t nMax; C colours; };
    const Case cases[] = {
        {"255,0,0,0,0,0,9,9,9", 8, {0x0000FF}},                // an all-zero colour ends the list
        {"255,0,0,255,255,0", 8, {0x0000FF, 0x00FFFF}},
        {"1,2,3,4,5,6", 1, {MakeColor(1, 2, 3)}},              // requested count
        {"0,0,0,1,1,1", 8, {}},
        {"", 8, {}},
        {"255,0,0,0,255", 8, {0x0000FF, MakeColor(0, 255, 0)}},  // a last colour cut short
        {"300,0,0,x,1,1", 8, {0x0000FF}},
        {"1,2,3", 0, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseColorList(c.text, c.nMax), c.colours) << c.text;
}

TEST(IniValues, PointsAndRectanglesNeedTheExactCount)
{
    struct Case { const char* text; bool bPoint, bRect; };
    const Case cases[] = {
        {"790,35", true, false},
        {" -5 , 7 ", true, false},
        {"0,95,1063,767", false, true},
        {"1,2,3", false, false},
        {"1,2,3,4,5", false, false},
        {"1", false, false},
        {"", false, false},
        {"1,x", false, false},
        {"1,2,", false, false},
        {"1,2,x", false, false},
        {"1,2,3,4 ; x", false, false},
        {"1,2147483648", false, false},
    };
    for (const Case& c : cases) {
        ZPoint pt{11, 12};
        ZRect rc{1, 2, 3, 4};
        EXPECT_EQ(ParsePoint(c.text, pt), c.bPoint) << c.text;
        EXPECT_EQ(ParseRect(c.text, rc), c.bRect) << c.text;
        if (!c.bPoint) {
            EXPECT_TRUE(pt.x == 11 && pt.y == 12) << c.text;  // a failed parse keeps the value
        }
        if (!c.bRect) {
            EXPECT_TRUE(rc.left == 1 && rc.top == 2 && rc.right == 3 && rc.bottom == 4) << c.text;
        }
    }
    ZPoint pt;
    ASSERT_TRUE(ParsePoint(" -5 , 7 ", pt));
    EXPECT_TRUE(pt.x == -5 && pt.y == 7);
    ZRect rc;
    ASSERT_TRUE(ParseRect("0,95,1063,767", rc));
    EXPECT_TRUE(rc.left == 0 && rc.top == 95 && rc.right == 1063 && rc.bottom == 767);
}
