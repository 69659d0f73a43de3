#include <gtest/gtest.h>

#include "update/UpdateDesc.h"

namespace {

TEST(UpdateDesc, HexValues)
{
    struct Case { std::u16string_view text; std::optional<uint32_t> value; };
    const Case cases[] = {
        {u"1A2B", 0x1A2B}, {u"1a2b", 0x1A2B}, {u"0", 0}, {u"FFFFFFFF", 0xFFFFFFFF}, {u"00000015", 0x15},
        {u"", std::nullopt},         // present but empty
        {u"1G", std::nullopt},       {u"0x15", std::nullopt}, {u" 15", std::nullopt}, {u"15 ", std::nullopt},
        {u"-1", std::nullopt},       {u"+1", std::nullopt},
        {u"100000000", std::nullopt},  // more than 32 bits
        {u"\uFF11", std::nullopt},   // a full-width digit
    };
    for (const Case& c : cases) EXPECT_EQ(ParseUpdateHex(c.text), c.value) << std::string(c.text.begin(), c.text.end());
}

TEST(UpdateDesc, WwwRule)
{
    EXPECT_EQ(ApplyWwwRule("www.example.com/a.exe"), "http://www.example.com/a.exe");
    EXPECT_EQ(ApplyWwwRule("https://www.example.com/a.exe"), "https://www.example.com/a.exe");
    EXPECT_EQ(ApplyWwwRule("WWW.example.com/a.exe"), "WWW.example.com/a.exe");  // only the exact three letters
    EXPECT_EQ(ApplyWwwRule("ww"), "ww");
    EXPECT_EQ(ApplyWwwRule(""), "");
}

TEST(UpdateDesc, ReadsEveryDevEntryInOrder)
{
    UpdateDesc desc;
    ASSERT_TRUE(ReadUpdateDescBytes(
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<anything>\n"
        "  <dev vid=\"1A2B\" pid=\"3C4D\" drvver=\"16\" driver=\"www.x.test/setup.bin\" fwver=\"15\" fw=\"http://x.test/fw.bin\"/>\n"
        "  <other vid=\"1\"/>\n"
        "  <dev vid=\"1G\" pid=\"\" fwver=\"12\"/>\n"
        "  <group><dev vid=\"9\"/></group>\n"
        "</anything>",
        desc));
    ASSERT_EQ(desc.entries.size(), 2u);  // only children of the root named dev
    const UpdateEntry& a = desc.entries[0];
    EXPECT_EQ(a.vid, (UpdateHex{0x1A2B, true}));
    EXPECT_EQ(a.pid, (UpdateHex{0x3C4D, true}));
    EXPECT_EQ(a.drvver, (UpdateHex{0x16, true}));
    EXPECT_EQ(a.fwver, (UpdateHex{0x15, true}));
    EXPECT_EQ(a.strDriver, "http://www.x.test/setup.bin");
    EXPECT_EQ(a.strFw, "http://x.test/fw.bin");
    const UpdateEntry& b = desc.entries[1];
    EXPECT_FALSE(b.vid.bValid);
    EXPECT_FALSE(b.pid.bValid);                       // empty value: a format error
    EXPECT_EQ(b.drvver, (UpdateHex{0, true}));        // absent: 0
    EXPECT_EQ(b.strDriver, "");
}

TEST(UpdateDesc, RefusesDocumentsThatAreNotWellFormed)
{
    UpdateDesc desc;
    desc.entries.resize(3);
    EXPECT_FALSE(ReadUpdateDescBytes("<update><dev vid=\"1\" pid=\"2\"></update>", desc));
    EXPECT_TRUE(desc.entries.empty());
    EXPECT_FALSE(ReadUpdateDescBytes("", desc));
    EXPECT_FALSE(ReadUpdateDescBytes("<html><body>404 Not Found</body>", desc));
    EXPECT_FALSE(ReadUpdateDescBytes("<a/><b/>", desc));
    // Entities and an internal subset are the reader's; they decode as usual.
    ASSERT_TRUE(ReadUpdateDescBytes("<!DOCTYPE u [<!-- it's -->]><u><dev driver=\"http://h/a&amp;b.bin\"/></u>", desc));
    ASSERT_EQ(desc.entries.size(), 1u);
    EXPECT_EQ(desc.entries[0].strDriver, "http://h/a&b.bin");
}

TEST(UpdateDesc, ReadsUtf16Descriptions)
{
    const std::u16string text = u"<?xml version=\"1.0\" encoding=\"UTF-16\"?><u><dev vid=\"A\" pid=\"B\"/></u>";
    std::string bytes = "\xFF\xFE";
    for (const char16_t c : text) {
        bytes += char(c & 0xFF);
        bytes += char(c >> 8);
    }
    UpdateDesc desc;
    ASSERT_TRUE(ReadUpdateDescBytes(bytes, desc));
    ASSERT_EQ(desc.entries.size(), 1u);
    EXPECT_EQ(desc.entries[0].vid.nValue, 0xAu);
    EXPECT_EQ(desc.entries[0].pid.nValue, 0xBu);
}

}  // namespace
