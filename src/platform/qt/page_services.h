// What the page area needs from the rest of the program: the program's HTTP client for
// remote pages and the desktop's browser for links. Free of Qt, so the program's
// start-up can hand them in.
#pragma once

#include <functional>
#include <string>

namespace talbex::qt {

struct PageServices {
    /// GET of an http or https address; the page's bytes, empty when it cannot be had.
    /// Runs on a thread of its own; must be safe to call from any thread.
    std::function<std::string(const std::string& address)> fetch;
    /// Opens an address in the desktop's browser; returns at once.
    std::function<void(const std::string& address)> openLink;
};

}  // namespace talbex::qt
