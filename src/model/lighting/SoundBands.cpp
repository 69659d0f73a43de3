#include "lighting/SoundBands.h"

#include <cmath>
#include <cstdint>

void ComputePower(size_t nSamples, const float* pRe, const float* pIm, float* pPower)
{
    for (size_t k = 0; k < nSamples / 2; ++k)
        pPower[k] = float(double(pRe[k]) * pRe[k] + double(pIm[k]) * pIm[k]);
}

BandLevels ComputeBands(const float* pPower, size_t nSamples, unsigned nSampleRate, bool b8Bit)
{
    const double dFull = b8Bit ? 127.0 * 127.0 : 32767.0 * 32767.0;
    BandLevels bands{};
    for (int b = 0; b < kBandCount; ++b) {
        const uint64_t nFreq = uint64_t(kBandFreqs[size_t(b)]);
        if (nSampleRate == 0 || nFreq * 2 >= nSampleRate) {
            bands[size_t(b)] = 0;
            continue;
        }
        const size_t nBin = size_t(nFreq * nSamples / nSampleRate);
        const double dPower = pPower[nBin];
        if (!(dPower > 0)) {
            bands[size_t(b)] = kBandSilent;
            continue;
        }
        const double dLevel = std::trunc(20.0 * std::log10(dPower / dFull));
        bands[size_t(b)] = dLevel < kBandSilent ? kBandSilent : int(dLevel);
    }
    return bands;
}
