// A clock whose time moves only when someone sleeps on it: device waits cost
// nothing, yet every wait asked for is recorded and the emulator can still
// measure the gap between a command and its answer. For tests and for runs of
// the command-line tool that should not take seconds.
#pragma once

#include <chrono>
#include <mutex>
#include <vector>

#include "device/IClock.h"

class CVirtualClock final : public IClock {
public:
    TimePoint Now() const override;
    // Moves time on by d and records the wait.
    void Sleep(Duration d) override;
    bool SleepUnless(Duration d, std::stop_token stop) override;
    // Moves time without recording a wait (time passing outside the program).
    void Advance(Duration d);

    // Every wait asked for, in order.
    std::vector<Duration> Sleeps() const;
    // The sum of the waits asked for.
    Duration TotalSlept() const;
    void ClearSleeps();

private:
    mutable std::mutex m_mtx;
    TimePoint m_now{std::chrono::hours(1)};  // away from zero, so "long ago" is representable
    std::vector<Duration> m_sleeps;
};
