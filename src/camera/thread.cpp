#include "camera/thread.h"

namespace talbex::camera {

namespace {

std::atomic<int> gAbandoned{0};

}  // namespace

int AbandonedThreads() {
    return gAbandoned.load();
}

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
        std::function<void()> atEnd;
        {
            std::lock_guard state(mutex_);
            ended_.store(true);
            atEnd = std::move(atEnd_);
        }
        {
            std::lock_guard joiners(joinersMutex_);
            for (auto& joiner : joiners_)
                joiner->Notify();
        }
        if (atEnd) {
            atEnd();  // `this` may be gone from here on
            --gAbandoned;
        }
    });
    id_.store(thread_.get_id());
}

bool Thread::waitForEnd(const std::function<bool()>& giveUp) {
    // A thread cannot wait for itself; whoever destroys the owner joins it later.
    if (isCurrentThread())
        return false;
    const std::shared_ptr<os::WaitSignal> signal = os::ThisThreadWaitSignal();
    {
        std::lock_guard joiners(joinersMutex_);
        joiners_.push_back(signal);
    }
    // The ending thread notifies; the interval only bounds a sleep nobody would end.
    os::WaitWhilePumping([&] { return ended_.load() || giveUp(); }, std::chrono::milliseconds(250));
    {
        std::lock_guard joiners(joinersMutex_);
        std::erase(joiners_, signal);
    }
    if (!ended_.load())
        return false;
    std::lock_guard lock(mutex_);
    if (thread_.joinable()) {
        thread_.join();
        id_.store(std::thread::id{});
    }
    return true;
}

void Thread::join() {
    waitForEnd([] { return false; });
}

bool Thread::joinFor(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    return waitForEnd([deadline] { return std::chrono::steady_clock::now() >= deadline; });
}

bool Thread::abandon(std::function<void()> atEnd) {
    std::lock_guard lock(mutex_);
    if (ended_.load() || !thread_.joinable())
        return false;
    atEnd_ = std::move(atEnd);
    ++gAbandoned;
    // Deleted on the thread itself at its end: the destructor then detaches it.
    return true;
}

bool Thread::isCurrentThread() const {
    return id_.load() == std::this_thread::get_id();
}

}  // namespace talbex::camera
