#include "shell/picture_name.h"

#include <algorithm>
#include <cstdio>

namespace talbex::shell {

std::string TimestampPictureName(const std::tm& local) {
    char name[96];
    std::snprintf(name, sizeof name, "IMG%d%2d%2d%2d%2d%2d.JPG", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    std::string text(name);
    std::replace(text.begin(), text.end(), ' ', '0');
    return text;
}

std::string TodaysPicturePrefix(const std::tm& local) {
    return TimestampPictureName(local).substr(0, 11);
}

std::tm LocalTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

}  // namespace talbex::shell
