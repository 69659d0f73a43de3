// The local time of day, and the 24-bit identifiers the program stamps from it
// on profiles and macros. The clock is passed in wherever an identifier is
// made, so tests pick the time.
#pragma once

#include <cstdint>
#include <functional>

struct TimeOfDay {
    unsigned nHour = 0, nMinute = 0, nSecond = 0, nMilli = 0;
};

using TimeOfDayClock = std::function<TimeOfDay()>;

// The system's local time.
TimeOfDay SystemTimeOfDay();

// ((hour mod 16) << 20) | (minute << 14) | (second << 8) | (millisecond & 0xFF).
// Profiles and macros share this layout: for profiles it is written as the low
// 16 bits of hour * 4096 + minute * 64 + second, shifted left by 8, plus the low
// byte of the milliseconds, which is the same number.
constexpr uint32_t StampIdFromTime(const TimeOfDay& t)
{
    return ((t.nHour % 16u) << 20) | ((t.nMinute & 0x3Fu) << 14) | ((t.nSecond & 0x3Fu) << 8) | (t.nMilli & 0xFFu);
}

constexpr uint32_t kStampIdMask = 0xFFFFFF;

// The stamp of the clock's time, moved on (by one, within 24 bits, skipping 0)
// until it is neither 0 nor taken. A time stamp alone can be 0 (16:00:00.256)
// and repeats for records made in the same millisecond or days apart; a
// duplicate would make a key or the current-profile mark point at the wrong
// record. 0 only when all 2^24 - 1 values are taken.
uint32_t NewStampId(const TimeOfDayClock& clock, const std::function<bool(uint32_t)>& isTaken);
