// What the vendor service's answers say: the published version in the answer to the
// version fetch, and the firmware verdict in the answer to the camera report. Both read
// answer texts (answer_text.h) that may hold any bytes a server sends.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace talbex::web {

/// The published version: the first ten characters of the answer (fewer when it is
/// shorter), cut at the first backslash.
std::string PublishedVersion(std::string_view answer);

/// The verdict of a report's answer: the two characters after its first "=" (fewer at the
/// answer's end); nothing when the answer holds no "=". "no" means the firmware is old.
std::optional<std::string> ReportVerdict(std::string_view answer);

}  // namespace talbex::web
