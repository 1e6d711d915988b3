// The program's own per-user folder: "log.txt", "saveto.txt", the offline pages and the
// picture staging area live there.
#pragma once

#include <string>

namespace talbex::os {

/// $TALBEX_HOME, else $XDG_DATA_HOME/talbex/, else ~/.local/share/talbex/; always with a
/// trailing '/'. Computed from the environment on every call (tests change it).
std::string ProgramDirectory();

/// Creates ProgramDirectory() with its parents. False, with a message naming the folder
/// and the reason, when it cannot be made or is not a writable folder.
bool EnsureProgramDirectory(std::string* error);

/// True when `path` lies inside `directory` (both absolute, "." and ".." resolved
/// lexically; `directory` itself counts as inside).
bool IsInsideDirectory(const std::string& path, const std::string& directory);

}  // namespace talbex::os
