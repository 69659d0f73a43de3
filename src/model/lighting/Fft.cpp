#include "lighting/Fft.h"

#include <cmath>
#include <numbers>
#include <stdexcept>

namespace FFT {

bool IsPowerOfTwo(size_t n) { return n != 0 && (n & (n - 1)) == 0; }

namespace {

size_t ReverseBits(size_t nIndex, unsigned nBits)
{
    size_t nRev = 0;
    for (unsigned i = 0; i < nBits; ++i, nIndex >>= 1) nRev = (nRev << 1) | (nIndex & 1);
    return nRev;
}

}  // namespace

void Compute(size_t nSamples, const float* pIn, float* pRe, float* pIm)
{
    if (!IsPowerOfTwo(nSamples)) throw std::invalid_argument("Number of samples must be power of 2");
    if (!pIn || !pRe || !pIm) throw std::invalid_argument("Invalid argument");

    unsigned nBits = 0;
    while ((size_t(1) << nBits) < nSamples) ++nBits;
    for (size_t i = 0; i < nSamples; ++i) {
        pRe[ReverseBits(i, nBits)] = pIn[i];
        pIm[i] = 0;
    }

    // Stages of size 2, 4, ... N; each combines pairs of half-size transforms
    // with the twiddle factor e^(-2*pi*i*k/size). The factor is stepped by one
    // complex multiply in double, accurate enough for N up to 2^16.
    for (size_t nSize = 2; nSize <= nSamples; nSize <<= 1) {
        const size_t nHalf = nSize / 2;
        const double dAngle = -2.0 * std::numbers::pi / double(nSize);
        const double dStepRe = std::cos(dAngle), dStepIm = std::sin(dAngle);
        double dWRe = 1.0, dWIm = 0.0;
        for (size_t k = 0; k < nHalf; ++k) {
            for (size_t i = k; i < nSamples; i += nSize) {
                const size_t j = i + nHalf;
                const double dTRe = dWRe * pRe[j] - dWIm * pIm[j];
                const double dTIm = dWRe * pIm[j] + dWIm * pRe[j];
                pRe[j] = float(pRe[i] - dTRe);
                pIm[j] = float(pIm[i] - dTIm);
                pRe[i] = float(pRe[i] + dTRe);
                pIm[i] = float(pIm[i] + dTIm);
            }
            const double dNext = dWRe * dStepRe - dWIm * dStepIm;
            dWIm = dWRe * dStepIm + dWIm * dStepRe;
            dWRe = dNext;
        }
    }
}

}  // namespace FFT
