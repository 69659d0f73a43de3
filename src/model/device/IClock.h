// Time as the device code sees it: every wait the protocols fix (the gap
// between a command and its answer, the pause between retries) goes through
// a clock, so tests run in milliseconds and can still check the waits asked for.
#pragma once

#include <chrono>
#include <thread>

class IClock {
public:
    using Duration = std::chrono::steady_clock::duration;
    using TimePoint = std::chrono::steady_clock::time_point;
    virtual ~IClock() = default;
    virtual TimePoint Now() const = 0;
    virtual void Sleep(Duration d) = 0;
};

class CSystemClock final : public IClock {
public:
    TimePoint Now() const override { return std::chrono::steady_clock::now(); }
    void Sleep(Duration d) override { std::this_thread::sleep_for(d); }
};
