// The most recently created camera model, for controls that read it on their own
// window thread when notified (the property selection controls).
//
// Set by createCameraModel on the window thread that drives the connection, and cleared
// when that model is destroyed (there, or on a worker the connection gave up on, which
// deletes its own model when it ends); never owns the model.
#pragma once

#include <atomic>

namespace talbex::camera {

class CameraModel;

inline std::atomic<CameraModel*> currentModel{nullptr};

}  // namespace talbex::camera
