// The main window's language choice and the texts it shows in each language.
#pragma once

#include <cstdint>
#include <string>

#include "platform/ui/language.h"

namespace talbex::shell {

/// System locale id → language code: 1028 and 1033 give English (3), 2052 gives 2, any
/// other 0 (both Chinese).
int DetectSystemLanguage(uint32_t localeId);

inline constexpr char kCannotDetectEnglish[] = "Cannot detect camera.";
inline constexpr char kCannotDetectChinese[] = "检测不到相机！";
inline constexpr char kModeCheckEnglish[] =
    "Detection to the camera scene is not set to M (manual).Please set it to M";
inline constexpr char kModeCheckChinese[] =
    "检测到相机场景没有设置为M档(全手动)，请您现在设置为M档后，点确定继续。";
inline constexpr char kCameraHeldEnglish[] =
    "The camera is in use by another program (a file manager may have opened it as a "
    "drive). Close that program or unmount the camera, for example with "
    "\"gio mount -s gphoto2\"; Talbex finds the camera as soon as it is free.";
inline constexpr char kCameraHeldChinese[] =
    "相机正被其他程序占用（可能是文件管理器把它当作磁盘打开了）。请关闭该程序或卸载相机，"
    "例如运行 \"gio mount -s gphoto2\"；相机空闲后 Talbex 会立即找到它。";
inline constexpr char kCameraNotOpenedEnglish[] =
    "The camera did not open. Switch it off and on again or connect it again; Talbex keeps "
    "looking for it.";
inline constexpr char kCameraNotOpenedChinese[] =
    "无法打开相机。请关闭相机再重新打开，或重新连接相机；Talbex 会继续查找它。";
inline constexpr char kSettingsNotRestoredEnglish[] =
    "The camera's own focus mode, image quality, ISO and shutter speed could not be put back "
    "after the test shot. Talbex puts them back the next time it identifies this camera.";
inline constexpr char kSettingsNotRestoredChinese[] =
    "测试拍摄后未能恢复相机原来的对焦模式、画质、ISO 和快门速度。Talbex 下次识别这台相机时会"
    "再恢复它们。";
inline constexpr char kOnlyInstance[] = "Only instance can run!";
inline constexpr char kLinkedEnglish[] = " already link!";
inline constexpr char kLinkedChinese[] = " 已经连接!";

/// Path of the advertisement page on the vendor host for `language`, with `date`
/// ("%Y/%m/%d") appended.
std::string AdvertisementPath(int language, const std::string& date);
/// File name of the offline advertisement page for `language`.
const char* OfflinePageName(int language);

}  // namespace talbex::shell
