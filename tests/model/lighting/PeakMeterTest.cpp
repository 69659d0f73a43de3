// The meter's levels: clamped, scaled, averaged over the last frames.
#include <gtest/gtest.h>

#include <vector>

#include "lighting/PeakMeter.h"

namespace {

std::vector<int> Levels(const CPeakMeter& m)
{
    std::vector<int> v(size_t(m.BandCount()));
    m.GetLevels(v.data(), int(v.size()));
    return v;
}

TEST(PeakMeter, ClampsThenScalesThenAverages)
{
    CPeakMeter m(3);
    m.SetAverage(4);
    m.SetGain(2.0f);
    const int frame[] = {-50, 70, 250};  // -> 0, 70, 100 -> x2 -> 0, 140, 200
    for (int i = 0; i < 4; ++i) m.SetBandLevels(frame, 3);
    EXPECT_EQ(Levels(m), (std::vector<int>{0, 140, 200}));

    m.SetGain(1.0f);
    const int zero[] = {0, 0, 0};
    m.SetBandLevels(zero, 3);  // mean of 140, 140, 140, 0
    EXPECT_EQ(Levels(m), (std::vector<int>{0, 105, 150}));
    m.SetAverage(1);  // a shorter window takes effect at the next frame
    m.SetBandLevels(frame, 3);
    EXPECT_EQ(Levels(m), (std::vector<int>{0, 70, 100}));
}

TEST(PeakMeter, GainIsTruncatedAndLongWindowsStartFromSilence)
{
    CPeakMeter m(2);
    m.SetAverage(12);
    m.SetGain(0.5f);
    const int frame[] = {99, 1};
    m.SetBandLevels(frame, 2);  // 49.5 -> 49, 0.5 -> 0; the other 11 frames are 0
    EXPECT_EQ(Levels(m), (std::vector<int>{4, 0}));
    m.SetAverage(99);
    EXPECT_EQ(m.Average(), CPeakMeter::kMaxHistory);
}

TEST(PeakMeter, GoingInactiveForgetsTheLevels)
{
    CPeakMeter m(2);
    m.SetActive(true);
    m.SetAverage(1);
    const int frame[] = {80, 90};
    m.SetBandLevels(frame, 2);
    EXPECT_EQ(Levels(m), (std::vector<int>{80, 90}));
    m.SetActive(false);
    EXPECT_FALSE(m.IsActive());
    EXPECT_EQ(Levels(m), (std::vector<int>{0, 0}));
    m.SetAverage(2);
    m.SetBandLevels(frame, 2);
    EXPECT_EQ(Levels(m), (std::vector<int>{40, 45}));  // no stale frame in the history
}

}  // namespace
