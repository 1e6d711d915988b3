// The signals that ask a program to quit (SIGINT from the terminal, SIGTERM, SIGHUP when
// the terminal goes away), turned into the program's own stop request: the camera session
// is closed and a web request in progress ends, instead of the process dying mid-work.
// A second such signal ends the process at once, as it would have without this.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

#include <signal.h>

namespace talbex::os {

class QuitSignals {
  public:
    /// Blocks the signals in the calling thread, so every thread it starts afterwards
    /// leaves them to the watcher, a thread of this object's own; `onQuit` runs there at
    /// the first one, with its number. Create it before any other thread of the program.
    explicit QuitSignals(std::function<void(int signal)> onQuit);
    /// Stops watching and gives the calling thread its signal mask back.
    ~QuitSignals();
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

  private:
    void Watch();

    std::function<void(int)> onQuit_;
    sigset_t signals_{};
    sigset_t previousMask_{};
    std::atomic<bool> done_{false};
    std::thread watcher_;
};

}  // namespace talbex::os
