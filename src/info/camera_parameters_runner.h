// How the main window's camera-parameters button builds its window on the connection it
// opened for it.
#pragma once

#include "shell/talbex_main.h"

namespace talbex::info {

/// Builds a CMSG for the connection; the main window runs it
/// (MainWindowSetup::runCameraParameters). The window shows the serial the main window
/// read only when it is a usable one (at least eight digits).
shell::MainWindowSetup::DialogRunner CameraParametersRunner();

}  // namespace talbex::info
