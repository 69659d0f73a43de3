// The data steps of start-up on whole installations, shipped and damaged: the
// program must always get as far as its window, with the right messages.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "core/Gvar.h"
#include "core/Log.h"
#include "core/Startup.h"
#include "core/Utf.h"
#include "text/TextCatalogue.h"

namespace fs = std::filesystem;

namespace {

// Text as a UTF-16LE file with its byte-order mark.
std::string Utf16Le(std::u16string_view s)
{
    std::string out = "\xff\xfe";
    for (const char16_t c : s) {
        out += char(c & 0xFF);
        out += char(c >> 8);
    }
    return out;
}

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(AppDir());
        m_folders.appDir = AppDir();
        m_folders.userRoot = m_dir / "data";
    }
    void TearDown() override { LogStop(); }

    fs::path AppDir() const { return m_dir / "app"; }
    // The shipped installation: cfg.ini and both language folders.
    void InstallShipped()
    {
        fs::copy_file(test::SourceDir() / "data" / "cfg.ini", AppDir() / "cfg.ini");
        fs::copy(test::SourceDir() / "data" / "text", AppDir() / "text", fs::copy_options::recursive);
    }
    std::string Title() const { return U16ToUtf8(gVar.pszTitle ? gVar.pszTitle : u"<null>"); }
    std::vector<std::string> Messages() const
    {
        std::vector<std::string> v;
        for (const auto& e : m_prompt.Entries()) v.push_back(U16ToUtf8(e.text));
        return v;
    }
    bool Run() { return RunStartupDataSteps(m_folders, m_prompt); }

    test::CTempDir m_dir;
    StartupFolders m_folders;
    CRecordingPrompt m_prompt;
};

TEST_F(StartupTest, ShippedInstallationStartsQuietlyAndLogsTheLaunch)
{
    InstallShipped();
    ASSERT_TRUE(Run());
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(g_szUserDir, m_dir / "data" / "Zorvik");
    EXPECT_TRUE(fs::is_directory(g_szUserDir));
    EXPECT_EQ(Title(), "Zorvik Device Center");
    const std::string strLog = test::ReadBytes(g_szUserDir / "Log.txt");
    EXPECT_NE(strLog.find("   --------------------------------------------------\n"), std::string::npos);
    EXPECT_NE(strLog.find("Launch "), std::string::npos);
    EXPECT_NE(strLog.find(", Title=Zorvik Device Center"), std::string::npos) << strLog;
}

TEST_F(StartupTest, TitleOptionWinsOverTheCatalogue)
{
    test::WriteBytes(AppDir() / "cfg.ini", "[OPT]\nappdir=Z\nMacProtocol=2\nTitle=  My Mouse  \n");
    test::WriteBytes(AppDir() / "text.xml", "<t><config><tc_title>From catalogue</tc_title></config></t>");
    ASSERT_TRUE(Run());
    EXPECT_EQ(Title(), "My Mouse");
    EXPECT_EQ(U16ToUtf8(gText.tc_title), "From catalogue");  // read from the application folder: no languages
}

TEST_F(StartupTest, DamagedFilesNeverStopStartUp)
{
    struct Case {
        const char* pszName;
        std::string strCfg;     // empty: no cfg.ini
        std::string strLang;    // empty: no lang.ini
        std::string strText;    // written as app/text.xml
        std::vector<std::string> messages;
        std::string strTitle;
    };
    const std::string strGood = "<t><config><tc_title>Plain</tc_title></config></t>";
    const std::vector<Case> cases = {
        {"no cfg.ini", "", "", strGood, {"APPDATA=NULL", "Macro Protocol is unknown"}, "Plain"},
        {"binary cfg.ini", std::string("\x00\xff\xfe[OPT\x01\n=\n\x80\x81", 12), "", strGood,
         {"APPDATA=NULL", "Macro Protocol is unknown"}, "Plain"},
        {"cfg.ini cut in a value", "[OPT]\r\nappdir=Zorvik\r\nMacProtocol=1\r\nptDpiDlg=74", "", strGood,
         {"Wrong POINT num"}, "Plain"},
        {"UTF-16 cfg.ini", Utf16Le(u"[OPT]\r\nappdir=Z\r\nMacProtocol=1\r\nTitle=\u00dc\r\n"), "", strGood, {},
         "\xc3\x9c"},
        // A catalogue without its title is told; with no other one to fall back on, the window stays without texts.
        {"text.xml cut short", "[OPT]\nDebug=2\nappdir=Z\nMacProtocol=1\n", "", "<t><config><tc_title>Pla",
         {"is damaged: it has no title text", "No other language file could be used."}, ""},
        {"text.xml not XML", "[OPT]\nDebug=2\nappdir=Z\nMacProtocol=1\n", "", std::string("\xef\xbb\xbf\0\0\x01<<>&", 9),
         {"is damaged: it has no title text", "No other language file could be used."}, ""},
        // The listed language is missing: the catalogue of the application folder stands in.
        {"language listed but missing", "[OPT]\nDebug=2\nappdir=Z\nMacProtocol=1\nLang1=Klingon,text\\tlh\n", "", strGood,
         {"tlh/text.xml cannot be read", "/app/text.xml is used instead."}, "Plain"},
        {"language index out of range", "[OPT]\nDebug=2\nappdir=Z\nMacProtocol=1\nLang1=Plain,.\n", "[OPT]\nLangIndex=7\n",
         strGood, {}, "Plain"},
        {"lang.ini of garbage", "[OPT]\nDebug=2\nappdir=Z\nMacProtocol=1\nLang1=Plain,.\n", std::string("\x01\x02\xff", 3),
         strGood, {}, "Plain"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        test::CTempDir dir;
        m_folders.appDir = dir / "app";
        m_folders.userRoot = dir / "data";
        fs::create_directories(m_folders.appDir);
        if (!c.strCfg.empty()) test::WriteBytes(m_folders.appDir / "cfg.ini", c.strCfg);
        test::WriteBytes(m_folders.appDir / "text.xml", c.strText);
        const std::string strFolder = c.strCfg.find("appdir=Z\n") != std::string::npos ||
                                              c.strCfg.find(Utf16Le(u"appdir=Z").substr(2)) != std::string::npos
                                          ? "Z"
                                          : "Zorvik";
        if (!c.strLang.empty()) {
            fs::create_directories(m_folders.userRoot / strFolder);
            test::WriteBytes(m_folders.userRoot / strFolder / "lang.ini", c.strLang);
        }
        m_prompt.Clear();
        ASSERT_TRUE(Run());
        // Everything start-up has to say comes in one message.
        ASSERT_EQ(m_prompt.Entries().size(), c.messages.empty() ? 0u : 1u);
        for (const std::string& strPart : c.messages) EXPECT_NE(Messages()[0].find(strPart), std::string::npos) << Messages()[0];
        EXPECT_EQ(Title(), c.strTitle);
        EXPECT_EQ(g_szUserDir, m_folders.userRoot / strFolder);
        // Without a readable Debug option there is no log at all.
        if (c.strCfg.find("Debug=2") != std::string::npos)
            EXPECT_NE(test::ReadBytes(g_szUserDir / "Log.txt").find("Launch "), std::string::npos);
        else
            EXPECT_FALSE(fs::exists(g_szUserDir / "Log.txt"));
        LogStop();
    }
}

// A damaged cfg.ini raises many messages while it is read: they come as one
// window that lists each with the section and key it is about, and each is
// still in the log.
TEST_F(StartupTest, DamagedCfgShowsOneMessageListingTheProblems)
{
    InstallShipped();
    std::string cfg = test::ReadBytes(AppDir() / "cfg.ini");
    const auto put = [&](const std::string& key, const std::string& value) {
        const size_t at = cfg.find("\n" + key + "=");
        ASSERT_NE(at, std::string::npos) << key;
        const size_t end = cfg.find('\n', at + 1);
        cfg.replace(at + 1, end - at - 1, key + "=" + value);
    };
    put("MacProtocol", "7");
    put("Debug", "2");
    const size_t at = cfg.find("\n[KBKEY]");
    ASSERT_NE(at, std::string::npos);
    // Keys given twice: the first is read, so these damage the file.
    cfg.insert(cfg.find('\n', at + 1) + 1, "K1=1,2,x,4,0,0,0,1,1\n");  // "Data parse error!"
    cfg.insert(cfg.find('\n', cfg.find("[OPT]")) + 1, "ptDpiDlg=1,2,3\nrcSubDlg=1\n");
    test::WriteBytes(AppDir() / "cfg.ini", cfg);

    ASSERT_TRUE(Run());
    ASSERT_EQ(m_prompt.Entries().size(), 1u);
    const std::string text = Messages()[0];
    EXPECT_EQ(U16ToUtf8(m_prompt.Entries()[0].caption), "Error");
    for (const char* psz : {"problems", "Macro Protocol is unknown ([OPT] MacProtocol)",
                            "Wrong POINT num ([OPT] ptDpiDlg)", "Wrong rect num ([OPT] rcSubDlg)", "Data parse error! ([KBKEY] K"})
        EXPECT_NE(text.find(psz), std::string::npos) << psz << "\n" << text;
    const std::string log = test::ReadBytes(g_szUserDir / "Log.txt");
    EXPECT_NE(log.find("Macro Protocol is unknown"), std::string::npos);
    EXPECT_NE(log.find("Wrong POINT num"), std::string::npos);
}

// A save cut off between writing its temporary file and the rename leaves the
// temporary file behind; the next start removes old ones, and only those.
TEST_F(StartupTest, LeftoversOfInterruptedSavesAreRemoved)
{
    InstallShipped();
    const fs::path user = m_dir / "data" / "Zorvik";
    fs::create_directories(user / "macro" / "group");
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
    const fs::path stale[] = {user / ".pro.dct.0123456789abcdef.tmp", user / "macro" / "group" / ".a.mcf.fedcba9876543210.tmp"};
    const fs::path kept[] = {user / ".pro.dct.0123456789ABCDEF.tmp", user / ".pro.dct.0123.tmp", user / "pro.dct.0123456789abcdef.tmp",
                             user / "notes.tmp", user / ".curid.dct.00112233445566ff.tmp.bak"};
    for (const fs::path& p : stale) test::WriteBytes(p, "x");
    for (const fs::path& p : kept) test::WriteBytes(p, "x");
    for (const fs::path& p : stale) fs::last_write_time(p, old);
    for (const fs::path& p : kept) fs::last_write_time(p, old);
    const fs::path young = user / ".keycfg.kyg.00000000000000aa.tmp";  // a save in progress elsewhere
    test::WriteBytes(young, "x");

    ASSERT_TRUE(Run());
    for (const fs::path& p : stale) EXPECT_FALSE(fs::exists(p)) << p;
    for (const fs::path& p : kept) EXPECT_TRUE(fs::exists(p)) << p;
    EXPECT_TRUE(fs::exists(young));
}

TEST_F(StartupTest, LogGoesToTheGivenFolderWhenThereIsADesktop)
{
    InstallShipped();
    fs::create_directories(m_dir / "Desktop");
    m_folders.logDir = m_dir / "Desktop";
    ASSERT_TRUE(Run());
    EXPECT_TRUE(fs::exists(m_dir / "Desktop" / "Log.txt"));
    EXPECT_FALSE(fs::exists(g_szUserDir / "Log.txt"));
}

TEST(MutexName, FollowsTheConfiguredFamilies)
{
    struct Case { int32_t nMsFw, nKbFw; uint16_t nMsPid, nKbPid; const char* pszName; };
    const Case cases[] = {
        {1, 22, 0x1234, 0x5678, "MUTEX_BY_COMBOMirex"},
        {0x15, 0, 0x1A2B, 0, "MUTEX_BY_MS_1A2B"},
        {0, 22, 0, 0x0C45, "MUTEX_BY_KB_0C45_16"},
        {0, 0, 0, 0, "MUTEX_BY_COMBOMirex"},
    };
    for (const Case& c : cases) {
        ClearGvar();
        gVar.nMsFw = c.nMsFw;
        gVar.nKbFw = c.nKbFw;
        gVar.Ms.nPID[0] = c.nMsPid;
        gVar.Kb.nPID = c.nKbPid;
        EXPECT_EQ(MutexName(), c.pszName);
    }
}

}  // namespace
