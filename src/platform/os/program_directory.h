// The program's own per-user folder: "log.txt", "saveto.txt", the offline pages and the
// picture staging area live there.
#pragma once

#include <string>

namespace talbex::os {

/// $TALBEX_HOME, else $XDG_DATA_HOME/talbex/, else ~/.local/share/talbex/, else
/// /tmp/talbex-UID/; always with a trailing '/'. Computed from the environment on every
/// call (tests change it).
std::string ProgramDirectory();

/// Where the package installs the program's shipped files: share/talbex/ beside the
/// program's own bin/ folder, with a trailing '/'; empty when there is no such folder (a
/// program run from its build folder).
std::string InstalledDataDirectory();

/// MakeProgramDirectory(ProgramDirectory()).
bool EnsureProgramDirectory(std::string* error);

/// Creates `directory` (mode 0700) with its parents and checks that the program may use
/// it: a folder owned by the user, not writable by other users, and not reached through
/// another user's link. False, with a message naming the folder and the reason, otherwise.
bool MakeProgramDirectory(const std::string& directory, std::string* error);

/// True when `path` lies inside `directory` (both absolute, "." and ".." resolved
/// lexically; `directory` itself counts as inside).
bool IsInsideDirectory(const std::string& path, const std::string& directory);

}  // namespace talbex::os
