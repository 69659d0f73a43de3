// The music effect thread on the virtual type-22 keyboard behind the device
// hub: a synthetic tone through capture, transform and meter becomes frames
// the keyboard records; silence darkens them; stopping joins the thread and
// restores the keyboard's lighting once, with no frame after it; switching
// quickly leaves one thread; a keyboard that is gone gets nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

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
#include "lighting/SyntheticAudioSource.h"

namespace {
class CQuietNotes final : public INoticeSink {
public:
    void Notice(std::u16string_view, std::u16string_view) override {}
};

// The meter as the capture's band sink (the page's meter control does this in the program).
class CMeterSink final : public IBandSink {
public:
    explicit CMeterSink(CPeakMeter& m) : m_meter(m) {}
    void SetBandLevels(const int* p, int n) override { m_meter.SetBandLevels(p, n); }
    void SetActive(bool b) override { m_meter.SetActive(b); }

private:
    CPeakMeter& m_meter;
};

constexpr double kBinTone = 21 * 48000.0 / 1024;  // exactly on the bin of band 12 (1000 Hz)

class MusicRunnerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CRecordingPrompt prompt;
        const CIniFile cfg = CIniFile::Load(test::FixtureDir() / "cfg" / "keyboard-only.ini");
        ASSERT_TRUE(cfg.Exists());
        LogConfig quiet;
        quiet.debugOut = [](const std::string&) {};
        ASSERT_TRUE(DataInit(cfg, prompt, quiet));
        ASSERT_TRUE(PostInit(prompt));
        m_backend = std::make_unique<CEmuBackend>();
        m_kb = std::make_shared<CEmuVaroRgb>(VaroRgbConfigFor(gVar), m_clock);
        m_backend->AddDevice(m_kb);
        m_hub = std::make_unique<CDeviceHub>(*m_backend, m_clock, m_notes, nullptr);
        m_hub->Open();
        for (size_t i = 0; i < m_hub->Count(); ++i)
            if (dynamic_cast<IMusicDevice*>(&m_hub->Device(i))) m_nKb = i;
        ASSERT_LT(m_nKb, m_hub->Count());
        m_hub->FindLater(m_nKb);
        m_hub->WaitFound();
        ASSERT_TRUE(m_hub->State(m_nKb).bConnected);
        m_hub->Publish(m_nKb, prompt);
        m_out = std::make_unique<CHubMusicOutput>(*m_hub, m_nKb);
        m_pro = std::make_unique<ProfileRecord>();
        m_hub->Device(m_nKb).FillDefault(*m_pro);
        m_pro->Kb.nLedMode = 2;
        m_out->SetLighting(m_pro->Kb);

        m_layout = MakeMusicLayout(std::span(g_defKEY, kKbDefKeyNum));
        m_bar12 = ReadEtBars(test::SourceDir() / "data" / "ET" / "audiobar.txt", m_layout).bars.at(12);
        ASSERT_FALSE(m_bar12.empty());
        MusicRunnerCfg rc;
        rc.layout = m_layout;
        rc.rgbIndex = {gVar.Kb.RGBIndex[0], gVar.Kb.RGBIndex[1], gVar.Kb.RGBIndex[2]};
        rc.etDir = test::SourceDir() / "data" / "ET";
        m_runner = std::make_unique<CMusicRunner>(m_meter, *m_out, rc);
        MusicSettings s;
        s.bMusicOff = 0;
        s.bMusicColorful = 0;
        s.nMusicMode = kMusicBars;
        s.clrMusic = 0x00FF00;  // green
        m_runner->SetSettings(s);

        AudioFormat fmt{48000, 2, 16, false};
        m_source = std::make_unique<CSyntheticAudioSource>(fmt, CSyntheticAudioSource::Mode::Threaded);
        m_client = std::make_unique<CAudioClient>(*m_source);
        m_client->SetMeter(&m_sink);
        m_meter.SetGain(SensitivityGain(15));  // the tone's level doubled is past the grid: the whole bar
    }
    void TearDown() override
    {
        m_runner.reset();
        if (m_client) m_client->StopCapture();
        m_client.reset();
        m_source.reset();
        m_hub.reset();
        ClearGvar();
    }
    void Play(double dAmp)
    {
        SynthSignal sig;
        if (dAmp > 0) sig.tones.push_back({kBinTone, dAmp});
        m_source->SetSignal(sig);
    }
    // The first key of each segment of bar 12 is lit in the keyboard's last frame.
    bool Bar12Lit() const
    {
        const auto st = m_kb->GetState();
        for (const LedGroup& seg : m_bar12)
            if (st.frame[size_t(seg[0]) * 3 + gVar.Kb.RGBIndex[1]] != 0xFF) return false;
        return true;
    }
    bool AllDark() const
    {
        const auto st = m_kb->GetState();
        return std::ranges::all_of(st.frame, [](uint8_t b) { return b == 0; });
    }

    CVirtualClock m_clock;
    CQuietNotes m_notes;
    std::unique_ptr<CEmuBackend> m_backend;
    std::shared_ptr<CEmuVaroRgb> m_kb;
    std::unique_ptr<CDeviceHub> m_hub;
    size_t m_nKb = size_t(-1);
    std::unique_ptr<CHubMusicOutput> m_out;
    std::unique_ptr<ProfileRecord> m_pro;
    MusicLayout m_layout;
    std::vector<LedGroup> m_bar12;
    CPeakMeter m_meter{kBandCount};
    CMeterSink m_sink{m_meter};
    std::unique_ptr<CSyntheticAudioSource> m_source;
    std::unique_ptr<CAudioClient> m_client;
    std::unique_ptr<CMusicRunner> m_runner;
};
}  // namespace

TEST_F(MusicRunnerTest, FramesFollowTheSoundAndStoppingRestoresOnce)
{
    const int nThreads = test::ThreadCount();
    Play(0.5);
    m_client->StartCapture();
    m_runner->Start();
    ASSERT_TRUE(test::WaitFor([&] { return Bar12Lit(); })) << "frames " << m_kb->GetState().nFrames;
    Play(0);
    ASSERT_TRUE(test::WaitFor([&] { return AllDark(); }));
    Play(0.5);
    ASSERT_TRUE(test::WaitFor([&] { return Bar12Lit(); }));
    EXPECT_EQ(m_runner->FramesRefused(), 0u);

    m_runner->Stop();
    EXPECT_FALSE(m_runner->Running());
    EXPECT_EQ(m_runner->Restores(), 1);
    EXPECT_EQ(m_kb->Cfg()[8 + 5], kb::MakeKbDescSnap(gVar, g_defKEY).DevMode(2));  // the profile's mode shows again
    const int nFrames = m_kb->GetState().nFrames;
    m_client->StopCapture();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(m_kb->GetState().nFrames, nFrames);  // nothing after the restore
    EXPECT_EQ(test::ThreadCount(), nThreads) << "the runner and capture threads are gone";
    EXPECT_EQ(m_backend->Violations(), std::vector<std::string>{});
}

TEST_F(MusicRunnerTest, SwitchingQuicklyLeavesOneThread)
{
    const int nThreads = test::ThreadCount();
    for (int i = 0; i < 20; ++i) {
        m_runner->Start();
        m_runner->Start();  // a second start while running adds nothing
        m_runner->Stop();
    }
    m_runner->Start();
    EXPECT_EQ(test::ThreadCount(), nThreads + 1);
    m_runner->Stop();
    EXPECT_EQ(test::ThreadCount(), nThreads);
}

TEST_F(MusicRunnerTest, AnUnpluggedKeyboardGetsNoFrameAndNoRestore)
{
    Play(0.5);
    m_client->StartCapture();
    m_runner->Start();
    ASSERT_TRUE(test::WaitFor([&] { return m_runner->FramesSent() > 2; }));
    m_kb->Unplug();
    CRecordingPrompt prompt;
    m_hub->FindLater(m_nKb);
    m_hub->WaitFound();
    EXPECT_FALSE(m_hub->State(m_nKb).bConnected);
    m_hub->Publish(m_nKb, prompt);
    const uint64_t nSent = m_runner->FramesSent();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_LE(m_runner->FramesSent(), nSent + 1);  // one may have been on its way
    m_runner->Stop();
    EXPECT_EQ(m_runner->Restores(), 0);
}
