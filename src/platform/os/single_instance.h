// One running Talbex per user: a lock on a file in the program's own folder, held for the
// life of the process and released by the system when the process ends, however it ends.
#pragma once

#include <string>

namespace talbex::os {

class SingleInstanceLock {
  public:
    /// Tries to take the lock named `name` in `directory` (which must exist).
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
