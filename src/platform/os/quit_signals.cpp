#include "platform/os/quit_signals.h"

#include <pthread.h>

#include <ctime>
#include <utility>

#include "platform/os/quit_request.h"

namespace talbex::os {

QuitSignals::QuitSignals(std::function<void(int)> onQuit) : onQuit_(std::move(onQuit)) {
    sigemptyset(&signals_);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&signals_, signal);
    pthread_sigmask(SIG_BLOCK, &signals_, &previousMask_);
    watcher_ = std::thread([this] { Watch(); });
}

QuitSignals::~QuitSignals() {
    done_ = true;
    watcher_.join();
    pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}

void QuitSignals::Watch() {
    bool asked = false;
    // Woken now and then to see whether the program has ended meanwhile.
    const timespec interval{0, 100 * 1000 * 1000};
    while (!done_) {
        const int signal = sigtimedwait(&signals_, nullptr, &interval);
        if (signal < 0)
            continue;  // time to look again, or interrupted
        if (!asked) {
            asked = true;
            RequestQuit();
            onQuit_(signal);
            continue;
        }
        // Asked twice: the default action, which ends the process.
        ::signal(signal, SIG_DFL);
        sigset_t just{};
        sigemptyset(&just);
        sigaddset(&just, signal);
        pthread_sigmask(SIG_UNBLOCK, &just, nullptr);
        raise(signal);
    }
}

}  // namespace talbex::os
