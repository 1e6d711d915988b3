// One running Talbex per program folder, and per user where the session has a runtime
// folder: locks on files there, held for the life of the process and released by the
// system when the process ends, however it ends.
#pragma once

#include <string>

namespace talbex::os {

/// Where the per-user lock lives: $XDG_RUNTIME_DIR when it names a folder of the user's
/// that no one else may write to (the same for every program folder the user runs with),
/// else `programDirectory` (whose own lock then stands for it).
std::string SingleInstanceDirectory(const std::string& programDirectory);

class SingleInstanceLock {
  public:
    /// Tries to take the lock named `name` in `directory` (which must exist). The lock
    /// file is never opened through a link, nor when it is not a regular file.
    SingleInstanceLock(const std::string& directory, const std::string& name);
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    /// False when another process holds the lock.
    bool acquired() const { return acquired_; }
    /// True when the lock file could not even be opened: start-up goes on without a lock.
    bool unavailable() const { return fd_ < 0; }

  private:
    int fd_ = -1;
    bool acquired_ = false;
};

}  // namespace talbex::os
