// Capture of the sound being played: the monitor of the sound server's default
// output, through libpulse's asynchronous API on a thread of our own. Works on
// PulseAudio and on PipeWire's PulseAudio server. A change of the default
// output restarts the stream once on the new output's monitor; a server that
// goes away is reconnected to a few times before capture gives up.
#pragma once

#include <atomic>
#include <mutex>
#include <thread>

#include "lighting/IAudioSource.h"

struct pa_mainloop;

class CPulseAudioSource final : public IAudioSource {
public:
    CPulseAudioSource() = default;
    ~CPulseAudioSource() override;
    CPulseAudioSource(const CPulseAudioSource&) = delete;
    CPulseAudioSource& operator=(const CPulseAudioSource&) = delete;

    void Start(IAudioSink& sink) override;
    void Stop() override;

    bool HasThread() const { return m_thread.joinable(); }
    // True once the capture thread ended by itself (no server, a failure).
    bool Ended() const { return m_bEnded.load(); }

private:
    void Run(std::stop_token stop, IAudioSink* pSink);

    std::jthread m_thread;
    std::mutex m_mtxLoop;  // guards m_pLoop: Stop wakes the loop it points at
    pa_mainloop* m_pLoop = nullptr;
    std::atomic<bool> m_bEnded{false};
};
