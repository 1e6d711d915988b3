// Work handed to the GUI thread from other threads, with the wake-up that goes with it:
// an event counter (eventfd) that the GUI thread's event loop watches. Only this class's
// own lock carries the hand-over, so the thread sanitizer sees it, and a wake-up from any
// thread ends the GUI thread's wait at once. Holds no Qt object, so whichever thread lets
// go of it last may destroy it.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

namespace talbex::qt {

class GuiMailbox {
  public:
    GuiMailbox();
    ~GuiMailbox();
    GuiMailbox(const GuiMailbox&) = delete;
    GuiMailbox& operator=(const GuiMailbox&) = delete;

    /// The descriptor that becomes readable on a wake-up; watched by the GUI thread.
    int fd() const { return fd_; }

    /// Any thread: queues `task` for the GUI thread and wakes it.
    void Post(std::function<void()> task);
    /// Any thread: ends the GUI thread's current or next wait.
    void Wake();
    /// GUI thread, when fd() is readable: clears the wake-up and runs the queued tasks.
    void RunPending();

  private:
    const int fd_;
    std::atomic<bool> armed_{false};  // a wake-up is on its way: no second write needed
    std::mutex mutex_;
    std::vector<std::function<void()>> tasks_;
};

}  // namespace talbex::qt
