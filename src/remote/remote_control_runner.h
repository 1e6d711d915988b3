// How the main window's remote-control button builds its window on the connection it
// opened for it.
#pragma once

#include "platform/os/launcher.h"
#include "shell/talbex_main.h"

namespace talbex::remote {

/// Builds a CVellmoraDlg for the connection and registers it with the camera model; the
/// main window runs it (MainWindowSetup::runRemoteControl). Its last picture opens
/// through `launcher` (nullptr: the desktop's); the launcher must outlive the runner.
shell::MainWindowSetup::DialogRunner RemoteControlRunner(os::Launcher* launcher = nullptr);

}  // namespace talbex::remote
