// zorvikctl update-check against a scripted server on 127.0.0.1.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

#include "TestSupport.h"
#include "platform/LocalHttpServer.h"

namespace fs = std::filesystem;

namespace {

struct CtlResult { int nExit; std::string strOut, strErr; };

class ZorvikCtlUpdateTest : public ::testing::Test {
protected:
    ZorvikCtlUpdateTest()
    {
        // The shipped configuration: keyboard 258A:0C45, program version 0x0100.
        fs::create_directories(m_home / "app");
        fs::copy_file(test::SourceDir() / "data" / "cfg.ini", m_home / "app" / "cfg.ini");
        fs::copy(test::SourceDir() / "data" / "text", m_home / "app" / "text", fs::copy_options::recursive);
    }
    CtlResult Run(const QStringList& args)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", QString::fromStdString(m_home.Path().string()));
        env.insert("XDG_DATA_HOME", QString::fromStdString((m_home / "data").string()));
        p.setProcessEnvironment(env);
        QStringList all = {"--app-dir", QString::fromStdString((m_home / "app").string()), "--user-dir",
                           QString::fromStdString((m_home / "user").string()), "update-check"};
        all += args;
        p.start(QString::fromStdString((test::AppDir() / "zorvikctl").string()), all);
        EXPECT_TRUE(p.waitForFinished(30000));
        return {p.exitCode(), p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
    }
    QString Url(const std::string& path) const { return QString::fromStdString(m_server.Url(path)); }

    test::CTempDir m_home;
    test::CLocalHttpServer m_server;
};

TEST_F(ZorvikCtlUpdateTest, PrintsWhatWouldBeOfferedAndDownloadsNothingElse)
{
    m_server.Route("/u/update_version.xml",
                   test::Reply(200, "<update><dev vid=\"258A\" pid=\"1111\" drvver=\"999\"/>"
                                    "<dev vid=\"258A\" pid=\"0C45\" drvver=\"101\" driver=\"" + m_server.Url("/setup.bin") +
                                    "\" fwver=\"15\" fw=\"" + m_server.Url("/fw.bin") + "\"/></update>"));
    const CtlResult r = Run({"--url", Url("/u"), "--kb-ver", "0104"});
    EXPECT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "keyboard 258A:0C45, program 0x100, firmware 0x0104\n"
                        "program: newer version, entry 2, " + m_server.Url("/setup.bin") + "\n"
                        "firmware: newer version, entry 2, " + m_server.Url("/fw.bin") + "\n");
    EXPECT_EQ(m_server.Requests("/u/update_version.xml"), 1);
    EXPECT_EQ(m_server.Requests("/setup.bin") + m_server.Requests("/fw.bin"), 0);
    EXPECT_FALSE(fs::exists(m_home / "user" / "update_version.xml"));

    const CtlResult current = Run({"--url", Url("/u/"), "--kb-ver", "0105"});
    EXPECT_EQ(current.nExit, 0) << current.strErr;
    EXPECT_EQ(current.strOut, "keyboard 258A:0C45, program 0x100, firmware 0x0105\n"
                              "program: newer version, entry 2, " + m_server.Url("/setup.bin") + "\n"
                              "firmware: up to date, entry 2\n");
}

TEST_F(ZorvikCtlUpdateTest, Failures)
{
    m_server.Route("/bad/update_version.xml", test::Reply(200, "<update><dev vid=\"258A\""));
    struct Case { QStringList args; int nExit; const char* err; };
    const Case cases[] = {
        {{"--url", Url("/missing/")}, 1, "cannot download"},
        {{"--url", Url("/bad/")}, 1, "not a well-formed update description"},
        {{"--url", ""}, 1, "The update check is off"},
        {{"--url", "updates/"}, 1, "is not an http or https address"},
        {{"--kb-ver", "V1.5"}, 2, "--kb-ver"},
        {{"--verbose"}, 2, "usage"},
    };
    for (const Case& c : cases) {
        const CtlResult r = Run(c.args);
        EXPECT_EQ(r.nExit, c.nExit) << c.err << ": " << r.strErr;
        EXPECT_NE(r.strErr.find(c.err), std::string::npos) << r.strErr;
    }
}

}  // namespace
