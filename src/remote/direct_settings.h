// The fourteen setting lists of the remote-control window that read and write their
// camera property themselves, on the window thread, instead of through the command
// queue: which property each list is bound to, whether its labels are translated in
// Chinese, and the message that tells the user whether the camera took a new value.
#pragma once

#include <span>

#include "camera/sdk/sdk_types.h"

namespace talbex::remote {

struct SettingMessages {
    const char* successEnglish;
    const char* successChinese;
    const char* failureEnglish;
    const char* failureChinese;
};

struct DirectSetting {
    int listId;
    SdkPropertyId property;
    bool translated;  // labels pass through translateLabel in Chinese
    SettingMessages messages;
};

/// Every direct list, in the order the current values are read one second after the
/// window opens (the image quality in seventh place).
std::span<const DirectSetting> DirectSettings();

/// The list's setting, or nullptr for a list that is not a direct one.
const DirectSetting* FindDirectSetting(int listId);

}  // namespace talbex::remote
