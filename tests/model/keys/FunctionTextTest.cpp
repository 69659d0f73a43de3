// Display texts of key functions with the shipped English catalogue.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "TestSupport.h"
#include "core/Gvar.h"
#include "core/Utf.h"
#include "keys/FunId.h"
#include "keys/FunctionText.h"
#include "keys/MacroList.h"
#include "text/TextCatalogue.h"

namespace {

KeyInfo Key(uint32_t dwFunID, uint32_t dwParam = 0)
{
    KeyInfo k;
    std::memset(&k, 0, sizeof k);
    k.FunID = dwFunID;
    k.dwParam = dwParam;
    return k;
}

KeyInfo KeyBytes(uint32_t dwFunID, uint8_t mod, uint8_t k1, uint8_t k2 = 0)
{
    KeyInfo k = Key(dwFunID);
    k.byModifier = mod;
    k.byKey1 = k1;
    k.byKey2 = k2;
    return k;
}

KeyInfo MacroKey(uint32_t dwFunID, uint32_t dwMacroID)
{
    KeyInfo k = Key(dwFunID);
    k.MacroID = dwMacroID;
    return k;
}

// The catalogue text of a key, which must exist and not be empty: a row that
// compares two empty texts would prove nothing.
std::string Text(const char* pszKey)
{
    const std::u16string* p = FindText(pszKey);
    EXPECT_TRUE(p && !p->empty()) << pszKey;
    return p ? U16ToUtf8(*p) : std::string();
}

class FunctionText : public testing::Test {
protected:
    void SetUp() override
    {
        LoadTextCatalogue(test::SourceDir() / "data/text/en/text.xml");
        m_macros[0x123456] = u"Copy";
        m_bullets[0x0ABCDE] = u"Burst";
        m_src.findMacro = [this](uint32_t id, std::u16string& s) { return Find(m_macros, id, s); };
        m_src.findBullet = [this](uint32_t id, std::u16string& s) { return Find(m_bullets, id, s); };
        m_src.dpiOfStep = [](uint32_t n) { return n < 3 ? int32_t(400 << n) : 0; };  // 400, 800, 1600
    }
    void TearDown() override { LoadTextCatalogue(test::SourceDir() / "data/text/en/text.xml"); }

    static bool Find(const std::map<uint32_t, std::u16string>& m, uint32_t id, std::u16string& s)
    {
        const auto it = m.find(id & 0xFFFFFF);
        if (it == m.end()) return false;
        s = it->second;
        return true;
    }
    std::string TextOf(const KeyInfo& k) { return U16ToUtf8(GetFunctionText(k, m_src)); }

    std::map<uint32_t, std::u16string> m_macros, m_bullets;
    CFunctionTextSources m_src;
};

TEST_F(FunctionText, TextsFromTheCatalogue)
{
    const std::pair<uint32_t, const char*> rows[] = {
        {0x01000011, "tc_click"},         {0x01000012, "tc_middle"},        {0x01000013, "tc_menu"},
        {0x01000014, "tc_forward"},       {0x01000015, "tc_back"},          {0x01000016, "tc_dclick"},
        {0x01000017, "tc_three"},         {0x01000018, "tc_scrollup"},      {0x01000019, "tc_scrolldown"},
        {0x04000021, "tc_kbmedia_msel"},  {0x04000022, "tc_PL"},            {0x04000023, "tc_stop"},
        {0x04000024, "tc_pre_media"},     {0x04000025, "tc_next_media"},    {0x04000026, "tc_vol_up"},
        {0x04000027, "tc_vol_dw"},        {0x04000028, "tc_mute"},          {0x04000029, "tc_kbmedia_briup"},
        {0x0400002A, "tc_kbmedia_bridn"}, {0x04000030, "tc_kbmedia_mail"},  {0x04000031, "tc_kbmedia_cal"},
        {0x04000032, "tc_kbmedia_explore"}, {0x04000033, "tc_kbmedia_search"}, {0x04000034, "tc_kbmedia_main"},
        {0x04000035, "tc_back"},          {0x04000036, "tc_forward"},       {0x04000037, "tc_kbmedia_stop"},
        {0x04000038, "tc_kbmedia_refresh"}, {0x04000039, "tc_kbmedia_favor"},
        {0x03000030, "tc_kbmedia_mail"},  {0x03000034, "tc_kbmedia_main"},  // class 3 reads like class 4
        {0x080000A2, "tc_key_off"},       {0x080000A7, "tc_rgb"},           {0x080000A8, "tc_dpiadd"},
        {0x080000A9, "tc_dpisub"},        {0x080000AA, "tc_dpiloop"},       {0x080000AB, "tc_mdsw"},
        {0x080000AC, "tc_reportsw"},      {0x080000AD, "tc_customkey"},     {0x080000AE, "tc_rgbsw"},
        {0x080000AF, "tc_keysnipe"},      {0x080000B0, "tc_msg16"},         {0x080000B1, "tc_msg17"},
        {0x080000B5, "tc_kb_briup"},      {0x080000B6, "tc_kb_bridn"},      {0x080000C2, "tc_chiji3"},
        {0x09000000, "tc_hw1"},           {0x09000001, "tc_hw2"},           {0x09000002, "tc_hw3"},
        {0x09000003, "tc_hw4"},           {0x0B000000, "tc_ex1"},           {0x0B000001, "tc_ex2"},
        {0x0B000002, "tc_ex3"},           {0x0B000003, "tc_ex4"},
    };
    for (const auto& [dwFunID, pszKey] : rows) EXPECT_EQ(TextOf(Key(dwFunID)), Text(pszKey)) << std::hex << dwFunID;
}

TEST_F(FunctionText, ComposedTexts)
{
    struct Row {
        KeyInfo key;
        std::string text;
    };
    const Row rows[] = {
        {Key(0x080000A3), "Shift"},
        {Key(0x080000B2), Text("tc_speed") + " +"},
        {Key(0x080000B3), Text("tc_speed") + " -"},
        {Key(0x080000D0), Text("tc_reportsw") + " +"},
        {Key(0x080000D1), Text("tc_reportsw") + " -"},
        // Functions without a text key of their own show their code.
        {Key(0x080000B4), "0x080000B4"},
        {Key(0x080000B7), "0x080000B7"},
        // Fire key: the fired mouse button by its text, any other key by its name.
        {Key(0x080000A4, 0x00F03200), Text("tc_fire") + " - " + Text("tc_click")},
        {Key(0x080000A4, 0x00F1FFFF), Text("tc_fire") + " - " + Text("tc_menu")},
        {Key(0x080000A4, 0x00F50000), Text("tc_fire") + " - " + Text("tc_titlt1")},
        {Key(0x080000A4, 0x00F60000), Text("tc_fire") + " - " + Text("tc_titlt2")},
        {Key(0x080000A4, 0x00413200), Text("tc_fire") + " - A"},
        {Key(0x080000A4, 0x00000000), Text("tc_fire") + " - "},
        {Key(0x010000A4, 0x00410000), Text("tc_fire") + " - A"},  // recognised by value in any class
        // Snipe: the DPI value of the 1-based step; 0 for a step the sensor lacks.
        {Key(0x080000A6, 1), Text("tc_snipe") + " - 400"},
        {Key(0x080000A6, 3), Text("tc_snipe") + " - 1600"},
        {Key(0x080000A6, 0), Text("tc_snipe") + " - 0"},
        {Key(0x080000A6, 4), Text("tc_snipe") + " - 0"},
        {Key(0x080000A6, 0xFFFFFFFF), Text("tc_snipe") + " - 0"},
        // Gun preset: preset word, gun, scope.
        {Key(0x080000C0, 0x19400000), Text("tc_chiji14") + " M4 + " + Text("tc_chiji15")},
        {Key(0x080000C0, 0x19400013), Text("tc_chiji14") + " UMP9 + 4X"},
        {Key(0x080000C0, 0x19400026), Text("tc_chiji14") + " UZI + " + Text("tc_chiji6")},
        {Key(0x080000C0, 0x00000037), Text("tc_chiji14") + "  + "},  // no gun 7, no scope 3
        // Keys and combinations.
        {KeyBytes(0x020000A1, 0x11, 65), "Ctrl + A"},
        {KeyBytes(0x020000A1, 0x05, 46), "Ctrl + Alt + Delete"},
        {KeyBytes(0x020000A0, 0x00, 250), "Fn"},
        {KeyBytes(0x020000A1, 0x01, 250), "Ctrl + "},
        {KeyBytes(0x020000A1, 0x11, 141), Text("tc_vol_up")},  // media keys drop their modifiers
        {KeyBytes(0x020000A0, 0x00, 136), Text("tc_kbmedia_msel")},
        {KeyBytes(0x020000A0, 0x00, 143), Text("tc_mute")},
        {KeyBytes(0x020000A0, 0x00, 153), Text("tc_kbmedia_cal")},
        {KeyBytes(0x020000A0, 0x00, 154), Text("tc_kbmedia_explore")},
        {KeyBytes(0x02000000, 0x00, 112, 113), "F1 + F2"},
        {KeyBytes(0x02000000, 0x00, 0), ""},
        // Macros by their list.
        {MacroKey(0x05000000, 0x123456), Text("tc_mac_def") + " - Copy"},
        {MacroKey(0x05000000, 0xFF123456), Text("tc_mac_def") + " - Copy"},
        {MacroKey(0x05000000, 0x654321), ""},
        {MacroKey(0x05000000, 0x0ABCDE), ""},  // a bullet is not a macro
        {MacroKey(0x0C000000, 0x0ABCDE), Text("tc_bullet14") + " - Burst"},
        {MacroKey(0x0C000000, 0x123456), ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << std::hex << r.key.FunID << " " << r.key.dwParam);
        EXPECT_EQ(TextOf(r.key), r.text);
    }
}

TEST_F(FunctionText, UnknownCodesHaveNoText)
{
    for (const uint32_t dwFunID :
         {0x00000000u, 0x00000011u, 0x01000010u, 0x0100001Au, 0x0400002Bu, 0x0400002Fu, 0x0400003Au,
          0x03FFFFFFu, 0x080000A1u, 0x080000A5u, 0x080000B8u, 0x080000C1u, 0x080000D2u, 0x08FFFFFFu,
          0x09000004u, 0x09FFFFFFu, 0x0A0000C0u, 0x0A0000C2u, 0x0B000004u, 0x0B000005u, 0x0BFFFFFFu,
          0x06000000u, 0x07000011u, 0x0D000000u, 0xFF000011u, 0xFFFFFFFFu})
        EXPECT_EQ(TextOf(Key(dwFunID, 0xFFFFFFFF)), "") << std::hex << dwFunID;
}

TEST_F(FunctionText, LongGunPresetTextIsCut)
{
    gText.tc_chiji.items[13] = std::u16string(60, u'P');  // tc_chiji14
    const std::u16string str = GetFunctionText(Key(0x080000C0, 0x00000000), m_src);
    EXPECT_EQ(str, std::u16string(49, u'P'));

    // A cut never leaves half of a character made of two code units.
    gText.tc_chiji.items[13] = std::u16string(48, u'P') + u"\U0001F600";
    EXPECT_EQ(GetFunctionText(Key(0x080000C0, 0), m_src), std::u16string(48, u'P'));
    gText.tc_chiji.items[13] = std::u16string(47, u'P') + u"\U0001F600";
    EXPECT_EQ(GetFunctionText(Key(0x080000C0, 0), m_src), std::u16string(47, u'P') + u"\U0001F600");
}

TEST_F(FunctionText, BrightnessFallsBackWithoutKeyboardTexts)
{
    gText.tc_kb_briup.clear();
    gText.tc_kb_bridn.clear();
    EXPECT_EQ(TextOf(Key(0x080000B5)), Text("tc_brightness") + " +");
    EXPECT_EQ(TextOf(Key(0x080000B6)), Text("tc_brightness") + " -");
}

TEST_F(FunctionText, LayoutAppliesToKeyNames)
{
    m_src.nKbType = 1;
    EXPECT_EQ(TextOf(KeyBytes(0x020000A1, 0x01, 89)), "Ctrl + Z");
    EXPECT_EQ(TextOf(Key(0x080000A4, 0x00590000)), Text("tc_fire") + " - Z");
}

TEST_F(FunctionText, ValidityDoesNotDependOnTheLanguage)
{
    struct Row {
        KeyInfo key;
        bool bValid;
    };
    const Row rows[] = {
        {Key(0x01000011), true},           {Key(0x0B000004), true},   {Key(0x0B000005), true},
        {Key(0x080000B4), true},           {Key(0x09000003), true},   {Key(0x03000021), true},
        {KeyBytes(0x020000A0, 0, 65), true}, {KeyBytes(0x02000000, 0x02, 0), true},
        {KeyBytes(0x02000000, 0, 0, 66), true},
        {KeyBytes(0x020000A0, 0, 0), false}, {MacroKey(0x05000000, 0x123456), true},
        {MacroKey(0x05000000, 0x654321), false}, {MacroKey(0x0C000000, 0x0ABCDE), true},
        {MacroKey(0x0C000000, 0), false},  {Key(0), false},           {Key(0x0A0000C0), false},
        {Key(0x0B000006), false},          {Key(0x0100001A), false},  {Key(0x0D000000), false},
    };
    for (const Row& r : rows) EXPECT_EQ(IsFunctionValid(r.key, m_src), r.bValid) << std::hex << r.key.FunID;

    // With every text gone the texts are empty, yet the functions stay valid.
    LoadTextCatalogue(test::FixtureDir() / "no-such-catalogue.xml");
    EXPECT_EQ(GetFunctionText(Key(0x0B000000), m_src), u"");
    EXPECT_TRUE(IsFunctionValid(Key(0x0B000000), m_src));
    EXPECT_TRUE(IsFunctionValid(Key(0x080000A7), m_src));
}

TEST_F(FunctionText, ProcessWideSourcesReadTheListsAndTheSensor)
{
    MacroRecord rec;
    std::memset(&rec, 0, sizeof rec);
    rec.MacroID = 0x2468AC;
    CopyToFixed(rec.szName, u"Reload");
    MacroRecord* pMacro = g_MacroList.Add(rec);
    ASSERT_NE(pMacro, nullptr);
    rec.MacroID = 0x13579B;
    CopyToFixed(rec.szName, u"Spray");
    MacroRecord* pBullet = g_BulletList.Add(rec);
    ASSERT_NE(pBullet, nullptr);

    const SensorDpiTable savedTable = g_SensorDpiTables[0];
    const int32_t nSavedSensor = gVar.Ms.nMsSensor;
    const int32_t nSavedKbType = gVar.nKbType;
    g_SensorDpiTables[0] = SensorDpiTable{};
    g_SensorDpiTables[0].nSensor = 0x7E57;
    g_SensorDpiTables[0].nCount = 2;
    g_SensorDpiTables[0].Dpi[0] = 1200;
    g_SensorDpiTables[0].Dpi[1] = 2400;
    gVar.Ms.nMsSensor = 0x7E57;
    gVar.nKbType = 1;

    EXPECT_EQ(U16ToUtf8(GetFunctionText(MacroKey(0x05000000, 0x2468AC))), Text("tc_mac_def") + " - Reload");
    EXPECT_EQ(U16ToUtf8(GetFunctionText(MacroKey(0x0C000000, 0x13579B))), Text("tc_bullet14") + " - Spray");
    EXPECT_EQ(U16ToUtf8(GetFunctionText(MacroKey(0x05000000, 0x13579B))), "");
    EXPECT_EQ(U16ToUtf8(GetFunctionText(Key(0x080000A6, 2))), Text("tc_snipe") + " - 2400");
    EXPECT_EQ(U16ToUtf8(GetFunctionText(Key(0x080000A6, 3))), Text("tc_snipe") + " - 0");
    EXPECT_EQ(U16ToUtf8(GetFunctionText(KeyBytes(0x020000A0, 0, 90))), "Y");
    EXPECT_TRUE(IsFunctionValid(MacroKey(0x0C000000, 0x13579B)));
    EXPECT_FALSE(IsFunctionValid(MacroKey(0x0C000000, 0x2468AC)));

    g_MacroList.Remove(pMacro);
    g_BulletList.Remove(pBullet);
    g_SensorDpiTables[0] = savedTable;
    gVar.Ms.nMsSensor = nSavedSensor;
    gVar.nKbType = nSavedKbType;
    EXPECT_EQ(U16ToUtf8(GetFunctionText(MacroKey(0x05000000, 0x2468AC))), "");
}

}  // namespace
