// The camera settings a test shot is taken with: manual focus, a small JPEG, automatic
// ISO and a fixed shutter speed, so the camera takes the picture at once and its transfer
// is short.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace talbex::shell {

inline constexpr uint32_t kTestShotAfMode = 3;  // manual focus
inline constexpr uint32_t kTestShotImageQuality = 0x0210FF0F;
/// Image qualities tried in order when the camera refuses the first one.
inline constexpr std::array<uint32_t, 14> kImageQualityFallbacks = {
    0x0010FF0F, 0x0510FF0F, 0x0610FF0F, 0x0210FF0F, 0x0013FF0F, 0x0012FF0F, 0x0113FF0F,
    0x0112FF0F, 0x0213FF0F, 0x0212FF0F, 0x0E13FF0F, 0x0E12FF0F, 0x0F13FF0F, 0x1013FF0F};
inline constexpr uint32_t kTestShotIso = 0;  // automatic
inline constexpr uint32_t kTestShotShutterSpeed = 0x80;
inline constexpr uint32_t kManualMode = 3;  // the mode dial on M

/// A serial the camera told is usable when it has at least 8 characters, all digits.
bool IsValidSerial(const std::string& serial);

}  // namespace talbex::shell
