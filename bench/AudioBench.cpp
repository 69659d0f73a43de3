// The cost and the delay of the music lighting's sound path: capture ->
// conversion -> transform -> bands -> meter -> one frame every 30 ms.
//
//  1. CPU per 30 ms frame with the synthetic source driven by hand (the
//     signal rendered beforehand, so only our own work is timed), as a share
//     of one core; then the same with the effect's frame drawn every 30 ms on
//     the demo keyboard (the whole pipeline up to the frame handed to the
//     keyboard), for a few effects.
//  2. The same with a private PulseAudio server playing a tone (whole
//     process CPU over the run), when pulseaudio is installed.
//  3. The delay from a sound's onset to the first 30 ms frame that shows it:
//     with the synthetic source paced in 10 ms packets (what we ask the server
//     for), and with the real server from the start of pacat (which adds the
//     player's own start-up, so it is an upper bound); and from a synthetic
//     onset to the first frame the effect thread hands to the keyboard with
//     the tone's bar lit.
//
// The targets are at most 1 % of a core and at most 50 ms; the program prints
// the figures and the ratio to each target and checks nothing.
//
//   audio_bench [SECONDS]    (default 20 seconds of synthetic sound)
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

#include "PulseTestServer.h"
#include "core/Gvar.h"
#include "core/Ini.h"
#include "core/IPrompt.h"
#include "core/Log.h"
#include "core/Options.h"
#include "lighting/MusicEffects.h"
#include "lighting/MusicRunner.h"
#include "lighting/AudioClient.h"
#include "lighting/PeakMeter.h"
#include "lighting/SyntheticAudioSource.h"
#include "platform/PulseAudioSource.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr double kFrameSec = 0.030;
constexpr double kCpuTarget = 0.01;
constexpr double kDelayTargetMs = 50;
constexpr int kToneBand = 12;
constexpr double kTone = 984.375;  // the 1 kHz band's bin at 48 kHz

double ThreadCpu()
{
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// CPU seconds of each thread of the process, by thread id.
std::vector<std::pair<int, double>> ThreadTimes()
{
    std::vector<std::pair<int, double>> v;
    for (const auto& e : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream in(e.path() / "stat");
        std::string s((std::istreambuf_iterator<char>(in)), {});
        const size_t p = s.rfind(')');
        if (p == std::string::npos) continue;
        std::istringstream rest(s.substr(p + 2));
        std::string f;
        unsigned long ut = 0, st = 0;
        for (int i = 0; i < 11 && rest >> f; ++i) {}
        rest >> ut >> st;
        v.emplace_back(std::stoi(e.path().filename().string()), double(ut + st) / double(sysconf(_SC_CLK_TCK)));
    }
    return v;
}

double ProcessCpu()
{
    rusage ru;
    getrusage(RUSAGE_SELF, &ru);
    return double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) + double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) * 1e-6;
}

// The meter plus the effect loop's read of it every 30 ms; notes when a frame
// first shows the tone after Arm().
class CFrameLoop final : public IBandSink {
public:
    CFrameLoop() : m_meter(kBandCount) { m_meter.SetAverage(1); }
    void SetBandLevels(const int* p, int n) override { m_meter.SetBandLevels(p, n); }
    void SetActive(bool b) override { m_meter.SetActive(b); }
    void Arm(Clock::time_point t0)
    {
        std::lock_guard lock(m_mtx);
        m_t0 = t0;
        m_bArmed = true;
        m_bSeen = false;
    }
    // Milliseconds from the onset to the frame, once one showed it.
    bool Seen(double& dMs)
    {
        std::lock_guard lock(m_mtx);
        if (m_bSeen) dMs = std::chrono::duration<double, std::milli>(m_tSeen - m_t0).count();
        return m_bSeen;
    }
    void Run(std::stop_token stop)
    {
        auto tNext = Clock::now();
        int levels[kBandCount];
        while (!stop.stop_requested()) {
            tNext += std::chrono::microseconds(int(kFrameSec * 1e6));
            std::this_thread::sleep_until(tNext);
            m_meter.GetLevels(levels, kBandCount);
            std::lock_guard lock(m_mtx);
            if (m_bArmed && !m_bSeen && levels[kToneBand] > 50) {
                m_bSeen = true;
                m_tSeen = Clock::now();
            }
        }
    }
    CPeakMeter& Meter() { return m_meter; }

private:
    CPeakMeter m_meter;
    std::mutex m_mtx;
    Clock::time_point m_t0, m_tSeen;
    bool m_bArmed = false, m_bSeen = false;
};

SynthSignal Music()
{
    SynthSignal sig;
    sig.tones = {{80, 0.3}, {440, 0.2}, {3000, 0.1}};
    sig.dNoise = 0.05;
    return sig;
}

void Report(const char* pszWhat, double dCpuShare)
{
    std::printf("%-44s %8.1f us per 30 ms frame = %6.3f %% of a core; ratio to the 1 %% target %.3f\n", pszWhat,
                dCpuShare * kFrameSec * 1e6, dCpuShare * 100, dCpuShare / kCpuTarget);
}

// Twenty onsets of the tone after a quiet spell of nQuietMs (plus up to 40 ms
// of jitter): the delay to the probe's first frame that shows it, each.
template <class Probe>
std::vector<double> MeasureOnsets(CSyntheticAudioSource& src, Probe& probe, int nQuietMs)
{
    std::vector<double> delays;
    std::minstd_rand rng(7);
    for (int i = 0; i < 20; ++i) {
        src.SetSignal({});
        std::this_thread::sleep_for(std::chrono::milliseconds(nQuietMs + int(rng() % 40)));
        const auto t0 = Clock::now();
        probe.Arm(t0);
        src.SetSignal({{{kTone, 0.5}}});
        double dMs = 0;
        const auto tEnd = t0 + 1s;
        while (!probe.Seen(dMs) && Clock::now() < tEnd) std::this_thread::sleep_for(1ms);
        if (probe.Seen(dMs)) delays.push_back(dMs);
    }
    return delays;
}

void ReportDelay(const char* pszWhat, std::vector<double> v)
{
    if (v.empty()) {
        std::printf("%-44s no onset seen\n", pszWhat);
        return;
    }
    std::sort(v.begin(), v.end());
    const double dMedian = v[v.size() / 2];
    std::printf("%-44s median %5.1f ms, max %5.1f ms over %zu onsets; ratio to the 50 ms target %.2f (max %.2f)\n",
                pszWhat, dMedian, v.back(), v.size(), dMedian / kDelayTargetMs, v.back() / kDelayTargetMs);
}

void SyntheticCpu(double dSeconds)
{
    const AudioFormat fmt{48000, 2, 32, true};
    const size_t nPacket = 480;  // 10 ms
    const size_t nPackets = size_t(dSeconds * 100);
    std::minstd_rand rng(1);
    std::vector<std::vector<uint8_t>> packets;
    for (size_t i = 0; i < 100; ++i)  // one second, replayed
        packets.push_back(CSyntheticAudioSource::Render(Music(), fmt, i * nPacket, nPacket, rng));

    CSyntheticAudioSource src(fmt, CSyntheticAudioSource::Mode::Manual);
    CFrameLoop frames;
    CAudioClient client(src);
    client.SetMeter(&frames);
    if (!client.OnFormat(fmt, "bench")) return;
    int levels[kBandCount];
    const double t0 = ThreadCpu();
    for (size_t i = 0; i < nPackets; ++i) {
        const std::vector<uint8_t>& p = packets[i % packets.size()];
        client.OnPacket(p.data(), p.size());
        if (i % 3 == 2) frames.Meter().GetLevels(levels, kBandCount);  // the 30 ms frame's read
    }
    const double dCpu = ThreadCpu() - t0;
    Report("synthetic, 48 kHz float stereo:", dCpu / dSeconds);
}

// The demo keyboard's layout and effect files, as the program loads them.
bool LoadDemoKeyboard(MusicLayout& layout, std::filesystem::path& etDir)
{
    static bool bLoaded = false;
    const std::filesystem::path src = ZV_SOURCE_DIR;
    etDir = src / "data" / "ET";
    if (!bLoaded) {
        CRecordingPrompt prompt;
        LogConfig quiet;
        quiet.debugOut = [](const std::string&) {};
        const CIniFile cfg = CIniFile::Load(src / "data" / "cfg.ini");
        if (!cfg.Exists() || !DataInit(cfg, prompt, quiet) || !PostInit(prompt)) return false;
        bLoaded = true;
    }
    layout = MakeMusicLayout(std::span(g_defKEY, kKbDefKeyNum));
    return !layout.keys.empty();
}

void PipelineCpu(double dSeconds)
{
    MusicLayout layout;
    std::filesystem::path etDir;
    if (!LoadDemoKeyboard(layout, etDir)) {
        std::printf("pipeline: skipped (the demo configuration could not be loaded)\n");
        return;
    }
    const AudioFormat fmt{48000, 2, 32, true};
    const size_t nPacket = 480;
    const size_t nPackets = size_t(dSeconds * 100);
    std::minstd_rand rng(1);
    std::vector<std::vector<uint8_t>> packets;
    for (size_t i = 0; i < 100; ++i)
        packets.push_back(CSyntheticAudioSource::Render(Music(), fmt, i * nPacket, nPacket, rng));
    for (int nMode : {int(kMusicBars), int(kMusicFlower), int(kMusicSplashes), int(kMusicWave)}) {
        CSyntheticAudioSource src(fmt, CSyntheticAudioSource::Mode::Manual);
        CFrameLoop frames;
        CAudioClient client(src);
        client.SetMeter(&frames);
        if (!client.OnFormat(fmt, "bench")) return;
        MusicSettings s;
        s.bMusicOff = 0;
        s.nMusicMode = nMode;
        const MusicGroups groups = LoadMusicGroups(etDir, layout, nMode, nullptr);
        MusicEffectState st(1);
        MusicFrame frame{};
        BandLevels lv{};
        int levels[CPeakMeter::kMaxBands];
        volatile unsigned nSum = 0;
        const double t0 = ThreadCpu();
        for (size_t i = 0; i < nPackets; ++i) {
            const std::vector<uint8_t>& p = packets[i % packets.size()];
            client.OnPacket(p.data(), p.size());
            if (i % 3 == 2) {
                frames.Meter().GetLevels(levels, CPeakMeter::kMaxBands);
                std::copy_n(levels, kBandCount, lv.begin());
                if (MusicStep(st, layout, groups, s, {2, 1, 0}, lv, frame)) nSum = nSum + frame[5];
            }
        }
        const double dCpu = ThreadCpu() - t0;
        char szWhat[64];
        std::snprintf(szWhat, sizeof szWhat, "pipeline to the frame, effect %d:", nMode);
        Report(szWhat, dCpu / dSeconds);
    }
}

// Records when the first frame with the tone's bar lit is handed over.
class CFrameClock final : public IMusicOutput {
public:
    explicit CFrameClock(int nLed) : m_nLed(nLed) {}
    void Arm(Clock::time_point t0)
    {
        std::lock_guard lock(m_mtx);
        m_t0 = t0;
        m_bArmed = true;
        m_bSeen = false;
    }
    bool Seen(double& dMs)
    {
        std::lock_guard lock(m_mtx);
        if (m_bSeen) dMs = std::chrono::duration<double, std::milli>(m_tSeen - m_t0).count();
        return m_bSeen;
    }
    bool Present() override { return true; }
    bool Paused() override { return false; }
    bool SendFrame(std::span<const uint8_t> f) override
    {
        std::lock_guard lock(m_mtx);
        if (m_bArmed && !m_bSeen && (f[size_t(m_nLed) * 3] | f[size_t(m_nLed) * 3 + 1] | f[size_t(m_nLed) * 3 + 2])) {
            m_bSeen = true;
            m_tSeen = Clock::now();
        }
        return true;
    }
    bool Restore() override { return true; }

private:
    const int m_nLed;
    std::mutex m_mtx;
    Clock::time_point m_t0, m_tSeen;
    bool m_bArmed = false, m_bSeen = false;
};

void FrameDelay()
{
    MusicLayout layout;
    std::filesystem::path etDir;
    if (!LoadDemoKeyboard(layout, etDir)) return;
    const EtBars bars = ReadEtBars(etDir / "audiobar.txt", layout);
    if (bars.bars.size() <= size_t(kToneBand) || bars.bars[kToneBand].empty()) return;
    const AudioFormat fmt{48000, 2, 32, true};
    CSyntheticAudioSource src(fmt, CSyntheticAudioSource::Mode::Threaded);
    src.SetPacketFrames(480);
    CFrameLoop meter;
    CAudioClient client(src);
    client.SetMeter(&meter);
    CFrameClock out(bars.bars[kToneBand][0][0]);
    MusicRunnerCfg rc;
    rc.layout = layout;
    rc.etDir = etDir;
    CMusicRunner runner(meter.Meter(), out, rc);
    MusicSettings s;
    s.bMusicOff = 0;
    s.bMusicColorful = 0;
    runner.SetSettings(s);
    client.StartCapture();
    runner.Start();
    const std::vector<double> delays = MeasureOnsets(src, out, 200);
    runner.Stop();
    client.StopCapture();
    ReportDelay("onset to the effect's frame, synthetic:", delays);
}

void SyntheticDelay()
{
    const AudioFormat fmt{48000, 2, 32, true};
    CSyntheticAudioSource src(fmt, CSyntheticAudioSource::Mode::Threaded);
    src.SetPacketFrames(480);
    CFrameLoop frames;
    CAudioClient client(src);
    client.SetMeter(&frames);
    std::jthread loop([&](std::stop_token st) { frames.Run(st); });
    client.StartCapture();
    const std::vector<double> delays = MeasureOnsets(src, frames, 150);
    client.StopCapture();
    ReportDelay("onset to frame, synthetic 10 ms packets:", delays);
}

void RealServer()
{
    pulsetest::CPulseTestServer server;
    const std::string strWhy = server.Start({{"vsink", 48000, "float32le"}});
    if (!strWhy.empty()) {
        std::printf("real server: skipped (%s)\n", strWhy.c_str());
        return;
    }
    ::setenv("PULSE_SERVER", server.ServerAddress().c_str(), 1);
    CPulseAudioSource src;
    CFrameLoop frames;
    CAudioClient client(src);
    client.SetMeter(&frames);
    std::jthread loop([&](std::stop_token st) { frames.Run(st); });
    client.StartCapture();
    const auto tLimit = Clock::now() + 3s;
    while (client.Status() != AudioStatus::Capturing && Clock::now() < tLimit) std::this_thread::sleep_for(5ms);
    server.Nudge("vsink");
    std::this_thread::sleep_for(300ms);

    // Delay from the start of a player to the frame.
    std::vector<double> delays;
    for (int i = 0; i < 5; ++i) {
        double dMs = 0;
        const auto t0 = Clock::now();
        frames.Arm(t0);
        const pid_t pid = server.PlayTone("vsink", kTone, 0.5, 48000, 0.5);
        while (!frames.Seen(dMs) && Clock::now() < t0 + 2s) std::this_thread::sleep_for(1ms);
        if (frames.Seen(dMs)) delays.push_back(dMs);
        pulsetest::CPulseTestServer::Reap(pid);
        std::this_thread::sleep_for(200ms);
    }

    // CPU while a tone plays for three seconds.
    const pid_t pid = server.PlayTone("vsink", kTone, 0.5, 48000, 4.0);
    std::this_thread::sleep_for(300ms);
    const uint64_t nBlocks0 = client.Blocks();
    const double dCpu0 = ProcessCpu();
    const auto threads0 = ThreadTimes();
    const auto tWall0 = Clock::now();
    std::this_thread::sleep_for(3s);
    const double dCpu = ProcessCpu() - dCpu0;
    const auto threads1 = ThreadTimes();
    const double dWall = std::chrono::duration<double>(Clock::now() - tWall0).count();
    const uint64_t nBlocks = client.Blocks() - nBlocks0;
    pulsetest::CPulseTestServer::Reap(pid);
    client.StopCapture();
    ::unsetenv("PULSE_SERVER");
    Report("real server, 48 kHz float stereo (process):", dCpu / dWall);
    // The busiest thread is the capture thread (the others sleep or run the 30 ms loop).
    std::map<int, double> before(threads0.begin(), threads0.end());
    double dTop = 0;
    for (const auto& [tid, t] : threads1) dTop = std::max(dTop, t - before[tid]);
    Report("real server, busiest thread (10 ms ticks):", dTop / dWall);
    std::printf("%-44s %.1f blocks per second (48000 / 1024 = 46.9 expected)\n", "", double(nBlocks) / dWall);
    ReportDelay("onset to frame, real server from pacat start:", delays);
}

}  // namespace

int main(int argc, char** argv)
{
    const double dSeconds = argc > 1 ? std::max(1.0, std::atof(argv[1])) : 20.0;
    SyntheticCpu(dSeconds);
    PipelineCpu(dSeconds);
    SyntheticDelay();
    FrameDelay();
    RealServer();
    return 0;
}
