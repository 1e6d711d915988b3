// How commands tell busy from failure: reads take any code whose low 16 bits are busy,
// everything else only the exact busy code.
#pragma once

#include "camera/sdk/sdk_types.h"

namespace talbex::camera {

inline bool isBusyExactly(SdkError code) {
    return code == kSdkErrDeviceBusy;
}

inline bool isBusyLow16(SdkError code) {
    return (code & 0xFFFF) == kSdkErrDeviceBusy;
}

}  // namespace talbex::camera
