// Keys a window answers without a control having the focus: a dialog's accelerators
// (dialog_template.h) turn them into commands. A key is the character it types, upper
// case for letters ('A', '+', ','), or one of the named keys below; keys held with Ctrl,
// Alt or a system key are never accelerators here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace talbex::ui {

using Key = uint32_t;

inline constexpr Key kKeySpace = 0x20;
// Named keys lie above every character.
inline constexpr Key kKeyEscape = 0x01000000;
inline constexpr Key kKeyTab = 0x01000001;
inline constexpr Key kKeyBackspace = 0x01000003;
inline constexpr Key kKeyReturn = 0x01000004;
inline constexpr Key kKeyInsert = 0x01000006;
inline constexpr Key kKeyDelete = 0x01000007;
inline constexpr Key kKeyHome = 0x01000010;
inline constexpr Key kKeyEnd = 0x01000011;
inline constexpr Key kKeyLeft = 0x01000012;
inline constexpr Key kKeyUp = 0x01000013;
inline constexpr Key kKeyRight = 0x01000014;
inline constexpr Key kKeyDown = 0x01000015;
inline constexpr Key kKeyPageUp = 0x01000016;
inline constexpr Key kKeyPageDown = 0x01000017;
inline constexpr Key kKeyF1 = 0x01000030;  // F1..F12 follow in order

/// The key a name means: "Space", "Return", "Escape", "Tab", "Backspace", "Insert",
/// "Delete", "Home", "End", "Left", "Up", "Right", "Down", "PageUp", "PageDown",
/// "F1".."F12" (any case), or one printable ASCII character ("L", "l", "+", "[").
std::optional<Key> KeyFromName(std::string_view name);
/// The name of a key as KeyFromName reads it ("Space", "L", "+"); "?" for none.
std::string KeyName(Key key);

}  // namespace talbex::ui
