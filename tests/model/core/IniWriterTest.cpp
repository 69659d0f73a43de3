#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "TestSupport.h"
#include "core/Ini.h"
#include "core/Utf.h"

namespace fs = std::filesystem;

namespace {

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

std::vector<std::string> FolderNames(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(IniWriter, EditsOneLineAndKeepsEveryOtherByte)
{
    struct Case { const char* name; std::string before, after; };
    const Case cases[] = {
        {"new file", "", "[OPT]\nLangIndex=2\n"},
        {"new section at the end, CRLF kept", "; shipped\r\n[A]\r\nx=1\r\n",
         "; shipped\r\n[A]\r\nx=1\r\n[OPT]\r\nLangIndex=2\r\n"},
        {"new section after a last line without ending", "[A]\nx=1", "[A]\nx=1\n[OPT]\nLangIndex=2\n"},
        {"replaced in place, case-insensitive, comments and order kept",
         "[OPT]\r\n; language\r\n  langindex = 5 ; old\r\nSkinsIndex=1\r\n[B]\r\nLangIndex=9\r\n",
         "[OPT]\r\n; language\r\nLangIndex=2\r\nSkinsIndex=1\r\n[B]\r\nLangIndex=9\r\n"},
        {"first of duplicate keys replaced", "[OPT]\nLangIndex=1\nLangIndex=7\n", "[OPT]\nLangIndex=2\nLangIndex=7\n"},
        {"appended after the last key line of the section",
         "[opt]\nSkinsIndex=1\n\n; about B\n[B]\nC=3", "[opt]\nSkinsIndex=1\nLangIndex=2\n\n; about B\n[B]\nC=3"},
        {"appended after the header of an empty section", "[OPT]\n; nothing yet\n[B]\n",
         "[OPT]\nLangIndex=2\n; nothing yet\n[B]\n"},
        {"appended after a last key line without ending", "[OPT]\r\nA=1", "[OPT]\r\nA=1\r\nLangIndex=2\r\n"},
        {"only the first of duplicate sections", "[OPT]\nA=1\n[OPT]\nLangIndex=7\n",
         "[OPT]\nA=1\nLangIndex=2\n[OPT]\nLangIndex=7\n"},
        {"lone CR endings kept", "[OPT]\rLangIndex=0\rX=1\r", "[OPT]\rLangIndex=2\rX=1\r"},
        {"UTF-8 BOM kept", "\xEF\xBB\xBF[OPT]\nT=\xC3\xA4\n", "\xEF\xBB\xBF[OPT]\nT=\xC3\xA4\nLangIndex=2\n"},
        {"Windows-1252 bytes kept for an ASCII value", "[OPT]\nT=Caf\xE9\n", "[OPT]\nT=Caf\xE9\nLangIndex=2\n"},
    };
    for (const Case& c : cases) {
        test::CTempDir dir;
        const fs::path path = dir / "lang.ini";
        if (!c.before.empty()) test::WriteBytes(path, c.before);
        std::string strErr;
        EXPECT_TRUE(WriteIniInt(path, "OPT", "LangIndex", 2, strErr)) << c.name << ": " << strErr;
        EXPECT_EQ(test::ReadBytes(path), c.after) << c.name;
        EXPECT_EQ(CIniFile::Load(path).GetInt("OPT", "LangIndex", -1), 2) << c.name;
        EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string>{"lang.ini"}) << c.name;  // no temp left
    }
}

TEST(IniWriter, Utf16FilesStayUtf16)
{
    for (const bool bBig : {false, true}) {
        test::CTempDir dir;
        const fs::path path = dir / "lang.ini";
        test::WriteBytes(path, Utf16File(u"[OPT]\r\nTitle=Z\u00F6rvik\r\nLangIndex=1\r\n", bBig));
        std::string strErr;
        ASSERT_TRUE(WriteIniInt(path, "OPT", "LangIndex", 3, strErr)) << strErr;
        ASSERT_TRUE(WriteIniString(path, "Skin", "Name", "Gr\xC3\xBCn", strErr)) << strErr;
        EXPECT_EQ(test::ReadBytes(path),
                  Utf16File(u"[OPT]\r\nTitle=Z\u00F6rvik\r\nLangIndex=3\r\n[Skin]\r\nName=Gr\u00FCn\r\n", bBig))
            << bBig;
        const CIniFile ini = CIniFile::Load(path);
        EXPECT_EQ(ini.Encoding(), bBig ? "UTF-16BE" : "UTF-16LE");
        EXPECT_EQ(ini.Raw("skin", "name"), "Gr\xC3\xBCn");
    }
}

TEST(IniWriter, Windows1252FilesKeepTheirMeaning)
{
    // A value Windows-1252 may not hold, and an edit that would remove the only
    // non-UTF-8 byte: both times the file is converted, so that the other lines read
    // back as before.
    struct Case { const char* name; std::string before, value, after; };
    const Case cases[] = {
        {"non-ASCII value", "[OPT]\r\nTitle=Caf\xE9\r\nName=1\r\n", "\xE2\x82\xAC",
         "[OPT]\r\nTitle=Caf\xC3\xA9\r\nName=\xE2\x82\xAC\r\n"},
        {"last invalid byte replaced", "[OPT]\nTitle=\xC3\xA9\nName=\xE9\n", "1",
         "[OPT]\nTitle=\xC3\x83\xC2\xA9\nName=1\n"},
    };
    for (const Case& c : cases) {
        test::CTempDir dir;
        const fs::path path = dir / "cfg.ini";
        test::WriteBytes(path, c.before);
        const std::optional<std::string> title = CIniFile::Load(path).Raw("OPT", "Title");
        std::string strErr;
        ASSERT_TRUE(WriteIniString(path, "OPT", "Name", c.value, strErr)) << strErr;
        EXPECT_EQ(test::ReadBytes(path), c.after) << c.name;
        const CIniFile ini = CIniFile::Load(path);
        EXPECT_EQ(ini.Encoding(), "UTF-8") << c.name;
        EXPECT_EQ(ini.Raw("OPT", "Title"), title) << c.name;
        EXPECT_EQ(ini.Raw("OPT", "Name"), c.value) << c.name;
    }
}

TEST(IniWriter, FailuresLeaveEverythingAsItWas)
{
    test::CTempDir dir;
    std::string strErr;

    EXPECT_FALSE(WriteIniInt(dir / "no-folder" / "lang.ini", "OPT", "LangIndex", 1, strErr));
    EXPECT_FALSE(strErr.empty());
    EXPECT_FALSE(fs::exists(dir / "no-folder"));  // the folder is the caller's to make

    fs::create_directory(dir / "lang.ini");
    strErr.clear();
    EXPECT_FALSE(WriteIniInt(dir / "lang.ini", "OPT", "LangIndex", 1, strErr));
    EXPECT_FALSE(strErr.empty());
    EXPECT_TRUE(fs::is_directory(dir / "lang.ini"));
    EXPECT_TRUE(fs::is_empty(dir / "lang.ini"));
    EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string>{"lang.ini"});

    // Names and values that would not read back as given, or would add lines, are refused.
    const fs::path path = dir / "cfg.ini";
    const std::string before = "[OPT]\nA=1\n";
    test::WriteBytes(path, before);
    struct Case { std::string section, key, value; };
    const Case cases[] = {
        {"", "A", "1"}, {"O]PT", "A", "1"}, {" OPT", "A", "1"}, {"OPT\n[X", "A", "1"},
        {"OPT", "", "1"}, {"OPT", "A=B", "1"}, {"OPT", ";A", "1"}, {"OPT", "[A", "1"}, {"OPT", "A ", "1"},
        {"OPT", "A", "1\r\nB=2"}, {"OPT", "A", std::string("1\0 2", 4)}, {"OPT", "A", "\xC3"},
    };
    for (const Case& c : cases) {
        strErr.clear();
        EXPECT_FALSE(WriteIniString(path, c.section, c.key, c.value, strErr)) << c.section << "/" << c.key;
        EXPECT_FALSE(strErr.empty());
    }
    EXPECT_EQ(test::ReadBytes(path), before);
}
