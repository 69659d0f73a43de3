#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "core/Utf.h"
#include "text/TextCatalogue.h"
#include "text/XmlReader.h"

namespace {

// Writes a catalogue file into dir and loads it into the global table.
void LoadXml(const test::CTempDir& dir, std::string_view xml, const char* pszName = "text.xml")
{
    test::WriteBytes(dir / pszName, xml);
    LoadTextCatalogue(dir / pszName);
}

// Every key the program knows that holds a non-empty text now.
std::set<std::string> NonEmptyKeys()
{
    std::set<std::string> keys;
    for (const std::string& key : AllTextKeys()) {
        const std::u16string* pText = FindText(key);
        if (pText && !pText->empty()) keys.insert(key);
    }
    return keys;
}

const std::set<std::string> kOnlyDefaults = {"tc_hz", "tc_lod"};

}  // namespace

TEST(TextCatalogue, KeysDirectlyUnderTheRootAreNotFound)
{
    test::CTempDir dir;
    LoadXml(dir, "<text><tc_title>Title</tc_title><tc_ok>OK</tc_ok><tc_lod>Lift</tc_lod></text>");
    EXPECT_EQ(NonEmptyKeys(), kOnlyDefaults);
    EXPECT_EQ(gText.tc_lod, u"LOD");
    EXPECT_EQ(gText.tc_hz, u"Hz");
}

TEST(TextCatalogue, SectionSearchFollowsNestedConfigOnly)
{
    test::CTempDir dir;
    LoadXml(dir,
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<text>\n"
            "  <config>\n"
            "    <tc_ok>First</tc_ok>\n"
            "    <tc_ok>Second</tc_ok>\n"
            "    <tc_apply>Outer</tc_apply>\n"
            "    <other><tc_exit>Wrong section</tc_exit></other>\n"
            "    <config>\n"
            "      <tc_apply>Inner</tc_apply>\n"
            "      <tc_cancel>Nested</tc_cancel>\n"
            "      <config><tc_msg30>Deeper</tc_msg30></config>\n"
            "    </config>\n"
            "  </config>\n"
            "  <config><tc_restore>Sibling</tc_restore></config>\n"
            "</text>\n");
    EXPECT_EQ(gText.tc_ok, u"First");           // a duplicate key: the first wins
    EXPECT_EQ(gText.tc_apply, u"Outer");        // the outer section is asked first
    EXPECT_EQ(gText.tc_cancel, u"Nested");      // then the config nested in it
    EXPECT_EQ(gText.tc_msg(30), u"Deeper");     // and so on inward
    EXPECT_EQ(gText.tc_restore, u"");           // a sibling config is never searched
    EXPECT_EQ(gText.tc_exit, u"");              // nor an element of another name
    EXPECT_EQ(LookupText("config", "tc_cancel"), u"Nested");
    EXPECT_EQ(LookupText("other", "tc_exit"), u"");  // "other" is not a child of the root
    EXPECT_EQ(LookupText("nowhere", "tc_ok"), u"");
}

TEST(TextCatalogue, TextContentIsDecodedAndKeptAsWritten)
{
    test::CTempDir dir;
    LoadXml(dir,
            "<text><config>"
            "<tc_title>Zorvik Ger\xC3\xA4tezentrale</tc_title>"
            "<tc_msg1>Drag &amp; drop &lt;here&gt;</tc_msg1>"
            "<tc_msg2>  two\nlines  </tc_msg2>"
            "<tc_msg3><![CDATA[a < b]]></tc_msg3>"
            "<tc_msg4>has <b>a child</b></tc_msg4>"
            "<tc_lod>Abhebeh\xC3\xB6he</tc_lod>"
            "<tc_hz></tc_hz>"
            "</config></text>");
    EXPECT_EQ(gText.tc_title, u"Zorvik Ger\u00E4tezentrale");
    EXPECT_EQ(gText.tc_msg(1), u"Drag & drop <here>");
    EXPECT_EQ(gText.tc_msg(2), u"  two\nlines  ");
    EXPECT_EQ(gText.tc_msg(3), u"a < b");
    EXPECT_EQ(gText.tc_msg(4), u"");  // an element with child elements has no text
    EXPECT_EQ(gText.tc_lod, u"Abhebeh\u00F6he");  // a text of its own beats the default
    EXPECT_EQ(gText.tc_hz, u"Hz");                // an empty text takes it
}

TEST(TextCatalogue, EmptyLodTakesItsDefault)
{
    test::CTempDir dir;
    LoadXml(dir, "<r><config><tc_lod></tc_lod><tc_hz>Hertz</tc_hz></config></r>");
    EXPECT_EQ(gText.tc_lod, u"LOD");
    EXPECT_EQ(gText.tc_hz, u"Hertz");
}

TEST(TextCatalogue, FamiliesAreReadWithTheKeysNumber)
{
    test::CTempDir dir;
    LoadXml(dir,
            "<r><config><tc_msg1>one</tc_msg1><tc_msg30>thirty</tc_msg30>"
            "<tc_msg31>beyond</tc_msg31><tc_msg0>zero</tc_msg0>"
            "<tc_Varo_led25>varo</tc_Varo_led25><tc_varo_led1>lower case</tc_varo_led1>"
            "<tc_PL>Play</tc_PL><tc_pl>wrong case</tc_pl></config></r>");
    EXPECT_EQ(gText.tc_msg.items[0], u"one");  // key number 1 is element 0
    EXPECT_EQ(gText.tc_msg(1), u"one");
    EXPECT_EQ(gText.tc_msg(30), u"thirty");
    for (const int n : {0, -1, 31, 1000}) EXPECT_EQ(gText.tc_msg(n), u"") << n;
    EXPECT_EQ(gText.tc_Varo_led(25), u"varo");
    EXPECT_EQ(gText.tc_Varo_led(1), u"");      // key names are case-sensitive
    EXPECT_EQ(gText.tc_PL, u"Play");
    EXPECT_EQ(NonEmptyKeys(), (std::set<std::string>{"tc_hz", "tc_lod", "tc_msg1", "tc_msg30",
                                                     "tc_Varo_led25", "tc_PL"}));
}

TEST(TextCatalogue, EveryLoadOverwritesEveryText)
{
    test::CTempDir dir;
    LoadXml(dir,
            "<r><config><tc_title>English</tc_title><tc_msg5>Only here</tc_msg5>"
            "<tc_lod>Lift-off</tc_lod></config></r>",
            "en.xml");
    ASSERT_EQ(gText.tc_msg(5), u"Only here");
    LoadXml(dir, "<r><config><tc_title>Deutsch</tc_title></config></r>", "de.xml");
    EXPECT_EQ(gText.tc_title, u"Deutsch");
    EXPECT_EQ(gText.tc_msg(5), u"");
    EXPECT_EQ(gText.tc_lod, u"LOD");
}

TEST(TextCatalogue, UnreadableFileLeavesOnlyTheDefaults)
{
    test::CTempDir dir;
    LoadXml(dir, "<r><config><tc_title>Loaded</tc_title><tc_lod>Lift</tc_lod><tc_hz>Hertz</tc_hz>"
                 "<tc_spr20>last</tc_spr20></config></r>");
    ASSERT_EQ(gText.tc_spr(20), u"last");
    // A failed reload must neither keep the old texts nor walk the old index.
    LoadTextCatalogue(dir / "missing" / "text.xml");
    EXPECT_EQ(NonEmptyKeys(), kOnlyDefaults);
    EXPECT_EQ(gText.tc_lod, u"LOD");
    EXPECT_EQ(gText.tc_hz, u"Hz");
    EXPECT_EQ(LookupText("config", "tc_title"), u"");
    LoadTextCatalogue(dir.Path());  // a folder is no file either
    EXPECT_EQ(NonEmptyKeys(), kOnlyDefaults);
    LoadTextCatalogue(dir / "text.xml");  // and a good file loads again afterwards
    EXPECT_EQ(gText.tc_title, u"Loaded");
}

TEST(TextCatalogue, MalformedFileSuppliesWhatWasIndexed)
{
    test::CTempDir dir;
    // tc_apply lacks its end tag: the reader keeps it as an element without text.
    LoadXml(dir, "<r><config><tc_ok>OK</tc_ok><tc_apply>Apply<tc_cancel>Cancel</tc_cancel></config></r>");
    EXPECT_EQ(gText.tc_ok, u"OK");
    EXPECT_EQ(gText.tc_cancel, u"Cancel");
    EXPECT_EQ(gText.tc_apply, u"");
    LoadXml(dir, "");
    EXPECT_EQ(NonEmptyKeys(), kOnlyDefaults);
}

// A catalogue of about 2 MB: every real key, drowned in thousands of keys the
// program does not know (near misses among them), duplicates after the first
// occurrence and a nested section that supplies what the outer one lacks.
std::string LargeCatalogue(const std::vector<std::string>& keys)
{
    std::string outer, inner;
    const std::string filler(400, 'x');
    size_t n = 0, k = 0;
    for (const std::string& key : keys) {
        ++k;
        for (int i = 0; i < 12; ++i, ++n) {
            outer += "<tc_unknown" + std::to_string(n) + ">" + filler + "</tc_unknown" + std::to_string(n) + ">\n";
        }
        outer += "<" + key + "x>near miss</" + key + "x>\n";
        // Every third key only in the nested section; the rest in the outer one,
        // with a later duplicate that must not win.
        if (k % 3 == 0) {
            inner += "<" + key + ">T " + key + "</" + key + ">\n";
        } else {
            outer += "<" + key + ">T " + key + "</" + key + ">\n";
            outer += "<" + key + ">later duplicate</" + key + ">\n";
            inner += "<" + key + ">nested duplicate</" + key + ">\n";
        }
    }
    return "<text>\n<config>\n" + outer + "<config>\n" + inner + "</config>\n</config>\n</text>\n";
}

TEST(TextCatalogue, LargeCatalogueGivesTheSameTextsAsASmallOne)
{
    const std::vector<std::string> keys = AllTextKeys();
    std::string small = "<text><config>";
    for (const std::string& key : keys) small += "<" + key + ">T " + key + "</" + key + ">";
    small += "</config></text>";
    const std::string large = LargeCatalogue(keys);
    ASSERT_GT(large.size(), size_t(2) << 20);

    test::CTempDir dir;
    auto snapshot = [&] {
        std::map<std::string, std::u16string> texts;
        for (const std::string& key : keys) texts[key] = *FindText(key);
        return texts;
    };
    LoadXml(dir, small, "small.xml");
    const auto fromSmall = snapshot();
    LoadXml(dir, large, "large.xml");
    const auto fromLarge = snapshot();
    EXPECT_EQ(fromLarge, fromSmall);
    EXPECT_EQ(fromLarge.at("tc_msg13"), u"T tc_msg13");
    // Each text is what the one-key look-up finds in the same document.
    for (const std::string& key : keys) EXPECT_EQ(fromLarge.at(key), LookupText("config", key)) << key;
}

TEST(TextCatalogue, FindTextResolvesKeyNames)
{
    struct Case { const char* pszKey; const std::u16string* pExpected; };
    const Case cases[] = {
        {"tc_title", &gText.tc_title},
        {"tc_PL", &gText.tc_PL},
        {"tc_macro_msg1", &gText.tc_macro_msg1},
        {"tc_macro_msg36", &gText.tc_macro_msg36},
        {"tc_support_url", &gText.tc_support_url},
        {"tc_msg1", &gText.tc_msg.items[0]},
        {"tc_msg13", &gText.tc_msg.items[12]},
        {"tc_ms12", &gText.tc_ms.items[11]},
        {"tc_ms2_led15", &gText.tc_ms2_led.items[14]},
        {"tc_Varo_led25", &gText.tc_Varo_led.items[24]},
        {"tc_music_mode10", &gText.tc_music_mode.items[9]},
        {"tc_pl", nullptr},
        {"tc_varo_led1", nullptr},
        {"tc_macro_msg2", nullptr},
        {"tc_msg", nullptr},
        {"tc_msg0", nullptr},
        {"tc_msg31", nullptr},
        {"tc_msg013", nullptr},
        {"tc_msg+1", nullptr},
        {"tc_msg1x", nullptr},
        {"tc_ms2", &gText.tc_ms.items[1]},
        {"tc_ms2_led", nullptr},
        {"tc_msg99999999999999999999999", nullptr},
        {"", nullptr},
    };
    for (const Case& c : cases) EXPECT_EQ(FindText(c.pszKey), c.pExpected) << c.pszKey;
}

TEST(TextCatalogue, KeyListNamesEveryFieldOnce)
{
    const std::vector<std::string> keys = AllTextKeys();
    std::set<const std::u16string*> fields;
    for (const std::string& key : keys) {
        const std::u16string* pText = FindText(key);
        ASSERT_NE(pText, nullptr) << key;
        EXPECT_TRUE(fields.insert(pText).second) << key << " shares its field";
    }
    const std::set<std::string> names(keys.begin(), keys.end());
    EXPECT_EQ(names.size(), keys.size());
    for (const char* psz : {"tc_title", "tc_macro_msg1", "tc_macro_msg3", "tc_power9", "tc_chiji20",
                            "tc_kb_led25", "tc_lodval3", "tc_vkb4", "tc_sys_str5", "tc_kb_bridn"})
        EXPECT_TRUE(names.count(psz)) << psz;
    EXPECT_FALSE(names.count("tc_macro_msg2"));
    EXPECT_FALSE(names.count("tc_power10"));
}

// ---- The catalogues that ship with the program ------------------------------

namespace {

// The elements below the first config of a shipped catalogue, in document order,
// read with a reader of its own so that the check does not go through the loader.
struct ShippedCatalogue {
    bool bLoaded = false, bWellFormed = false;
    std::u16string strResult;
    std::vector<std::pair<std::string, std::u16string>> entries;  // name, text
};

ShippedCatalogue ReadShipped(const std::filesystem::path& path)
{
    ShippedCatalogue cat;
    CXmlReader reader;
    cat.bLoaded = reader.LoadFile(path);
    if (!cat.bLoaded) return cat;
    cat.bWellFormed = reader.SetDocument();
    cat.strResult = reader.GetResultText();
    reader.ResetPosition();
    if (!reader.FindChild(u"config")) return cat;
    reader.EnterElement();
    while (reader.FindChild())
        cat.entries.emplace_back(U16ToUtf8(reader.GetChildName()), reader.GetChildText());
    return cat;
}

// The printf conversions of a text in order ("%d", "%s", "%02d", "%%", ...).
std::vector<std::u16string> PrintfFields(const std::u16string& s)
{
    std::vector<std::u16string> fields;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != u'%') continue;
        size_t j = i + 1;
        while (j < s.size() && std::u16string_view(u"-+ #0123456789.lhzjt").find(s[j]) != std::u16string_view::npos)
            ++j;
        if (j < s.size()) ++j;  // the conversion letter (or the second % of "%%")
        fields.push_back(s.substr(i, j - i));
        i = j - 1;
    }
    return fields;
}

// Links that may ship empty: the main window hides their buttons.
const std::set<std::string> kMayBeEmpty = {"tc_facebook", "tc_twitter"};

}  // namespace

TEST(ShippedTextCatalogue, EveryKeyIsPresentOnceWithText)
{
    const std::vector<std::string> keys = AllTextKeys();
    const std::set<std::string> known(keys.begin(), keys.end());
    for (const char* pszLang : {"en", "de"}) {
        SCOPED_TRACE(pszLang);
        const ShippedCatalogue cat = ReadShipped(test::SourceDir() / "data" / "text" / pszLang / "text.xml");
        ASSERT_TRUE(cat.bLoaded);
        EXPECT_TRUE(cat.bWellFormed) << U16ToUtf8(cat.strResult);
        std::map<std::string, int> seen;
        for (const auto& [name, text] : cat.entries) {
            ++seen[name];
            EXPECT_TRUE(known.count(name)) << "unknown key " << name;
            if (!kMayBeEmpty.count(name)) {
                EXPECT_FALSE(text.empty()) << "empty text " << name;
            }
            EXPECT_EQ(text.find(u"TODO"), std::u16string::npos) << name;
        }
        for (const std::string& key : keys) EXPECT_EQ(seen[key], 1) << key;
    }
}

TEST(ShippedTextCatalogue, LanguagesAgreeOnPrintfFieldsAndDifferInWording)
{
    const std::filesystem::path dirText = test::SourceDir() / "data" / "text";
    LoadTextCatalogue(dirText / "en" / "text.xml");
    std::map<std::string, std::u16string> en;
    for (const std::string& key : AllTextKeys()) en[key] = *FindText(key);
    LoadTextCatalogue(dirText / "de" / "text.xml");

    int nDiffering = 0;
    for (const std::string& key : AllTextKeys()) {
        const std::u16string& de = *FindText(key);
        EXPECT_EQ(PrintfFields(de), PrintfFields(en[key])) << key;
        if (de != en[key]) ++nDiffering;
    }
    EXPECT_EQ(en["tc_title"], u"Zorvik Device Center");
    EXPECT_EQ(gText.tc_title, u"Zorvik Ger\u00E4tezentrale");
    EXPECT_EQ(gText.tc_proname, u"Profil");
    EXPECT_EQ(en["tc_proname"], u"Profile");
    // A German catalogue that copied the English one would pass the checks
    // above; most texts must really be translated.
    EXPECT_GT(nDiffering, int(en.size()) / 2);
    for (const char* pszKey : {"tc_web", "tc_support_url"}) {
        EXPECT_EQ(en[pszKey].rfind(u"https://zorvik.example/", 0), 0u) << pszKey;
        EXPECT_EQ(*FindText(pszKey), en[pszKey]) << pszKey;
    }
}
