// The most recently created camera model, for controls that read it on their own
// window thread when notified (the property selection controls).
//
// Set by createCameraModel and cleared when that model is destroyed, both on the window
// thread that drives the connection; never owns the model.
#pragma once

namespace talbex::camera {

class CameraModel;

inline CameraModel* currentModel = nullptr;

}  // namespace talbex::camera
