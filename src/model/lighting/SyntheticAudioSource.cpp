#include "lighting/SyntheticAudioSource.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <numbers>
#include <utility>

CSyntheticAudioSource::CSyntheticAudioSource(const AudioFormat& fmt, Mode mode, std::string strDevId)
    : m_fmt(fmt), m_mode(mode), m_strDevId(std::move(strDevId))
{
}

CSyntheticAudioSource::~CSyntheticAudioSource() { Stop(); }

void CSyntheticAudioSource::SetPacketFrames(size_t nFrames) { m_nPacketFrames = nFrames ? nFrames : 1; }

void CSyntheticAudioSource::SetSignal(const SynthSignal& sig)
{
    std::lock_guard lock(m_mtx);
    m_sig = sig;
}

void CSyntheticAudioSource::ChangeDevice(const std::string& strDevId, const AudioFormat& fmt)
{
    std::lock_guard lock(m_mtx);
    m_bChangePending = true;
    m_strDevPending = strDevId;
    m_fmtPending = fmt;
}

void CSyntheticAudioSource::FailNextStart(AudioStatus status, std::string strText)
{
    std::lock_guard lock(m_mtx);
    m_failStatus = status;
    m_strFail = std::move(strText);
}

void CSyntheticAudioSource::Start(IAudioSink& sink)
{
    Stop();
    m_pSink = &sink;
    m_bSession = false;
    {
        std::lock_guard lock(m_mtx);
        if (!m_strFail.empty()) {
            const std::string strText = std::exchange(m_strFail, {});
            sink.OnStatus(m_failStatus, strText);
            m_pSink = nullptr;
            return;
        }
    }
    if (m_mode == Mode::Threaded) m_thread = std::jthread([this](std::stop_token stop) { Run(stop); });
}

void CSyntheticAudioSource::Stop()
{
    if (m_thread.joinable()) {
        m_thread.request_stop();
        m_thread.join();
    }
    if (m_pSink && m_bSession) m_pSink->OnStatus(AudioStatus::Stopped, "capture stopped");
    m_pSink = nullptr;
    m_bSession = false;
}

bool CSyntheticAudioSource::Pump(size_t nFrames)
{
    if (m_mode != Mode::Manual || !m_pSink) return false;
    return Deliver(nFrames);
}

bool CSyntheticAudioSource::Deliver(size_t nFrames)
{
    SynthSignal sig;
    {
        std::lock_guard lock(m_mtx);
        if (m_bChangePending) {
            m_bChangePending = false;
            m_fmt = m_fmtPending;
            m_strDevId = m_strDevPending;
            m_bSession = false;
        }
        sig = m_sig;
    }
    if (!m_bSession) {
        ++m_nSessions;
        if (!m_pSink->OnFormat(m_fmt, m_strDevId)) {
            m_pSink = nullptr;
            return false;
        }
        m_bSession = true;
        m_pSink->OnStatus(AudioStatus::Capturing, "capturing " + m_strDevId);
    }
    while (nFrames) {
        const size_t n = std::min(nFrames, m_nPacketFrames);
        if (sig.bSilent) {
            m_pSink->OnPacket(nullptr, n * m_fmt.BlockAlign());
        } else {
            const std::vector<uint8_t> bytes = Render(sig, m_fmt, m_nSample, n, m_rng);
            m_pSink->OnPacket(bytes.data(), bytes.size());
        }
        m_nSample += n;
        nFrames -= n;
    }
    return true;
}

void CSyntheticAudioSource::Run(std::stop_token stop)
{
    // Paced like a capture: one packet of sound per packet duration.
    using clock = std::chrono::steady_clock;
    auto tNext = clock::now();
    std::mutex mtxWait;
    std::condition_variable_any cv;
    while (!stop.stop_requested()) {
        if (!Deliver(m_nPacketFrames)) return;
        tNext += std::chrono::microseconds(uint64_t(m_nPacketFrames) * 1000000 / std::max(1u, m_fmt.nSampleRate));
        std::unique_lock lock(mtxWait);
        cv.wait_until(lock, stop, tNext, [] { return false; });
    }
}

std::vector<uint8_t> CSyntheticAudioSource::Render(const SynthSignal& sig, const AudioFormat& fmt, uint64_t nStart,
                                                   size_t nFrames, std::minstd_rand& rng)
{
    std::vector<uint8_t> out(nFrames * fmt.BlockAlign());
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    uint8_t* p = out.data();
    for (size_t i = 0; i < nFrames; ++i) {
        const double t = double(nStart + i) / fmt.nSampleRate;
        double v = 0;
        for (const SynthTone& tone : sig.tones) v += tone.dAmplitude * std::sin(2 * std::numbers::pi * tone.dFreq * t);
        if (sig.dNoise > 0) v += sig.dNoise * noise(rng);
        v = std::clamp(v, -1.0, 1.0);
        for (unsigned c = 0; c < fmt.nChannels; ++c) {
            if (fmt.bFloat) {
                const float f = float(v);
                std::memcpy(p, &f, 4);
                p += 4;
            } else if (fmt.nBitsPerSample == 16) {
                const auto s = uint16_t(int16_t(std::lround(v * 32767)));
                *p++ = uint8_t(s & 0xFF);
                *p++ = uint8_t(s >> 8);
            } else {
                *p++ = uint8_t(128 + std::lround(v * 127));
            }
        }
    }
    return out;
}
