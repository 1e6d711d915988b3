// Comparing the program's version texts ("4.0.1").
#pragma once

#include <string_view>

namespace talbex::web {

/// True when `remote` is newer than `local`. Each text is read from its first five
/// characters with every "." dropped, as a decimal number of its leading digits (so "4.0.2"
/// is 402 and beats "4.0.1"; a two-digit part is cut: "4.0.10" reads as 401; an empty or
/// unreadable text is 0). The published versions rely on exactly this reading.
bool CompareVersions(std::string_view remote, std::string_view local);

/// The number a version text reads as (see CompareVersions).
long VersionNumber(std::string_view version);

}  // namespace talbex::web
