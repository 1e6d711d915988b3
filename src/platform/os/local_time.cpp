#include "platform/os/local_time.h"

#include <ctime>
#include <mutex>

namespace talbex::os {

namespace {
std::mutex gMutex;
WallClock gClock;
}  // namespace

WallClock SetWallClock(WallClock clock) {
    std::lock_guard lock(gMutex);
    WallClock old = std::move(gClock);
    gClock = std::move(clock);
    return old;
}

LocalTime ToLocalTime(std::chrono::system_clock::time_point when) {
    using namespace std::chrono;
    const time_t seconds = system_clock::to_time_t(when);
    std::tm tm{};
    localtime_r(&seconds, &tm);
    LocalTime t;
    t.year = tm.tm_year + 1900;
    t.month = tm.tm_mon + 1;
    t.day = tm.tm_mday;
    t.hour = tm.tm_hour;
    t.minute = tm.tm_min;
    t.second = tm.tm_sec;
    auto ms = duration_cast<milliseconds>(when.time_since_epoch()) % 1000;
    t.millisecond = static_cast<int>(ms.count() < 0 ? ms.count() + 1000 : ms.count());
    return t;
}

LocalTime Now() {
    WallClock clock;
    {
        std::lock_guard lock(gMutex);
        clock = gClock;
    }
    return ToLocalTime(clock ? clock() : std::chrono::system_clock::now());
}

}  // namespace talbex::os
