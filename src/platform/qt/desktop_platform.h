// Whether this session can show windows, and on which of Qt's platforms. Asked before the
// QApplication is made, because Qt ends the process when it cannot reach its display.
#pragma once

#include <optional>
#include <string>

namespace talbex::qt {

/// The Qt platform to open windows on: the user's own choice (QT_QPA_PLATFORM) as given;
/// else "wayland" when a Wayland compositor answers on WAYLAND_DISPLAY and Qt's Wayland
/// plugin is installed; else "xcb" when an X server answers on DISPLAY. Nothing when no
/// display answers, with the reason in `*why`.
std::optional<std::string> DesktopPlatform(std::string* why);

/// True when something accepts connections on the X display `display` (":0", "host:1.0")
/// or on the Wayland socket `socket` (a name in XDG_RUNTIME_DIR, or an absolute path).
bool XDisplayAnswers(const std::string& display);
bool WaylandAnswers(const std::string& socket);

}  // namespace talbex::qt
