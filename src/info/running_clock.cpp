#include "info/running_clock.h"

namespace talbex::info {

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 31;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

RunningClock RunningClock::FromRecord(const SdkTime& record) {
    // The window keeps 16-bit values, as the camera's own clock fields are.
    return RunningClock{static_cast<uint16_t>(record.year),   static_cast<uint16_t>(record.month),
                        static_cast<uint16_t>(record.day),    static_cast<uint16_t>(record.hour),
                        static_cast<uint16_t>(record.minute), static_cast<uint16_t>(record.second)};
}

RunningClock RunningClock::FromLocalTime(const os::LocalTime& t) {
    return RunningClock{static_cast<uint16_t>(t.year),   static_cast<uint16_t>(t.month),
                        static_cast<uint16_t>(t.day),    static_cast<uint16_t>(t.hour),
                        static_cast<uint16_t>(t.minute), static_cast<uint16_t>(t.second)};
}

void RunningClock::Tick() {
    if (++second < 60)
        return;
    second = 0;
    if (++minute < 60)
        return;
    minute = 0;
    if (++hour < 24)
        return;
    hour = 0;
    if (++day <= DaysInMonth(year, month))
        return;
    day = 1;
    if (++month <= 12)
        return;
    month = 1;
    ++year;
}

bool RunningClock::IsValid() const {
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= DaysInMonth(year, month) && hour < 24 && minute < 60 && second < 60;
}

int RunningClock::Weekday() const {
    // Sakamoto's method over the proleptic Gregorian calendar.
    static constexpr int kOffsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    int y = year;
    if (month < 3)
        --y;
    const int m = month >= 1 && month <= 12 ? month : 1;
    return (y + y / 4 - y / 100 + y / 400 + kOffsets[m - 1] + day) % 7;
}

}  // namespace talbex::info
