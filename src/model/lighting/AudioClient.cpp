#include "lighting/AudioClient.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>

#include "core/Log.h"
#include "lighting/Fft.h"

namespace {

constexpr size_t kConvertSamples = 8192;  // float samples converted per step

size_t NextPowerOfTwo(size_t n)
{
    size_t p = 1;
    while (p < n) p <<= 1;
    return p;
}

int16_t FloatToS16(float f)
{
    // Mixed float samples can go past full scale; clamp instead of wrapping.
    const float v = f * 32767.0f;
    if (!(v > -32768.0f)) return v != v ? 0 : -32768;  // also NaN -> 0
    if (v >= 32767.0f) return 32767;
    return int16_t(v);
}

bool IsSupported(const AudioFormat& fmt)
{
    if (fmt.nChannels < 1 || fmt.nChannels > 32 || fmt.nSampleRate < 1000 || fmt.nSampleRate > 768000) return false;
    return fmt.bFloat ? fmt.nBitsPerSample == 32 : fmt.nBitsPerSample == 8 || fmt.nBitsPerSample == 16;
}

}  // namespace

CAudioClient::CAudioClient(IAudioSource& source) : m_source(source) {}

CAudioClient::~CAudioClient() { StopCapture(); }

void CAudioClient::StartCapture()
{
    if (bRunning) return;
    // A session that ended by itself (no server, a failure) still has a
    // finished thread to collect before a new one starts.
    m_source.Stop();
    bRunning = true;
    nLogCount = 0;
    m_bHaveFormat = false;
    m_nRestarts = 0;
    m_nBlocks = 0;
    if (pMeter) pMeter->SetActive(true);
    LogPrintf("--------RecordAudioStream--------");
    m_source.Start(*this);
}

void CAudioClient::StopCapture()
{
    const bool bWas = bRunning.exchange(false);
    m_source.Stop();  // first, so no band frame lands after the meter went inactive
    if (pMeter) pMeter->SetActive(false);
    if (bWas) LogPrintf("RecordAudioStream exit");
}

AudioStatus CAudioClient::Status(std::string* pText) const
{
    std::lock_guard lock(m_mtxStatus);
    if (pText) *pText = m_strStatus;
    return m_status;
}

void CAudioClient::OnStatus(AudioStatus status, const std::string& strText)
{
    LogPrintf("Audio capture: %s", strText.c_str());
    {
        std::lock_guard lock(m_mtxStatus);
        m_status = status;
        m_strStatus = strText;
    }
    if (m_fnStatus) m_fnStatus(status, strText);
}

size_t CAudioClient::BlockBytes(unsigned nChannels, unsigned nBits)
{
    const size_t nAlign = size_t(nChannels) * nBits / 8;
    if (nAlign == 0) return 0;
    if (nChannels == 6) return 6144;
    if (4096 % nAlign == 0) return 4096;
    return 512 * nAlign;  // whole frames, a power-of-two count of them
}

bool CAudioClient::OnFormat(const AudioFormat& fmt, const std::string& strDevId)
{
    if (m_bHaveFormat) {
        LogPrintf("Audio device changed, Re StartRec");
        ++m_nRestarts;
        nLogCount = 0;
    }
    szDevID = strDevId;
    LogPrintf("szDevID= %s", szDevID.c_str());
    LogPrintf("Capture format: rate=%u, channels=%u, bits=%u, float=%d", fmt.nSampleRate, fmt.nChannels,
              fmt.nBitsPerSample, int(fmt.bFloat));
    if (!IsSupported(fmt)) {
        m_bHaveFormat = false;
        OnStatus(AudioStatus::Failed, "unsupported capture format");
        return false;
    }

    m_fmt = fmt;
    nDataType = fmt.bFloat ? 1 : 0;
    // Everything after conversion works on the converted stream: float
    // becomes 16-bit, integer data stays as it is.
    m_nBits = fmt.bFloat ? 16 : fmt.nBitsPerSample;
    m_nBlockAlign = fmt.nChannels * m_nBits / 8;
    nFFTSize = BlockBytes(fmt.nChannels, m_nBits);

    // 60 ms of audio rounded up to a power of two of bytes, but never fewer
    // frames than one transform block holds.
    const size_t nBytes60 = NextPowerOfTwo(size_t(double(fmt.nSampleRate) * fmt.BlockAlign() * 0.06));
    const size_t nFrames = std::max(nBytes60 / fmt.BlockAlign(), nFFTSize / m_nBlockAlign);
    for (std::vector<float>* v : {&vecLeft, &vecRight, &vecRe, &vecIm, &vecPower}) v->assign(nFrames, 0.0f);
    vecBands = {};
    m_nNumSamples = 0;
    m_block.assign(nFFTSize, 0);
    m_convert.assign(kConvertSamples, 0);
    if (!m_ring.IsCreated() && !m_ring.Create()) {
        OnStatus(AudioStatus::Failed, "no memory for the capture buffer");
        return false;
    }
    m_ring.Clear();
    m_bHaveFormat = true;
    LogPrintf("Start capture, nDataType=%d, nFFTSize=%zu", nDataType, nFFTSize);
    return true;
}

void CAudioClient::OnPacket(const uint8_t* pData, size_t nBytes)
{
    if (!m_bHaveFormat) return;
    if (nLogCount < kLogPackets) {
        LogPrintf("nAudioSize=%zu, numFramesAvailable=%zu", nBytes, nBytes / m_fmt.BlockAlign());
        ++nLogCount;
    }
    WriteConverted(pData, nBytes);
    while (m_ring.Unread() >= nFFTSize) {
        m_ring.Read(m_block.data(), nFFTSize);
        ProcessBlock();
    }
}

void CAudioClient::WriteConverted(const uint8_t* pData, size_t nBytes)
{
    const unsigned nInBytes = m_fmt.nBitsPerSample / 8;
    size_t nSamples = nBytes / nInBytes;
    if (!pData) {  // silence in the converted width
        std::fill(m_convert.begin(), m_convert.end(), int16_t(0));
        size_t nOut = nSamples * (m_nBits / 8);
        const uint8_t byZero = m_nBits == 8 ? 0x80 : 0;  // 8-bit data is unsigned
        if (byZero) std::fill_n(reinterpret_cast<uint8_t*>(m_convert.data()), m_convert.size() * 2, byZero);
        while (nOut) {
            const size_t n = std::min(nOut, m_convert.size() * 2);
            m_ring.Write(reinterpret_cast<const uint8_t*>(m_convert.data()), n);
            nOut -= n;
        }
        return;
    }
    if (!nDataType) {
        m_ring.Write(pData, nSamples * nInBytes);
        return;
    }
    while (nSamples) {  // float, converted a chunk at a time
        const size_t n = std::min(nSamples, m_convert.size());
        for (size_t i = 0; i < n; ++i) {
            float f;
            std::memcpy(&f, pData + i * 4, 4);
            m_convert[i] = FloatToS16(f);
        }
        m_ring.Write(reinterpret_cast<const uint8_t*>(m_convert.data()), n * 2);
        pData += n * 4;
        nSamples -= n;
    }
}

size_t CAudioClient::SplitChannels(const uint8_t* pData, size_t nBytes, unsigned nChannels, unsigned nBits,
                                   float* pLeft, float* pRight, size_t nMaxFrames)
{
    if (nChannels == 0 || (nBits != 8 && nBits != 16)) return 0;
    const size_t nAlign = size_t(nChannels) * nBits / 8;
    const size_t nFrames = std::min(nBytes / nAlign, nMaxFrames);
    for (size_t i = 0; i < nFrames; ++i) {
        const uint8_t* p = pData + i * nAlign;
        if (nBits == 8) {
            pLeft[i] = float((int(p[0]) - 128) * 64);
            pRight[i] = nChannels > 1 ? float((int(p[1]) - 128) * 64) : pLeft[i];
        } else {
            pLeft[i] = float(int16_t(uint16_t(p[0] | (p[1] << 8))));
            pRight[i] = nChannels > 1 ? float(int16_t(uint16_t(p[2] | (p[3] << 8)))) : pLeft[i];
        }
    }
    return nFrames;
}

void CAudioClient::ProcessBlock()
{
    const bool bLog = nLogCount < kLogPackets;
    m_nNumSamples = SplitChannels(m_block.data(), m_block.size(), m_fmt.nChannels, m_nBits, vecLeft.data(),
                                  vecRight.data(), vecLeft.size());
    if (m_nNumSamples == 0) {
        if (bLog)
            LogPrintf("GetAudioData err, m_nNumSamples=%zu, nChannels=%u, wBitsPerSample=%u", m_nNumSamples,
                      m_fmt.nChannels, m_nBits);
        return;
    }
    if (!FFT::IsPowerOfTwo(m_nNumSamples)) {
        if (bLog) LogPrintf("m_nNumSamples=%zu is not 2^n", m_nNumSamples);
        m_nNumSamples = 0;
        return;
    }
    if (bLog) LogPrintf("FFT::Compute");
    try {
        FFT::Compute(m_nNumSamples, vecLeft.data(), vecRe.data(), vecIm.data());
    } catch (const std::exception& e) {  // cannot happen after the checks above
        LogPrintf("FFT::Compute: %s", e.what());
        m_nNumSamples = 0;
        return;
    }
    ComputePower(m_nNumSamples, vecRe.data(), vecIm.data(), vecPower.data());
    vecBands = ComputeBands(vecPower.data(), m_nNumSamples, m_fmt.nSampleRate, m_nBits == 8);
    if (pMeter) pMeter->SetBandLevels(vecBands.data(), kBandCount);
    ++m_nBlocks;
    m_nNumSamples = 0;
}
