// Keeps a window where the user can reach it: a remembered place from another screen
// arrangement (or a broken file) must never put a window out of sight or larger than
// the screen.
#pragma once

#include <span>

#include "platform/ui/dialog.h"

namespace talbex::ui {

/// `placement` on `screens` (their available areas; the first is the primary one): its
/// size held within the screen it overlaps most (the primary one when none), and, when
/// less than kMinVisible pixels of it across and down would be on that screen, centred
/// on it. Not positioned stays not positioned. No screens: as given.
WindowPlacement FitOnScreens(const WindowPlacement& placement, std::span<const PixelRect> screens);

inline constexpr int kMinVisibleWidth = 160;
inline constexpr int kMinVisibleHeight = 80;

}  // namespace talbex::ui
