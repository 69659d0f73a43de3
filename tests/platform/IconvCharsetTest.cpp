#include <gtest/gtest.h>

#include "platform/IconvCharset.h"
#include "text/Charset.h"
#include "text/XmlReader.h"

namespace {

class IconvCharset : public ::testing::Test {
protected:
    void SetUp() override { InstallIconvCharsetHook(); }
    void TearDown() override { SetCharsetHook({}); }
};

TEST_F(IconvCharset, DecodesCharsetsTheModelDoesNotKnow)
{
    struct Case { const char* pszName; std::string bytes; std::u16string text; };
    const Case cases[] = {
        {"Shift_JIS", "\x82\xA0", u"\u3042"},
        {"GBK", "\xC4\xE3\xBA\xC3", u"\u4F60\u597D"},
        {"ISO-8859-7", "\xE1", u"\u03B1"},
    };
    for (const Case& c : cases) {
        std::u16string out;
        EXPECT_TRUE(DecodeCharset(c.pszName, c.bytes, out)) << c.pszName;
        EXPECT_EQ(out, c.text) << c.pszName;
    }
}

TEST_F(IconvCharset, RefusesNamesThatAreNotPlainCharsetNames)
{
    for (const char* pszName : {"../../etc/x", "UTF-8//IGNORE", "no-such-charset"}) {
        std::u16string out;
        EXPECT_FALSE(DecodeCharset(pszName, "abc", out)) << pszName;
        EXPECT_EQ(out, u"abc") << pszName;  // read as Windows-1252 instead
    }
}

TEST_F(IconvCharset, XmlFileDeclaringShiftJisLoads)
{
    CXmlReader reader;
    ASSERT_TRUE(reader.LoadBytes("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><r><k>\x82\xA0</k></r>"));
    ASSERT_TRUE(reader.SetDocument());
    ASSERT_TRUE(reader.FindChild(u"k"));
    EXPECT_EQ(reader.GetChildText(), u"\u3042");
}

}  // namespace
