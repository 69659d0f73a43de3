#include "ui/skin/SliderScale.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace slider {

bool ComputeScale(int nLength, int nThumb, int nCount, std::vector<int>& positions)
{
    nCount = std::clamp(nCount, 0, kMaxScale);
    positions.assign(size_t(nCount), 0);
    if (nCount == 0) return true;
    const int nHalf = nThumb / 2;
    if (nCount == 1) {
        // The even spacing divides by count - 1; a single value simply sits at the start.
        positions[0] = nHalf;
        return true;
    }
    const float fStep = float(nLength - nThumb) / float(nCount - 1);
    for (int i = 0; i < nCount; ++i)
        positions[size_t(i)] = int(std::floor(float(nHalf) + float(i) * fStep));
    return fStep > 0.0f;
}

int CenterOfValue(int v, int nLow, int nHigh, std::span<const int> scale, int nLength)
{
    const long long nIndex = (long long)v - nLow;
    if (nIndex >= 0 && nIndex < (long long)scale.size()) return scale[size_t(nIndex)];
    if (nHigh <= nLow) return 0;
    return int((long long)(nLength / (nHigh - nLow)) * nIndex);
}

int NearestIndexTieHigh(std::span<const int> positions, int nPoint)
{
    int nBest = -1;
    long long nBestDist = 0;
    for (size_t i = 0; i < positions.size(); ++i) {
        const long long nDist = std::llabs((long long)nPoint - positions[i]);
        if (nBest < 0 || nDist <= nBestDist) {
            nBest = int(i);
            nBestDist = nDist;
        }
    }
    return nBest;
}

int ValueAtPoint(int nPoint, int nLow, int nHigh, std::span<const int> scale, int nLength)
{
    if (nHigh <= nLow) return nLow;
    int nValue = nLow;
    if (!scale.empty()) {
        nValue = nLow + NearestIndexTieHigh(scale, nPoint);
    } else if (nLength > 0) {
        const long long nRange = (long long)nHigh - nLow;
        const long long nStep = nLength / nRange;
        const long long f = nRange * nPoint / nLength;
        const long long nDistLow = std::llabs(nPoint - nStep * f);
        const long long nDistHigh = std::llabs(nStep * (f + 1) - nPoint);
        nValue = int(nLow + (nDistHigh < nDistLow ? f + 1 : f));
    }
    return std::clamp(nValue, nLow, nHigh);
}

int NearestIndexSplit(std::span<const int> positions, int nPoint)
{
    const size_t nItems = positions.size();
    if (nItems == 0) return -1;
    const size_t nMid = nItems / 2;
    const size_t nFirst = nPoint < positions[nMid] ? 0 : nMid;
    const size_t nLast = nPoint < positions[nMid] ? nMid : nItems - 1;
    size_t nBest = nFirst;
    long long nBestDist = std::llabs((long long)nPoint - positions[nFirst]);
    for (size_t i = nFirst + 1; i <= nLast; ++i) {
        const long long nDist = std::llabs((long long)nPoint - positions[i]);
        if (nDist < nBestDist) {
            nBest = i;
            nBestDist = nDist;
        }
    }
    return int(std::min(nBest, nItems - 1));
}

int ProgressFill(int nPos, int nMin, int nMax, int nWidth)
{
    if (nMax <= nMin || nWidth <= 0) return 0;
    const long long nFill = ((long long)nPos - nMin) * nWidth / ((long long)nMax - nMin);
    return int(std::clamp<long long>(nFill, 0, nWidth));
}

int ProgressValueAt(int nX, int nMin, int nMax, int nWidth, bool bRelease)
{
    if (nMax <= nMin || nWidth <= 0) return nMin;
    const long long nValue = nMin + (bRelease ? 1 : 0) + ((long long)nMax - nMin) * nX / nWidth;
    return int(std::clamp<long long>(nValue, nMin, nMax));
}

}  // namespace slider
