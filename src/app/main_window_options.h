// The command-line options of the main window run (`talbex [--headless] ...`).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/message_box.h"

namespace talbex::app {

struct MainWindowRunOptions {
    bool headless = false;             // --headless: never the desktop windows
    std::optional<double> seconds;     // end the run after this long
    std::optional<uint32_t> localeId;  // instead of the system's
    std::vector<std::pair<std::string, ui::MessageBoxAnswer>> answers;
    std::string scriptPath;         // empty: no script
    std::string version = "4.5.0";  // written to "ver.htm" when it is missing
};

/// Whether the run may show desktop windows: not with --headless, a script or scripted
/// answers (they answer the headless message boxes).
inline bool MayShowWindows(const MainWindowRunOptions& options) {
    return !options.headless && options.scriptPath.empty() && options.answers.empty();
}

/// Parses the option at `args[index]` (and its value, moving `index` past it). False with
/// a message for a wrong one.
bool ParseMainWindowOption(const std::vector<std::string>& args, size_t& index,
                           MainWindowRunOptions& options, std::string* error);

}  // namespace talbex::app
