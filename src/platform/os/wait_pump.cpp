#include "platform/os/wait_pump.h"

#include <thread>

namespace talbex::os {

namespace {
thread_local WaitPump tPump;
}

WaitPump SetWaitPump(WaitPump pump) {
    WaitPump old = std::move(tPump);
    tPump = std::move(pump);
    return old;
}

void RunWaitPump() {
    if (tPump)
        tPump();
}

void WaitWhilePumping(const std::function<bool()>& done, std::chrono::microseconds interval) {
    while (!done()) {
        RunWaitPump();
        if (done())
            return;
        std::this_thread::sleep_for(interval);
    }
}

}  // namespace talbex::os
