// Our own Fourier transform: radix-2, decimation in time, over real input.
#pragma once

#include <cstddef>

namespace FFT {

bool IsPowerOfTwo(size_t n);

// Transforms nSamples real samples (a power of two) into pRe/pIm, each
// nSamples long. A count that is 0 or not a power of two throws
// std::invalid_argument("Number of samples must be power of 2"); a missing
// buffer throws std::invalid_argument("Invalid argument"). Callers on a capture
// thread check the count first, so the hot path never throws.
void Compute(size_t nSamples, const float* pIn, float* pRe, float* pIm);

}  // namespace FFT
