// Time as the device code sees it: every wait the protocols fix (the gap
// between a command and its answer, the pause between retries) goes through
// a clock, so tests run in milliseconds and can still check the waits asked for.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stop_token>
#include <thread>

class IClock {
public:
    using Duration = std::chrono::steady_clock::duration;
    using TimePoint = std::chrono::steady_clock::time_point;
    virtual ~IClock() = default;
    virtual TimePoint Now() const = 0;
    virtual void Sleep(Duration d) = 0;
    // Like Sleep, but returns early once stop is requested; false then. Long
    // pauses of an apply job use it, so that shutdown need not wait them out.
    virtual bool SleepUnless(Duration d, std::stop_token stop)
    {
        if (stop.stop_requested()) return false;
        Sleep(d);
        return !stop.stop_requested();
    }
};

class CSystemClock final : public IClock {
public:
    TimePoint Now() const override { return std::chrono::steady_clock::now(); }
    void Sleep(Duration d) override { std::this_thread::sleep_for(d); }
    bool SleepUnless(Duration d, std::stop_token stop) override
    {
        std::mutex mtx;
        std::condition_variable_any cv;
        std::unique_lock lock(mtx);
        cv.wait_for(lock, stop, d, [] { return false; });  // only the stop wakes it early
        return !stop.stop_requested();
    }
};
