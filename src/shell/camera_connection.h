// One connection to the first attached camera: the library opened, the camera reference,
// its model and the commander that runs its commands. The main window holds one while it
// identifies a camera; the camera-parameters and remote-control windows each get one of
// their own. All of it lives on the window thread that made it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "camera/action_source.h"
#include "camera/camera_commander.h"
#include "camera/camera_model.h"
#include "camera/sdk/sdk_types.h"

namespace talbex::shell {

/// A text property, only when both the size and the data read succeed.
std::optional<std::string> ReadTextProperty(SdkCameraRef camera, SdkPropertyId id);
/// A 32-bit property, only when both reads succeed.
std::optional<uint32_t> ReadUInt32Property(SdkCameraRef camera, SdkPropertyId id);
/// Reads a 32-bit property into `out`; answers the first failing result.
SdkError ReadUInt32(SdkCameraRef camera, SdkPropertyId id, uint32_t* out);
/// The camera does not have the property at all, as opposed to being busy or gone.
inline bool IsAbsentProperty(SdkError result) {
    return result == kSdkErrNotSupported || result == kSdkErrPropertyUnavailable;
}
/// Writes a 32-bit property: its size first, then the value with that size.
SdkError WriteUInt32Property(SdkCameraRef camera, SdkPropertyId id, uint32_t value);
/// The camera's shutter count from its own records; nothing when it keeps none.
std::optional<uint32_t> ShutterCountLookup(SdkCameraRef camera);

class CameraConnection {
  public:
    CameraConnection() = default;
    ~CameraConnection() { Close(); }
    CameraConnection(const CameraConnection&) = delete;
    CameraConnection& operator=(const CameraConnection&) = delete;

    /// Opens the library and the first camera of its list (further cameras are ignored),
    /// reads its device information and builds its model, which becomes currentModel.
    /// Answers the first failing result; kSdkErrDeviceNotFound when there is no camera
    /// or no model. What was opened stays open for Close.
    SdkError OpenFirstCamera();
    /// Creates the commander and hands it the model. Pictures it transfers are written
    /// into `stagingFolder`.
    SdkError CreateCommander(const std::string& stagingFolder);
    /// Registers the commander's three event handlers (each only when the one before
    /// succeeded); from then on the camera's events reach it.
    SdkError RegisterEventHandlers();
    /// CreateCommander, then RegisterEventHandlers.
    SdkError RegisterCommander(const std::string& stagingFolder);
    /// Makes the commander listen to this connection's actions and starts its worker
    /// (session open, product-name read). Once.
    void Run();
    /// Fires "closing" once when the worker runs: the session closes and the worker ends.
    void FireClosing();
    /// "closing" when due, the camera released, the library closed, model and commander
    /// deleted. A worker that does not end within the commander's bound (stuck in the
    /// camera library) is abandoned: it keeps its model and commander, deletes them
    /// itself when it ends at last, and nothing waits for it. Safe to call at any point
    /// and again.
    void Close();

    SdkCameraRef camera() const { return cameraRef_; }
    bool sdkOpen() const { return sdkOpen_; }
    camera::CameraModel* model() const { return model_.get(); }
    camera::CameraCommander* commander() const { return commander_.get(); }
    /// The actions the connection's windows fire ("closing"); only this connection's
    /// commander listens, so no action ever reaches a commander already deleted.
    camera::ActionSource& actions() { return actions_; }

  private:
    void AbandonWorker();

    SdkCameraRef cameraRef_ = nullptr;
    bool sdkOpen_ = false;
    bool running_ = false;
    std::unique_ptr<camera::CameraModel> model_;
    std::unique_ptr<camera::CameraCommander> commander_;
    camera::ActionSource actions_;
};

}  // namespace talbex::shell
