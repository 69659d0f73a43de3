// The transform against a plain DFT, and the counts it refuses.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <stdexcept>
#include <vector>

#include "lighting/Fft.h"

namespace {

class FftSizes : public ::testing::TestWithParam<size_t> {};

TEST_P(FftSizes, MatchesADirectTransform)
{
    const size_t n = GetParam();
    std::mt19937 rng{unsigned(n)};
    std::uniform_real_distribution<float> dist(-32768.0f, 32767.0f);
    std::vector<float> in(n), re(n), im(n);
    for (float& f : in) f = dist(rng);
    FFT::Compute(n, in.data(), re.data(), im.data());

    double dMaxErr = 0, dScale = 0;
    for (size_t k = 0; k < n; ++k) {
        double dRe = 0, dIm = 0;
        for (size_t t = 0; t < n; ++t) {
            const double a = -2 * std::numbers::pi * double(k * t % n) / double(n);
            dRe += in[t] * std::cos(a);
            dIm += in[t] * std::sin(a);
        }
        dMaxErr = std::max({dMaxErr, std::abs(dRe - re[k]), std::abs(dIm - im[k])});
        dScale = std::max({dScale, std::abs(dRe), std::abs(dIm)});
    }
    EXPECT_LT(dMaxErr, 1e-5 * dScale) << "N=" << n;
}

INSTANTIATE_TEST_SUITE_P(Fft, FftSizes, ::testing::Values(2, 8, 64, 1024, 2048));

TEST(Fft, RefusesCountsThatAreNotPowersOfTwoAndMissingBuffers)
{
    std::vector<float> buf(1024);
    for (size_t n : {0, 3, 1000, 1023}) {
        try {
            FFT::Compute(n, buf.data(), buf.data(), buf.data());
            ADD_FAILURE() << "N=" << n << " accepted";
        } catch (const std::invalid_argument& e) {
            EXPECT_STREQ(e.what(), "Number of samples must be power of 2");
        }
    }
    try {
        FFT::Compute(8, buf.data(), nullptr, buf.data());
        ADD_FAILURE() << "missing output accepted";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "Invalid argument");
    }
}

}  // namespace
