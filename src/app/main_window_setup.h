// What the program hands its main windows, the same on the headless backend and in the
// desktop windows: the language the command line asks for, the vendor host, and the
// windows the main window's buttons open.
#pragma once

#include "app/main_window_options.h"
#include "shell/talbex_main.h"

namespace talbex::app {

/// Addresses and pictures open through `launcher`, which must outlive the main window.
shell::MainWindowSetup ProgramMainWindowSetup(const MainWindowRunOptions& options,
                                              os::Launcher* launcher);

}  // namespace talbex::app
