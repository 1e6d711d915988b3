#include "camera/thread.h"

#include "platform/os/wait_pump.h"

namespace talbex::camera {

Thread::~Thread() {
    // Derived parts are gone by now: the owner must have joined. This only keeps a
    // forgotten join from ending the program.
    if (thread_.joinable()) {
        if (thread_.get_id() == std::this_thread::get_id())
            thread_.detach();
        else
            thread_.join();
    }
}

void Thread::start() {
    if (thread_.joinable())
        return;
    ended_.store(false);
    thread_ = std::thread([this] {
        run();
        ended_.store(true);
    });
}

void Thread::join() {
    if (!thread_.joinable())
        return;
    // A thread cannot wait for itself; whoever destroys the owner joins it later.
    if (isCurrentThread())
        return;
    os::WaitWhilePumping([this] { return ended_.load(); });
    thread_.join();
}

bool Thread::isCurrentThread() const {
    return thread_.get_id() == std::this_thread::get_id();
}

}  // namespace talbex::camera
