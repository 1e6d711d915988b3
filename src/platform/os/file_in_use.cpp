#include "platform/os/file_in_use.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace talbex::os {

namespace {

// The regular file `name` in `folderFd` (AT_FDCWD: a path), opened for its lock only:
// never through a link, never waiting on a FIFO.
int OpenForLock(int folderFd, const std::string& name, struct stat* st) {
    const int fd =
        ::openat(folderFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (::fstat(fd, st) != 0 || !S_ISREG(st->st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// `name` in `folderFd` still is the file open as `st` (not removed, not replaced).
bool StillNamed(int folderFd, const std::string& name, const struct stat& st) {
    struct stat now {};
    return ::fstatat(folderFd, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
           now.st_dev == st.st_dev && now.st_ino == st.st_ino;
}

}  // namespace

FileInUse::FileInUse(const std::string& path) {
    struct stat st {};
    fd_ = OpenForLock(AT_FDCWD, path, &st);
    if (fd_ < 0)
        return;
    // Taken before anyone else can have seen the file as left over; checked afterwards, so
    // a file removed between its creation and this lock is never taken as marked.
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0 || !StillNamed(AT_FDCWD, path, st)) {
        ::close(fd_);
        fd_ = -1;
    }
}

FileInUse::~FileInUse() {
    if (fd_ >= 0)
        ::close(fd_);  // closing drops the lock
}

Removal RemoveUnlessInUse(int folderFd, const std::string& name, off_t* size) {
    struct stat st {};
    const int fd = OpenForLock(folderFd, name, &st);
    if (fd < 0)
        return errno == ENOENT ? Removal::kFailed : Removal::kNotAFile;
    Removal result = Removal::kFailed;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        result = errno == EWOULDBLOCK ? Removal::kInUse : Removal::kFailed;
    } else if (StillNamed(folderFd, name, st) && ::unlinkat(folderFd, name.c_str(), 0) == 0) {
        // Removed while holding the lock: a writer that marks it only now finds it gone.
        result = Removal::kRemoved;
        if (size != nullptr)
            *size = st.st_size;
    }
    ::close(fd);
    return result;
}

}  // namespace talbex::os
