#include "controls/exif/byte_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace talbex::exif {

bool MemoryByteSource::ReadAt(uint64_t offset, uint8_t* out, size_t count) const {
    if (offset > bytes_.size() || count > bytes_.size() - offset)
        return false;
    if (count > 0)
        std::memcpy(out, bytes_.data() + offset, count);
    return true;
}

FileByteSource::~FileByteSource() {
    Close();
}

bool FileByteSource::Open(const std::string& path, std::string* reason) {
    Close();
    // Non-blocking, so that opening a FIFO by mistake cannot hang; regular files ignore it.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (reason)
            *reason = std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        if (reason)
            *reason = std::strerror(errno);
        ::close(fd);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        if (reason)
            *reason = S_ISDIR(st.st_mode) ? "is a folder" : "not a regular file";
        ::close(fd);
        return false;
    }
    fd_ = fd;
    size_ = static_cast<uint64_t>(st.st_size);
    return true;
}

void FileByteSource::Close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    size_ = 0;
}

bool FileByteSource::ReadAt(uint64_t offset, uint8_t* out, size_t count) const {
    if (fd_ < 0 || offset > static_cast<uint64_t>(INT64_MAX) - count)
        return false;
    size_t done = 0;
    while (done < count) {
        ssize_t n = ::pread(fd_, out + done, count - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace talbex::exif
