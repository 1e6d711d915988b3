#include "platform/os/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace talbex::os {

SingleInstanceLock::SingleInstanceLock(const std::string& directory, const std::string& name) {
    std::string path = directory;
    if (!path.empty() && path.back() != '/')
        path += '/';
    path += "." + name + ".lock";
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0)
        return;
    acquired_ = ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
}

SingleInstanceLock::~SingleInstanceLock() {
    if (fd_ >= 0)
        ::close(fd_);  // closing releases the lock
}

}  // namespace talbex::os
