// The end of a main window run: the run finishing on its own, or a time limit (--seconds)
// running out first. Threads waiting for either are woken at once.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace talbex::app {

class Ending {
  public:
    void Finished() {
        std::lock_guard lock(mutex_);
        finished_ = true;
        changed_.notify_all();
    }
    bool IsFinished() {
        std::lock_guard lock(mutex_);
        return finished_;
    }
    /// True when the time ran out before the run finished.
    bool WaitFor(std::chrono::duration<double> limit) {
        std::unique_lock lock(mutex_);
        return !changed_.wait_for(lock, limit, [&] { return finished_; });
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool finished_ = false;
};

}  // namespace talbex::app
