// The names pictures get in the user's save folder: the local date and time they were
// handed on, with the extension the camera gave them, so a RAW file never passes for a
// JPEG. "IMG_0042.JPG" taken on 7 December 2026 at 09:05:03 becomes
// "IMG20261207090503.JPG"; a second picture of the same second becomes
// "IMG20261207090503_1.JPG" (os::NumberedName).
#pragma once

#include <string>

#include "platform/os/local_time.h"

namespace talbex::remote {

/// "IMG" with year, month, day, hour, minute and second (two digits each but the year),
/// then the extension of `cameraName` (from its last '.', none when it has none).
std::string DatedPictureName(const os::LocalTime& local, const std::string& cameraName);

/// True for a name DatedPictureName gave, numbered or not: "IMG", at least fourteen
/// digits, an optional "_N" and an optional extension.
bool IsDatedPictureName(const std::string& name);

/// Orders dated names by the time they carry, then by their number: the order the
/// pictures were taken in.
bool DatedNameBefore(const std::string& a, const std::string& b);

}  // namespace talbex::remote
