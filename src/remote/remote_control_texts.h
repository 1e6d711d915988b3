// What the remote-control window tells the user beyond the setting messages, in English
// (language code 3) or Chinese.
#pragma once

#include <cstddef>
#include <string>

#include "camera/sdk/sdk_types.h"

namespace talbex::remote {

/// Shown when the hidden send-command button reached the camera (both languages).
inline constexpr char kCommandSent[] = "发送命令成功！";

/// At start, when pictures of an earlier session wait and no save folder is set.
std::string PicturesWaitingText(int language, size_t count);
/// Once per window, when the save folder does not take pictures (missing, not writable,
/// full); `reason` is the system's description.
std::string SaveFolderTroubleText(int language, const std::string& folder,
                                  const std::string& reason);
/// A chosen folder whose path is longer than the save folder may be.
std::string FolderTooLongText(int language);
/// A picture the camera sent did not arrive: it could not be written into `folder` (the
/// incoming folder; `code` is the file error), or the transfer failed with `code`.
std::string PictureLostText(int language, const std::string& folder, SdkError code);
/// Live view was asked for and the camera cannot deliver its pictures.
std::string LiveViewUnavailableText(int language);
/// Under the last picture's name and folder, once it is in the save folder.
std::string SavedText(int language);

}  // namespace talbex::remote
