// From a transformed block to the 23 band levels the music lighting follows.
#pragma once

#include <array>
#include <cstddef>

constexpr int kBandCount = 23;
constexpr std::array<int, kBandCount> kBandFreqs = {30,   60,   100,  160,  240,  300,  350,  400,
                                                    440,  500,  600,  800,  1000, 1500, 2000, 2600,
                                                    3000, 4000, 6000, 8000, 10000, 14000, 16000};
// The level of a bin with no energy at all (log of zero); the meter shows it as 0.
constexpr int kBandSilent = -200;

using BandLevels = std::array<int, kBandCount>;

// power[k] = re[k]^2 + im[k]^2 for k in 0 .. N/2-1.
void ComputePower(size_t nSamples, const float* pRe, const float* pIm, float* pPower);

// Band b: the bin of its frequency (f * N / rate, truncated) as
// trunc(20 * log10(power / F)), F = 127^2 for 8-bit data, 32767^2 otherwise.
// The transform is not normalised, so a loud tone gives a positive level (a
// full-scale sine on a bin of a 1024-sample block gives 108). A frequency at or
// above half the rate has no bin and gives 0; an empty bin gives kBandSilent.
BandLevels ComputeBands(const float* pPower, size_t nSamples, unsigned nSampleRate, bool b8Bit);
