// The levels behind the peak meter: each new frame of band levels is clamped to
// the grid, scaled by the gain and averaged with the frames before it. The
// capture thread feeds it, the effect thread and the window read it.
#pragma once

#include <array>
#include <atomic>
#include <mutex>

class CPeakMeter {
public:
    static constexpr int kMaxBands = 30;
    static constexpr int kMaxHistory = 15;
    static constexpr int kGridMax = 100;

    explicit CPeakMeter(int nBands);

    int BandCount() const { return m_nBands; }
    // Sensitivity factor applied after clamping; levels may then exceed the grid.
    void SetGain(float fGain);
    float Gain() const;
    // Smoothing length in frames, 1..kMaxHistory.
    void SetAverage(int nAverage);
    int Average() const;

    // One frame: values beyond the band count are ignored, missing ones are 0.
    void SetBandLevels(const int* pLevels, int nCount);
    // Copies the smoothed levels; returns the band count.
    int GetLevels(int* pOut, int nMax) const;

    // Set while capture runs; going inactive forgets the history, so a stopped
    // meter reads as silence.
    void SetActive(bool bActive);
    bool IsActive() const { return m_bActive.load(); }

private:
    const int m_nBands;
    mutable std::mutex m_mtx;  // guards everything below
    float m_fGain = 1.0f;
    int m_nAverage = 4;
    std::array<std::array<int, kMaxBands>, kMaxHistory> m_history{};
    int m_nNext = 0;  // history slot the next frame goes to
    std::array<int, kMaxBands> m_levels{};
    std::atomic<bool> m_bActive{false};
};
