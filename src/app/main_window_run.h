// `talbex` / `talbex --headless`: the main window run on the headless backend, printing
// one line per change a user would see (captions, enabled buttons, pages requested),
// every message box with the answer given, and the identity read from the camera.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/message_box.h"

namespace talbex::shell {

struct MainWindowRunOptions {
    std::optional<double> seconds;     // end the run after this long
    std::optional<uint32_t> localeId;  // instead of the system's
    std::vector<std::pair<std::string, ui::MessageBoxAnswer>> answers;
    std::string scriptPath;         // empty: no script
    std::string version = "4.5.0";  // written to "ver.htm" when it is missing
};

/// Parses the options after `talbex` (and `--headless`). False with a message for a
/// wrong one.
bool ParseMainWindowOption(const std::vector<std::string>& args, size_t& index,
                           MainWindowRunOptions& options, std::string* error);

/// Runs the program's main window until it ends, the time is up or the script quits.
/// Answers the exit status: 0 normally, 1 when the program could not start, 2 for a
/// script that cannot be read or understood.
int RunMainWindow(const MainWindowRunOptions& options, std::ostream& out, std::ostream& err);

}  // namespace talbex::shell
