// A unit of camera work, run on the processor's worker thread.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <utility>

#include "camera/camera_model.h"
#include "camera/sdk/sdk_types.h"

namespace talbex::camera {

class Command {
  public:
    explicit Command(CameraModel* model) : model_(model) {}
    virtual ~Command() = default;
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    /// True when finished; false to be run again after the retry pause.
    virtual bool execute() = 0;

    /// True for a command that brings a picture to the computer: it is still run once
    /// when the worker ends with it queued, so a picture the camera has announced is not
    /// dropped (its own cancel hook decides how long it may take).
    virtual bool bringsPicture() const { return false; }

    CameraModel* getModel() const { return model_; }
    /// The pause the last `execute` asked for before the command runs again, when it
    /// wants its own rather than the processor's; answered once, then forgotten.
    std::optional<std::chrono::milliseconds> takeRetryPause() {
        return std::exchange(retryPause_, std::nullopt);
    }

  protected:
    SdkCameraRef camera() const { return model_->getCamera(); }
    void notify(const std::string& type, void* arg = nullptr) {
        model_->notifyObservers(type, arg);
    }
    /// Sends "error" with a pointer to the code.
    void notifyError(SdkError code) { notify("error", &code); }
    /// Nothing for success, "DeviceBusy" for exactly the busy code, "error" otherwise.
    void report(SdkError result) {
        if (result == kSdkErrDeviceBusy)
            notify("DeviceBusy");
        else if (result != kSdkOk)
            notifyError(result);
    }

    /// Asks to be run again after `pause` rather than the processor's own; answers false.
    bool runAgainAfter(std::chrono::milliseconds pause) {
        retryPause_ = pause;
        return false;
    }

    /// The ending of the commands that retry a busy camera: success finishes, `busy`
    /// sends "DeviceBusy" and asks to run again, any other failure sends "error" and finishes.
    bool finishRetryingBusy(SdkError result, bool busy) {
        if (result == kSdkOk)
            return true;
        if (busy) {
            notify("DeviceBusy");
            return false;
        }
        notifyError(result);
        return true;
    }

  private:
    CameraModel* model_;  // not owned
    std::optional<std::chrono::milliseconds> retryPause_;
};

/// Sends one model event with a null argument ("shutDown" when the camera shuts down).
class NotifyCommand : public Command {
  public:
    NotifyCommand(CameraModel* model, std::string type) : Command(model), type_(std::move(type)) {}
    bool execute() override {
        notify(type_);
        return true;
    }

  private:
    std::string type_;
};

}  // namespace talbex::camera
