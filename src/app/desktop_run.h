// `talbex` on a desktop: the main window and the windows it opens as real Qt windows.
// Message boxes, the folder chooser and the page area are real; addresses open in the
// desktop's browser.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "app/main_window_options.h"

namespace talbex::app {

/// The Qt platform to show the windows on for this run, or nothing for a headless run:
/// --headless, a script or scripted answers (they answer the headless message boxes), or
/// no display. `*why` tells why there is no display.
std::optional<std::string> DesktopFor(const MainWindowRunOptions& options, std::string* why);

/// Runs the program's main window in Qt windows on `platform` until it ends or the time
/// is up. Answers the exit status as RunMainWindow does.
int RunDesktopWindows(const MainWindowRunOptions& options, const std::string& platform,
                      std::ostream& err);

}  // namespace talbex::app
