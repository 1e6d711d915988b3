// A thread that runs `run` once.
//
// `join` keeps the calling thread's wait pump running (see platform/os/wait_pump.h), so
// a window thread that waits here still serves work the ending thread hands it
// synchronously (a live-view frame being drawn); the ending thread wakes it at once. `start`,
// `join` and `isCurrentThread` may be called from any thread, also at the same time.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/os/wait_pump.h"

namespace talbex::camera {

class Thread {
  public:
    Thread() = default;
    virtual ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    virtual void run() = 0;

    /// Starts a thread that calls `run` and ends. Does nothing while one is started.
    void start();
    /// Waits until the started thread has ended, serving the caller's wait pump, then
    /// forgets it. Called on the thread itself it does nothing: the owner's destructor joins.
    void join();
    /// True on the thread that `start` made, while it runs.
    bool isCurrentThread() const;

  private:
    std::mutex mutex_;  // guards thread_
    std::thread thread_;
    std::atomic<std::thread::id> id_{};
    std::atomic<bool> ended_{true};
    std::mutex joinersMutex_;  // guards joiners_; never held while waiting
    std::vector<std::shared_ptr<os::WaitSignal>> joiners_;
};

}  // namespace talbex::camera
