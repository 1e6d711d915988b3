// Where transferred pictures wait inside the program folder, and which of them the
// program may delete. Test shots (the pictures identification takes to read the serial)
// land in a folder of their own and are the only files a purge removes, and only those
// the program noted as its own when they landed; pictures the user takes land in the
// incoming folder and stay there until they are safely in the user's save folder. No
// other file in the program folder is ever deleted, whatever its name.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>

namespace talbex::shell {

/// `programDirectory` + "test-shots/": the main window's identification transfers.
std::string TestShotFolder(const std::string& programDirectory);
/// `programDirectory` + "incoming/": pictures the user took, waiting for a save folder.
std::string IncomingFolder(const std::string& programDirectory);

/// Makes `folder` (mode 0700) when it is missing. False with the reason when it cannot
/// be made or something other than a real folder (a link, a file) is there.
bool EnsureStagingFolder(const std::string& folder, std::string* error = nullptr);

/// What tells one file from another put later under the same name.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    int64_t modified = 0;  // nanoseconds since 1970
    auto operator<=>(const FileStamp&) const = default;
};
/// The stamp of the regular file at `path` (links are not followed); nothing for anything
/// else.
std::optional<FileStamp> StampOf(const std::string& path);

/// Notes the file at `path`, lying directly in the test-shot folder, as a test shot the
/// program wrote, so that PurgeTestShots may delete it (and no file put there later under
/// its name). False with the reason when it cannot be noted; the file then stays. Any
/// thread.
bool RecordTestShot(const std::string& programDirectory, const std::string& path,
                    std::string* error = nullptr);

/// Deletes the program's own test shots, the noted ones still as they were; nothing else.
/// Any thread.
void PurgeTestShots(const std::string& programDirectory);

/// Removes what transfers of an earlier run left under their temporary names in the
/// incoming and test-shot folders: a camera is told a picture arrived only once it has its
/// name, so each of these is a picture the camera still holds. Says so for each one. A file
/// a running program still writes (os::FileInUse) stays, and a staging folder that is a
/// link is not entered. Call at start, before any camera is opened.
void RemoveUnfinishedTransfers(const std::string& programDirectory);

}  // namespace talbex::shell
