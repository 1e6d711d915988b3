#include "camera/thread.h"

namespace talbex::camera {

Thread::~Thread() {
    // Derived parts are gone by now: the owner must have joined. This only keeps a
    // forgotten join from ending the program.
    std::lock_guard lock(mutex_);
    if (thread_.joinable()) {
        if (thread_.get_id() == std::this_thread::get_id())
            thread_.detach();
        else
            thread_.join();
    }
}

void Thread::start() {
    std::lock_guard lock(mutex_);
    if (thread_.joinable())
        return;
    ended_.store(false);
    thread_ = std::thread([this] {
        id_.store(std::this_thread::get_id());
        run();
        ended_.store(true);
        std::lock_guard joiners(joinersMutex_);
        for (auto& joiner : joiners_)
            joiner->Notify();
    });
    id_.store(thread_.get_id());
}

void Thread::join() {
    // A thread cannot wait for itself; whoever destroys the owner joins it later.
    if (isCurrentThread())
        return;
    const std::shared_ptr<os::WaitSignal> signal = os::ThisThreadWaitSignal();
    {
        std::lock_guard joiners(joinersMutex_);
        joiners_.push_back(signal);
    }
    // The ending thread notifies; the interval only bounds a sleep nobody would end.
    os::WaitWhilePumping([this] { return ended_.load(); }, std::chrono::milliseconds(250));
    {
        std::lock_guard joiners(joinersMutex_);
        std::erase(joiners_, signal);
    }
    std::lock_guard lock(mutex_);
    if (thread_.joinable()) {
        thread_.join();
        id_.store(std::thread::id{});
    }
}

bool Thread::isCurrentThread() const {
    return id_.load() == std::this_thread::get_id();
}

}  // namespace talbex::camera
