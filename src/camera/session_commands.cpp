#include "camera/session_commands.h"

#include "camera/control_lock.h"
#include "camera/property_commands.h"
#include "camera/sdk/sdk.h"

namespace talbex::camera {

namespace {

SdkError sendPicturesToComputer(SdkCameraRef camera) {
    uint32_t saveTo = kSaveToHost;
    return SdkSetPropertyData(camera, kPropSaveTo, 0, sizeof saveTo, &saveTo);
}

}  // namespace

bool OpenSessionCommand::execute() {
    SdkError result = SdkOpenSession(camera());
    const SdkError opened = result;
    if (getModel()->isLegacy()) {
        // An older camera takes no write while its own controls are free.
        if (result == kSdkOk)
            result =
                withControlLock(getModel(), [this] { return sendPicturesToComputer(camera()); });
        // Run here, not queued: each sends its own events and a busy answer is not retried.
        GetPropertyCommand(getModel(), kPropAllDisplayed).execute();
        GetPropertyDescCommand(getModel(), kPropAllDisplayed).execute();
    } else {
        if (result == kSdkOk)
            result = sendPicturesToComputer(camera());
        if (result == kSdkOk) {
            result = lockCameraControls(camera());
            if (result == kSdkOk) {
                SdkCapacity capacity{0x7FFFFFFF, 0x1000, 1};
                result = SdkSetCapacity(camera(), capacity);
                unlockCameraControls(camera());
            }
        }
    }
    if (result != kSdkOk)
        notifyError(result);
    // Told once the session's own settings are made, so a window that waits for the
    // session finds pictures already going to the computer.
    getModel()->setSessionOutcome(opened);
    return true;
}

bool CloseSessionCommand::execute() {
    if (SdkError result = SdkCloseSession(camera()))
        notifyError(result);
    return true;
}

}  // namespace talbex::camera
