#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "text/Charset.h"

namespace {

TEST(Charset, NamesAndDecoders)
{
    struct Case { const char* pszName; std::string bytes; std::u16string out; };
    const Case cases[] = {
        {"UTF-8", "\xC3\xA9\xE2\x82\xAC", u"\u00E9\u20AC"},
        {"utf8", "\xC3", u"\uFFFD"},
        {"Unicode", std::string("A\0\xAC\x20", 4), u"A\u20AC"},
        {"UTF-16", std::string("A\0B", 3), u"A\uFFFD"},  // a cut-off unit is not dropped silently
        {"utf-16be", std::string("\0A\x20\xAC", 4), u"A\u20AC"},
        {"unicodeFFFE", std::string("\0A", 2), u"A"},
        {"UTF-32", std::string("\x00\xF6\x01\x00", 4), u"\U0001F600"},
        {"utf-32be", std::string("\x00\x01\xF6\x00\x00\x11\x00\x00", 8), u"\U0001F600\uFFFD"},
        {"US-ASCII", "a\x80", u"a\uFFFD"},
        {"latin1", "\x80\xE9", u"\u0080\u00E9"},
        {"ISO-8859-1", "\xFF", u"\u00FF"},
        {"Windows-1252", "\x80\xE9", u"\u20AC\u00E9"},
        {"", "\x80", u"\u20AC"},  // no name: the 8-bit code page
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        std::u16string out;
        EXPECT_TRUE(DecodeCharset(c.pszName, c.bytes, out));
        EXPECT_EQ(out, c.out);
    }
    EXPECT_EQ(LookupCharset("UCS-4BE"), CharsetKind::Utf32BE);
    EXPECT_EQ(LookupCharset("utf-32x"), CharsetKind::Utf32LE);
    EXPECT_EQ(LookupCharset("utf-8 "), CharsetKind::Unknown);
    EXPECT_EQ(LookupCharset("shift_jis"), CharsetKind::Unknown);
}

TEST(Charset, UnknownNamesGoToTheHookThenWindows1252)
{
    std::u16string out;
    EXPECT_FALSE(DecodeCharset("shift_jis", "\x80", out));  // no hook
    EXPECT_EQ(out, u"\u20AC");

    int nCalls = 0;
    SetCharsetHook([&](std::string_view name, std::string_view bytes, std::u16string& o) {
        ++nCalls;
        if (name != "shift_jis" || bytes != "\x82\xA0") return false;
        o = u"\u3042";
        return true;
    });
    EXPECT_TRUE(DecodeCharset("shift_jis", "\x82\xA0", out));
    EXPECT_EQ(out, u"\u3042");
    EXPECT_FALSE(DecodeCharset("gbk", "\x80", out));  // the hook does not know it either
    EXPECT_EQ(out, u"\u20AC");
    EXPECT_TRUE(DecodeCharset("utf-8", "x", out));  // built-in names never reach the hook
    EXPECT_EQ(nCalls, 2);

    SetCharsetHook([](std::string_view, std::string_view, std::u16string& o) -> bool {
        o = u"partial";
        throw std::runtime_error("hook failed");
    });
    EXPECT_FALSE(DecodeCharset("big5", "a", out));
    EXPECT_EQ(out, u"a");
    SetCharsetHook(nullptr);
}

}  // namespace
