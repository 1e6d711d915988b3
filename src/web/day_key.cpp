#include "web/day_key.h"

#include <cstdio>
#include <cstdlib>

#include "platform/os/local_time.h"

namespace talbex::web {

LocalDate TodayLocal() {
    const os::LocalTime now = os::Now();
    return {now.year, now.month, now.day};
}

int DayKey(const LocalDate& date) {
    return date.year * 100 + date.month * 10 + date.day;
}

int ReadDayKey(const std::string& directory) {
    const std::string path = directory + kDayKeyFileName;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return 0;
    char text[10] = {};
    const std::size_t length = std::fread(text, 1, 9, file);
    std::fclose(file);
    text[length] = '\0';
    return static_cast<int>(std::strtol(text, nullptr, 10));
}

bool WriteDayKey(const std::string& directory, int key) {
    const std::string path = directory + kDayKeyFileName;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fprintf(file, "%d", key) > 0;
    return std::fclose(file) == 0 && written;
}

}  // namespace talbex::web
