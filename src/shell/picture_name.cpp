#include "shell/picture_name.h"

#include <algorithm>
#include <cstdio>

namespace talbex::shell {

std::string TimestampPictureName(const os::LocalTime& local) {
    char name[96];
    std::snprintf(name, sizeof name, "IMG%d%2d%2d%2d%2d%2d.JPG", local.year, local.month, local.day,
                  local.hour, local.minute, local.second);
    std::string text(name);
    std::replace(text.begin(), text.end(), ' ', '0');
    return text;
}

std::string TodaysPicturePrefix(const os::LocalTime& local) {
    return TimestampPictureName(local).substr(0, 11);
}

}  // namespace talbex::shell
