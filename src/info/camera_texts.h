// The owner, artist and copyright texts as the camera keeps them: at most 99 bytes and
// a terminating zero. Longer texts are shortened on a whole UTF-8 character, never in
// the middle of one.
#pragma once

#include <cstddef>
#include <string>

#include "camera/sdk/sdk_types.h"

namespace talbex::info {

inline constexpr size_t kMaxCameraTextBytes = 99;

/// `text` cut to at most kMaxCameraTextBytes bytes, ending on a whole character.
std::string CutToCameraText(const std::string& text);

/// Writes `text` with its terminating zero (an empty text is one zero byte).
SdkError WriteCameraText(SdkCameraRef camera, SdkPropertyId id, const std::string& text);

}  // namespace talbex::info
