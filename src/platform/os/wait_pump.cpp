#include "platform/os/wait_pump.h"

namespace talbex::os {

namespace {
thread_local WaitPump tPump;
thread_local std::shared_ptr<WaitSignal> tSignal;
}  // namespace

WaitPump SetWaitPump(WaitPump pump) {
    WaitPump old = std::move(tPump);
    tPump = std::move(pump);
    return old;
}

void RunWaitPump() {
    if (tPump)
        tPump();
}

void WaitSignal::Notify() {
    std::lock_guard lock(mutex_);
    notified_ = true;
    cv_.notify_all();
}

void WaitSignal::Reset() {
    std::lock_guard lock(mutex_);
    notified_ = false;
}

void WaitSignal::WaitFor(std::chrono::microseconds limit) {
    std::unique_lock lock(mutex_);
    cv_.wait_for(lock, limit, [&] { return notified_; });
}

std::shared_ptr<WaitSignal> ThisThreadWaitSignal() {
    if (!tSignal)
        tSignal = std::make_shared<WaitSignal>();
    return tSignal;
}

void WaitWhilePumping(const std::function<bool()>& done, std::chrono::microseconds interval) {
    const std::shared_ptr<WaitSignal> signal = ThisThreadWaitSignal();
    // Forgotten before the pump runs: work handed over meanwhile wakes the next sleep.
    signal->Reset();
    while (!done()) {
        RunWaitPump();
        if (done())
            return;
        signal->WaitFor(interval);
        signal->Reset();
    }
}

}  // namespace talbex::os
