#include "camera/synchronized.h"

#include <thread>

namespace talbex::camera {

void Synchronized::lock() {
    mutex_.lock();
    locked_.store(true);
}

void Synchronized::unlock() {
    mutex_.unlock();
}

void Synchronized::wait(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    if (locked_.load()) {
        mutex_.unlock();
        // This mutex is not fair: without giving up the processor the waiting thread
        // would rarely get in before the lock is taken again.
        std::this_thread::yield();
        mutex_.lock();
    }
}

void Synchronized::notify() {
    if (locked_.load())
        mutex_.unlock();
}

void Synchronized::waitForSignal(std::chrono::microseconds timeout) {
    condition_.wait_for(mutex_, timeout);
}

void Synchronized::signal() {
    condition_.notify_all();
}

}  // namespace talbex::camera
