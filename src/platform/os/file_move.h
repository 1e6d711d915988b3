// Moving a file into a folder without ever replacing what is there, on one file system or
// across two: the way pictures travel from the staging area to the user's save folder.
//
// A plain rename(2) silently replaces a file of the same name, so it is never used onto a
// name that may exist: a move is a no-replace rename (renameat2 RENAME_NOREPLACE), else a
// hard link followed by removing the old name. Where neither is possible (another file
// system, or one that refuses both) the file is copied to a hidden temporary name in the
// target folder, flushed to disk, given its final name without replacing anything, and
// only then is the original removed: at every moment a whole copy exists under a visible
// name, and nothing anybody else wrote is lost.
#pragma once

#include <optional>
#include <string>

namespace talbex::os {

/// The two calls that give a file a second name without replacing anything. Tests swap
/// them to act as a file system that refuses one or both (0 or -1 with errno, as the
/// system calls answer).
struct NoReplaceCalls {
    int (*renameNoReplace)(const char* from, const char* to);
    int (*link)(const char* from, const char* to);
};

/// The system's renameat2(RENAME_NOREPLACE) and link(2).
const NoReplaceCalls& SystemNoReplaceCalls();

struct MoveResult {
    bool moved = false;
    std::string path;   // the file's new full path when moved
    int errorCode = 0;  // errno of the failure, when not moved
    std::string error;  // the failure in words, naming the file or folder
};

/// Moves the regular file `from` into `folder` as `name`; when that name is taken, as the
/// first free one of "STEM_1.EXT", "STEM_2.EXT", ... The original stays where it was
/// whenever the move fails (missing or full folder, no permission, a link or no regular
/// file at `from`), and a partial copy is removed. The file's modification time is kept.
MoveResult MoveWithoutReplacing(const std::string& from, const std::string& folder,
                                const std::string& name,
                                const NoReplaceCalls& calls = SystemNoReplaceCalls());

/// `name` with "_N" put before its extension (N > 0), or `name` itself for N = 0:
/// "IMG_0001.JPG", 2 → "IMG_0001_2.JPG"; a name without extension gets "_N" at its end.
std::string NumberedName(const std::string& name, int number);

}  // namespace talbex::os
