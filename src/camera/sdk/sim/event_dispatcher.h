// The thread on which the simulated cameras deliver their events, as a camera library
// does: handlers never run on the caller's thread. Tasks run in the order posted; timed
// tasks run when due. Stop drops what is pending and joins the thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace talbex::sim {

class EventDispatcher {
  public:
    using Clock = std::chrono::steady_clock;
    using Task = std::function<void()>;

    ~EventDispatcher() { Stop(); }

    void Start();
    /// Drops pending tasks and waits for the one running (unless called from a task).
    void Stop();
    bool Running() const;
    /// Ignored while stopped.
    void Post(Task task) { PostAt(Clock::now(), std::move(task)); }
    void PostAt(Clock::time_point due, Task task);
    bool OnDispatcherThread() const;

  private:
    void Run(uint64_t generation);

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    // Ordered by due time, then by the order of posting.
    std::multimap<Clock::time_point, Task> tasks_;
    bool running_ = false;
    uint64_t generation_ = 0;  // a thread left behind by Stop must not serve a new Start
    std::thread thread_;
};

}  // namespace talbex::sim
