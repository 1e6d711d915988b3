// A thread that blocks until another thread has finished (a window thread waiting for
// the camera worker to end) keeps doing the work others hand it synchronously meanwhile:
// otherwise a worker that is itself waiting for that thread (a live-view frame being
// drawn) would never finish, and both would wait forever.
#pragma once

#include <chrono>
#include <functional>

namespace talbex::os {

/// Work the calling thread does while it waits; must return promptly.
using WaitPump = std::function<void()>;

/// Installs the pump of the calling thread (an empty one removes it); answers the old one.
/// Window threads install one that serves the messages sent to them.
WaitPump SetWaitPump(WaitPump pump);

/// Runs the calling thread's pump once, if it has one.
void RunWaitPump();

/// Blocks until `done()` answers true, running the calling thread's pump every
/// `interval` meanwhile. `done` is checked after every pump run.
void WaitWhilePumping(const std::function<bool()>& done,
                      std::chrono::microseconds interval = std::chrono::microseconds(500));

}  // namespace talbex::os
