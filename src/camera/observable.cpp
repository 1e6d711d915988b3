#include "camera/observable.h"

#include <algorithm>
#include <chrono>

#include "platform/os/wait_pump.h"

namespace talbex::camera {

void Observable::addObserver(Observer* observer) {
    if (observer == nullptr)
        return;
    std::lock_guard lock(mutex_);
    if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void Observable::notifyObservers(ModelEvent* event) {
    std::lock_guard lock(mutex_);
    for (auto it = observers_.rbegin(); it != observers_.rend(); ++it)
        (*it)->update(this, event);
}

void Observable::notifyObservers(const std::string& type, void* arg) {
    ModelEvent event(type, arg);
    notifyObservers(&event);
}

void Observable::forgetObservers() {
    os::WaitWhilePumping([this] { return mutex_.try_lock(); }, std::chrono::milliseconds(1));
    observers_.clear();
    mutex_.unlock();
}

}  // namespace talbex::camera
