#include "emu/VirtualClock.h"

IClock::TimePoint CVirtualClock::Now() const
{
    std::lock_guard lock(m_mtx);
    return m_now;
}

void CVirtualClock::Sleep(Duration d)
{
    std::lock_guard lock(m_mtx);
    if (d.count() > 0) m_now += d;
    m_sleeps.push_back(d);
}

bool CVirtualClock::SleepUnless(Duration d, std::stop_token stop)
{
    if (stop.stop_requested()) return false;
    Sleep(d);
    return !stop.stop_requested();
}

void CVirtualClock::Advance(Duration d)
{
    std::lock_guard lock(m_mtx);
    if (d.count() > 0) m_now += d;
}

std::vector<IClock::Duration> CVirtualClock::Sleeps() const
{
    std::lock_guard lock(m_mtx);
    return m_sleeps;
}

IClock::Duration CVirtualClock::TotalSlept() const
{
    std::lock_guard lock(m_mtx);
    Duration total{};
    for (const Duration d : m_sleeps) total += d;
    return total;
}

void CVirtualClock::ClearSleeps()
{
    std::lock_guard lock(m_mtx);
    m_sleeps.clear();
}
