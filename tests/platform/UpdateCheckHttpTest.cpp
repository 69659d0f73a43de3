// The whole update check over HTTP: the check, the libcurl downloader and a
// scripted server on 127.0.0.1, with the user's answers scripted.
#include <gtest/gtest.h>

#include "LocalHttpServer.h"
#include "TestSupport.h"
#include "model/update/UpdateTestSupport.h"
#include "platform/CurlDownloader.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

class UpdateCheckHttp : public ::testing::Test {
protected:
    UpdateCheckHttp()
    {
        CurlDownloaderCfg cfg;
        cfg.connectTimeout = 2000ms;
        cfg.lowSpeedTime = 1s;
        cfg.totalTimeout = 20000ms;
        m_pCurl = std::make_unique<CCurlDownloader>(cfg);
        m_pCheck = std::make_unique<CUpdateCheck>(*m_pCurl, m_launcher, m_clock, m_target, m_prompt, m_view);
    }
    UpdateSnapshot Snap(const std::string& base) const
    {
        UpdateSnapshot s;
        s.userDir = m_dir.Path();
        s.strBaseUrl = m_server.Url(base);
        s.nVer = 0x15;
        s.nKbVid = 0x1A2B;
        s.nKbPid = 0x3C4D;
        s.nKbVer = 0x0105;
        s.nKbModel = 22;
        s.strUpToDate = u"UPTODATE";
        s.strAskProgram = u"ASKPROG";
        s.strAskFirmware = u"ASKFW";
        s.strFailed = u"FAILED";
        s.strUnreachable = u"UNREACHABLE";
        return s;
    }
    std::string Dev(const std::string& drvver, const std::string& driver, const std::string& fwver,
                    const std::string& fw) const
    {
        return "<dev vid=\"1A2B\" pid=\"3C4D\" drvver=\"" + drvver + "\" driver=\"" + m_server.Url(driver) +
               "\" fwver=\"" + fwver + "\" fw=\"" + m_server.Url(fw) + "\"/>";
    }
    void ServeDesc(const std::string& base, const std::string& entries)
    {
        m_server.Route(base + "update_version.xml", test::Reply(200, "<?xml version=\"1.0\"?><update>" + entries + "</update>"));
    }
    UpdateOutcome Run(const std::string& base, int nType, bool bUser, std::vector<bool> answers = {})
    {
        m_prompt.Clear();
        m_view.outcomes.clear();
        for (const bool b : answers) m_prompt.QueueAnswer(b);
        EXPECT_TRUE(m_pCheck->Start(nType, bUser, Snap(base)));
        EXPECT_TRUE(m_target.Pump(*m_pCheck, 20s));
        return m_view.outcomes.empty() ? UpdateOutcome::None : m_view.outcomes.back();
    }
    std::vector<std::u16string> Shown() const
    {
        std::vector<std::u16string> v;
        for (const auto& e : m_prompt.Entries()) v.push_back(e.text);
        return v;
    }

    test::CTempDir m_dir;
    test::CLocalHttpServer m_server;
    test::CFakeLauncher m_launcher;
    test::CInstantClock m_clock;
    test::CQueueTarget m_target;
    CRecordingPrompt m_prompt;
    test::CRecordingView m_view;
    std::unique_ptr<CCurlDownloader> m_pCurl;
    std::unique_ptr<CUpdateCheck> m_pCheck;  // destroyed first
};

using Texts = std::vector<std::u16string>;

TEST_F(UpdateCheckHttp, Outcomes)
{
    const std::string installer(kMinProgramBytes, 'i'), firmware(kMinFirmwareBytes, 'f');
    m_server.Route("/files/setup.bin", test::Reply(200, installer));
    m_server.Route("/files/kbfw.bin", test::Reply(200, firmware));
    m_server.Route("/files/cut.bin", test::Reply(200, installer).CutAfter(4000));
    m_server.Route("/files/small.bin", test::Reply(200, std::string(kMinProgramBytes - 1, 's')));
    m_server.Route("/files/loop.bin", test::Reply(302, "", {"Location: /files/loop.bin"}));
    ServeDesc("/current/", Dev("15", "/files/setup.bin", "15", "/files/kbfw.bin"));
    ServeDesc("/program/", Dev("16", "/files/setup.bin", "15", "/files/kbfw.bin"));
    ServeDesc("/firmware/", Dev("15", "/files/setup.bin", "16", "/files/kbfw.bin"));
    ServeDesc("/both/", Dev("16", "/files/setup.bin", "16", "/files/kbfw.bin"));
    ServeDesc("/two/", Dev("16", "/files/missing.bin", "15", "") + Dev("17", "/files/setup.bin", "15", ""));
    ServeDesc("/cut/", Dev("16", "/files/cut.bin", "15", ""));
    ServeDesc("/small/", Dev("16", "/files/small.bin", "15", ""));
    ServeDesc("/loop/", Dev("16", "/files/loop.bin", "15", ""));
    ServeDesc("/hostile/", Dev("16", "/files/..%2f..%2fevil.bin", "15", ""));
    m_server.Route("/stall/update_version.xml", test::Reply(200, "<update/>").Stall(10000ms));
    m_server.Route("/dloop/update_version.xml", test::Reply(302, "", {"Location: /dloop/update_version.xml"}));

    struct Case {
        const char* base;
        int nType;
        bool bUser;
        std::vector<bool> answers;
        UpdateOutcome outcome;
        Texts texts;
        const char* started;  // the file started, relative to the user folder
    };
    const Case cases[] = {
        {"/current/", kUpdateBoth, true, {}, UpdateOutcome::UpToDate, {u"UPTODATE"}, nullptr},
        {"/program/", kUpdateProgram, true, {true}, UpdateOutcome::Started, {u"ASKPROG"}, "setup.bin"},
        {"/firmware/", kUpdateFirmware, true, {true}, UpdateOutcome::Started, {u"ASKFW"}, "3C4D0016/kbfw.bin"},
        {"/both/", kUpdateBoth, false, {}, UpdateOutcome::Marked, {}, nullptr},
        {"/both/", kUpdateBoth, true, {false, false}, UpdateOutcome::None, {u"ASKPROG", u"ASKFW"}, nullptr},
        {"/two/", kUpdateProgram, true, {false, true}, UpdateOutcome::Started, {u"ASKPROG", u"ASKPROG"}, "setup.bin"},
        {"/two/", kUpdateProgram, true, {true}, UpdateOutcome::Failed, {u"ASKPROG", u"FAILED"}, nullptr},  // 404
        {"/cut/", kUpdateProgram, true, {true}, UpdateOutcome::Failed, {u"ASKPROG", u"FAILED"}, nullptr},
        {"/small/", kUpdateProgram, true, {true}, UpdateOutcome::Failed, {u"ASKPROG", u"FAILED"}, nullptr},
        {"/loop/", kUpdateProgram, true, {true}, UpdateOutcome::Failed, {u"ASKPROG", u"FAILED"}, nullptr},
        {"/hostile/", kUpdateProgram, true, {true}, UpdateOutcome::Failed, {u"FAILED"}, nullptr},
        {"/missing/", kUpdateBoth, true, {}, UpdateOutcome::Unreachable, {u"UNREACHABLE"}, nullptr},
        {"/stall/", kUpdateBoth, true, {}, UpdateOutcome::Unreachable, {u"UNREACHABLE"}, nullptr},
        {"/dloop/", kUpdateBoth, true, {}, UpdateOutcome::Unreachable, {u"UNREACHABLE"}, nullptr},
    };
    for (const Case& c : cases) {
        // Each case starts from an empty user folder.
        for (const auto& entry : fs::directory_iterator(m_dir.Path())) fs::remove_all(entry.path());
        m_launcher.opened.clear();
        EXPECT_EQ(Run(c.base, c.nType, c.bUser, c.answers), c.outcome) << c.base;
        EXPECT_EQ(Shown(), c.texts) << c.base;
        if (c.started) {
            const fs::path file = m_dir / c.started;
            EXPECT_EQ(m_launcher.opened, std::vector<fs::path>{file}) << c.base;
            EXPECT_EQ(test::ReadBytes(file), c.nType == kUpdateFirmware ? firmware : installer) << c.base;
        } else {
            EXPECT_TRUE(m_launcher.opened.empty()) << c.base;
        }
        // No partial download anywhere in the user folder.
        for (const auto& entry : fs::recursive_directory_iterator(m_dir.Path()))
            EXPECT_NE(entry.path().extension(), ".part") << c.base << " " << entry.path();
    }
    EXPECT_FALSE(fs::exists(m_dir.Path().parent_path() / "evil.bin"));
    EXPECT_EQ(m_view.nQuit, 3);
}

}  // namespace
