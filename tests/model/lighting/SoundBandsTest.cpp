// Band levels of known signals, through the whole block path: tones light their
// bands, silence gives the silent frame, full-scale noise stays in range.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "lighting/AudioClient.h"
#include "lighting/PeakMeter.h"
#include "lighting/SyntheticAudioSource.h"

namespace {

constexpr AudioFormat kFloat48{48000, 2, 32, true};

// Feeds a signal through a client by hand and returns the bands of the last block.
struct Rig : IBandSink {
    explicit Rig(const AudioFormat& fmt) : src(fmt, CSyntheticAudioSource::Mode::Manual)
    {
        client.SetMeter(this);
        client.StartCapture();
    }
    BandLevels Run(const SynthSignal& sig, size_t nFrames = 4096)
    {
        src.SetSignal(sig);
        EXPECT_TRUE(src.Pump(nFrames));
        EXPECT_GT(nFrames_, 0);
        return client.vecBands;
    }
    void SetBandLevels(const int* p, int n) override
    {
        meter.SetBandLevels(p, n);
        ++nFrames_;
    }
    void SetActive(bool b) override { meter.SetActive(b); }

    CSyntheticAudioSource src;
    CAudioClient client{src};
    CPeakMeter meter{kBandCount};
    int nFrames_ = 0;
};

// The centre frequency of the bin a band reads, for a 1024-sample block.
double BinCentre(int nBand, unsigned nRate) { return double(kBandFreqs[size_t(nBand)] * 1024 / int(nRate)) * nRate / 1024; }

class ToneBands : public ::testing::TestWithParam<int> {};

TEST_P(ToneBands, AToneLightsItsOwnBand)
{
    const int nBand = GetParam();
    Rig rig(kFloat48);
    const BandLevels bands = rig.Run({{{BinCentre(nBand, 48000), 0.5}}});
    const auto itMax = std::max_element(bands.begin(), bands.end());
    EXPECT_EQ(itMax - bands.begin(), nBand);
    EXPECT_EQ(*itMax, 96);  // half of full scale: 40 * log10(1024 / 2 * 0.5)
    for (int b = 0; b < kBandCount; ++b) {
        if (kBandFreqs[size_t(b)] * 1024 / 48000 != kBandFreqs[size_t(nBand)] * 1024 / 48000) {
            EXPECT_LT(bands[size_t(b)], *itMax - 40) << "band " << b;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(SoundBands, ToneBands, ::testing::Values(2, 7, 12, 17, 20, 22));

TEST(SoundBands, AFullScaleToneOnABinReads108)
{
    Rig rig(kFloat48);
    const BandLevels bands = rig.Run({{{BinCentre(12, 48000), 1.0}}});
    EXPECT_EQ(bands[12], 108);
}

TEST(SoundBands, SilenceGivesTheSilentFrame)
{
    for (bool bFlag : {false, true}) {  // zero samples, and packets marked silent
        Rig rig(kFloat48);
        SynthSignal sig;
        sig.bSilent = bFlag;
        const BandLevels bands = rig.Run(sig);
        for (int v : bands) EXPECT_EQ(v, kBandSilent);
        std::vector<int> levels(kBandCount);
        rig.meter.GetLevels(levels.data(), kBandCount);
        EXPECT_EQ(levels, std::vector<int>(kBandCount, 0));
    }
}

TEST(SoundBands, FullScaleNoiseStaysInRange)
{
    for (const AudioFormat& fmt : {kFloat48, AudioFormat{44100, 2, 16, false}, AudioFormat{96000, 1, 16, false}}) {
        Rig rig(fmt);
        SynthSignal sig;
        sig.dNoise = 1.0;
        const BandLevels bands = rig.Run(sig, 16384);
        // No bin of a full-scale block can exceed N * 32767, i.e. 40 * log10(N).
        const size_t nBlock = CAudioClient::BlockBytes(fmt.nChannels, 16) / (fmt.nChannels * 2);
        const int nBound = int(40 * std::log10(double(nBlock)));
        for (int v : bands) {
            EXPECT_GT(v, kBandSilent);
            EXPECT_LE(v, nBound);
        }
        BandLevels sorted = bands;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_GT(sorted[kBandCount / 2], 40);  // white noise fills the bins: about 10 * log10(N / 3) * 2
    }
}

TEST(SoundBands, FloatSamplesPastFullScaleClampInsteadOfWrapping)
{
    // Square waves at 1.5 and 3.0 of full scale both clamp to the 16-bit
    // limits; wrapped instead, 1.5 would become an inverted square at half
    // scale (12 lower) and 3.0 another one again.
    auto square = [](float fAmp) {
        std::vector<float> v(4096 * 2);
        for (size_t i = 0; i < 4096; ++i) v[2 * i] = v[2 * i + 1] = (i / 16) % 2 ? fAmp : -fAmp;
        return v;
    };
    BandLevels out[2];
    const float amps[2] = {1.5f, 3.0f};
    for (int i = 0; i < 2; ++i) {
        CSyntheticAudioSource src(kFloat48, CSyntheticAudioSource::Mode::Manual);
        CAudioClient client(src);
        ASSERT_TRUE(client.OnFormat(kFloat48, "x"));
        const std::vector<float> v = square(amps[i]);
        client.OnPacket(reinterpret_cast<const uint8_t*>(v.data()), v.size() * 4);
        out[i] = client.vecBands;
    }
    EXPECT_EQ(out[0], out[1]);
    EXPECT_EQ(out[0][13], 112);  // 1.5 kHz fundamental of a full-scale square: 4/pi of a sine
}

TEST(SoundBands, BandsAtOrAboveHalfTheRateAreZero)
{
    struct Case { unsigned nRate; std::vector<int> zero; } cases[] = {
        {22050, {21, 22}},  // 14 and 16 kHz above 11.025 kHz
        {32000, {22}},      // exactly half the rate has no bin either
        {16000, {19, 20, 21, 22}},
    };
    for (const Case& c : cases) {
        Rig rig({c.nRate, 2, 16, false});
        SynthSignal sig;  // a soft tone on the bin of every band that has one
        for (int b = 0; b < kBandCount; ++b)
            if (kBandFreqs[size_t(b)] * 2 < int(c.nRate)) sig.tones.push_back({BinCentre(b, c.nRate), 0.04});
        // (a band whose bin is 0 reads the constant part, which no tone has)
        const BandLevels bands = rig.Run(sig, 8192);
        for (int b = 0; b < kBandCount; ++b) {
            const bool bZero = std::find(c.zero.begin(), c.zero.end(), b) != c.zero.end();
            if (bZero) {
                EXPECT_EQ(bands[size_t(b)], 0) << c.nRate << " band " << b;
            } else if (BinCentre(b, c.nRate) > 0) {
                EXPECT_GT(bands[size_t(b)], 40) << c.nRate << " band " << b;
            }
        }
    }
}

TEST(SoundBands, BandsFromPowerTable)
{
    // Direct: a bin with power F reads 0, 101 F reads 40, F/2 reads -6 (truncated), none reads silent.
    std::vector<float> power(512, 0.0f);
    const float f = 32767.0f * 32767.0f;
    power[21] = f;          // 1000 Hz at 48 kHz, N 1024
    power[10] = 101 * f;    // 500 Hz
    power[85] = f / 2;      // 4000 Hz
    const BandLevels bands = ComputeBands(power.data(), 1024, 48000, false);
    EXPECT_EQ(bands[12], 0);
    EXPECT_EQ(bands[9], 40);
    EXPECT_EQ(bands[17], -6);
    EXPECT_EQ(bands[0], kBandSilent);
    power[0] = 127.0f * 127.0f;  // 8-bit data has its own reference
    EXPECT_EQ(ComputeBands(power.data(), 1024, 48000, true)[0], 0);
}

}  // namespace
