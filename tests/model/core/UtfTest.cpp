#include <gtest/gtest.h>

#include "core/Utf.h"

TEST(Utf, RoundTripsAcrossThePlanes)
{
    const std::string s = "A\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80";  // A, a-umlaut, euro, emoji
    const std::u16string w = Utf8ToU16(s);
    EXPECT_EQ(w, (std::u16string{u'A', 0x00E4, 0x20AC, 0xD83D, 0xDE00}));
    EXPECT_EQ(U16ToUtf8(w), s);
}

TEST(Utf, InvalidInputBecomesReplacementCharacters)
{
    struct Case { std::string in; std::u16string out; bool bValid; };
    const Case cases[] = {
        {"\xC3", u"\xFFFD", false},              // cut short
        {"\xC0\xAF", u"\xFFFD\xFFFD", false},    // overlong
        {"\xED\xA0\x80", u"\xFFFD\xFFFD\xFFFD", false},  // surrogate
        {"\xE4x", u"\xFFFDx", false},
        {"plain", u"plain", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToU16(c.in), c.out) << c.in;
        EXPECT_EQ(IsValidUtf8(c.in), c.bValid) << c.in;
    }
    EXPECT_EQ(U16ToUtf8(std::u16string{0xD800, u'x'}), "\xEF\xBF\xBDx");
}

TEST(Utf, Windows1252MapsTheHighControlRange)
{
    EXPECT_EQ(Cp1252ToU16("\x80\x9F\xE4\x81"), (std::u16string{0x20AC, 0x0178, 0x00E4, 0x0081}));
}

TEST(Utf, FixedFieldsCutAndTerminate)
{
    char16_t sz[4];
    CopyToFixed(sz, u"abcdef");
    EXPECT_EQ(FixedView(sz), u"abc");
    EXPECT_EQ(sz[3], 0);
    CopyToFixed(sz, u"x");
    EXPECT_EQ(FixedView(sz), u"x");
}
