// Captured sound to band levels. The client turns a source's packets into a
// 16-bit stream, cuts it into fixed blocks, transforms the left channel of each
// and hands the 23 band levels to the meter. It runs on the source's capture
// thread; the user-interface thread only starts and stops it.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "lighting/IAudioSource.h"
#include "lighting/RingBuffer.h"
#include "lighting/SoundBands.h"

// Receives the band levels of every block, on the capture thread.
class IBandSink {
public:
    virtual ~IBandSink() = default;
    virtual void SetBandLevels(const int* pLevels, int nCount) = 0;
    virtual void SetActive(bool bActive) = 0;
};

class CAudioClient final : public IAudioSink {
public:
    static constexpr int kLogPackets = 50;  // packet details are logged for the first ones only

    explicit CAudioClient(IAudioSource& source);
    ~CAudioClient() override;
    CAudioClient(const CAudioClient&) = delete;
    CAudioClient& operator=(const CAudioClient&) = delete;

    // Set before capture starts.
    void SetMeter(IBandSink* p) { pMeter = p; }
    // Called on the capture thread with every status change; must not block
    // (the page posts it to itself).
    void SetStatusCallback(std::function<void(AudioStatus, const std::string&)> fn) { m_fnStatus = std::move(fn); }

    // Nothing when capture is already wanted; otherwise starts a session.
    void StartCapture();
    // Ends the session and waits for its thread.
    void StopCapture();
    bool IsRunning() const { return bRunning.load(); }

    AudioStatus Status(std::string* pText = nullptr) const;
    // Changes of the default output followed since the last start.
    int Restarts() const { return m_nRestarts.load(); }
    // Blocks transformed since the last start.
    uint64_t Blocks() const { return m_nBlocks.load(); }

    // Splits a block of interleaved frames into the first two channels, as
    // float samples on a 16-bit scale (8-bit samples are (b - 128) * 64).
    // Returns the frames split; 0 for a bit depth other than 8 or 16.
    static size_t SplitChannels(const uint8_t* pData, size_t nBytes, unsigned nChannels, unsigned nBits, float* pLeft,
                                float* pRight, size_t nMaxFrames);
    // Transform block size in bytes of the 16-bit stream for a channel count
    // and sample width: 4096, 6144 for six channels, and whole frames for the
    // counts 4096 does not divide.
    static size_t BlockBytes(unsigned nChannels, unsigned nBits);

    // IAudioSink, called by the source on its thread (tests call them directly).
    bool OnFormat(const AudioFormat& fmt, const std::string& strDevId) override;
    void OnPacket(const uint8_t* pData, size_t nBytes) override;
    void OnStatus(AudioStatus status, const std::string& strText) override;

    // The current block, for tests once capture has stopped.
    std::vector<float> vecLeft, vecRight, vecRe, vecIm, vecPower;
    BandLevels vecBands{};
    size_t m_nNumSamples = 0;
    std::string szDevID;

private:
    void WriteConverted(const uint8_t* pData, size_t nBytes);
    void ProcessBlock();

    IAudioSource& m_source;
    IBandSink* pMeter = nullptr;
    std::function<void(AudioStatus, const std::string&)> m_fnStatus;
    std::atomic<bool> bRunning{false};

    // Session state, owned by the capture thread while a session runs.
    AudioFormat m_fmt;             // as the source delivers it
    bool m_bHaveFormat = false;
    int nDataType = 0;             // 1: float converted to 16-bit
    unsigned m_nBits = 0;          // of the converted stream
    unsigned m_nBlockAlign = 0;    // of the converted stream
    size_t nFFTSize = 0;           // bytes of the converted stream per block
    int nLogCount = 0;
    CRingBuffer m_ring;
    std::vector<uint8_t> m_block;
    std::vector<int16_t> m_convert;

    mutable std::mutex m_mtxStatus;
    AudioStatus m_status = AudioStatus::Stopped;
    std::string m_strStatus;
    std::atomic<int> m_nRestarts{0};
    std::atomic<uint64_t> m_nBlocks{0};
};
