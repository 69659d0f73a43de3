// The programs as a user starts them: real processes on the built application
// folder, with a private home so nothing touches the real user's files.
#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <filesystem>

#include "TestSupport.h"

namespace fs = std::filesystem;

namespace {

class ProgramTest : public ::testing::Test {
protected:
    QProcessEnvironment Env() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", QString::fromStdString(m_home.Path().string()));
        env.insert("XDG_DATA_HOME", QString::fromStdString((m_home / "data").string()));
        env.insert("XDG_RUNTIME_DIR", QString::fromStdString((m_home / "run").string()));
        env.insert("XDG_CONFIG_HOME", QString::fromStdString((m_home / "config").string()));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        return env;
    }
    void SetUp() override
    {
        fs::create_directories(m_home / "run");
        fs::permissions(m_home / "run", fs::perms::owner_all, fs::perm_options::replace);
    }
    // The per-user folder the demo installation uses (appdir=Zorvik).
    fs::path UserDir() const { return m_home / "data" / "Zorvik"; }

    struct Result { int nExit; QString strOut, strErr; };
    Result RunCtl(const QStringList& args, int nTimeoutMs = 20000)
    {
        QProcess p;
        p.setProcessEnvironment(Env());
        p.start(QString::fromStdString((test::AppDir() / "zorvikctl").string()), args);
        EXPECT_TRUE(p.waitForFinished(nTimeoutMs));
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }
    QString Zorvik() const { return QString::fromStdString((test::AppDir() / "zorvik").string()); }

    test::CTempDir m_home;
};

TEST_F(ProgramTest, TitleFollowsTheChosenLanguage)
{
    const QString strAppDir = QString::fromStdString(test::AppDir().string());
    const Result en = RunCtl({"--app-dir", strAppDir, "text", "tc_title"});
    ASSERT_EQ(en.nExit, 0) << en.strErr.toStdString();
    EXPECT_FALSE(en.strOut.trimmed().isEmpty());

    fs::create_directories(UserDir());
    test::WriteBytes(UserDir() / "lang.ini", "[OPT]\r\nLangIndex=1\r\n");
    const Result de = RunCtl({"--app-dir", strAppDir, "text", "tc_title"});
    ASSERT_EQ(de.nExit, 0) << de.strErr.toStdString();
    EXPECT_FALSE(de.strOut.trimmed().isEmpty());
    EXPECT_NE(en.strOut, de.strOut);

    const Result missing = RunCtl({"--app-dir", strAppDir, "text", "tc_no_such_key"});
    EXPECT_EQ(missing.nExit, 1);
    EXPECT_EQ(RunCtl({"text"}).nExit, 2);
    EXPECT_EQ(RunCtl({"frobnicate"}).nExit, 2);
}

TEST_F(ProgramTest, ScreenshotShowsTheTitledWindowAndLogsTheLaunch)
{
    const fs::path png = m_home / "out.png";
    QProcess p;
    p.setProcessEnvironment(Env());
    p.start(Zorvik(), {"--screenshot", QString::fromStdString(png.string())});
    ASSERT_TRUE(p.waitForFinished(30000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const QImage img(QString::fromStdString(png.string()));
    ASSERT_FALSE(img.isNull());
    EXPECT_GT(img.width(), 100);

    const std::string strLog = test::ReadBytes(UserDir() / "Log.txt");
    EXPECT_NE(strLog.find("--------------------------------------------------\n"), std::string::npos);
    EXPECT_NE(strLog.find("Launch "), std::string::npos) << strLog;
    EXPECT_NE(strLog.find("Driver exit"), std::string::npos) << strLog;
}

// The demo runs on the virtual devices through the device hub: discovery finds
// the virtual mouse on its own thread, and the mouse's on-board state is kept
// in the per-user folder, where the command-line tool finds it afterwards.
TEST_F(ProgramTest, DemoFindsTheVirtualDevicesAndKeepsTheirState)
{
    const fs::path png = m_home / "demo.png";
    QProcess p;
    p.setProcessEnvironment(Env());
    p.start(Zorvik(), {"--demo", "--screenshot", QString::fromStdString(png.string())});
    ASSERT_TRUE(p.waitForFinished(30000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_FALSE(QImage(QString::fromStdString(png.string())).isNull());
    const std::string strLog = test::ReadBytes(UserDir() / "Log.txt");
    EXPECT_NE(strLog.find("DeviceHub: wired mouse found=1"), std::string::npos) << strLog;
    EXPECT_TRUE(fs::is_regular_file(UserDir() / "emu" / "mirex.state"));
    const Result state = RunCtl({"--emulate", "emu-state"});
    ASSERT_EQ(state.nExit, 0) << state.strErr.toStdString();
    EXPECT_NE(state.strOut.indexOf("== mirex =="), -1) << state.strOut.toStdString();

    // Without --demo the program looks for real devices (there are none here).
    QProcess real;
    real.setProcessEnvironment(Env());
    real.start(Zorvik(), {"--screenshot", QString::fromStdString((m_home / "real.png").string())});
    ASSERT_TRUE(real.waitForFinished(30000));
    EXPECT_EQ(real.exitCode(), 0);
    EXPECT_NE(test::ReadBytes(UserDir() / "Log.txt").find("DeviceHub: wired mouse found=0"), std::string::npos);
}

TEST_F(ProgramTest, SecondCopyWakesTheFirstAndShowsNothing)
{
    // Another session of the machine (its own runtime folder) runs its own
    // first copy at the same time; it must neither take this session's name
    // nor be woken by it.
    test::CTempDir other;
    fs::create_directories(other / "run");
    fs::permissions(other / "run", fs::perms::owner_all, fs::perm_options::replace);
    QProcessEnvironment envOther = Env();
    envOther.insert("HOME", QString::fromStdString(other.Path().string()));
    envOther.insert("XDG_DATA_HOME", QString::fromStdString((other / "data").string()));
    envOther.insert("XDG_RUNTIME_DIR", QString::fromStdString((other / "run").string()));

    QProcess first;
    first.setProcessEnvironment(Env());
    first.start(Zorvik(), {});
    ASSERT_TRUE(first.waitForStarted(10000));
    // Wait until the first copy holds the name and runs its window.
    const fs::path log = UserDir() / "Log.txt";
    for (int i = 0; i < 400 && !(fs::exists(log) && test::ReadBytes(log).find("Main window shown") != std::string::npos);
         ++i)
        QProcess().execute("sleep", {"0.05"});
    QProcess firstOther;
    firstOther.setProcessEnvironment(envOther);
    firstOther.start(Zorvik(), {});
    ASSERT_TRUE(firstOther.waitForStarted(10000));
    const fs::path logOther = other / "data" / "Zorvik" / "Log.txt";
    for (int i = 0; i < 400 &&
                    !(fs::exists(logOther) && test::ReadBytes(logOther).find("Main window shown") != std::string::npos);
         ++i)
        QProcess().execute("sleep", {"0.05"});

    QProcess second;
    second.setProcessEnvironment(Env());
    second.start(Zorvik(), {});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_EQ(firstOther.state(), QProcess::Running);

    std::string strLog;
    for (int i = 0; i < 100; ++i) {
        strLog = test::ReadBytes(log);
        if (strLog.find("OnConfig: show the window") != std::string::npos) break;
        QProcess().execute("sleep", {"0.05"});
    }
    EXPECT_NE(strLog.find("ALREADY_EXISTS, hWnd=1, szMutexName=MUTEX_BY_COMBOMirex"), std::string::npos) << strLog;
    EXPECT_NE(strLog.find("OnConfig: show the window"), std::string::npos) << strLog;
    const std::string strOther = test::ReadBytes(logOther);
    EXPECT_EQ(strOther.find("ALREADY_EXISTS"), std::string::npos) << strOther;
    EXPECT_EQ(strOther.find("OnConfig: show the window"), std::string::npos) << strOther;
    for (QProcess* p : {&first, &firstOther}) {
        p->terminate();
        if (!p->waitForFinished(5000)) p->kill();
    }
}

}  // namespace
