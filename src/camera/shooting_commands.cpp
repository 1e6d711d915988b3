#include "camera/shooting_commands.h"

#include "camera/control_lock.h"
#include "camera/sdk/sdk.h"

namespace talbex::camera {

bool TakePictureCommand::execute() {
    SdkError result;
    {
        // Sent whether or not the lock held; unlocked before anything is reported.
        ControlLock lock(getModel());
        result = SdkSendCommand(camera(), kCameraCommandTakePicture, 0);
    }
    report(result);
    return true;
}

bool PressShutterButtonCommand::execute() {
    SdkError result =
        SdkSendCommand(camera(), kCameraCommandPressShutterButton, static_cast<int32_t>(state_));
    report(result);
    return true;
}

bool SetCapacityCommand::execute() {
    if (getModel()->isLegacy())
        return true;
    if (SdkError result = SdkSetCapacity(camera(), capacity_))
        notifyError(result);
    return true;
}

}  // namespace talbex::camera
