#include "web/day_key.h"

#include <cstdlib>
#include <optional>

#include "platform/os/file_io.h"
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
    // Never waits on a FIFO or device placed there: anything but a regular file reads as
    // no key.
    const std::optional<std::string> text = os::ReadFileStart(directory + kDayKeyFileName, 9);
    if (!text)
        return 0;
    return static_cast<int>(std::strtol(text->c_str(), nullptr, 10));
}

bool WriteDayKey(const std::string& directory, int key, std::string* error) {
    // Replaced through a temporary file: a link placed at "log.txt" is replaced itself,
    // its target is never written.
    return os::ReplaceFile(directory + kDayKeyFileName, std::to_string(key), error);
}

}  // namespace talbex::web
