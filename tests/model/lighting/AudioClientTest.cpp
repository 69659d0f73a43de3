// The capture client: block sizes per format, silence, the log limit, and the
// session lifecycle on a threaded source (quick off/on, device change, a start
// the source refuses).
#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "core/Log.h"
#include "lighting/AudioClient.h"
#include "lighting/SyntheticAudioSource.h"

namespace {

using namespace std::chrono_literals;
using test::ThreadCount;
using test::WaitFor;
using Mode = CSyntheticAudioSource::Mode;

constexpr AudioFormat kFloat48{48000, 2, 32, true};

// Collects log lines from any thread.
class LogCapture {
public:
    LogCapture()
    {
        LogConfig cfg;
        cfg.nDebug = 1;
        cfg.clock = [] { return LogTime{0, 0, 0, 0}; };
        cfg.debugOut = [this](const std::string& s) {
            std::lock_guard lock(m_mtx);
            m_lines.push_back(s);
        };
        LogStart(cfg);
    }
    ~LogCapture() { LogStop(); }
    int Count(const std::string& strPart) const
    {
        std::lock_guard lock(m_mtx);
        int n = 0;
        for (const std::string& s : m_lines) n += s.find(strPart) != std::string::npos;
        return n;
    }

private:
    mutable std::mutex m_mtx;
    std::vector<std::string> m_lines;
};

TEST(AudioClient, BlockSizesPerFormat)
{
    struct Case { AudioFormat fmt; size_t nBlockBytes, nFramesPerBlock; } cases[] = {
        {kFloat48, 4096, 1024},                   // float converted to 16-bit stereo
        {{48000, 6, 16, false}, 6144, 512},       // six channels
        {{44100, 8, 32, true}, 4096, 256},
        {{16000, 1, 16, false}, 4096, 2048},      // more frames than 60 ms at this rate
        {{48000, 3, 16, false}, 3072, 512},       // 4096 bytes is no whole number of frames
        {{22050, 5, 32, true}, 5120, 512},
        {{8000, 2, 8, false}, 4096, 2048},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.fmt.nSampleRate << " Hz, " << c.fmt.nChannels << " ch, "
                                        << c.fmt.nBitsPerSample << " bits");
        CSyntheticAudioSource src(c.fmt, Mode::Manual);
        CAudioClient client(src);
        client.StartCapture();
        SynthSignal sig;
        sig.tones = {{1000, 0.5}};
        src.SetSignal(sig);
        ASSERT_TRUE(src.Pump(c.nFramesPerBlock * 4 + 1));
        EXPECT_EQ(CAudioClient::BlockBytes(c.fmt.nChannels, c.fmt.bFloat ? 16 : c.fmt.nBitsPerSample), c.nBlockBytes);
        EXPECT_EQ(client.Blocks(), 4u);  // every block transformed, none skipped
        EXPECT_GE(client.vecLeft.size(), c.nFramesPerBlock);
        EXPECT_GT(client.vecBands[12], 30);  // the tone shows, at any block length
    }
}

TEST(AudioClient, SplitTakesTheFirstTwoChannels)
{
    float l[4], r[4];
    const uint8_t s16x3[] = {0x01, 0x00, 0xFF, 0xFF, 9, 9, 0x00, 0x80, 0xFF, 0x7F, 9, 9};
    ASSERT_EQ(CAudioClient::SplitChannels(s16x3, sizeof s16x3, 3, 16, l, r, 4), 2u);
    EXPECT_EQ(l[0], 1.0f);
    EXPECT_EQ(r[0], -1.0f);
    EXPECT_EQ(l[1], -32768.0f);
    EXPECT_EQ(r[1], 32767.0f);
    const uint8_t u8mono[] = {128, 255, 0};
    ASSERT_EQ(CAudioClient::SplitChannels(u8mono, 3, 1, 8, l, r, 4), 3u);
    EXPECT_EQ(l[1], 127.0f * 64);
    EXPECT_EQ(r[2], -128.0f * 64);
    EXPECT_EQ(CAudioClient::SplitChannels(u8mono, 3, 1, 24, l, r, 4), 0u);
}

TEST(AudioClient, RefusesFormatsItCannotRead)
{
    CSyntheticAudioSource src({48000, 2, 24, false}, Mode::Manual);
    CAudioClient client(src);
    client.StartCapture();
    EXPECT_FALSE(src.Pump(1024));
    std::string strText;
    EXPECT_EQ(client.Status(&strText), AudioStatus::Failed);
    EXPECT_EQ(strText, "unsupported capture format");
    EXPECT_EQ(client.Blocks(), 0u);
}

TEST(AudioClient, PacketDetailsAreLoggedForTheFirstFiftyPacketsOfEachStart)
{
    LogCapture log;
    CSyntheticAudioSource src(kFloat48, Mode::Manual);
    src.SetPacketFrames(100);
    CAudioClient client(src);
    client.StartCapture();
    ASSERT_TRUE(src.Pump(100 * 80));
    EXPECT_EQ(log.Count("nAudioSize="), 50);
    EXPECT_EQ(log.Count("Start capture, nDataType=1, nFFTSize=4096"), 1);
    client.StopCapture();
    client.StartCapture();
    ASSERT_TRUE(src.Pump(100 * 80));
    EXPECT_EQ(log.Count("nAudioSize="), 100);
    EXPECT_EQ(log.Count("RecordAudioStream exit"), 1);
}

TEST(AudioClient, QuickOffAndOnLeavesOneCaptureThread)
{
    CSyntheticAudioSource src(kFloat48, Mode::Threaded);
    CAudioClient client(src);
    client.StartCapture();  // once first: a sanitizer may start a helper thread with the first thread
    client.StopCapture();
    const int nBase = ThreadCount();
    for (int i = 0; i < 30; ++i) {
        client.StartCapture();
        client.StartCapture();  // already wanted: nothing
        EXPECT_EQ(ThreadCount(), nBase + 1);
        if (i % 3 == 0) std::this_thread::sleep_for(1ms);
        client.StopCapture();
        EXPECT_FALSE(src.HasThread());
    }
    EXPECT_EQ(ThreadCount(), nBase);
    client.StartCapture();
    EXPECT_TRUE(WaitFor([&] { return client.Blocks() > 2; }));
    EXPECT_EQ(ThreadCount(), nBase + 1);
    client.StopCapture();
    EXPECT_EQ(ThreadCount(), nBase);
    EXPECT_EQ(client.Status(), AudioStatus::Stopped);
}

TEST(AudioClient, ADefaultOutputChangeRestartsCaptureOnce)
{
    LogCapture log;
    CSyntheticAudioSource src(kFloat48, Mode::Threaded, "sink-a");
    SynthSignal sig;
    sig.tones = {{15984.375, 0.5}};  // the 16 kHz band's bin
    src.SetSignal(sig);
    CAudioClient client(src);
    std::vector<AudioStatus> seen;
    std::mutex mtx;
    client.SetStatusCallback([&](AudioStatus s, const std::string&) {
        std::lock_guard lock(mtx);
        seen.push_back(s);
    });
    client.StartCapture();
    ASSERT_TRUE(WaitFor([&] { return client.Blocks() > 1; }));
    src.ChangeDevice("sink-b", {22050, 2, 16, false});
    ASSERT_TRUE(WaitFor([&] { return client.Restarts() == 1 && client.Blocks() > 4; }));
    client.StopCapture();
    EXPECT_EQ(client.Restarts(), 1);
    EXPECT_EQ(src.Sessions(), 2);
    EXPECT_EQ(log.Count("Audio device changed, Re StartRec"), 1);
    EXPECT_EQ(log.Count("szDevID= sink-b"), 1);
    EXPECT_EQ(client.szDevID, "sink-b");
    EXPECT_EQ(client.vecBands[22], 0);  // 16 kHz is past half of 22.05 kHz
    std::lock_guard lock(mtx);
    EXPECT_EQ(seen, (std::vector<AudioStatus>{AudioStatus::Capturing, AudioStatus::Capturing, AudioStatus::Stopped}));
}

TEST(AudioClient, AStartTheSourceRefusesIsReportedAndRetriedAfterOffAndOn)
{
    CSyntheticAudioSource src(kFloat48, Mode::Threaded);
    src.FailNextStart(AudioStatus::NoServer, "no sound server");
    CAudioClient client(src);
    client.StartCapture();
    std::string strText;
    EXPECT_EQ(client.Status(&strText), AudioStatus::NoServer);
    EXPECT_EQ(strText, "no sound server");
    EXPECT_TRUE(client.IsRunning());  // the switch stays on
    client.StartCapture();            // and a second start does nothing
    EXPECT_EQ(src.Sessions(), 0);
    client.StopCapture();
    client.StartCapture();
    EXPECT_TRUE(WaitFor([&] { return client.Status() == AudioStatus::Capturing && client.Blocks() > 0; }));
}

}  // namespace
