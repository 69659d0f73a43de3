#include "core/TimeOfDay.h"

#include <chrono>
#include <ctime>

TimeOfDay SystemTimeOfDay()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm tmLocal{};
    localtime_r(&t, &tmLocal);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    return {unsigned(tmLocal.tm_hour), unsigned(tmLocal.tm_min), unsigned(tmLocal.tm_sec), unsigned(ms)};
}

uint32_t NewStampId(const TimeOfDayClock& clock, const std::function<bool(uint32_t)>& isTaken)
{
    uint32_t id = StampIdFromTime(clock ? clock() : SystemTimeOfDay());
    for (uint32_t n = 0; n <= kStampIdMask; ++n) {
        if (id != 0 && !(isTaken && isTaken(id))) return id;
        id = (id + 1) & kStampIdMask;
    }
    return 0;
}
