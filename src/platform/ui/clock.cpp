#include "platform/ui/clock.h"

#include <atomic>

#include "platform/ui/message_queue.h"

namespace talbex::ui {

Clock::Milliseconds SteadyClock::Now() const {
    return std::chrono::duration_cast<Milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

Clock::Milliseconds TestClock::Now() const {
    std::lock_guard lock(mutex_);
    return now_;
}

void TestClock::Advance(Milliseconds by) {
    {
        std::lock_guard lock(mutex_);
        now_ += by;
    }
    MessageQueue::WakeAll();
}

namespace {
SteadyClock gSteadyClock;
std::atomic<Clock*> gClock{nullptr};
}  // namespace

Clock& CurrentClock() {
    Clock* clock = gClock.load();
    return clock ? *clock : gSteadyClock;
}

void SetClock(Clock* clock) {
    gClock.store(clock);
}

}  // namespace talbex::ui
