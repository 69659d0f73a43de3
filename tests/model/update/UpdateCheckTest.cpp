// The update check with a scripted downloader, launcher and user: what is
// asked, shown, downloaded and started, and that the worker can always be
// cancelled and joined.
#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

#include "TestSupport.h"
#include "model/update/UpdateTestSupport.h"
#include "emu/VirtualClock.h"
#include "core/Gvar.h"
#include "core/Utf.h"
#include "text/TextCatalogue.h"
#include "update/UpdateCheck.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

using test::CFakeLauncher;
using test::CQueueTarget;
using test::CRecordingView;

namespace {

constexpr char kBase[] = "http://upd.test/";
constexpr char kDescUrl[] = "http://upd.test/update_version.xml";

class CFakeDownloader final : public IDownloader {
public:
    struct File {
        std::string body;
        int nFail = 0;        // the error code to fail with
        bool bBlock = false;  // waits until cancelled
    };
    void Serve(const std::string& url, File f)
    {
        std::lock_guard lock(m_mtx);
        m_files[url] = std::move(f);
    }
    std::vector<std::string> Requests() const
    {
        std::lock_guard lock(m_mtx);
        return m_requests;
    }
    bool Blocked() const { return m_bBlocked; }

    DownloadResult Download(const DownloadRequest& req) override
    {
        File f;
        {
            std::lock_guard lock(m_mtx);
            m_requests.push_back(req.strUrl);
            const auto it = m_files.find(req.strUrl);
            if (it == m_files.end()) return {22, 404, false, "not found"};
            f = it->second;
        }
        if (f.bBlock) {
            m_bBlocked = true;
            for (int i = 0; i < 10000 && !req.cancelled(); ++i) std::this_thread::sleep_for(1ms);
            return {42, 200, true, "cancelled"};
        }
        if (f.nFail) return {f.nFail, 0, false, "failed"};
        if (req.nMaxBytes && f.body.size() > req.nMaxBytes) return {63, 200, false, "too large"};
        if (req.progress) {
            req.progress(0);
            req.progress(50);
            req.progress(100);
        }
        test::WriteBytes(req.path, f.body);
        return {};
    }

private:
    mutable std::mutex m_mtx;
    std::map<std::string, File> m_files;
    std::vector<std::string> m_requests;
    std::atomic<bool> m_bBlocked{false};
};

std::string Desc(const std::string& entries) { return "<?xml version=\"1.0\"?>\n<update>" + entries + "</update>"; }

std::string Dev(const std::string& drvver, const std::string& fwver, const std::string& tag = "a")
{
    return "<dev vid=\"1A2B\" pid=\"3C4D\" drvver=\"" + drvver + "\" driver=\"http://upd.test/" + tag +
           "/setup.bin\" fwver=\"" + fwver + "\" fw=\"http://upd.test/" + tag + "/kbfw.bin\"/>";
}

class UpdateCheckTest : public ::testing::Test {
protected:
    UpdateSnapshot Snap() const
    {
        UpdateSnapshot s;
        s.userDir = m_dir.Path();
        s.strBaseUrl = kBase;
        s.nVer = 0x15;
        s.nKbVid = 0x1A2B;
        s.nKbPid = 0x3C4D;
        s.nKbVer = 0x0105;
        s.nKbModel = 22;
        s.strCaption = u"Zorvik";
        s.strUpToDate = u"UPTODATE";
        s.strAskProgram = u"ASKPROG";
        s.strAskFirmware = u"ASKFW";
        s.strFailed = u"FAILED";
        s.strUnreachable = u"UNREACHABLE";
        return s;
    }
    void ServeDesc(const std::string& entries) { m_net.Serve(kDescUrl, {Desc(entries)}); }
    // Runs a check to its end and returns how it ended.
    UpdateOutcome Run(int nType, bool bUser)
    {
        EXPECT_TRUE(m_check.Start(nType, bUser, Snap()));
        EXPECT_TRUE(m_target.Pump(m_check));
        return m_view.outcomes.empty() ? UpdateOutcome::None : m_view.outcomes.back();
    }
    std::vector<std::u16string> Shown() const
    {
        std::vector<std::u16string> v;
        for (const auto& e : m_prompt.Entries()) v.push_back(e.text);
        return v;
    }
    fs::path FwDir() const { return m_dir / "3C4D0016"; }

    test::CTempDir m_dir;
    CFakeDownloader m_net;
    CFakeLauncher m_launcher;
    CVirtualClock m_clock;
    CQueueTarget m_target;
    CRecordingPrompt m_prompt;
    CRecordingView m_view;
    CUpdateCheck m_check{m_net, m_launcher, m_clock, m_target, m_prompt, m_view};
};

using Texts = std::vector<std::u16string>;

TEST_F(UpdateCheckTest, UpToDateIsSaidOnlyToTheUser)
{
    ServeDesc(Dev("15", "15"));
    EXPECT_EQ(Run(kUpdateProgram, true), UpdateOutcome::UpToDate);
    EXPECT_EQ(Shown(), Texts{u"UPTODATE"});
    EXPECT_EQ(m_net.Requests(), std::vector<std::string>{kDescUrl});
    EXPECT_EQ(m_clock.TotalSlept(), 1000ms);  // the pause before the first download
    EXPECT_TRUE(fs::exists(m_dir / "update_version.xml"));

    m_prompt.Clear();
    EXPECT_EQ(Run(kUpdateBoth, false), UpdateOutcome::UpToDate);
    EXPECT_TRUE(Shown().empty());
    EXPECT_TRUE(m_view.marks.empty());
}

TEST_F(UpdateCheckTest, NewerProgramIsDownloadedAndStartedAfterYes)
{
    ServeDesc(Dev("16", "15"));
    m_net.Serve("http://upd.test/a/setup.bin", {std::string(kMinProgramBytes, 'x')});
    m_prompt.QueueAnswer(true);
    EXPECT_EQ(Run(kUpdateProgram, true), UpdateOutcome::Started);
    EXPECT_EQ(Shown(), Texts{u"ASKPROG"});
    EXPECT_EQ(m_prompt.Entries()[0].caption, u"Zorvik");
    const fs::path file = m_dir / "setup.bin";
    EXPECT_EQ(m_launcher.opened, std::vector<fs::path>{file});
    EXPECT_EQ(m_check.DrvFile(), file);
    EXPECT_EQ(fs::file_size(file), kMinProgramBytes);
    EXPECT_EQ(m_view.nQuit, 1);
    EXPECT_EQ(m_view.progress, (std::vector<int>{0, 0, 50, 100}));  // reset after the description, then the file
}

TEST_F(UpdateCheckTest, NothingIsDownloadedOrStartedWithoutYes)
{
    ServeDesc(Dev("16", "16"));
    m_net.Serve("http://upd.test/a/setup.bin", {std::string(kMinProgramBytes, 'x')});
    m_net.Serve("http://upd.test/a/kbfw.bin", {std::string(kMinFirmwareBytes, 'f')});
    for (const int nType : {kUpdateProgram, kUpdateFirmware, kUpdateBoth}) {
        EXPECT_EQ(Run(nType, true), UpdateOutcome::None) << nType;  // the default answer is no
    }
    EXPECT_EQ(Shown(), (Texts{u"ASKPROG", u"ASKFW", u"ASKPROG", u"ASKFW"}));
    EXPECT_EQ(m_net.Requests(), (std::vector<std::string>(3, kDescUrl)));
    EXPECT_TRUE(m_launcher.opened.empty());
    EXPECT_EQ(m_view.nQuit, 0);
}

TEST_F(UpdateCheckTest, NewerFirmwareGoesToTheKeyboardsFolder)
{
    ServeDesc(Dev("15", "16"));
    m_net.Serve("http://upd.test/a/kbfw.bin", {std::string(kMinFirmwareBytes, 'f')});
    m_prompt.QueueAnswer(true);
    EXPECT_EQ(Run(kUpdateFirmware, true), UpdateOutcome::Started);
    EXPECT_EQ(Shown(), Texts{u"ASKFW"});
    EXPECT_EQ(m_launcher.opened, std::vector<fs::path>{FwDir() / "kbfw.bin"});
    EXPECT_EQ(m_check.FwFile(), FwDir() / "kbfw.bin");
}

TEST_F(UpdateCheckTest, StartupCheckOnlyMarks)
{
    ServeDesc(Dev("16", "16"));
    EXPECT_EQ(Run(kUpdateBoth, false), UpdateOutcome::Marked);
    EXPECT_EQ(m_view.marks, (std::vector<int>{1, 2}));
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(m_net.Requests(), std::vector<std::string>{kDescUrl});
    EXPECT_TRUE(m_launcher.opened.empty());

    // A current program does not hide a newer firmware.
    m_view.marks.clear();
    ServeDesc(Dev("15", "16"));
    EXPECT_EQ(Run(kUpdateBoth, false), UpdateOutcome::Marked);
    EXPECT_EQ(m_view.marks, (std::vector<int>{2}));
}

TEST_F(UpdateCheckTest, NoToTheFirstEntryAsksTheSecond)
{
    ServeDesc(Dev("16", "15", "a") + Dev("17", "15", "b"));
    m_net.Serve("http://upd.test/b/setup.bin", {std::string(kMinProgramBytes, 'b')});
    m_prompt.QueueAnswer(false);
    m_prompt.QueueAnswer(true);
    EXPECT_EQ(Run(kUpdateProgram, true), UpdateOutcome::Started);
    EXPECT_EQ(Shown(), (Texts{u"ASKPROG", u"ASKPROG"}));
    EXPECT_EQ(m_net.Requests(), (std::vector<std::string>{kDescUrl, "http://upd.test/b/setup.bin"}));
    EXPECT_EQ(m_launcher.opened, std::vector<fs::path>{m_dir / "setup.bin"});
}

TEST_F(UpdateCheckTest, FailuresTellTheUserAndStartNothing)
{
    struct Case {
        const char* what;
        std::string desc;        // empty: the description is not served (404)
        int nFileFail;           // the installer download fails with this code
        UpdateOutcome outcome;
        Texts texts;
    };
    const Case cases[] = {
        {"description not found", "", 0, UpdateOutcome::Unreachable, {u"UNREACHABLE"}},
        {"description not well-formed", "<update><dev vid=\"1A2B\"", 0, UpdateOutcome::BadDescription, {u"FAILED"}},
        {"an error page", "<html><body>Service unavailable</body>", 0, UpdateOutcome::BadDescription, {u"FAILED"}},
        {"installer download fails", Desc(Dev("16", "15")), 18, UpdateOutcome::Failed, {u"ASKPROG", u"FAILED"}},
        {"installer not on the server", Desc(Dev("16", "15")), -1, UpdateOutcome::Failed, {u"ASKPROG", u"FAILED"}},
    };
    for (const Case& c : cases) {
        CFakeDownloader net;
        if (!c.desc.empty()) net.Serve(kDescUrl, {c.desc});
        if (c.nFileFail > 0) net.Serve("http://upd.test/a/setup.bin", {"", c.nFileFail});
        CRecordingPrompt prompt;
        prompt.QueueAnswer(true);
        CRecordingView view;
        CUpdateCheck check(net, m_launcher, m_clock, m_target, prompt, view);
        ASSERT_TRUE(check.Start(kUpdateProgram, true, Snap())) << c.what;
        ASSERT_TRUE(m_target.Pump(check)) << c.what;
        EXPECT_EQ(view.outcomes, std::vector<UpdateOutcome>{c.outcome}) << c.what;
        Texts texts;
        for (const auto& e : prompt.Entries()) texts.push_back(e.text);
        EXPECT_EQ(texts, c.texts) << c.what;
        EXPECT_FALSE(fs::exists(m_dir / "setup.bin")) << c.what;
    }
    EXPECT_TRUE(m_launcher.opened.empty());
}

TEST_F(UpdateCheckTest, SizeThresholds)
{
    struct Case {
        int nType;
        size_t nBytes;
        bool bStarted;
        bool bKept;
    };
    const Case cases[] = {
        {kUpdateProgram, 1048575, false, true},   // refused, the file stays
        {kUpdateProgram, 1048576, true, true},
        {kUpdateFirmware, 102399, false, false},  // refused and deleted
        {kUpdateFirmware, 102400, true, true},
    };
    ServeDesc(Dev("16", "16"));
    for (const Case& c : cases) {
        const bool bFw = c.nType == kUpdateFirmware;
        const fs::path file = bFw ? FwDir() / "kbfw.bin" : m_dir / "setup.bin";
        fs::remove(file);
        m_net.Serve(bFw ? "http://upd.test/a/kbfw.bin" : "http://upd.test/a/setup.bin", {std::string(c.nBytes, 'z')});
        m_prompt.Clear();
        m_launcher.opened.clear();
        m_prompt.QueueAnswer(true);
        EXPECT_EQ(Run(c.nType, true), c.bStarted ? UpdateOutcome::Started : UpdateOutcome::Failed) << c.nBytes;
        EXPECT_EQ(m_launcher.opened.size(), c.bStarted ? 1u : 0u) << c.nBytes;
        EXPECT_EQ(fs::exists(file), c.bKept) << c.nBytes;
        if (!c.bStarted) {
            EXPECT_EQ(Shown().back(), u"FAILED") << c.nBytes;
        }
    }
    EXPECT_EQ(m_view.nQuit, 2);
}

TEST_F(UpdateCheckTest, ACompleteFileIsNotDownloadedAgain)
{
    ServeDesc(Dev("16", "15"));
    test::WriteBytes(m_dir / "setup.bin", std::string(kMinProgramBytes, 'o'));
    m_prompt.QueueAnswer(true);
    EXPECT_EQ(Run(kUpdateProgram, true), UpdateOutcome::Started);
    EXPECT_EQ(m_net.Requests(), std::vector<std::string>{kDescUrl});
    EXPECT_EQ(m_launcher.opened, std::vector<fs::path>{m_dir / "setup.bin"});
}

TEST_F(UpdateCheckTest, AnInstallerRefusedEarlierIsFetchedAgain)
{
    ServeDesc(Dev("16", "15"));
    test::WriteBytes(m_dir / "setup.bin", std::string(kMinProgramBytes - 1, 'o'));  // kept after a refusal
    m_net.Serve("http://upd.test/a/setup.bin", {std::string(kMinProgramBytes, 'n')});
    m_prompt.QueueAnswer(true);
    EXPECT_EQ(Run(kUpdateProgram, true), UpdateOutcome::Started);
    EXPECT_EQ(m_net.Requests(), (std::vector<std::string>{kDescUrl, "http://upd.test/a/setup.bin"}));
    EXPECT_EQ(fs::file_size(m_dir / "setup.bin"), kMinProgramBytes);
}

TEST_F(UpdateCheckTest, AFailedLaunchKeepsTheProgramRunning)
{
    ServeDesc(Dev("16", "15"));
    m_net.Serve("http://upd.test/a/setup.bin", {std::string(kMinProgramBytes, 'x')});
    m_launcher.bSucceed = false;
    m_prompt.QueueAnswer(true);
    EXPECT_EQ(Run(kUpdateProgram, true), UpdateOutcome::Failed);
    EXPECT_EQ(m_launcher.opened.size(), 1u);
    EXPECT_EQ(m_view.nQuit, 0);
    EXPECT_EQ(Shown(), (Texts{u"ASKPROG", u"FAILED"}));
}

TEST_F(UpdateCheckTest, AHostileFileNameIsNeitherAskedNorFetched)
{
    for (const char* url : {"http://upd.test/..%2f..%2fevil.bin", "http://upd.test/files/", "http://upd.test/%2e%2e"}) {
        ServeDesc(std::string("<dev vid=\"1A2B\" pid=\"3C4D\" drvver=\"16\" driver=\"") + url + "\"/>");
        m_prompt.Clear();
        EXPECT_EQ(Run(kUpdateProgram, true), UpdateOutcome::Failed) << url;
        EXPECT_EQ(Shown(), Texts{u"FAILED"}) << url;
    }
    for (const std::string& r : m_net.Requests()) EXPECT_EQ(r, kDescUrl);
    EXPECT_FALSE(fs::exists(m_dir.Path().parent_path() / "evil.bin"));
}

TEST_F(UpdateCheckTest, NoAddressTurnsTheCheckOff)
{
    UpdateSnapshot s = Snap();
    s.strBaseUrl = "";
    EXPECT_FALSE(m_check.Start(kUpdateProgram, true, s));
    EXPECT_EQ(Shown(), Texts{kUpdateOffText});
    s.strBaseUrl = "updates/";
    EXPECT_FALSE(m_check.Start(kUpdateBoth, false, s));  // the start-up check stays silent
    EXPECT_EQ(Shown().size(), 1u);
    EXPECT_EQ(m_view.outcomes, (std::vector<UpdateOutcome>{UpdateOutcome::Off, UpdateOutcome::Off}));
    EXPECT_FALSE(m_check.IsRunning());
    EXPECT_TRUE(m_net.Requests().empty());
}

TEST_F(UpdateCheckTest, OneRunAtATime)
{
    ServeDesc(Dev("15", "15"));
    ASSERT_TRUE(m_check.Start(kUpdateProgram, true, Snap()));
    EXPECT_FALSE(m_check.Start(kUpdateFirmware, true, Snap()));
    ASSERT_TRUE(m_target.Pump(m_check));
    EXPECT_EQ(m_view.outcomes, std::vector<UpdateOutcome>{UpdateOutcome::UpToDate});
    EXPECT_EQ(m_net.Requests().size(), 1u);
    EXPECT_TRUE(m_check.Start(kUpdateFirmware, true, Snap()));  // again once it has ended
    ASSERT_TRUE(m_target.Pump(m_check));
}

TEST_F(UpdateCheckTest, CancelCutsOffTheDownloadAndDropsItsResults)
{
    ServeDesc(Dev("16", "15"));
    m_net.Serve("http://upd.test/a/setup.bin", {"", 0, true});
    m_prompt.QueueAnswer(true);
    ASSERT_TRUE(m_check.Start(kUpdateProgram, true, Snap()));
    // Hand over messages until the installer download hangs.
    ASSERT_TRUE(m_target.PumpUntil(m_check, [&] { return m_net.Blocked(); }));
    EXPECT_TRUE(m_check.IsRunning());
    m_check.Cancel();
    EXPECT_FALSE(m_check.IsRunning());
    EXPECT_EQ(m_view.outcomes, std::vector<UpdateOutcome>{UpdateOutcome::Cancelled});

    // The worker comes free and a new run works; the old run's failure is not shown.
    ServeDesc(Dev("15", "15"));
    EXPECT_EQ(Run(kUpdateProgram, true), UpdateOutcome::UpToDate);
    EXPECT_EQ(Shown(), (Texts{u"ASKPROG", u"UPTODATE"}));
    EXPECT_TRUE(m_launcher.opened.empty());
}

TEST(UpdateCheck, DestroyingTheCheckStopsAHangingDownload)
{
    test::CTempDir dir;
    CFakeDownloader net;
    net.Serve(kDescUrl, {"", 0, true});
    CFakeLauncher launcher;
    CVirtualClock clock;
    CQueueTarget target;
    CRecordingPrompt prompt;
    CRecordingView view;
    {
        CUpdateCheck check(net, launcher, clock, target, prompt, view);
        UpdateSnapshot s;
        s.userDir = dir.Path();
        s.strBaseUrl = kBase;
        ASSERT_TRUE(check.Start(kUpdateBoth, false, s));
        ASSERT_TRUE(test::WaitFor([&] { return net.Blocked(); }));
    }  // joins: the download sees the cancel and returns
    EXPECT_TRUE(prompt.Entries().empty());
}

}  // namespace

namespace {

TEST(UpdateCheck, SnapshotFromTheGlobalState)
{
    const GlobalVar savedVar = gVar;
    const CTextTable savedText = gText;
    const fs::path savedUserDir = g_szUserDir;
    CopyToFixed(gVar.szUpateUrl, u"http://upd.test/zorvik/");
    gVar.nVer = 0x0105;
    gVar.Kb.nVID = 0x258A;
    gVar.Kb.nPID = 0x0C45;
    gVar.pszTitle = u"Zorvik Title";
    g_szUserDir = "/home/u/.local/share/zorvik";
    for (int i = 1; i <= 20; ++i) gText.tc_spr.items[size_t(i - 1)] = u"spr" + Utf8ToU16(std::to_string(i));

    const UpdateSnapshot s = UpdateSnapshotFromGlobals(0x0104, 22);
    EXPECT_EQ(s.strBaseUrl, "http://upd.test/zorvik/");
    EXPECT_EQ(s.nVer, 0x0105);
    EXPECT_EQ(s.nKbVid, 0x258A);
    EXPECT_EQ(s.nKbPid, 0x0C45);
    EXPECT_EQ(s.nKbVer, 0x0104);
    EXPECT_EQ(s.nKbModel, 22);
    EXPECT_EQ(s.userDir, g_szUserDir);
    EXPECT_EQ(s.strCaption, u"Zorvik Title");
    EXPECT_EQ(s.strUpToDate, u"spr6");
    EXPECT_EQ(s.strAskProgram, u"spr7");
    EXPECT_EQ(s.strAskFirmware, u"spr8");
    EXPECT_EQ(s.strFailed, u"spr10");
    EXPECT_EQ(s.strUnreachable, u"spr11");
    EXPECT_EQ(s.startDelay, 1000ms);

    gVar = savedVar;
    gText = savedText;
    g_szUserDir = savedUserDir;
}

}  // namespace
