// A lock over one reentrant mutex, with a flag set by the first successful lock.
//
// `wait` and `notify` keep their old meaning (pause holding the lock and then let
// others in; release once). `waitForSignal` and `signal` add a condition variable on
// the same mutex, so a waiting worker wakes as soon as there is work.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace talbex::camera {

class Synchronized {
  public:
    Synchronized() = default;
    virtual ~Synchronized() = default;
    Synchronized(const Synchronized&) = delete;
    Synchronized& operator=(const Synchronized&) = delete;

    virtual void lock();
    virtual void unlock();
    /// Pauses `ms` milliseconds holding the lock, then releases and re-takes it once.
    virtual void wait(int ms);
    /// Releases the lock once if it was ever taken.
    virtual void notify();
    virtual bool isLocked() const { return locked_.load(); }

    /// Held once by the caller: releases it until `signal` or `timeout`, then re-takes it.
    void waitForSignal(std::chrono::microseconds timeout);
    /// Wakes every thread in `waitForSignal`.
    void signal();

  private:
    std::recursive_mutex mutex_;
    std::condition_variable_any condition_;
    std::atomic<bool> locked_{false};
};

}  // namespace talbex::camera
