#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "TestSupport.h"
#include "core/Ini.h"
#include "core/Log.h"
#include "core/Utf.h"

namespace fs = std::filesystem;

namespace {

// A UTF-16 file image: BOM, then the units in the given byte order.
std::string Utf16File(std::u16string_view text, bool bBigEndian)
{
    std::string out = bBigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t u : text) {
        const char hi = char(u >> 8), lo = char(u & 0xFF);
        out += bBigEndian ? hi : lo;
        out += bBigEndian ? lo : hi;
    }
    return out;
}

}  // namespace

TEST(Ini, LinesAreReadTheWayTheOptionsExpect)
{
    const CIniFile ini = CIniFile::FromBytes(
        "Stray=before any section\n"
        "[Opt]\n"
        "Title = My Mouse  \n"
        "\tPadded\t=\t7\t\n"
        "Quoted=\"  spaced  \"\n"
        "Single='x'\n"
        "Lonely=\"\n"
        "Mixed=\"a'\n"
        "Inline=5 ; not a comment\n"
        "; Title=comment line\n"
        "   ;Debug=9\n"
        "no equals sign here\n"
        "Empty=\n"
        "Dup=first\n"
        "DUP=second\n"
        "Eq=a=b\n"
        "[ MS ] text after the bracket\n"
        "VID=0x258A\n"
        "[OPT]\n"
        "Late=from a repeated section\n"
        "[Open\n"
        "k=v\n");
    ASSERT_TRUE(ini.Exists());
    EXPECT_EQ(ini.Encoding(), "UTF-8");
    struct Case { const char* section; const char* key; std::optional<std::string> value; };
    const Case cases[] = {
        {"OPT", "title", "My Mouse"},   // names fold case both ways; blanks around '=' go
        {"opt", "TITLE", "My Mouse"},
        {"OPT", "Padded", "7"},         // tabs are blanks too
        {"OPT", "Quoted", "  spaced  "},  // quotes go, what is inside stays
        {"OPT", "Single", "x"},
        {"OPT", "Lonely", "\""},        // one quote is not an enclosure
        {"OPT", "Mixed", "\"a'"},
        {"OPT", "Inline", "5 ; not a comment"},
        {"OPT", "Debug", std::nullopt},  // comment lines hold no keys
        {"OPT", "Empty", ""},
        {"OPT", "Dup", "first"},
        {"OPT", "Eq", "a=b"},           // the first '=' splits
        {"OPT", "Late", std::nullopt},  // only the first section of a name is read
        {"OPT", "Stray", std::nullopt},
        {"ms", "vid", "0x258A"},
        {"Open", "k", "v"},             // a header without ']' still names its section
        {"Missing", "Title", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(ini.Raw(c.section, c.key), c.value) << c.section << "/" << c.key;

    EXPECT_EQ(ini.GetInt("MS", "VID", 0), 0x258A);
    EXPECT_EQ(ini.GetInt("OPT", "Inline", 0), 5);
    EXPECT_EQ(ini.GetInt("OPT", "Single", 3), 0);  // present but no digits: 0, not the default
}

TEST(Ini, MissingFileEmptyValueAndMissingKeyGiveTheDefault)
{
    test::CTempDir dir;
    const CIniFile missing = CIniFile::Load(dir / "cfg.ini");
    EXPECT_FALSE(missing.Exists());
    EXPECT_EQ(missing.GetInt("OPT", "TrayIcon", 2), 2);
    EXPECT_EQ(missing.GetString("OPT", "FontName", "MS Shell Dlg", 30), "MS Shell Dlg");
    EXPECT_EQ(missing.Raw("OPT", "TrayIcon"), std::nullopt);

    const CIniFile ini = CIniFile::FromBytes("[OPT]\nTrayIcon=\nFontName=\nQuotedEmpty=\"\"\nBlank=   \n");
    for (const char* key : {"TrayIcon", "FontName", "QuotedEmpty", "Blank", "Absent"}) {
        EXPECT_EQ(ini.GetInt("OPT", key, -1), -1) << key;
        EXPECT_EQ(ini.GetString("OPT", key, "MS Shell Dlg", 30), "MS Shell Dlg") << key;
    }
}

TEST(Ini, IntegerForms)
{
    struct Case { const char* text; int32_t value; };
    const Case cases[] = {
        {"-1", -1}, {"0x10", 16}, {"0X1f", 31}, {"-0x10", -16}, {"+7", 7}, {"  42", 42}, {"\t-3", -3},
        {"55zz", 55}, {"abc", 0}, {"0x", 0}, {"-", 0}, {"0xg", 0}, {"12 34", 12}, {"0x258A", 9610},
        {"2147483647", 2147483647}, {"2147483648", INT32_MIN}, {"4294967295", -1}, {"4294967296", 0},
        {"0xFFFFFFFF", -1}, {"0x1FFFFFFFF", -1}, {"99999999999999999999999", -159383553},
        {"-12345678901", 539222987},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseIniInt(c.text), c.value) << c.text;

    const CIniFile ini = CIniFile::FromBytes("[OPT]\nA=-1\nB=0x3360\nC='12'\n");
    EXPECT_EQ(ini.GetInt("OPT", "A", 5), -1);
    EXPECT_EQ(ini.GetInt("OPT", "B", 5), 0x3360);
    EXPECT_EQ(ini.GetInt("OPT", "C", 5), 12);
}

TEST(Ini, StringsAreCutToTheCapacityInUtf16Characters)
{
    // "Zörvik", a euro sign (3 UTF-8 bytes, 1 unit) and an emoji (4 bytes, a surrogate pair)
    const CIniFile ini = CIniFile::FromBytes(
        "[OPT]\nA=abcdef\nB=Z\xC3\xB6rvik\nC=\xE2\x82\xAC\xE2\x82\xAC\nD=a\xF0\x9F\x98\x80z\n");
    struct Case { const char* key; size_t nCapacity; std::string value; };
    const Case cases[] = {
        {"A", 4, "abc"}, {"A", 7, "abcdef"}, {"A", 100, "abcdef"}, {"A", 1, ""}, {"A", 0, ""},
        {"B", 3, "Z\xC3\xB6"},          // the o-umlaut is one character, two bytes: never cut inside it
        {"C", 2, "\xE2\x82\xAC"},
        {"D", 2, "a"}, {"D", 3, "a"},   // the pair needs two units: it is dropped whole
        {"D", 4, "a\xF0\x9F\x98\x80"}, {"D", 5, "a\xF0\x9F\x98\x80z"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ini.GetString("OPT", c.key, "def", c.nCapacity), c.value) << c.key << " " << c.nCapacity;
    EXPECT_EQ(ini.GetString("OPT", "Missing", "MS Shell Dlg", 5), "MS S");  // the default fits the buffer too
}

TEST(Ini, EncodingsAndLineEndings)
{
    const std::u16string text = u"[OPT]\r\nTitle=Z\u00F6rvik \u20AC\U0001F600\r\nDebug=2\r\n";
    const std::string title = "Z\xC3\xB6rvik \xE2\x82\xAC\xF0\x9F\x98\x80";
    struct Case { const char* name; std::string bytes; const char* encoding; std::string title; };
    const Case cases[] = {
        {"utf8", U16ToUtf8(text), "UTF-8", title},
        {"utf8 bom", "\xEF\xBB\xBF" + U16ToUtf8(text), "UTF-8 BOM", title},
        {"utf16le", Utf16File(text, false), "UTF-16LE", title},
        {"utf16be", Utf16File(text, true), "UTF-16BE", title},
        {"utf16le odd byte", Utf16File(text, false) + "x", "UTF-16LE", title},
        {"utf16le lone surrogate", Utf16File(u"[OPT]\nTitle=a\xD800z\nDebug=2", false), "UTF-16LE",
         "a\xEF\xBF\xBDz"},
        {"utf8 bom, bad byte", "\xEF\xBB\xBF[OPT]\nTitle=a\xFFz\nDebug=2", "UTF-8 BOM", "a\xEF\xBF\xBDz"},
        {"cp1252", "[OPT]\r\nTitle=Caf\xE9 \x80\r\nDebug=2\r\n", "windows-1252", "Caf\xC3\xA9 \xE2\x82\xAC"},
        {"lf", "[OPT]\nTitle=t\nDebug=2", "UTF-8", "t"},
        {"lone cr", "[OPT]\rTitle=t\rDebug=2\r", "UTF-8", "t"},
        {"mixed", "[OPT]\r\n\r\nTitle=t\n\rDebug=2\r\n", "UTF-8", "t"},
    };
    for (const Case& c : cases) {
        const CIniFile ini = CIniFile::FromBytes(c.bytes);
        EXPECT_EQ(ini.Encoding(), c.encoding) << c.name;
        EXPECT_EQ(ini.Raw("OPT", "Title"), c.title) << c.name;
        EXPECT_EQ(ini.GetInt("OPT", "Debug", 0), 2) << c.name;
    }
}

TEST(Ini, TheWindows1252FallbackIsLogged)
{
    std::vector<std::string> lines;
    LogConfig cfg;
    cfg.nDebug = 1;
    cfg.debugOut = [&](const std::string& s) { lines.push_back(s); };
    LogStart(cfg);
    (void)CIniFile::FromBytes("[OPT]\nTitle=\xC3\xA9\n");
    EXPECT_TRUE(lines.empty());
    (void)CIniFile::FromBytes("[OPT]\nTitle=Caf\xE9\n");
    LogStop();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("Windows-1252"), std::string::npos) << lines[0];
}

TEST(Ini, LoadReadsFilesAndRefusesWhatIsNotOne)
{
    test::CTempDir dir;
    test::WriteBytes(dir / "lang.ini", Utf16File(u"[OPT]\r\nLangIndex=3\r\n", false));
    const CIniFile ini = CIniFile::Load(dir / "lang.ini");
    EXPECT_TRUE(ini.Exists());
    EXPECT_EQ(ini.GetInt("OPT", "LangIndex", 0), 3);

    fs::create_directory(dir / "folder.ini");
    EXPECT_FALSE(CIniFile::Load(dir / "folder.ini").Exists());

    // Past the size cap the file counts as unreadable, even with a valid first section.
    std::string big = "[OPT]\nDebug=2\n";
    big.resize(kIniMaxBytes + 1, ' ');
    test::WriteBytes(dir / "big.ini", big);
    const CIniFile tooBig = CIniFile::Load(dir / "big.ini");
    EXPECT_FALSE(tooBig.Exists());
    EXPECT_EQ(tooBig.GetInt("OPT", "Debug", 0), 0);
}

TEST(Ini, VisitValuesListsWhatReadsCanReach)
{
    const CIniFile ini = CIniFile::FromBytes("x=0\n[A]\nk=1\nk=2\n[B]\nm=3\n[a]\nk=4\n");
    std::string seen;
    ini.VisitValues([&](std::string_view s, std::string_view k, std::string_view v) {
        seen += std::string(s) + "/" + std::string(k) + "=" + std::string(v) + ";";
    });
    EXPECT_EQ(seen, "A/k=1;A/k=2;B/m=3;");
}
