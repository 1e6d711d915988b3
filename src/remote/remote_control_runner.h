// How the main window's remote-control button builds its window on the connection it
// opened for it.
#pragma once

#include "shell/talbex_main.h"

namespace talbex::remote {

/// Builds a CVellmoraDlg for the connection and registers it with the camera model; the
/// main window runs it (MainWindowSetup::runRemoteControl).
shell::MainWindowSetup::DialogRunner RemoteControlRunner();

}  // namespace talbex::remote
