#include "lighting/PeakMeter.h"

#include <algorithm>

CPeakMeter::CPeakMeter(int nBands) : m_nBands(std::clamp(nBands, 1, kMaxBands)) {}

void CPeakMeter::SetGain(float fGain)
{
    std::lock_guard lock(m_mtx);
    m_fGain = fGain > 0 ? fGain : 0.0f;
}

float CPeakMeter::Gain() const
{
    std::lock_guard lock(m_mtx);
    return m_fGain;
}

void CPeakMeter::SetAverage(int nAverage)
{
    std::lock_guard lock(m_mtx);
    m_nAverage = std::clamp(nAverage, 1, kMaxHistory);
}

int CPeakMeter::Average() const
{
    std::lock_guard lock(m_mtx);
    return m_nAverage;
}

void CPeakMeter::SetBandLevels(const int* pLevels, int nCount)
{
    std::lock_guard lock(m_mtx);
    std::array<int, kMaxBands>& frame = m_history[size_t(m_nNext)];
    for (int b = 0; b < m_nBands; ++b) {
        const int nValue = b < nCount && pLevels ? std::clamp(pLevels[b], 0, kGridMax) : 0;
        frame[size_t(b)] = int(float(nValue) * m_fGain);
    }
    m_nNext = (m_nNext + 1) % kMaxHistory;
    for (int b = 0; b < m_nBands; ++b) {
        int nSum = 0;
        for (int i = 1; i <= m_nAverage; ++i) nSum += m_history[size_t((m_nNext - i + kMaxHistory) % kMaxHistory)][size_t(b)];
        m_levels[size_t(b)] = nSum / m_nAverage;
    }
}

int CPeakMeter::GetLevels(int* pOut, int nMax) const
{
    std::lock_guard lock(m_mtx);
    std::copy_n(m_levels.begin(), std::min(nMax, m_nBands), pOut);
    return m_nBands;
}

void CPeakMeter::SetActive(bool bActive)
{
    if (!bActive) {
        std::lock_guard lock(m_mtx);
        m_history = {};
        m_levels = {};
    }
    m_bActive = bActive;
}
