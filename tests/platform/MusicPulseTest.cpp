// Music lighting on a private PulseAudio server: tones played with pacat into
// a null sink are captured from its monitor, and the virtual type-22
// keyboard's music frames light the bar of each tone's band in turn.
// Skipped, with the reason, where the server cannot start.
#include <gtest/gtest.h>

#include <sys/types.h>

#include <memory>

#include "PulseTestServer.h"
#include "TestSupport.h"
#include "core/Gvar.h"
#include "core/Ini.h"
#include "core/INoticeSink.h"
#include "core/IPrompt.h"
#include "core/Log.h"
#include "core/Options.h"
#include "device/DeviceHub.h"
#include "device/IMusicDevice.h"
#include "device/MusicOutput.h"
#include "emu/EmuBackend.h"
#include "emu/VirtualClock.h"
#include "emu/varorgb/EmuVaroRgb.h"
#include "lighting/AudioClient.h"
#include "lighting/MusicRunner.h"
#include "platform/PulseAudioSource.h"

using pulsetest::CPulseTestServer;

namespace {
class CQuiet final : public INoticeSink {
public:
    void Notice(std::u16string_view, std::u16string_view) override {}
};

class CMeterSink final : public IBandSink {
public:
    explicit CMeterSink(CPeakMeter& m) : m_meter(m) {}
    void SetBandLevels(const int* p, int n) override { m_meter.SetBandLevels(p, n); }
    void SetActive(bool b) override { m_meter.SetActive(b); }

private:
    CPeakMeter& m_meter;
};
}  // namespace

TEST(MusicPulse, KeyboardFramesFollowTheTonesPlayed)
{
    CPulseTestServer server;
    const std::string strWhy = server.Start({{"vsink", 48000, "float32le"}});
    if (!strWhy.empty()) GTEST_SKIP() << "no private PulseAudio server: " << strWhy;
    ::setenv("PULSE_SERVER", server.ServerAddress().c_str(), 1);

    CRecordingPrompt prompt;
    const CIniFile cfg = CIniFile::Load(test::FixtureDir() / "cfg" / "keyboard-only.ini");
    LogConfig quiet;
    quiet.debugOut = [](const std::string&) {};
    ASSERT_TRUE(DataInit(cfg, prompt, quiet));
    ASSERT_TRUE(PostInit(prompt));
    CVirtualClock clock;
    CQuiet notes;
    CEmuBackend backend;
    auto kb = std::make_shared<CEmuVaroRgb>(VaroRgbConfigFor(gVar), clock);
    backend.AddDevice(kb);
    {
        CDeviceHub hub(backend, clock, notes, nullptr);
        hub.Open();
        size_t nKb = hub.Count();
        for (size_t i = 0; i < hub.Count(); ++i)
            if (dynamic_cast<IMusicDevice*>(&hub.Device(i))) nKb = i;
        ASSERT_LT(nKb, hub.Count());
        hub.FindLater(nKb);
        hub.WaitFound();
        CHubMusicOutput out(hub, nKb);

        MusicRunnerCfg rc;
        rc.layout = MakeMusicLayout(std::span(g_defKEY, kKbDefKeyNum));
        rc.rgbIndex = {gVar.Kb.RGBIndex[0], gVar.Kb.RGBIndex[1], gVar.Kb.RGBIndex[2]};
        rc.etDir = test::SourceDir() / "data" / "ET";
        const EtBars bars = ReadEtBars(rc.etDir / "audiobar.txt", rc.layout);
        ASSERT_GT(bars.bars.size(), 17u);
        // The first key of a band's bar is lit in the keyboard's last frame.
        auto lit = [&](int nBand) {
            const auto st = kb->GetState();
            const int nLed = bars.bars[size_t(nBand)].at(0).at(0);
            return (st.frame[size_t(nLed) * 3] | st.frame[size_t(nLed) * 3 + 1] | st.frame[size_t(nLed) * 3 + 2]) != 0;
        };

        CPeakMeter meter(kBandCount);
        CMeterSink sink(meter);
        CPulseAudioSource source;
        CAudioClient client(source);
        client.SetMeter(&sink);
        CMusicRunner runner(meter, out, rc);
        MusicSettings s;
        s.bMusicOff = 0;
        s.bMusicColorful = 0;
        runner.SetSettings(s);
        client.StartCapture();
        runner.Start();
        ASSERT_TRUE(test::WaitFor([&] { return client.Status() == AudioStatus::Capturing; }));
        server.Nudge("vsink");

        struct Tone {
            double dFreq;
            int nBand;
        } tones[] = {{984.375, 12}, {3984.375, 17}};
        for (const Tone& t : tones) {
            SCOPED_TRACE(t.dFreq);
            const pid_t pid = server.PlayTone("vsink", t.dFreq, 0.5, 48000, 3.0);
            EXPECT_TRUE(test::WaitFor([&] { return lit(t.nBand); }, std::chrono::seconds(6)))
                << "frames " << kb->GetState().nFrames;
            CPulseTestServer::Reap(pid);
            EXPECT_TRUE(test::WaitFor([&] { return !lit(t.nBand); }, std::chrono::seconds(6)));
        }
        runner.Stop();
        client.StopCapture();
        EXPECT_GT(runner.FramesSent(), 0u);
        hub.Close();
    }
    ::unsetenv("PULSE_SERVER");
    LogStop();
    ClearGvar();
}
