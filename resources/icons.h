// The program's icons, of its own design, as SVG text compiled into the program: the big
// icon (also the desktop's icon of the program) and the small English and Chinese icons
// the main window shows by its language. Found by their resource ids.
#pragma once

#include <string_view>

namespace talbex::resources {

inline constexpr int kBigIconId = 128;
inline constexpr int kSmallChineseIconId = 130;
inline constexpr int kSmallEnglishIconId = 131;

/// The SVG text of icon `resourceId`; empty for an unknown id.
std::string_view IconSvg(int resourceId);

}  // namespace talbex::resources
