// The camera clock the two camera-information windows show running: the date and time
// read from the camera, moved on by one second at every tick of the window's timer. A
// tick carries seconds into minutes, hours, days, months and years (leap years
// included), so a clock read at 23:59:59 on the last day of a month shows the next
// month's first day, never a 24th hour.
#pragma once

#include <cstdint>

#include "camera/sdk/sdk_types.h"
#include "platform/os/local_time.h"

namespace talbex::info {

struct RunningClock {
    uint16_t year = 0;
    uint16_t month = 0;
    uint16_t day = 0;
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;

    /// The first six values of the camera's date/time record.
    static RunningClock FromRecord(const SdkTime& record);
    static RunningClock FromLocalTime(const os::LocalTime& time);
    /// Adds one second.
    void Tick();
    /// True when the values form a real date and time (years 1..9999).
    bool IsValid() const;
    /// 0 Sunday .. 6 Saturday; meaningful only for a valid clock.
    int Weekday() const;

    bool operator==(const RunningClock&) const = default;
};

bool IsLeapYear(int year);
/// 28..31; 31 for a month outside 1..12, so a bad reading still moves on.
int DaysInMonth(int year, int month);

}  // namespace talbex::info
