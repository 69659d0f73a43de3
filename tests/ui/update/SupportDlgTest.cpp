// The support page against a scripted HTTP server on 127.0.0.1: the checks its
// buttons start, the questions and messages through the page's prompt, what
// would be started (a launcher that only records), cancelling, the marks and
// the two choices the main window reads.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <memory>

#include "TestSupport.h"
#include "core/Utf.h"
#include "model/update/UpdateTestSupport.h"
#include "platform/CurlDownloader.h"
#include "platform/LocalHttpServer.h"
#include "ui/QtText.h"
#include "ui/skin/MsgTestSupport.h"
#include "ui/skin/PngBtn.h"
#include "ui/skin/PngHProgressBar.h"
#include "ui/update/SupportDlg.h"
#include "update/SupportChoices.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

class SupportPage : public msgtest::SkinnedTest {
protected:
    void SetUp() override
    {
        msgtest::SkinnedTest::SetUp();
        m_savedUserDir = g_szUserDir;
        m_savedChoices = g_supportChoices;
        g_szUserDir = m_dir.Path();
        gVar.nVer = 0x15;
        gVar.Kb.nVID = 0x1A2B;
        gVar.Kb.nPID = 0x3C4D;
        gVar.nKbFw = 22;
        SetBaseUrl(m_server.Url("/"));

        CurlDownloaderCfg cfg;
        cfg.connectTimeout = 2000ms;
        cfg.lowSpeedTime = 1s;
        cfg.totalTimeout = 20000ms;
        m_pCurl = std::make_unique<CCurlDownloader>(cfg);
        m_ctx.pPrompt = &m_prompt;
        m_pPage = std::make_unique<CSupportDlg>(m_ctx, nullptr,
                                                CSupportDlg::Services{m_pCurl.get(), &m_launcher, &m_clock});
        QObject::connect(m_pPage.get(), &CSupportDlg::quitForInstall, [this] { ++m_nQuit; });
        QObject::connect(m_pPage.get(), &CSupportDlg::updateMarkChanged,
                         [this](bool b) { m_markSignals.push_back(b); });
    }
    void TearDown() override
    {
        m_pPage.reset();
        g_szUserDir = m_savedUserDir;
        g_supportChoices = m_savedChoices;
        msgtest::SkinnedTest::TearDown();
    }

    static void SetBaseUrl(const std::string& url) { CopyToFixed(gVar.szUpateUrl, Utf8ToU16(url)); }

    std::string Dev(const std::string& drvver, const std::string& driver, const std::string& fwver = "0",
                    const std::string& fw = "/files/kbfw.bin") const
    {
        return "<dev vid=\"1A2B\" pid=\"3C4D\" drvver=\"" + drvver + "\" driver=\"" + m_server.Url(driver) +
               "\" fwver=\"" + fwver + "\" fw=\"" + m_server.Url(fw) + "\"/>";
    }
    void ServeDesc(const std::string& base, const std::string& entries)
    {
        m_server.Route(base + "update_version.xml",
                       test::Reply(200, "<?xml version=\"1.0\"?><update>" + entries + "</update>"));
    }
    // Lets the queued messages reach the page until its check has ended.
    bool WaitIdle(std::chrono::milliseconds limit = 20s)
    {
        QElapsedTimer t;
        t.start();
        while (m_pPage->IsChecking() && t.elapsed() < limit.count()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::msleep(2);
        }
        return !m_pPage->IsChecking();
    }
    bool WaitUntil(const std::function<bool()>& pred, std::chrono::milliseconds limit = 10s)
    {
        QElapsedTimer t;
        t.start();
        while (!pred() && t.elapsed() < limit.count()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::msleep(2);
        }
        return pred();
    }
    std::vector<std::u16string> Shown() const
    {
        std::vector<std::u16string> v;
        for (const auto& e : m_prompt.Entries()) v.push_back(e.text);
        return v;
    }
    bool AnyPartFile() const
    {
        for (const auto& e : fs::recursive_directory_iterator(m_dir.Path()))
            if (e.path().extension() == ".part") return true;
        return false;
    }

    test::CTempDir m_dir;
    test::CLocalHttpServer m_server;
    test::CFakeLauncher m_launcher;
    test::CInstantClock m_clock;
    CRecordingPrompt m_prompt;
    PageContext m_ctx;
    std::unique_ptr<CCurlDownloader> m_pCurl;
    std::unique_ptr<CSupportDlg> m_pPage;
    int m_nQuit = 0;
    std::vector<bool> m_markSignals;
    fs::path m_savedUserDir;
    SupportChoices m_savedChoices;
};

TEST_F(SupportPage, ProgramCheckFromItsButton)
{
    const std::string installer(kMinProgramBytes, 'i');
    m_server.Route("/files/setup.bin", test::Reply(200, installer));
    ServeDesc("/current/", Dev("15", "/files/setup.bin"));
    ServeDesc("/newer/", Dev("16", "/files/setup.bin"));
    ServeDesc("/broken/", Dev("16", "/files/missing.bin"));
    m_server.Route("/garbled/update_version.xml", test::Reply(200, "<update><dev vid=\"1A2B\"</update>"));

    struct Case {
        const char* base;
        std::vector<bool> answers;
        UpdateOutcome outcome;
        std::vector<std::u16string> shown;
        bool bStarted;
    };
    const Case cases[] = {
        {"/current/", {}, UpdateOutcome::UpToDate, {gText.tc_spr(6)}, false},
        {"/newer/", {true}, UpdateOutcome::Started, {gText.tc_spr(7)}, true},
        {"/newer/", {false}, UpdateOutcome::None, {gText.tc_spr(7)}, false},
        {"/broken/", {true}, UpdateOutcome::Failed, {gText.tc_spr(7), gText.tc_spr(10)}, false},
        {"/garbled/", {}, UpdateOutcome::BadDescription, {gText.tc_spr(10)}, false},
        {"/nowhere/", {}, UpdateOutcome::Unreachable, {gText.tc_spr(11)}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.base);
        for (const auto& e : fs::directory_iterator(m_dir.Path())) fs::remove_all(e.path());
        const int nGets = m_server.Requests("/files/setup.bin");
        m_prompt.Clear();
        m_launcher.opened.clear();
        m_nQuit = 0;
        for (const bool b : c.answers) m_prompt.QueueAnswer(b);
        SetBaseUrl(m_server.Url(c.base));

        m_pPage->DriverButton()->click();
        EXPECT_TRUE(m_pPage->IsChecking());
        // The window goes on while the check runs: the button now cancels.
        EXPECT_EQ(m_pPage->DriverButton()->text(), ToQString(gText.tc_cancel));
        EXPECT_FALSE(m_pPage->FirmwareButton()->isEnabled());
        ASSERT_TRUE(WaitIdle());

        EXPECT_EQ(m_pPage->LastOutcome(), c.outcome);
        EXPECT_EQ(Shown(), c.shown);
        EXPECT_EQ(m_pPage->DriverButton()->text(), ToQString(gText.tc_spr(4)));
        EXPECT_TRUE(m_pPage->FirmwareButton()->isEnabled());
        if (c.bStarted) {
            EXPECT_EQ(m_launcher.opened, std::vector<fs::path>{m_dir / "setup.bin"});
            EXPECT_EQ(test::ReadBytes(m_dir / "setup.bin"), installer);
            EXPECT_EQ(m_nQuit, 1);
        } else {
            // Nothing is started, and a "no" fetches nothing.
            EXPECT_TRUE(m_launcher.opened.empty());
            EXPECT_EQ(m_nQuit, 0);
            EXPECT_FALSE(fs::exists(m_dir / "setup.bin"));
            if (c.outcome == UpdateOutcome::None) {
                EXPECT_EQ(m_server.Requests("/files/setup.bin"), nGets);
            }
        }
        EXPECT_FALSE(AnyPartFile());
    }
}

TEST_F(SupportPage, FirmwareCheckWithoutKeyboardOffersAnyNewerFirmware)
{
    const std::string firmware(kMinFirmwareBytes, 'f');
    m_server.Route("/files/kbfw.bin", test::Reply(200, firmware));
    ServeDesc("/", Dev("15", "/files/setup.bin", "15", "/files/kbfw.bin"));
    EXPECT_EQ(m_pPage->FirmwareText(), QStringLiteral("N/A"));
    m_prompt.QueueAnswer(true);

    m_pPage->FirmwareButton()->click();
    EXPECT_FALSE(m_pPage->DriverButton()->isEnabled());
    ASSERT_TRUE(WaitIdle());

    EXPECT_EQ(m_pPage->LastOutcome(), UpdateOutcome::Started);
    EXPECT_EQ(Shown(), std::vector<std::u16string>{gText.tc_spr(8)});
    const fs::path file = m_dir / "3C4D0016" / "kbfw.bin";
    EXPECT_EQ(m_launcher.opened, std::vector<fs::path>{file});
    EXPECT_EQ(test::ReadBytes(file), firmware);
    EXPECT_EQ(m_nQuit, 1);
}

TEST_F(SupportPage, CancelCutsOffTheDownloadAndStartsNothing)
{
    // About two seconds of installer, so that the cancel comes mid-way.
    m_server.Route("/files/setup.bin", test::Reply(200, std::string(kMinProgramBytes, 'i')).Trickle(16384, 30ms));
    ServeDesc("/", Dev("16", "/files/setup.bin"));
    m_prompt.QueueAnswer(true);

    m_pPage->DriverButton()->click();
    ASSERT_TRUE(WaitUntil([&] { return m_pPage->ProgressBar()->Pos() > 0; }));
    EXPECT_TRUE(m_pPage->IsChecking());
    m_pPage->DriverButton()->click();  // the same button, now "Cancel"
    EXPECT_FALSE(m_pPage->IsChecking());
    EXPECT_EQ(m_pPage->LastOutcome(), UpdateOutcome::Cancelled);
    EXPECT_EQ(m_pPage->ProgressBar()->Pos(), 0);

    // Whatever the worker still reports of the cancelled run is dropped, and
    // the cut-off download leaves nothing behind.
    ASSERT_TRUE(test::WaitFor([&] { return !AnyPartFile(); }, 5s));
    for (int i = 0; i < 50; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    EXPECT_TRUE(m_launcher.opened.empty());
    EXPECT_EQ(m_nQuit, 0);
    EXPECT_FALSE(fs::exists(m_dir / "setup.bin"));
    EXPECT_EQ(Shown(), std::vector<std::u16string>{gText.tc_spr(7)});
    EXPECT_EQ(m_pPage->DriverButton()->text(), ToQString(gText.tc_spr(4)));

    // A new check can start at once.
    ServeDesc("/", Dev("15", "/files/setup.bin"));
    m_pPage->DriverButton()->click();
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(m_pPage->LastOutcome(), UpdateOutcome::UpToDate);
}

TEST_F(SupportPage, StartUpCheckOnlyMarks)
{
    ServeDesc("/both/", Dev("16", "/files/setup.bin", "16", "/files/kbfw.bin"));
    ServeDesc("/current/", Dev("15", "/files/setup.bin", "0", "/files/kbfw.bin"));
    m_pPage->resize(m_pPage->size());
    const QImage before = m_pPage->DriverButton()->grab().toImage();

    SetBaseUrl(m_server.Url("/both/"));
    ASSERT_TRUE(m_pPage->StartCheck(kUpdateBoth, false));
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(m_pPage->LastOutcome(), UpdateOutcome::Marked);
    EXPECT_TRUE(Shown().empty());
    EXPECT_TRUE(m_launcher.opened.empty());
    EXPECT_TRUE(m_pPage->HasUpdateMark());
    EXPECT_EQ(m_pPage->UpdateMarks(), 3);
    EXPECT_EQ(m_markSignals, std::vector<bool>{true});
    // The mark is drawn on the check button.
    EXPECT_NE(m_pPage->DriverButton()->grab().toImage(), before);

    if (const QByteArray dir = qgetenv("ZV_SHOT_DIR"); !dir.isEmpty()) {
        m_pPage->ProgressBar()->SetPos(40);
        for (int i = 0; i < 2; ++i) {
            gVar.nSkinsIndex = i;
            skin::SetTheme(skin::ThemeFromOptions());
            skin::ClearImageCache();
            m_pPage->Reskin();
            m_pPage->grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/support-%1.png").arg(i));
        }
        m_pPage->ProgressBar()->SetPos(0);
    }

    // The user's own checks that find each part current take the marks back.
    SetBaseUrl(m_server.Url("/current/"));
    m_pPage->DriverButton()->click();
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(m_pPage->UpdateMarks(), 2);
    m_pPage->FirmwareButton()->click();
    ASSERT_TRUE(WaitIdle());
    EXPECT_FALSE(m_pPage->HasUpdateMark());
    EXPECT_EQ(m_markSignals, (std::vector<bool>{true, false}));
    EXPECT_EQ(Shown(), (std::vector<std::u16string>{gText.tc_spr(6), gText.tc_spr(6)}));
}

TEST_F(SupportPage, NoUpdateAddressTurnsTheCheckOff)
{
    SetBaseUrl("");
    m_pPage->DriverButton()->click();
    EXPECT_FALSE(m_pPage->IsChecking());
    EXPECT_EQ(m_pPage->LastOutcome(), UpdateOutcome::Off);
    EXPECT_EQ(Shown(), std::vector<std::u16string>{kUpdateOffText});
    EXPECT_EQ(m_pPage->DriverButton()->text(), ToQString(gText.tc_spr(4)));
    EXPECT_EQ(m_server.Requests("/update_version.xml"), 0);
}

TEST_F(SupportPage, ChoicesLiveInMemoryAndFollowTheControls)
{
    g_supportChoices = {};
    m_pPage->SyncChoices();
    EXPECT_FALSE(m_pPage->CheckAtStartBox()->isChecked());
    EXPECT_TRUE(m_pPage->QuitRadio()->isChecked());
    EXPECT_FALSE(m_pPage->HideRadio()->isChecked());

    m_pPage->CheckAtStartBox()->click();
    EXPECT_TRUE(g_supportChoices.bCheckAtStart);
    m_pPage->HideRadio()->click();
    EXPECT_EQ(g_supportChoices.nCloseAction, 1);
    EXPECT_FALSE(m_pPage->QuitRadio()->isChecked());
    EXPECT_TRUE(m_pPage->HideRadio()->isChecked());
    // Clicking the chosen one again keeps it chosen.
    m_pPage->HideRadio()->click();
    EXPECT_EQ(g_supportChoices.nCloseAction, 1);
    EXPECT_TRUE(m_pPage->HideRadio()->isChecked());
    m_pPage->QuitRadio()->click();
    EXPECT_EQ(g_supportChoices.nCloseAction, 0);
    EXPECT_TRUE(m_pPage->QuitRadio()->isChecked());
    EXPECT_FALSE(m_pPage->HideRadio()->isChecked());

    // The main window sets them back from the globals.
    g_supportChoices = {false, 1};
    m_pPage->SyncChoices();
    EXPECT_FALSE(m_pPage->CheckAtStartBox()->isChecked());
    EXPECT_TRUE(m_pPage->HideRadio()->isChecked());
    EXPECT_FALSE(m_pPage->QuitRadio()->isChecked());
}

}  // namespace
