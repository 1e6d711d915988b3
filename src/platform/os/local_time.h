// Local time as the windows use it, from a clock that tests can replace.
#pragma once

#include <chrono>
#include <functional>

namespace talbex::os {

struct LocalTime {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

using WallClock = std::function<std::chrono::system_clock::time_point()>;

/// Replaces the clock of the whole process (empty: the system clock); answers the old one.
WallClock SetWallClock(WallClock clock);

/// Now, in the local time zone, by the current clock.
LocalTime Now();

/// A point in time in the local time zone.
LocalTime ToLocalTime(std::chrono::system_clock::time_point when);

}  // namespace talbex::os
