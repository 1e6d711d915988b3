// Texts from outside the program (a camera's model or serial, a file's bytes) on their
// way to a terminal: control characters must not move the cursor, clear the screen or
// break the one line each change is printed on.
#pragma once

#include <string>
#include <string_view>

namespace talbex::ui {

/// `text` with every control character (below 0x20, 0x7F, and U+0080..U+009F written in
/// UTF-8) replaced by '?'; everything else, Chinese text included, stays as it is.
std::string PrintableText(std::string_view text);

}  // namespace talbex::ui
