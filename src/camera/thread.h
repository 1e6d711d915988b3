// A thread that runs `run` once.
//
// `join` keeps the calling thread's wait pump running (see platform/os/wait_pump.h), so
// a window thread that waits here still serves work the ending thread hands it
// synchronously (a live-view frame being drawn); the ending thread wakes it at once. `start`,
// `join`, `joinFor`, `abandon` and `isCurrentThread` may be called from any thread, also at
// the same time.
//
// A thread stuck where nobody can end it (inside a camera library that waits on a camera
// for as long as it drips bytes) is abandoned rather than waited for: whoever owns it
// hands over, with `abandon`, what the thread still uses, and the thread deletes that
// itself when `run` returns at last. Until then nothing waits for it.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
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
    /// As `join`, for at most `limit`: false when the thread is still running then.
    bool joinFor(std::chrono::milliseconds limit);
    /// True when no thread runs: never started, or `run` has returned.
    bool hasEnded() const { return ended_.load(); }
    /// Leaves the running thread to itself: `atEnd` runs on it once `run` returns (it
    /// deletes what the thread still uses, this object included, and may be the last
    /// thing the thread does). False, with `atEnd` not taken, when the thread has already
    /// ended: the caller then joins as usual.
    bool abandon(std::function<void()> atEnd);
    /// True on the thread that `start` made, while it runs.
    bool isCurrentThread() const;

  private:
    bool waitForEnd(const std::function<bool()>& giveUp);

    std::mutex mutex_;  // guards thread_, atEnd_ and the setting of ended_
    std::thread thread_;
    std::function<void()> atEnd_;
    std::atomic<std::thread::id> id_{};
    std::atomic<bool> ended_{true};
    std::mutex joinersMutex_;  // guards joiners_; never held while waiting
    std::vector<std::shared_ptr<os::WaitSignal>> joiners_;
};

/// Threads abandoned and still running in the process: while there are any, the program
/// ends without running its static destructors, whose objects such a thread may still use.
int AbandonedThreads();

}  // namespace talbex::camera
