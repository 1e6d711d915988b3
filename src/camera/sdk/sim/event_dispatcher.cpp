#include "camera/sdk/sim/event_dispatcher.h"

namespace talbex::sim {

void EventDispatcher::Start() {
    std::lock_guard lock(mutex_);
    if (running_)
        return;
    running_ = true;
    const uint64_t generation = ++generation_;
    thread_ = std::thread([this, generation] { Run(generation); });
}

void EventDispatcher::Stop() {
    std::thread thread;
    {
        std::lock_guard lock(mutex_);
        running_ = false;
        tasks_.clear();
        thread = std::move(thread_);
    }
    wake_.notify_all();
    if (!thread.joinable())
        return;
    if (thread.get_id() == std::this_thread::get_id())
        thread.detach();  // a handler ended the library: the thread finishes on its own
    else
        thread.join();
}

bool EventDispatcher::Running() const {
    std::lock_guard lock(mutex_);
    return running_;
}

void EventDispatcher::PostAt(Clock::time_point due, Task task) {
    {
        std::lock_guard lock(mutex_);
        if (!running_)
            return;
        tasks_.emplace(due, std::move(task));
    }
    wake_.notify_all();
}

bool EventDispatcher::OnDispatcherThread() const {
    std::lock_guard lock(mutex_);
    return thread_.get_id() == std::this_thread::get_id();
}

void EventDispatcher::Run(uint64_t generation) {
    std::unique_lock lock(mutex_);
    while (running_ && generation == generation_) {
        if (tasks_.empty()) {
            wake_.wait(lock);
            continue;
        }
        auto first = tasks_.begin();
        // A copy: Stop may clear the tasks, and the node with them, while this waits.
        const Clock::time_point due = first->first;
        if (due > Clock::now()) {
            wake_.wait_until(lock, due);
            continue;
        }
        Task task = std::move(first->second);
        tasks_.erase(first);
        lock.unlock();
        task();
        lock.lock();
    }
}

}  // namespace talbex::sim
