// The answer text of a request: every line of the server's answer, each followed by the
// four characters "/r/n" (slash, r, slash, n), which is what the service's callers scan.
#pragma once

#include <string>
#include <string_view>

namespace talbex::web {

inline constexpr std::string_view kAnswerLineEnd = "/r/n";

/// Turns the raw bytes of an answer into the answer text. Lines end at "\n"; a "\r" just
/// before it belongs to the line end. When `complete` is false (the transfer broke off) a
/// last line without its line end is dropped: only the lines fully received count.
std::string AnswerText(std::string_view raw, bool complete);

}  // namespace talbex::web
