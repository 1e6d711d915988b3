// The files the program ships for its own folder: the local version ("ver.htm") and the
// offline advertisement pages. Installed when missing; what is there is never replaced.
#pragma once

#include <string>

namespace talbex::shell {

/// Writes the missing ones into `directory` (ending with '/'); failures are left silent:
/// the program then runs with its defaults and an empty page.
void InstallShippedFiles(const std::string& directory, const std::string& version);

}  // namespace talbex::shell
