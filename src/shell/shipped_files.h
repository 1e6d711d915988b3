// The files the program ships for its own folder: the local version ("ver.htm") and the
// offline advertisement pages. Installed when missing and repaired when empty or
// unreadable (a full disk once left them so); a file that holds something is never
// replaced.
#pragma once

#include <string>

namespace talbex::shell {

/// Puts the shipped files in place in `directory` (ending with '/'): each is written
/// whole through a temporary file and a rename, or not at all, and never through a link.
/// False when one of them could not be put in place (a diagnostic names it); the program
/// then runs with its defaults and an empty page, and tries again at the next start.
bool InstallShippedFiles(const std::string& directory, const std::string& version);

}  // namespace talbex::shell
