// What the main window's camera-parameters button runs once it has opened a connection
// of its own: the camera-parameters window, modally, on that connection.
#pragma once

#include "shell/camera_connection.h"
#include "web/vendor_service.h"

namespace talbex::info {

/// Shows the serial the main window read only when it is a usable one (at least eight
/// digits). Returns when the window has closed and the connection's worker has ended.
void RunCameraParameters(shell::CameraConnection& connection, int language,
                         const web::CameraIdentity& identity);

}  // namespace talbex::info
