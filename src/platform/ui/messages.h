// Window messages, notification codes and command ids the dialogs use. The values are
// the familiar ones of the desktop framework the dialogs were designed against, so
// private messages keep their numbers (WM_APP+1 is 0x8001).
#pragma once

#include <cstdint>

namespace talbex::ui {

using MessageId = uint32_t;
using WParam = uint64_t;
using LParam = int64_t;
using LResult = int64_t;

inline constexpr MessageId kWmSize = 0x0005;
inline constexpr MessageId kWmClose = 0x0010;
inline constexpr MessageId kWmCommand = 0x0111;
inline constexpr MessageId kWmTimer = 0x0113;
/// First private message of an application; WM_APP+n is kWmApp + n.
inline constexpr MessageId kWmApp = 0x8000;

/// Notification codes carried in the high half of a command's WParam.
inline constexpr uint32_t kBnClicked = 0;
inline constexpr uint32_t kCbnSelChange = 1;
inline constexpr uint32_t kCbnEditChange = 5;
inline constexpr uint32_t kEnChange = 0x0300;
/// Picture frames: clicked, double-clicked.
inline constexpr uint32_t kStnClicked = 0;
inline constexpr uint32_t kStnDblClk = 1;
/// A command a key of the window's accelerators sent (dialog_template.h).
inline constexpr uint32_t kAccelerator = 1;

/// WParam of kWmSize: how the window is shown; its LParam holds the new client width in
/// the low 16 bits and the height in the high 16 bits.
inline constexpr uint32_t kSizeRestored = 0;
inline constexpr uint32_t kSizeMaximized = 2;
constexpr LParam MakeSizeLParam(int width, int height) {
    return static_cast<LParam>((static_cast<uint32_t>(height & 0xFFFF) << 16) |
                               static_cast<uint32_t>(width & 0xFFFF));
}
constexpr int SizeWidth(LParam l) {
    return static_cast<int>(l & 0xFFFF);
}
constexpr int SizeHeight(LParam l) {
    return static_cast<int>((l >> 16) & 0xFFFF);
}

/// Results of a modal run ended by the OK and Cancel buttons or the close box.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

/// WParam of a command: control id in the low 16 bits, notification code in the high.
constexpr WParam MakeCommandWParam(int controlId, uint32_t code) {
    return (static_cast<WParam>(code & 0xFFFF) << 16) | (static_cast<WParam>(controlId) & 0xFFFF);
}
constexpr int CommandControlId(WParam w) {
    return static_cast<int>(w & 0xFFFF);
}
constexpr uint32_t CommandCode(WParam w) {
    return static_cast<uint32_t>((w >> 16) & 0xFFFF);
}

}  // namespace talbex::ui
