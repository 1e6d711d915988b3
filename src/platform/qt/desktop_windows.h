// The desktop windows for the rest of the program, without Qt in sight: while an object
// of this class lives, the calling thread is the GUI thread, every dialog it runs shows
// in a real window, and message boxes and the folder chooser are real ones.
#pragma once

#include <memory>
#include <string>

#include "platform/qt/page_services.h"

namespace talbex::qt {

class DesktopWindows {
  public:
    /// Opens the connection to the display through Qt's `platform` ("xcb", "wayland",
    /// see desktop_platform.h). Call before any other thread of the program uses windows.
    DesktopWindows(const std::string& platform, PageServices pages);
    ~DesktopWindows();
    DesktopWindows(const DesktopWindows&) = delete;
    DesktopWindows& operator=(const DesktopWindows&) = delete;

    /// Any thread: closes the message boxes and choosers that are open, and answers the
    /// ones still to come at once, as dismissed (the program is ending).
    void DismissPrompts();

  private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace talbex::qt
