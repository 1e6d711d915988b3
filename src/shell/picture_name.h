// Names the program gives the camera's pictures from the local date and time.
#pragma once

#include <string>

#include "platform/os/local_time.h"

namespace talbex::shell {

/// "IMG%d%2d%2d%2d%2d%2d.JPG" filled with year, month, day, hour, minute and second, every
/// blank then turned into '0': "IMG20261207090503.JPG".
std::string TimestampPictureName(const os::LocalTime& local);

/// The first 11 characters of that name: "IMG" with the year, month and day.
std::string TodaysPicturePrefix(const os::LocalTime& local);

}  // namespace talbex::shell
