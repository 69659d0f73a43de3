// The process sound player with a stand-in for the sound server's player: a
// script that notes each file it is given.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <sys/stat.h>

#include <algorithm>

#include "TestSupport.h"
#include "ui/mainwnd/SoundPlayer.h"

namespace fs = std::filesystem;

namespace {

int Lines(const fs::path& path)
{
    if (!fs::exists(path)) return 0;
    const std::string s = test::ReadBytes(path);
    return int(std::count(s.begin(), s.end(), '\n'));
}

void Spin(int nMs)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < nMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
}

class SoundPlayer : public ::testing::Test {
protected:
    fs::path Script(const std::string& name, const std::string& body)
    {
        const fs::path path = m_dir / name;
        test::WriteBytes(path, "#!/bin/sh\n" + body);
        ::chmod(path.c_str(), 0755);
        return path;
    }
    test::CTempDir m_dir;
};

TEST_F(SoundPlayer, LoopsUntilStopped)
{
    const fs::path log = m_dir / "played.txt";
    const fs::path player = Script("player", "echo \"$1\" >> '" + log.string() + "'\nsleep 0.05\n");
    CProcessSoundPlayer sound(QString::fromStdString(player.string()));
    sound.PlayLooping(m_dir / "a.wav");
    ASSERT_TRUE(test::WaitFor([&] {
        QCoreApplication::processEvents();
        return Lines(log) >= 3;
    }));
    EXPECT_EQ(test::ReadBytes(log).substr(0, (m_dir / "a.wav").string().size()), (m_dir / "a.wav").string());
    sound.Stop();
    EXPECT_FALSE(sound.IsPlaying());
    const int nAfterStop = Lines(log);
    Spin(300);
    EXPECT_EQ(Lines(log), nAfterStop);
}

TEST_F(SoundPlayer, AFileThePlayerRefusesIsNotRetried)
{
    const fs::path log = m_dir / "tries.txt";
    const fs::path player = Script("player", "echo x >> '" + log.string() + "'\nexit 1\n");
    CProcessSoundPlayer sound(QString::fromStdString(player.string()));
    sound.PlayLooping(m_dir / "bad.wav");
    Spin(400);
    EXPECT_EQ(Lines(log), 1);
    EXPECT_FALSE(sound.IsPlaying());

    CProcessSoundPlayer missing(QString::fromStdString((m_dir / "no-such-player").string()));
    missing.PlayLooping(m_dir / "a.wav");
    Spin(100);
    EXPECT_FALSE(missing.IsPlaying());
}

}  // namespace
