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
#include <utility>

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
/// How long putting the user's settings back keeps asking a camera that answers busy or
/// refuses (a body refuses writes for a while after its shot), the window working
/// meanwhile.
inline constexpr std::chrono::milliseconds kRestoreLimit{60000};
inline constexpr uint32_t kRestorePeriodMs = 500;
/// How long a window that is ending (the program quits) keeps asking: what it cannot put
/// back by then stays for the camera's next identification.
inline constexpr std::chrono::milliseconds kRestoreOnEndLimit{3000};
inline constexpr std::chrono::milliseconds kRestoreBusyPause{100};

/// A serial the camera told is usable when it has at least 8 characters, all digits.
bool IsValidSerial(const std::string& serial);

/// The user's settings a test shot replaces; a value that could not be read is not the
/// user's and is never written back.
struct UserSettings {
    std::optional<uint32_t> afMode, imageQuality, iso, shutterSpeed;
};

/// The program folder's file of the user's settings that test shots have not put back.
std::string UnrestoredSettingsFile(const std::string& programDirectory);

/// The user's settings of every camera whose test shot is in force or ended before they
/// could be put back (the camera went, the window closed while it could not reach it, the
/// program was killed). The next test shot of that camera restores these instead of
/// taking the test values it finds for the user's. Kept in a file of the program folder
/// (when given one), so they outlast the run; shared by the main windows of one run;
/// window thread.
class UnrestoredSettings {
  public:
    /// Kept in memory only.
    UnrestoredSettings() = default;
    /// Kept in the file `path` (UnrestoredSettingsFile), read afresh at every look.
    explicit UnrestoredSettings(std::string path) : path_(std::move(path)) {}

    /// `camera` names one camera: its model and the serial it tells. A file that cannot
    /// be written is said on the diagnostic output; the settings are kept in memory then.
    void Keep(const std::string& camera, const UserSettings& settings);
    std::optional<UserSettings> Find(const std::string& camera) const;
    void Forget(const std::string& camera);

  private:
    using Table = std::map<std::string, UserSettings>;
    Table Load() const;
    void Store(const Table& table);

    std::string path_;
    Table settings_;  // without a file, or when it cannot be written
};

}  // namespace talbex::shell
