// The camera settings a test shot is taken with: manual focus, a small JPEG, automatic
// ISO and a fixed shutter speed, so the camera takes the picture at once and its transfer
// is short; and the user's own settings the shot replaces until they are put back.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
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
/// Ticks of the test-shot timer a landed shot may stay without a readable JPEG (the
/// shot's other file may still be coming) before it counts as a shot without serial.
inline constexpr int kUnreadableShotTicks = 5;
/// Ticks of the test-shot timer (about 30 s) the test shot may take to land at all
/// before it counts as a shot without serial: a camera that stays busy, or a transfer
/// that failed, would otherwise keep identification waiting for ever.
inline constexpr int kTestShotDeadlineTicks = 25;
/// A busy camera is asked for the test shot again after this pause, as the worker asks
/// again for a busy command.
inline constexpr uint32_t kTestShotRetryMs = 500;
/// How long putting the user's settings back keeps trying a camera that answers busy: a
/// body refuses writes while it transfers a picture, and the test shot's is small.
inline constexpr std::chrono::milliseconds kRestoreBusyLimit{5000};
inline constexpr std::chrono::milliseconds kRestoreBusyPause{100};

/// A serial the camera told is usable when it has at least 8 characters, all digits.
bool IsValidSerial(const std::string& serial);

/// The user's settings a test shot replaces; a value that could not be read is not the
/// user's and is never written back.
struct UserSettings {
    std::optional<uint32_t> afMode, imageQuality, iso, shutterSpeed;
};

/// The user's settings of every camera whose test shot is in force or ended before they
/// could be put back (the camera went, the window closed while it could not reach it).
/// The next test shot of that camera restores these instead of taking the test values it
/// finds for the user's. Shared by the main windows of one run; window thread.
class UnrestoredSettings {
  public:
    /// `camera` names one camera: its model and the serial it tells.
    void Keep(const std::string& camera, const UserSettings& settings) {
        settings_[camera] = settings;
    }
    std::optional<UserSettings> Find(const std::string& camera) const {
        auto it = settings_.find(camera);
        return it == settings_.end() ? std::nullopt : std::optional<UserSettings>(it->second);
    }
    void Forget(const std::string& camera) { settings_.erase(camera); }

  private:
    std::map<std::string, UserSettings> settings_;
};

}  // namespace talbex::shell
