// `talbex` / `talbex --headless`: the main window run on the headless backend, printing
// one line per change a user would see (captions, enabled buttons, pages requested),
// every message box with the answer given, and the identity read from the camera.
#pragma once

#include <ostream>

#include "app/main_window_options.h"

namespace talbex::app {

/// Runs the program's main window until it ends, the time is up or the script quits.
/// Answers the exit status: 0 normally, 1 when the program could not start, 2 for a
/// script that cannot be read or understood.
int RunMainWindow(const MainWindowRunOptions& options, std::ostream& out, std::ostream& err);

}  // namespace talbex::app
