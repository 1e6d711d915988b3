// A mark on a file this process is still writing (a picture on its way in under its
// temporary name): an exclusive lock on the process's own open of the file, which the
// system drops when the holder lets go or ends, however it ends. The start-up clean-up of
// unfinished transfers removes a file only when it can take that lock itself, so a file
// another running program still writes is never removed, whatever that program's
// environment or single-instance lock.
#pragma once

#include <sys/types.h>

#include <string>

namespace talbex::os {

class FileInUse {
  public:
    /// Marks the regular file at `path` (never through a link). Not held when it cannot,
    /// or when `path` no longer names the file opened (removed or replaced meanwhile).
    explicit FileInUse(const std::string& path);
    ~FileInUse();
    FileInUse(const FileInUse&) = delete;
    FileInUse& operator=(const FileInUse&) = delete;

    bool held() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

enum class Removal { kRemoved, kInUse, kNotAFile, kFailed };

/// Removes the regular file `name` of the folder open as `folderFd`, unless another open
/// of it holds the mark above; never a link, folder or anything else. `size` (when given)
/// gets the size of what was removed.
Removal RemoveUnlessInUse(int folderFd, const std::string& name, off_t* size = nullptr);

}  // namespace talbex::os
