// How a window thread waits for its next piece of work. Without one installed, its
// message queue sleeps on a condition variable; a desktop backend installs one that runs
// its own event loop meanwhile (input, painting), so one thread serves both, and wakes it
// the moment work is queued.
#pragma once

#include <chrono>
#include <optional>

namespace talbex::ui {

class QueueWait {
  public:
    using Deadline = std::optional<std::chrono::steady_clock::time_point>;
    virtual ~QueueWait() = default;

    /// Window thread: returns once Wake has been called (also before this call, since the
    /// previous return), once `deadline` has passed, or after doing some work of the
    /// backend's own; may return early. Handlers may run from inside it.
    virtual void Wait(Deadline deadline) = 0;
    /// Any thread.
    virtual void Wake() = 0;
};

}  // namespace talbex::ui
