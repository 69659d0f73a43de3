// The options loader: an INI text in, gVar fields and the messages shown out.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <functional>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "core/Gvar.h"
#include "core/Ini.h"
#include "core/IPrompt.h"
#include "core/Log.h"
#include "core/Options.h"
#include "core/Utf.h"

namespace fs = std::filesystem;

namespace {

using Rect4 = std::array<int32_t, 4>;
using Point2 = std::array<int32_t, 2>;
Rect4 R(const ZRect& rc) { return {rc.left, rc.top, rc.right, rc.bottom}; }
Point2 P(const ZPoint& pt) { return {pt.x, pt.y}; }
std::string S(std::u16string_view s) { return U16ToUtf8(s); }
template <size_t N>
std::string S(const char16_t (&field)[N]) { return U16ToUtf8(FixedView(field)); }

// What every case adds after its own lines, so that nothing is reported unless
// the case asks for it (the first of two equal keys wins).
constexpr std::string_view kQuietTail = "appdir=Zorvik\nMacProtocol=1\n";

class OptionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_pathSavedAppDir = g_szAppDir;
        g_szAppDir = m_dir / "app";
    }
    void TearDown() override
    {
        LogStop();
        g_szAppDir = m_pathSavedAppDir;
    }

    LogConfig Log()
    {
        LogConfig cfg;
        cfg.pathFile = m_dir / "Log.txt";
        cfg.debugOut = [this](const std::string& s) { m_log.push_back(s); };
        return cfg;
    }
    // Section OPT holding the given lines, then the quiet tail.
    static CIniFile Opt(std::string_view lines)
    {
        return CIniFile::FromBytes("[OPT]\n" + std::string(lines) + "\n" + std::string(kQuietTail));
    }
    void Init(std::string_view lines) { DataInit(Opt(lines), m_prompt, Log()); }

    std::vector<std::string> Messages() const
    {
        std::vector<std::string> texts;
        for (const auto& e : m_prompt.Entries()) {
            EXPECT_EQ(e.caption, u"Error") << S(e.text);
            texts.push_back(S(e.text));
        }
        return texts;
    }

    test::CTempDir m_dir;
    fs::path m_pathSavedAppDir;
    CRecordingPrompt m_prompt;
    std::vector<std::string> m_log;
};

using Strings = std::vector<std::string>;

}  // namespace

TEST_F(OptionsTest, MissingCfgIniGivesTheDefaultsAndExactlyTwoMessages)
{
    gVar.nVer = 99;
    gVar.Lang[0].szName[0] = u'x';
    gVar.Kb.nKeyNum = 5;
    gVar.pszTitle = u"stale";

    EXPECT_TRUE(DataInit(CIniFile(), m_prompt, Log()));
    EXPECT_EQ(Messages(), (Strings{"APPDATA=NULL", "Macro Protocol is unknown"}));

    // Cleared first.
    EXPECT_EQ(gVar.nVer, 0);
    EXPECT_EQ(gVar.Lang[0].szName[0], 0);
    EXPECT_EQ(gVar.Kb.nKeyNum, 0);
    EXPECT_EQ(gVar.pszTitle, nullptr);
    // Defaults.
    EXPECT_EQ(S(gVar.szTitle), "");
    EXPECT_EQ(S(gVar.szFontName), "MS Shell Dlg");
    EXPECT_EQ(S(gVar.szAppdir), "Zorvik");
    EXPECT_EQ(gVar.nTrayIcon, 2);
    EXPECT_EQ(gVar.nExitOnPlugOut, 1);
    EXPECT_EQ(gVar.nComboRec, 1);
    EXPECT_EQ(gVar.nProfileNum, 3);
    EXPECT_EQ((std::array<int, 3>{gVar.FontSize[0], gVar.FontSize[1], gVar.FontSize[2]}),
              (std::array<int, 3>{14, 20, 24}));
    EXPECT_EQ(gVar.nPopWndTrans, 255);
    EXPECT_EQ(gVar.clrPopWndBkg, MakeColor(6, 6, 7));
    EXPECT_EQ(gVar.nProfileGpY, 580);
    EXPECT_EQ(gVar.nRGBBarDrop, 1);
    EXPECT_EQ(gVar.nShowMusic, 1);
    EXPECT_EQ(gVar.nShowSupport, 0);
    EXPECT_EQ(P(gVar.ptKeyMsDlg), (Point2{790, 35}));
    EXPECT_EQ(P(gVar.ptMsMarkDlg), (Point2{290, 54}));
    EXPECT_EQ(P(gVar.ptMinBtn), (Point2{991, 8}));
    EXPECT_EQ(P(gVar.ptDpiDlg), (Point2{743, 41}));
    EXPECT_EQ(P(gVar.ptResetBtn), (Point2{813, 769}));
    EXPECT_EQ(R(gVar.rcNavi), (Rect4{540, 22, 605, 77}));
    EXPECT_EQ(gVar.nNaviSpc, 10);
    EXPECT_EQ(R(gVar.rcSubDlg), (Rect4{0, 95, 1063, 767}));
    EXPECT_EQ(R(gVar.rcWeb), (Rect4{400, 773, 630, 793}));
    EXPECT_EQ(gVar.clrTxt, MakeColor(200, 200, 200));
    EXPECT_EQ(gVar.clrBtnTxtOv, MakeColor(255, 255, 255));
    EXPECT_EQ(gVar.clrBtnTxtDn, MakeColor(67, 156, 200));
    EXPECT_EQ(gVar.clrMenuTxtDn, MakeColor(67, 156, 200));
    EXPECT_EQ(gVar.clrLstBoxTxtNr, MakeColor(200, 200, 200));
    EXPECT_EQ(gVar.clrLstBoxTxtDn, 0u);
    EXPECT_EQ(gVar.clrBarNr, MakeColor(98, 98, 98));
    EXPECT_EQ(gVar.clrBarOv, MakeColor(4, 199, 255));
    EXPECT_EQ(gVar.clrPick[0], MakeColor(255, 0, 0));
    EXPECT_EQ(gVar.clrPick[7], MakeColor(255, 128, 0));
    EXPECT_EQ(gVar.nMinDelay, 10);
    EXPECT_EQ(R(gVar.rcMacroList), (Rect4{313, 80, 551, 557}));
    EXPECT_EQ(R(gVar.rcKeyList), (Rect4{552, 80, 792, 557}));
    EXPECT_EQ(gVar.nMacro_Opt_X, 812);
    EXPECT_EQ(gVar.nShowMovingItem, 1);
    EXPECT_EQ(gVar.nAutoSaveMacro, 1);
    EXPECT_EQ(gVar.nMacProtocol, 0);
    EXPECT_EQ(gVar.nMsFw + gVar.nKbFw + gVar.nPadFw, 0);
    EXPECT_FALSE(gVar.bMultiDev);

    m_prompt.Clear();
    EXPECT_TRUE(PostInit(m_prompt));
    LoadLangAndSkins(CIniFile(), CIniFile(), m_prompt);
    EXPECT_EQ(Messages(), Strings{});
    EXPECT_EQ(hwParam.nMacroBufferNum, 0);
    EXPECT_EQ(gVar.nSkinsNum + gVar.nLangNum + gVar.nSkinsIndex + gVar.nLangIndex, 0);
    EXPECT_EQ(GetSkinDir(), g_szAppDir / "skins");
    EXPECT_EQ(CataloguePath(), g_szAppDir / "text.xml");
}

TEST_F(OptionsTest, ValuesAreReadAndCheckedByKind)
{
    struct Case {
        const char* lines;
        std::function<void()> check;
        Strings messages;
    };
    auto fontSize = [] { return std::array<int, 3>{gVar.FontSize[0], gVar.FontSize[1], gVar.FontSize[2]}; };
    const Case cases[] = {
        // Byte list: a 0 item, a missing item and one that is not a byte take their default.
        {"FontSize=16,0,30", [&] { EXPECT_EQ(fontSize(), (std::array<int, 3>{16, 20, 30})); }, {}},
        {"FontSize=16", [&] { EXPECT_EQ(fontSize(), (std::array<int, 3>{16, 20, 24})); }, {}},
        {"FontSize=300,-2,18", [&] { EXPECT_EQ(fontSize(), (std::array<int, 3>{14, 20, 18})); }, {}},
        {"FontSize=12,x,40", [&] { EXPECT_EQ(fontSize(), (std::array<int, 3>{12, 20, 24})); }, {}},
        // Colour list: ends at the first all-zero colour; the rest stays 0.
        {"clrPick=255,0,0,0,0,0,9,9,9",
         [] {
             EXPECT_EQ(gVar.clrPick[0], MakeColor(255, 0, 0));
             for (int i = 1; i < 8; ++i) EXPECT_EQ(gVar.clrPick[i], 0u) << i;
         },
         {}},
        {"clrPick=0,0,0,1,1,1", [] { EXPECT_EQ(gVar.clrPick[1], MakeColor(255, 255, 0)); }, {}},
        {"clrPick=1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27",
         [] { EXPECT_EQ(gVar.clrPick[7], MakeColor(22, 23, 24)); }, {}},
        // Colours: used as far as they parse; no number at all keeps the default.
        {"Txt_clr=10,20", [] { EXPECT_EQ(gVar.clrTxt, MakeColor(10, 20, 0)); }, {}},
        {"Txt_clr=grey", [] { EXPECT_EQ(gVar.clrTxt, MakeColor(200, 200, 200)); }, {}},
        {"clrMask=255,0,255", [] { EXPECT_EQ(gVar.clrMask, 0xFF00FFu); }, {}},
        // Derived defaults.
        {"rcMacroList=10,20,30,400",
         [] {
             EXPECT_EQ(R(gVar.rcKeyList), (Rect4{552, 20, 792, 400}));
             EXPECT_EQ(gVar.nMacro_Opt_X, 812);
         },
         {}},
        {"rcKeyList=1,2,3,4", [] { EXPECT_EQ(gVar.nMacro_Opt_X, 23); }, {}},
        {"rcKeyList=1,2,3,4\nMacro_Opt_X=700", [] { EXPECT_EQ(gVar.nMacro_Opt_X, 700); }, {}},
        // Points and rectangles: exactly two or four numbers.
        {"ptMinBtn=5,-6", [] { EXPECT_EQ(P(gVar.ptMinBtn), (Point2{5, -6})); }, {}},
        {"ptMinBtn=1,2,3", [] { EXPECT_EQ(P(gVar.ptMinBtn), (Point2{991, 8})); }, {"Wrong POINT num"}},
        {"ptDpiDlg=7", [] { EXPECT_EQ(P(gVar.ptDpiDlg), (Point2{743, 41})); }, {"Wrong POINT num"}},
        {"ptViewBtn=", [] { EXPECT_EQ(P(gVar.ptViewBtn), (Point2{0, 0})); }, {}},
        {"rcWeb=1,2,3", [] { EXPECT_EQ(R(gVar.rcWeb), (Rect4{400, 773, 630, 793})); }, {"Wrong rect num"}},
        {"rcNavi=1,2,3,4,5\nrcSubDlg=a,b,c,d",
         [] {
             EXPECT_EQ(R(gVar.rcNavi), (Rect4{540, 22, 605, 77}));
             EXPECT_EQ(R(gVar.rcSubDlg), (Rect4{0, 95, 1063, 767}));
         },
         {"Wrong rect num", "Wrong rect num"}},
        {"rcHomePageBtn=10,20,110,60", [] { EXPECT_EQ(R(gVar.rcHomePageBtn), (Rect4{10, 20, 110, 60})); }, {}},
        // Integers.
        {"Ver=0x0100\nSuwnd=abc\nKbType=-3",
         [] {
             EXPECT_EQ(gVar.nVer, 256);
             EXPECT_EQ(gVar.nSuwnd, 0);
             EXPECT_EQ(gVar.nKbType, -3);
         },
         {}},
        {"ListTrans=0x12345", [] { EXPECT_EQ(gVar.nListTrans, 0x2345); }, {}},
        {"ListTrans=-1", [] { EXPECT_EQ(gVar.nListTrans, 0xFFFF); }, {}},
        {"ProfileNum=0", [] { EXPECT_EQ(gVar.nProfileNum, 1); }, {}},
        {"ProfileNum=40", [] { EXPECT_EQ(gVar.nProfileNum, 12); }, {}},
        {"PopWndTrans=300", [] { EXPECT_EQ(gVar.nPopWndTrans, 255); }, {}},
        // Strings: cut to their capacity; an empty font name is the default.
        {"Title=0123456789012345678901234567890123456789ABCDEF",
         [] { EXPECT_EQ(S(gVar.szTitle), "012345678901234567890123456789012345678"); }, {}},
        {"Title=Zorvik Ülti", [] { EXPECT_EQ(FixedView(gVar.szTitle), u"Zorvik Ülti"); }, {}},
        {"FontName=", [] { EXPECT_EQ(S(gVar.szFontName), "MS Shell Dlg"); }, {}},
        {"UpateUrl=https://zorvik.example/u/", [] { EXPECT_EQ(S(gVar.szUpateUrl), "https://zorvik.example/u/"); },
         {}},
        // Families.
        // A mouse configured without its sections has no sensor to work with.
        {"MsFw=5\nKbFw=22", [] { EXPECT_TRUE(gVar.bMultiDev); }, {"set_cur_sensor:  pSensorCfg=null for 0x3050"}},
        {"KbFw=22\nPadFw=40", [] { EXPECT_TRUE(gVar.bMultiDev); }, {}},
        {"MsFw=5", [] { EXPECT_FALSE(gVar.bMultiDev); }, {"set_cur_sensor:  pSensorCfg=null for 0x3050"}},
        {"PadFw=40", [] { EXPECT_FALSE(gVar.bMultiDev); }, {}},
        // Macro protocol.
        {"MacProtocol=2", [] { EXPECT_EQ(gVar.nMacProtocol, 2); }, {}},
        {"MacProtocol=3", [] { EXPECT_EQ(gVar.nMacProtocol, 3); }, {"Macro Protocol is unknown"}},
        // The user folder name: empty or not a plain name falls back, never the data root.
        {"appdir=", [] { EXPECT_EQ(S(gVar.szAppdir), "Zorvik"); }, {"APPDATA=NULL"}},
        {"appdir=..", [] { EXPECT_EQ(S(gVar.szAppdir), "Zorvik"); }, {}},
        {"appdir=.", [] { EXPECT_EQ(S(gVar.szAppdir), "Zorvik"); }, {}},
        {"appdir=../elsewhere", [] { EXPECT_EQ(S(gVar.szAppdir), "Zorvik"); }, {}},
        {"appdir=a\\b", [] { EXPECT_EQ(S(gVar.szAppdir), "Zorvik"); }, {}},
        {"appdir=My Mouse", [] { EXPECT_EQ(S(gVar.szAppdir), "My Mouse"); }, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        m_prompt.Clear();
        Init(c.lines);
        c.check();
        EXPECT_EQ(Messages(), c.messages);
        LogStop();
    }
}

TEST_F(OptionsTest, MessagesAreLoggedWithSectionAndKey)
{
    Init("Debug=1\nptMinBtn=1,2,3\nrcWeb=9\nMacProtocol=7");
    EXPECT_EQ(g_nDebug, 1u);  // read before the log started
    auto logged = [&](std::string_view a, std::string_view b) {
        for (const std::string& line : m_log)
            if (line.find(a) != std::string::npos && line.find(b) != std::string::npos) return true;
        return false;
    };
    EXPECT_TRUE(logged("[OPT] ptMinBtn", "Wrong POINT num"));
    EXPECT_TRUE(logged("[OPT] rcWeb", "Wrong rect num"));
    EXPECT_TRUE(logged("[OPT] MacProtocol", "Macro Protocol is unknown"));
}

TEST_F(OptionsTest, MacroLimitsFollowTheDeviceFamilies)
{
    using Limits = std::array<int32_t, 6>;
    struct Case { const char* lines; Limits limits; Strings messages; };
    const Limits kBoth{1, 128, 64, 255, 25627, 32};
    const Limits kMouse{1, 506, 20, 255, 4095, 168};
    const Limits kKb20{1, 128, 32, 65535, 65280, 60};
    const Limits kKb21{1, 192, 10, 255, 20470, 64};
    const Limits kKb24{1, 65535, 65535, 255, 4095, 65535};
    const Limits kNeither{1, 128, 0, 65535, 0, 0};
    const Case cases[] = {
        {"MsFw=5\nKbFw=22", kBoth, {}},
        {"MsFw=2\nKbFw=0", kMouse, {}},
        {"MsFw=0x112", kMouse, {}},
        {"KbFw=20", kKb20, {}},
        {"KbFw=22", kKb20, {}},
        {"KbFw=23", kKb20, {}},
        {"KbFw=21", kKb21, {}},
        {"KbFw=24", kKb24, {}},
        {"PadFw=40", kNeither, {}},
        {"", kNeither, {}},
        // A keyboard type without a module is reported and counts as no keyboard.
        {"KbFw=25", kNeither, {"Wrong KbFw Value"}},
        {"MsFw=1\nKbFw=19", kMouse, {"Wrong KbFw Value"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        Init(c.lines);
        m_prompt.Clear();
        hwParam = {};
        EXPECT_TRUE(PostInit(m_prompt));
        EXPECT_EQ((Limits{hwParam.nDelayMin, hwParam.nMacroBufferSize, hwParam.nMacroBufferNum, hwParam.nLoopMax,
                          hwParam.nDelayMax, hwParam.nMaxAction}),
                  c.limits);
        EXPECT_EQ(Messages(), c.messages);
        LogStop();
    }
}

TEST_F(OptionsTest, SkinAndLanguageListsAndTheUsersChoice)
{
    struct Case {
        const char* name;
        const char* lines;
        const char* langIni;  // null: lang.ini missing
        std::array<int, 4> counts;  // skins, skin index, languages, language index
        Strings messages;
    };
    const char* kTwoAndTwo = "Skins1=Dark,skins\\dark\nSkins2=Light,skins\\light\n"
                             "Lang1=English,text\\en\nLang2=Deutsch,text\\de";
    const Case cases[] = {
        {"lang.ini missing", kTwoAndTwo, nullptr, {2, 0, 2, 0}, {}},
        {"choice in range", kTwoAndTwo, "[OPT]\nSkinsIndex=1\nLangIndex=1", {2, 1, 2, 1}, {}},
        {"skin index too high", kTwoAndTwo, "[OPT]\nSkinsIndex=2", {2, 0, 2, 0}, {"SkinsIndex is invalidate"}},
        {"skin index negative", kTwoAndTwo, "[OPT]\nSkinsIndex=-1", {2, 0, 2, 0}, {"SkinsIndex is invalidate"}},
        {"language index out of range", kTwoAndTwo, "[OPT]\nLangIndex=5", {2, 0, 2, 0}, {}},
        {"language index negative", kTwoAndTwo, "[OPT]\nLangIndex=-3", {2, 0, 2, 0}, {}},
        {"no skins, stale skin index", "Lang1=English,en", "[OPT]\nSkinsIndex=3", {0, 0, 1, 0}, {}},
        // A bad skin entry ends the skin list, not the languages.
        {"skin without comma", "Skins1=Dark,dark\nSkins2=Light\nSkins3=Blue,blue\nLang1=English,en\nLang2=Deutsch,de",
         "[OPT]\nLangIndex=1", {1, 0, 2, 1}, {"Skins2 is invalidate"}},
        {"skin with nothing after the comma", "Skins1=Dark,  \nLang1=English,en", nullptr, {0, 0, 1, 0},
         {"Skins1 is invalidate"}},
        {"language without comma", "Skins1=Dark,dark\nLang1=English", nullptr, {1, 0, 0, 0},
         {"Lang1 is invalidate"}},
        // Folders stay inside the application folder.
        {"absolute folder", "Skins1=Abs,/etc", nullptr, {0, 0, 0, 0}, {"Skins1 is invalidate"}},
        {"absolute folder, backslash", "Skins1=Abs,\\etc", nullptr, {0, 0, 0, 0}, {"Skins1 is invalidate"}},
        {"parent folder", "Lang1=Up,text\\..\\..\\x", nullptr, {0, 0, 0, 0}, {"Lang1 is invalidate"}},
        {"parent folder alone", "Lang1=Up,..", nullptr, {0, 0, 0, 0}, {"Lang1 is invalidate"}},
        {"drive letter", "Lang1=C,C:\\text", nullptr, {0, 0, 0, 0}, {"Lang1 is invalidate"}},
        {"dots inside a name are fine", "Lang1=Dots,text\\..hidden", nullptr, {0, 0, 1, 0}, {}},
        // An empty value ends the list; at most ten are kept.
        {"gap ends the list", "Skins1=A,a\nSkins3=C,c", nullptr, {1, 0, 0, 0}, {}},
        {"ten at most",
         "Lang1=L,a\nLang2=L,b\nLang3=L,c\nLang4=L,d\nLang5=L,e\nLang6=L,f\nLang7=L,g\nLang8=L,h\nLang9=L,i\n"
         "Lang10=L,j\nLang11=L,k",
         "[OPT]\nLangIndex=9", {0, 0, 10, 9}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Init("");
        m_prompt.Clear();
        const CIniFile langIni = c.langIni ? CIniFile::FromBytes(c.langIni) : CIniFile();
        LoadLangAndSkins(Opt(c.lines), langIni, m_prompt);
        EXPECT_EQ((std::array<int, 4>{gVar.nSkinsNum, gVar.nSkinsIndex, gVar.nLangNum, gVar.nLangIndex}), c.counts);
        EXPECT_EQ(Messages(), c.messages);
        LogStop();
    }
}

TEST_F(OptionsTest, ListEntriesAreTrimmedAndCutToTheirFields)
{
    Init("");
    LoadLangAndSkins(Opt("Lang1=  Deutsch , text\\de \n"
                         "Lang2=日本語,text\\ja\n"
                         "Lang3=A display name far longer than the field,a\\folder\\name\\longer\\than\\the\\field\n"
                         "Lang4=Comma,in,folder"),
                     CIniFile(), m_prompt);
    EXPECT_EQ(Messages(), Strings{});
    ASSERT_EQ(gVar.nLangNum, 4);
    EXPECT_EQ(S(gVar.Lang[0].szName), "Deutsch");
    EXPECT_EQ(S(gVar.Lang[0].szDir), "text\\de");
    EXPECT_EQ(FixedView(gVar.Lang[1].szName), u"日本語");
    EXPECT_EQ(S(gVar.Lang[2].szName), "A display name far longer tha");
    EXPECT_EQ(FixedView(gVar.Lang[2].szName).size(), 29u);
    EXPECT_EQ(S(gVar.Lang[2].szDir), "a\\folder\\name\\longer\\than\\the");
    EXPECT_EQ(S(gVar.Lang[3].szName), "Comma");
    EXPECT_EQ(S(gVar.Lang[3].szDir), "in,folder");
}

TEST_F(OptionsTest, SkinFolderAndCataloguePath)
{
    struct Case {
        const char* lines;
        const char* langIni;
        const char* skinDir;    // under the application folder
        const char* catalogue;  // under the application folder
    };
    const Case cases[] = {
        {"", nullptr, "skins", "text.xml"},
        {"Skins1=Dark,skins\\dark\nLang1=English,text\\en", nullptr, "skins/dark", "text/en/text.xml"},
        {"Skins1=Dark,skins\\dark\nSkins2=Light,skins\\light\nLang1=English,text\\en\nLang2=Deutsch,text\\de",
         "[OPT]\nSkinsIndex=1\nLangIndex=1", "skins/light", "text/de/text.xml"},
        {"Skins1=Flat,flat\\\nLang1=Nested,a\\b/c", nullptr, "flat", "a/b/c/text.xml"},
        // Out-of-range choices never pick a slot outside the list.
        {"Skins1=Dark,dark\nLang1=English,en", "[OPT]\nSkinsIndex=4\nLangIndex=4", "dark", "en/text.xml"},
        // A bad skin list keeps the languages, so the catalogue still comes from its folder.
        {"Skins1=Dark\nLang1=English,text\\en", nullptr, "skins", "text/en/text.xml"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        Init("");
        LoadLangAndSkins(Opt(c.lines), c.langIni ? CIniFile::FromBytes(c.langIni) : CIniFile(), m_prompt);
        EXPECT_EQ(GetSkinDir(), g_szAppDir / c.skinDir);
        EXPECT_EQ(CataloguePath(), g_szAppDir / c.catalogue);
        LogStop();
    }
}

// The shipped cfg.ini is complete and raises no message at all.
TEST_F(OptionsTest, ShippedCfgIniLoadsWithoutAnyMessage)
{
    const fs::path path = test::SourceDir() / "data" / "cfg.ini";
    const CIniFile cfg = CIniFile::Load(path);
    ASSERT_TRUE(cfg.Exists()) << path;

    EXPECT_TRUE(DataInit(cfg, m_prompt, Log()));
    EXPECT_TRUE(PostInit(m_prompt));
    LoadLangAndSkins(cfg, CIniFile(), m_prompt);
    EXPECT_EQ(Messages(), Strings{});

    EXPECT_EQ(S(gVar.szAppdir), "Zorvik");
    EXPECT_EQ(S(gVar.szTitle), "");
    EXPECT_EQ(gVar.nMsFw & 0x0F, 1);
    EXPECT_EQ(gVar.nKbFw, 22);
    EXPECT_EQ(gVar.nPadFw, 40);
    EXPECT_TRUE(gVar.bMultiDev);
    EXPECT_EQ(gVar.nMacProtocol, 1);
    EXPECT_EQ(gVar.nLangNum, 2);
    EXPECT_EQ(gVar.nSkinsNum, 2);
    EXPECT_EQ(GetSkinDir(), g_szAppDir / "skins/dark");
    EXPECT_EQ(CataloguePath(), g_szAppDir / "text/en/text.xml");

    // Every key of the table is written, and every key written in OPT is one the
    // program reads (a misspelt key would silently take its default).
    const std::vector<std::string_view> known = OptKeys();
    auto isKnown = [&](std::string_view key) {
        auto sameLetters = [](char a, char b) { return std::tolower(a) == std::tolower(b); };
        for (const std::string_view k : known)
            if (k.size() == key.size() && std::equal(k.begin(), k.end(), key.begin(), sameLetters)) return true;
        for (const std::string_view prefix : {"Skins", "Lang", "Direct"})
            if (key.starts_with(prefix) && key.size() > prefix.size() &&
                key.find_first_not_of("0123456789", prefix.size()) == std::string_view::npos)
                return true;
        return false;
    };
    for (const std::string_view k : known) EXPECT_TRUE(cfg.Raw("OPT", k).has_value()) << "not written: " << k;
    const std::string text = test::ReadBytes(path);
    std::string section;
    size_t nPos = 0;
    while (nPos < text.size()) {
        size_t nEnd = text.find('\n', nPos);
        if (nEnd == std::string::npos) nEnd = text.size();
        std::string line = text.substr(nPos, nEnd - nPos);
        nPos = nEnd + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') { section = line.substr(1, line.find(']') - 1); continue; }
        const size_t nEq = line.find('=');
        ASSERT_NE(nEq, std::string::npos) << line;
        if (section == "OPT") {
            EXPECT_TRUE(isKnown(line.substr(0, nEq))) << "unknown key: " << line;
        }
    }
}
