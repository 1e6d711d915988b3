#include "platform/os/file_move.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace talbex::os {

namespace {

// More numbered names than a folder will ever hold of one picture.
constexpr int kMaxNumber = 10000;

int SystemRenameNoReplace(const char* from, const char* to) {
    return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
}

int SystemLink(const char* from, const char* to) {
    return ::link(from, to);
}

bool RenameRefused(int e) {
    return e == EINVAL || e == ENOSYS || e == ENOTSUP || e == EOPNOTSUPP;
}

bool LinkRefused(int e) {
    return e == EPERM || e == ENOSYS || e == ENOTSUP || e == EOPNOTSUPP || e == EMLINK;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

enum class Naming { kDone, kTaken, kOtherFileSystem, kRefused, kFailed };

// Gives `from` the second name `to` and drops the first, never replacing a file at `to`.
Naming Rename(const std::string& from, const std::string& to, const NoReplaceCalls& calls,
              int* error) {
    if (calls.renameNoReplace(from.c_str(), to.c_str()) == 0)
        return Naming::kDone;
    int e = errno;
    if (e == EEXIST)
        return Naming::kTaken;
    if (e == EXDEV)
        return Naming::kOtherFileSystem;
    if (!RenameRefused(e)) {
        *error = e;
        return Naming::kFailed;
    }
    if (calls.link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return Naming::kDone;
    }
    e = errno;
    if (e == EEXIST)
        return Naming::kTaken;
    if (e == EXDEV)
        return Naming::kOtherFileSystem;
    if (LinkRefused(e))
        return Naming::kRefused;
    *error = e;
    return Naming::kFailed;
}

// The last resort for a copy on a file system that refuses both ways: the name is
// claimed by creating an empty file exclusively, and the whole copy then takes the place
// of that placeholder, which is the only file a rename may ever replace here.
Naming RenameOntoPlaceholder(const std::string& from, const std::string& to, int* error) {
    const int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (errno == EEXIST)
            return Naming::kTaken;
        *error = errno;
        return Naming::kFailed;
    }
    ::close(fd);
    if (::rename(from.c_str(), to.c_str()) != 0) {
        *error = errno;
        ::unlink(to.c_str());
        return Naming::kFailed;
    }
    return Naming::kDone;
}

bool CopyBytes(int in, int out, off_t size) {
    off_t done = 0;
    while (done < size) {
        const ssize_t n = ::sendfile(out, in, nullptr, static_cast<size_t>(size - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EINVAL || errno == ENOSYS) && done == 0)
            break;  // no sendfile between these files: plain reads and writes below
        if (n < 0)
            return false;
        if (n == 0) {
            errno = EIO;  // the file shrank while it was copied
            return false;
        }
        done += n;
    }
    if (done == size)
        return true;
    std::vector<char> buffer(1 << 20);
    while (true) {
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        for (ssize_t written = 0; written < n;) {
            const ssize_t w =
                ::write(out, buffer.data() + written, static_cast<size_t>(n - written));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0) {
                if (w == 0)
                    errno = ENOSPC;
                return false;
            }
            written += w;
        }
    }
}

MoveResult Failure(const std::string& what, int e) {
    MoveResult result;
    result.errorCode = e;
    result.error = what + ": " + std::strerror(e);
    return result;
}

MoveResult Success(const std::string& path) {
    MoveResult result;
    result.moved = true;
    result.path = path;
    return result;
}

// Copies `from` into `folder`, flushed, under the first free numbered `name`, then removes
// `from`. Any failure removes the copy and keeps `from`.
MoveResult CopyThenRemove(const std::string& from, const struct stat& source,
                          const std::string& folder, const std::string& name,
                          const NoReplaceCalls& calls) {
    const int in = ::open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (in < 0)
        return Failure(from, errno);
    std::string temporary = folder + "." + name + ".XXXXXX.part";
    const int out = ::mkostemps(temporary.data(), 5, O_CLOEXEC);
    if (out < 0) {
        const int e = errno;
        ::close(in);
        return Failure(folder, e);
    }
    const struct timespec times[2] = {source.st_atim, source.st_mtim};
    bool ok = ::fchmod(out, source.st_mode & 0666) == 0 && CopyBytes(in, out, source.st_size) &&
              ::futimens(out, times) == 0 && ::fsync(out) == 0;
    int e = errno;
    ::close(in);
    ok = (::close(out) == 0) && ok;
    if (!ok) {
        ::unlink(temporary.c_str());
        return Failure(folder, e ? e : EIO);
    }
    for (int number = 0; number <= kMaxNumber; ++number) {
        const std::string target = folder + NumberedName(name, number);
        int error = 0;
        Naming naming = Rename(temporary, target, calls, &error);
        if (naming == Naming::kRefused || naming == Naming::kOtherFileSystem)
            naming = RenameOntoPlaceholder(temporary, target, &error);
        if (naming == Naming::kTaken)
            continue;
        if (naming != Naming::kDone) {
            ::unlink(temporary.c_str());
            return Failure(folder, error);
        }
        SyncFolder(folder);
        ::unlink(from.c_str());
        SyncFolder(FolderOf(from));
        return Success(target);
    }
    ::unlink(temporary.c_str());
    return Failure(folder + name, EEXIST);
}

}  // namespace

const NoReplaceCalls& SystemNoReplaceCalls() {
    static const NoReplaceCalls calls{&SystemRenameNoReplace, &SystemLink};
    return calls;
}

std::string NumberedName(const std::string& name, int number) {
    if (number == 0)
        return name;
    const size_t dot = name.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot != 0;
    const std::string stem = hasExtension ? name.substr(0, dot) : name;
    const std::string extension = hasExtension ? name.substr(dot) : std::string();
    return stem + "_" + std::to_string(number) + extension;
}

MoveResult MoveWithoutReplacing(const std::string& from, const std::string& folder,
                                const std::string& name, const NoReplaceCalls& calls) {
    struct stat source {};
    if (::lstat(from.c_str(), &source) != 0)
        return Failure(from, errno);
    if (!S_ISREG(source.st_mode))
        return Failure(from, EINVAL);
    const std::string dir = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    for (int number = 0; number <= kMaxNumber; ++number) {
        const std::string target = dir + NumberedName(name, number);
        int error = 0;
        switch (Rename(from, target, calls, &error)) {
            case Naming::kDone:
                SyncFolder(dir);
                if (FolderOf(from) != dir)
                    SyncFolder(FolderOf(from));
                return Success(target);
            case Naming::kTaken:
                continue;
            case Naming::kOtherFileSystem:
            case Naming::kRefused:
                return CopyThenRemove(from, source, dir, name, calls);
            case Naming::kFailed:
                return Failure(dir, error);
        }
    }
    return Failure(dir + name, EEXIST);
}

}  // namespace talbex::os
