// A sound source made of tones, noise and silence, for tests, the bench and
// the demo mode. It delivers packets either on a thread of its own, paced like
// a real capture, or when the caller pumps it, on the caller's thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "lighting/IAudioSource.h"

struct SynthTone {
    double dFreq = 0;       // Hz
    double dAmplitude = 0;  // of full scale
};

struct SynthSignal {
    std::vector<SynthTone> tones;
    double dNoise = 0;     // amplitude of uniform white noise, of full scale
    bool bSilent = false;  // packets marked silent (a muted output)
};

class CSyntheticAudioSource final : public IAudioSource {
public:
    enum class Mode { Manual, Threaded };

    CSyntheticAudioSource(const AudioFormat& fmt, Mode mode, std::string strDevId = "synthetic");
    ~CSyntheticAudioSource() override;

    // Frames per packet and, when threaded, the time between packets (the
    // packets then carry that much sound).
    void SetPacketFrames(size_t nFrames);
    void SetSignal(const SynthSignal& sig);
    // As if the default output moved to another device: the next packet starts
    // a new session with this format.
    void ChangeDevice(const std::string& strDevId, const AudioFormat& fmt);
    // Refuse the next start as a server that cannot be reached would.
    void FailNextStart(AudioStatus status, std::string strText);

    void Start(IAudioSink& sink) override;
    void Stop() override;

    // Manual mode: delivers nFrames in packets on the calling thread; false
    // when not started (or the sink refused the format).
    bool Pump(size_t nFrames);
    // Sessions begun (starts and device changes) since construction.
    int Sessions() const { return m_nSessions.load(); }
    bool HasThread() const { return m_thread.joinable(); }

    // Interleaved bytes of nFrames of a signal in a format, from sample index
    // nStart; the generator behind the source, also used to write test files.
    static std::vector<uint8_t> Render(const SynthSignal& sig, const AudioFormat& fmt, uint64_t nStart, size_t nFrames,
                                       std::minstd_rand& rng);

private:
    bool Deliver(size_t nFrames);  // under no lock; on the delivering thread
    void Run(std::stop_token stop);

    AudioFormat m_fmt;
    const Mode m_mode;
    std::string m_strDevId;
    size_t m_nPacketFrames = 480;
    std::mutex m_mtx;  // guards the signal and the pending change
    SynthSignal m_sig;
    bool m_bChangePending = false;
    AudioFormat m_fmtPending;
    std::string m_strDevPending;
    AudioStatus m_failStatus = AudioStatus::Capturing;
    std::string m_strFail;

    IAudioSink* m_pSink = nullptr;
    bool m_bSession = false;
    uint64_t m_nSample = 0;
    std::minstd_rand m_rng{12345};
    std::atomic<int> m_nSessions{0};
    std::jthread m_thread;
};
