#include "platform/os/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

namespace talbex::os {

namespace {

void SetError(std::string* error, const std::string& path, const std::string& reason) {
    if (error)
        *error = path + ": " + reason;
}

/// Opens a regular file for reading without ever blocking (a FIFO opened by mistake would
/// otherwise wait for a writer); -1 with the reason for anything else.
int OpenRegular(const std::string& path, off_t* size, std::string* error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        SetError(error, path, std::strerror(errno));
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const bool folder = S_ISDIR(st.st_mode);
        ::close(fd);
        SetError(error, path, folder ? "is a folder" : "is not a regular file");
        return -1;
    }
    // Regular files ignore O_NONBLOCK for reads, but clear it all the same.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    *size = st.st_size;
    return fd;
}

/// Reads up to `limit` bytes; one more than `limit` tells the caller the file is longer.
bool ReadUpTo(int fd, size_t limit, std::string& out) {
    char buffer[65536];
    while (out.size() < limit) {
        const size_t want = std::min(sizeof buffer, limit - out.size());
        const ssize_t n = ::read(fd, buffer, want);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        out.append(buffer, static_cast<size_t>(n));
    }
    return true;
}

std::string Folder(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

std::string TemporaryName(const std::string& path) {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%016llx.tmp", static_cast<unsigned long long>(random()));
    const size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return Folder(path) + "." + name + suffix;
}

/// Writes `bytes` to a fresh temporary file beside `path` and flushes it; its name, or
/// nothing with the reason.
std::optional<std::string> WriteTemporary(const std::string& path, std::string_view bytes,
                                          mode_t mode, std::string* error) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::string temporary = TemporaryName(path);
        const int fd =
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0) {
            SetError(error, path, std::strerror(errno));
            return std::nullopt;
        }
        const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
        const int writeErrno = errno;
        const bool closed = ::close(fd) == 0;
        if (!written || !closed) {
            ::unlink(temporary.c_str());
            SetError(error, path, std::strerror(written ? errno : writeErrno));
            return std::nullopt;
        }
        return temporary;
    }
    SetError(error, path, "no free temporary name");
    return std::nullopt;
}

void SyncFolder(const std::string& path) {
    const int dir = ::open(Folder(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

}  // namespace

std::optional<std::string> ReadRegularFile(const std::string& path, size_t maxBytes,
                                           std::string* error) {
    off_t size = 0;
    const int fd = OpenRegular(path, &size, error);
    if (fd < 0)
        return std::nullopt;
    if (static_cast<uint64_t>(size) > maxBytes) {
        ::close(fd);
        SetError(error, path,
                 "is larger than " + std::to_string(maxBytes) + " bytes (" +
                     std::to_string(static_cast<long long>(size)) + " bytes)");
        return std::nullopt;
    }
    std::string bytes;
    // A file that grows while it is read is still cut at the limit.
    const bool ok = ReadUpTo(fd, maxBytes + 1, bytes);
    const int readErrno = errno;
    ::close(fd);
    if (!ok) {
        SetError(error, path, std::strerror(readErrno));
        return std::nullopt;
    }
    if (bytes.size() > maxBytes) {
        SetError(error, path, "is larger than " + std::to_string(maxBytes) + " bytes");
        return std::nullopt;
    }
    return bytes;
}

std::optional<std::string> ReadFileStart(const std::string& path, size_t count,
                                         std::string* error) {
    off_t size = 0;
    const int fd = OpenRegular(path, &size, error);
    if (fd < 0)
        return std::nullopt;
    std::string bytes;
    const bool ok = ReadUpTo(fd, count, bytes);
    const int readErrno = errno;
    ::close(fd);
    if (!ok) {
        SetError(error, path, std::strerror(readErrno));
        return std::nullopt;
    }
    return bytes;
}

bool ReplaceFile(const std::string& path, std::string_view bytes, std::string* error, mode_t mode) {
    const auto temporary = WriteTemporary(path, bytes, mode, error);
    if (!temporary)
        return false;
    if (::rename(temporary->c_str(), path.c_str()) != 0) {
        const int renameErrno = errno;
        ::unlink(temporary->c_str());
        SetError(error, path, std::strerror(renameErrno));
        return false;
    }
    SyncFolder(path);
    return true;
}

bool CreateNewFile(const std::string& path, std::string_view bytes, std::string* error,
                   mode_t mode) {
    const auto temporary = WriteTemporary(path, bytes, mode, error);
    if (!temporary)
        return false;
    // link() never replaces anything, a dangling link included; file systems without
    // hard links get the same promise from a no-replace rename.
    int result = ::link(temporary->c_str(), path.c_str());
    if (result != 0 && errno != EEXIST) {
        result =
            ::renameat2(AT_FDCWD, temporary->c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE);
        if (result == 0) {
            SyncFolder(path);
            return true;
        }
    }
    if (result != 0) {
        const int linkErrno = errno;
        ::unlink(temporary->c_str());
        SetError(error, path,
                 linkErrno == EEXIST ? "something is already there" : std::strerror(linkErrno));
        return false;
    }
    ::unlink(temporary->c_str());
    SyncFolder(path);
    return true;
}

bool WriteAll(int fd, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

bool FlushToDisk(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool flushed = ::fsync(fd) == 0;
    return ::close(fd) == 0 && flushed;
}

}  // namespace talbex::os
