#include "info/date_time_text.h"

#include <cstdio>
#include <ctime>

#include "platform/ui/language.h"

namespace talbex::info {

namespace {

constexpr const char* kEnglishDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kEnglishMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kChineseDays[] = {"星期日", "星期一", "星期二", "星期三",
                                        "星期四", "星期五", "星期六"};

}  // namespace

std::string CameraClockText(const RunningClock& c) {
    char text[64];
    std::snprintf(text, sizeof text, "%d-%d-%d %d:%d:%d", c.year, c.month, c.day, c.hour, c.minute,
                  c.second);
    return text;
}

std::string StandardDateTimeText(int language, const RunningClock& c, const std::string& zone) {
    if (!c.IsValid())
        return "";
    char text[128];
    if (ui::IsEnglish(language)) {
        // "%a %d %b %Y %r %Z", with %r = "%I:%M:%S %p".
        const int hour12 = c.hour % 12 == 0 ? 12 : c.hour % 12;
        std::snprintf(text, sizeof text, "%s %02d %s %d %02d:%02d:%02d %s",
                      kEnglishDays[c.Weekday()], c.day, kEnglishMonths[c.month - 1], c.year, hour12,
                      c.minute, c.second, c.hour < 12 ? "AM" : "PM");
        std::string result = text;
        if (!zone.empty())
            result += " " + zone;
        return result;
    }
    // "%Y年%m月%d日 %A %H时%M分%S秒".
    std::snprintf(text, sizeof text, "%d年%02d月%02d日 %s %02d时%02d分%02d秒", c.year, c.month,
                  c.day, kChineseDays[c.Weekday()], c.hour, c.minute, c.second);
    return text;
}

std::string LocalZoneAbbreviation() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr || local.tm_zone == nullptr)
        return "";
    return local.tm_zone;
}

}  // namespace talbex::info
