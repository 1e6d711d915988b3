// The camera's own controls, locked while the program talks to an older-protocol camera.
#pragma once

#include "camera/sdk/sdk.h"

namespace talbex::camera {

inline SdkError lockCameraControls(SdkCameraRef camera) {
    return SdkSendStatusCommand(camera, kStatusCommandUiLock, 0);
}

/// The unlock's result is never acted on.
inline void unlockCameraControls(SdkCameraRef camera) {
    SdkSendStatusCommand(camera, kStatusCommandUiUnlock, 0);
}

}  // namespace talbex::camera
