#include "camera/observable.h"

#include <algorithm>

namespace talbex::camera {

void Observable::addObserver(Observer* observer) {
    if (observer == nullptr)
        return;
    if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void Observable::notifyObservers(ModelEvent* event) {
    for (auto it = observers_.rbegin(); it != observers_.rend(); ++it)
        (*it)->update(this, event);
}

void Observable::notifyObservers(const std::string& type, void* arg) {
    ModelEvent event(type, arg);
    notifyObservers(&event);
}

}  // namespace talbex::camera
