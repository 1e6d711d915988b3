// The camera's own controls, locked while the program writes to an older-protocol camera
// or has it take a picture: such a camera refuses both while its controls are free. The
// worker's commands and the windows' direct writes take the lock the same way.
//
// The camera knows one lock, not a count: were the worker's scope and a window's to
// overlap, the first unlock would leave the other's write refused. So every scope is
// taken under one process-wide mutex. A scope must therefore never wait for a window
// thread (it may be waiting here); the reads, writes and notifications inside do not.
#pragma once

#include <mutex>

#include "camera/camera_model.h"
#include "camera/sdk/sdk.h"

namespace talbex::camera {

inline SdkError lockCameraControls(SdkCameraRef camera) {
    return SdkSendStatusCommand(camera, kStatusCommandUiLock, 0);
}

/// The unlock's result is never acted on.
inline void unlockCameraControls(SdkCameraRef camera) {
    SdkSendStatusCommand(camera, kStatusCommandUiUnlock, 0);
}

/// Holds the controls of `model`'s camera for its lifetime when the model is legacy; does
/// nothing for a current camera or no model.
class ControlLock {
  public:
    explicit ControlLock(const CameraModel* model) {
        if (model == nullptr || !model->isLegacy())
            return;
        scope_ = std::unique_lock(mutex());
        camera_ = model->getCamera();
        result_ = lockCameraControls(camera_);
    }
    ~ControlLock() {
        if (held())
            unlockCameraControls(camera_);
    }
    ControlLock(const ControlLock&) = delete;
    ControlLock& operator=(const ControlLock&) = delete;

    /// The lock's answer; success when none was needed.
    SdkError result() const { return result_; }
    /// True when the controls were locked here (and are unlocked at the end).
    bool held() const { return camera_ != nullptr && result_ == kSdkOk; }

  private:
    static std::recursive_mutex& mutex() {
        static std::recursive_mutex scopes;
        return scopes;
    }

    std::unique_lock<std::recursive_mutex> scope_;
    SdkCameraRef camera_ = nullptr;
    SdkError result_ = kSdkOk;
};

/// Runs one write or picture command inside the control lock `model` needs; a lock the
/// camera refused is the result and `body` is not run.
template <typename Body>
SdkError withControlLock(const CameraModel* model, Body body) {
    ControlLock lock(model);
    if (SdkError e = lock.result())
        return e;
    return body();
}

}  // namespace talbex::camera
