// Capture from a real sound server: a private PulseAudio with null sinks,
// started by each test and killed at its end. Tones played into the sink with
// pacat must show in the band levels; a change of the default output restarts
// capture once; quick off/on leaves one capture thread; a server that is absent
// or dies is reported. Skipped, with the reason, where pulseaudio is missing.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "PulseTestServer.h"
#include "TestSupport.h"
#include "lighting/AudioClient.h"
#include "platform/PulseAudioSource.h"

namespace {

using namespace std::chrono_literals;
using test::ThreadCount;
using test::WaitFor;
using pulsetest::CPulseTestServer;

// Keeps the band frames and every status the capture reports.
class CRecorder final : public IBandSink {
public:
    void SetBandLevels(const int* p, int n) override
    {
        std::lock_guard lock(m_mtx);
        std::copy_n(p, std::min(n, kBandCount), m_last.begin());
        ++m_nFrames;
    }
    void SetActive(bool) override {}
    void OnStatus(AudioStatus s)
    {
        std::lock_guard lock(m_mtx);
        m_statuses.push_back(s);
    }
    BandLevels Last() const
    {
        std::lock_guard lock(m_mtx);
        return m_last;
    }
    int Frames() const
    {
        std::lock_guard lock(m_mtx);
        return m_nFrames;
    }
    std::vector<AudioStatus> Statuses() const
    {
        std::lock_guard lock(m_mtx);
        return m_statuses;
    }

private:
    mutable std::mutex m_mtx;
    BandLevels m_last{};
    int m_nFrames = 0;
    std::vector<AudioStatus> m_statuses;
};

int Loudest(const BandLevels& b) { return int(std::max_element(b.begin(), b.end()) - b.begin()); }

class PulseCapture : public ::testing::Test {
protected:
    void StartServer(const std::vector<pulsetest::NullSink>& sinks)
    {
        const std::string strWhy = m_server.Start(sinks);
        if (!strWhy.empty()) GTEST_SKIP() << "no private PulseAudio server: " << strWhy;
        ::setenv("PULSE_SERVER", m_server.ServerAddress().c_str(), 1);
    }
    void SetUp() override
    {
        m_client.SetMeter(&m_rec);
        m_client.SetStatusCallback([this](AudioStatus s, const std::string&) { m_rec.OnStatus(s); });
    }
    void TearDown() override
    {
        m_client.StopCapture();
        for (pid_t pid : m_players) CPulseTestServer::Reap(pid);
        ::unsetenv("PULSE_SERVER");
    }
    bool WaitCapturing(const std::string& strSink = "vsink")
    {
        if (!WaitFor([&] { return m_client.Status() == AudioStatus::Capturing; })) return false;
        m_server.Nudge(strSink);
        return WaitFor([&] { return m_client.Blocks() > 2; });
    }

    CPulseTestServer m_server;
    CPulseAudioSource m_source;
    CRecorder m_rec;
    CAudioClient m_client{m_source};
    std::vector<pid_t> m_players;
};

TEST_F(PulseCapture, BandLevelsFollowTheTonesPlayed)
{
    StartServer({{"vsink", 48000, "float32le"}});
    m_client.StartCapture();
    ASSERT_TRUE(WaitCapturing());
    // Nothing plays: the monitor carries silence.
    EXPECT_TRUE(WaitFor([&] { return m_rec.Last()[12] == kBandSilent; }));

    struct Tone { double dFreq; int nBand; } tones[] = {{984.375, 12}, {3984.375, 17}, {93.75, 2}};
    for (const Tone& t : tones) {
        SCOPED_TRACE(t.dFreq);
        m_players.push_back(m_server.PlayTone("vsink", t.dFreq, 0.5, 48000, 3.0));
        EXPECT_TRUE(WaitFor([&] {
            const BandLevels b = m_rec.Last();
            return Loudest(b) == t.nBand && b[size_t(t.nBand)] > 90;
        })) << "last loudest band " << Loudest(m_rec.Last()) << " at " << m_rec.Last()[size_t(Loudest(m_rec.Last()))];
        CPulseTestServer::Reap(m_players.back());
        m_players.pop_back();
    }
    EXPECT_TRUE(WaitFor([&] { return m_rec.Last()[2] == kBandSilent; }));  // and quiet again
    EXPECT_EQ(m_client.Restarts(), 0);
}

TEST_F(PulseCapture, ADefaultOutputChangeRestartsCaptureOnce)
{
    StartServer({{"vsink", 48000, "float32le"}, {"vsink2", 22050, "s16le"}});
    ASSERT_EQ(m_server.Run({"pactl", "set-default-sink", "vsink"}), 0);
    m_client.StartCapture();
    ASSERT_TRUE(WaitCapturing());
    const int nBase = ThreadCount();

    ASSERT_EQ(m_server.Run({"pactl", "set-default-sink", "vsink2"}), 0);
    ASSERT_TRUE(WaitFor([&] { return m_client.Restarts() == 1; }));
    const uint64_t nBlocks = m_client.Blocks();
    ASSERT_TRUE(WaitFor([&] { return m_client.Status() == AudioStatus::Capturing; }));
    m_server.Nudge("vsink2");
    ASSERT_TRUE(WaitFor([&] { return m_client.Blocks() > nBlocks + 2; }));
    // The new output's monitor at its own rate: a tone played there shows.
    m_players.push_back(m_server.PlayTone("vsink2", 990.527, 0.5, 22050, 3.0));  // the 1 kHz band's bin at 22.05 kHz
    EXPECT_TRUE(WaitFor([&] { return Loudest(m_rec.Last()) == 12; }));
    std::this_thread::sleep_for(300ms);
    m_client.StopCapture();
    EXPECT_EQ(m_client.Restarts(), 1);
    EXPECT_EQ(m_client.szDevID, "vsink2");
    EXPECT_EQ(m_client.vecBands[21], 0);  // 14 and 16 kHz are past half of 22.05 kHz
    EXPECT_EQ(m_client.vecBands[22], 0);
    EXPECT_EQ(ThreadCount(), nBase - 1);
}

TEST_F(PulseCapture, QuickOffAndOnLeavesOneCaptureThread)
{
    StartServer({{"vsink", 44100, "s16le"}});
    const int nBase = ThreadCount();
    for (int i = 0; i < 20; ++i) {
        m_client.StartCapture();
        if (i % 4 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(i));
        m_client.StopCapture();
        EXPECT_FALSE(m_source.HasThread());
    }
    EXPECT_EQ(ThreadCount(), nBase);
    m_client.StartCapture();
    ASSERT_TRUE(WaitCapturing());
    EXPECT_EQ(ThreadCount(), nBase + 1);
    m_client.StopCapture();
    EXPECT_EQ(ThreadCount(), nBase);
    EXPECT_EQ(m_client.Status(), AudioStatus::Stopped);
}

TEST_F(PulseCapture, NoServerIsReportedAndLeavesNoThread)
{
    // Needs no pulseaudio: nothing listens on this socket.
    ::setenv("PULSE_SERVER", ("unix:" + (m_server.Dir() / "none").string()).c_str(), 1);
    const int nBase = ThreadCount();
    m_client.StartCapture();
    ASSERT_TRUE(WaitFor([&] { return m_source.Ended(); }));
    std::string strText;
    EXPECT_EQ(m_client.Status(&strText), AudioStatus::NoServer);
    EXPECT_NE(strText.find("no sound server"), std::string::npos) << strText;
    EXPECT_TRUE(m_client.IsRunning());  // the switch stays on; off and on tries again
    EXPECT_TRUE(WaitFor([&] { return ThreadCount() == nBase; }));
    m_client.StopCapture();
    EXPECT_EQ(m_client.Status(), AudioStatus::NoServer);
}

TEST_F(PulseCapture, AServerThatDiesAndComesBackIsReconnected)
{
    StartServer({{"vsink", 48000, "float32le"}});
    m_client.StartCapture();
    ASSERT_TRUE(WaitCapturing());
    m_server.Kill();
    ASSERT_TRUE(WaitFor([&] { return m_client.Status() == AudioStatus::Lost; }));
    const std::string strWhy = m_server.Start({{"vsink", 48000, "float32le"}});
    ASSERT_EQ(strWhy, "");
    ASSERT_TRUE(WaitCapturing());
    m_players.push_back(m_server.PlayTone("vsink", 984.375, 0.5, 48000, 3.0));
    EXPECT_TRUE(WaitFor([&] { return m_client.Status() == AudioStatus::Capturing && Loudest(m_rec.Last()) == 12; }));
    const std::vector<AudioStatus> seen = m_rec.Statuses();
    EXPECT_NE(std::find(seen.begin(), seen.end(), AudioStatus::Lost), seen.end());
    m_client.StopCapture();
    EXPECT_FALSE(m_source.HasThread());
}

}  // namespace
