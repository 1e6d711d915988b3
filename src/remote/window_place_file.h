// Where the remote-control window was when it last closed, remembered in
// "remote_window.txt" in the program folder: one line "LEFT TOP WIDTH HEIGHT MAXIMISED"
// (pixels of the screen; MAXIMISED 0 or 1). A file that is missing, broken, too long or
// out of range means the window's default place and size; it can never make the window
// smaller than its template (or larger than a screen: that is the backend's to keep,
// ui/screen_fit.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/ui/dialog.h"

namespace talbex::remote {

inline constexpr char kWindowPlaceFileName[] = "remote_window.txt";
/// Sizes and places beyond these are no screen's.
inline constexpr int kMaxWindowSide = 8192;
inline constexpr int kMaxWindowOffset = 65536;

/// The place the bytes of the file describe, for a window at least `minWidth` x
/// `minHeight`; nothing when they are not exactly one such line.
std::optional<ui::WindowPlacement> WindowPlaceFromBytes(std::string_view bytes, int minWidth,
                                                        int minHeight);
std::string WindowPlaceBytes(const ui::WindowPlacement& place);

std::optional<ui::WindowPlacement> ReadWindowPlace(const std::string& programDirectory,
                                                   int minWidth, int minHeight);
/// Replaces the file through a temporary one; false when it could not be written.
bool WriteWindowPlace(const std::string& programDirectory, const ui::WindowPlacement& place);

}  // namespace talbex::remote
