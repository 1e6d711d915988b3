// How the camera-information windows write a date and time. The parameters window shows
// its running clock as plain numbers without leading zeros; the clock window shows both
// clocks in the desktop's standard date-and-time form for the language shown: the
// C library's default form of the en_US and zh_CN locales, written out here so it does
// not depend on which locales a machine has installed.
#pragma once

#include <string>

#include "info/running_clock.h"

namespace talbex::info {

/// "%d-%d-%d %d:%d:%d": year, month, day, hour, minute, second.
std::string CameraClockText(const RunningClock& clock);

/// English: "Thu 29 Feb 2024 12:00:00 AM CET"; Chinese: "2024年02月29日 星期四 00时00分00秒".
/// `zone` is the time-zone abbreviation the English form ends with. An invalid clock
/// gives the empty text.
std::string StandardDateTimeText(int language, const RunningClock& clock, const std::string& zone);

/// The abbreviation of the local time zone now ("CET", "UTC", ...).
std::string LocalZoneAbbreviation();

}  // namespace talbex::info
