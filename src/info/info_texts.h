// The messages of the camera-information windows, in both languages.
#pragma once

namespace talbex::info {

inline constexpr char kSavedEnglish[] = "Successfully saved.";
inline constexpr char kSavedChinese[] = "保存成功。";
inline constexpr char kSaveFailedEnglish[] = "Save failed!";
inline constexpr char kSaveFailedChinese[] = "保存失败！";
inline constexpr char kSyncDoneEnglish[] = "Synch time Successfully!";
inline constexpr char kSyncDoneChinese[] = "同步时间成功！";
inline constexpr char kSyncFailedEnglish[] = "Synch time failure!";
inline constexpr char kSyncFailedChinese[] = "同步时间失败！";
/// Shown before saving when a text had to be shortened to the camera's limit.
inline constexpr char kTextCutEnglish[] =
    "Owner, artist or copyright is longer than 99 bytes; it is shortened to 99 bytes before "
    "saving.";
inline constexpr char kTextCutChinese[] = "拥有者、艺术家或版权超过99字节，保存前将截短为99字节。";
/// Shown in place of the camera's clock when the camera keeps none the program can reach.
inline constexpr char kNoClockEnglish[] = "This camera does not let its clock be read or set.";
inline constexpr char kNoClockChinese[] = "此相机不支持读取或设置时钟。";
/// The opener's message when no camera answers (the same in both languages).
inline constexpr char kCannotDetectCamera[] = "Cannot detect camera";

}  // namespace talbex::info
