// A thread that blocks until another thread has finished (a window thread waiting for
// the camera worker to end) keeps doing the work others hand it synchronously meanwhile:
// otherwise a worker that is itself waiting for that thread (a live-view frame being
// drawn) would never finish, and both would wait forever.
//
// The waiting thread sleeps until it is woken: whoever hands it work (a message sent to
// its window) or finishes what it waits for (a thread ending) notifies its wait signal,
// so it reacts at once without looking again and again. The interval given to
// WaitWhilePumping only bounds the sleep for conditions nobody signals.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace talbex::os {

/// Work the calling thread does while it waits; must return promptly.
using WaitPump = std::function<void()>;

/// Installs the pump of the calling thread (an empty one removes it); answers the old one.
/// Window threads install one that serves the messages sent to them.
WaitPump SetWaitPump(WaitPump pump);

/// Runs the calling thread's pump once, if it has one.
void RunWaitPump();

/// Wakes one thread's WaitWhilePumping. Notifying a thread that is not waiting makes its
/// next wait look again at once, so no notification is lost.
class WaitSignal {
  public:
    void Notify();
    /// The owner thread: forgets the notifications so far.
    void Reset();
    /// The owner thread: sleeps until notified or `limit` has passed.
    void WaitFor(std::chrono::microseconds limit);

  private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool notified_ = false;
};

/// The calling thread's wait signal, made on first use; keep the pointer to notify the
/// thread later from anywhere.
std::shared_ptr<WaitSignal> ThisThreadWaitSignal();

/// Blocks until `done()` answers true, running the calling thread's pump whenever the
/// thread's wait signal is notified and at least every `interval`. `done` is checked
/// after every pump run.
void WaitWhilePumping(const std::function<bool()>& done,
                      std::chrono::microseconds interval = std::chrono::microseconds(500));

}  // namespace talbex::os
