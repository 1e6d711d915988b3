#include "camera/sdk/sim/camera_clock.h"

namespace talbex::sim {

namespace {

bool IsLeap(int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

uint32_t DaysInMonth(uint32_t year, uint32_t month) {
    static constexpr uint32_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

// Days since 1970-01-01 of a civil date (H. Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int64_t* y, int64_t* m, int64_t* d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    *d = doy - (153 * mp + 2) / 5 + 1;
    *m = mp < 10 ? mp + 3 : mp - 9;
    *y = yoe + era * 400 + (*m <= 2);
}

}  // namespace

bool IsValidTime(const SdkTime& t) {
    return t.year >= 1970 && t.year <= 9999 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
           t.day <= DaysInMonth(t.year, t.month) && t.hour < 24 && t.minute < 60 && t.second < 60 &&
           t.milliseconds < 1000;
}

int64_t TimeToMilliseconds(const SdkTime& t) {
    const int64_t days = DaysFromCivil(t.year, t.month, t.day);
    return ((days * 24 + t.hour) * 60 + t.minute) * 60000 + t.second * 1000 + t.milliseconds;
}

SdkTime MillisecondsToTime(int64_t ms) {
    int64_t days = ms / 86400000;
    int64_t rest = ms % 86400000;
    if (rest < 0) {
        rest += 86400000;
        --days;
    }
    int64_t y, m, d;
    CivilFromDays(days, &y, &m, &d);
    SdkTime t{};
    t.year = static_cast<uint32_t>(y);
    t.month = static_cast<uint32_t>(m);
    t.day = static_cast<uint32_t>(d);
    t.hour = static_cast<uint32_t>(rest / 3600000);
    t.minute = static_cast<uint32_t>(rest / 60000 % 60);
    t.second = static_cast<uint32_t>(rest / 1000 % 60);
    t.milliseconds = static_cast<uint32_t>(rest % 1000);
    return t;
}

void CameraClock::Set(const SdkTime& time) {
    setTo_ = TimeToMilliseconds(time);
    setAt_ = std::chrono::steady_clock::now();
}

SdkTime CameraClock::Now() const {
    auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - setAt_);
    return MillisecondsToTime(setTo_ + elapsed.count());
}

}  // namespace talbex::sim
