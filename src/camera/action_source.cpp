#include "camera/action_source.h"

#include <algorithm>

namespace talbex::camera {

void fireActionEvent(ActionListener* listener, const std::string& command, void* arg) {
    if (listener == nullptr)
        return;
    ActionEvent event(command, arg);
    listener->actionPerformed(event);
}

void ActionSource::addActionListener(ActionListener* listener) {
    if (listener == nullptr)
        return;
    if (std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end())
        listeners_.push_back(listener);
}

void ActionSource::fireActionEvent(void* arg) {
    fireActionEvent(command_, arg);
}

void ActionSource::fireActionEvent(const std::string& command, void* arg) {
    ActionEvent event(command, arg);
    for (ActionListener* listener : listeners_)
        listener->actionPerformed(event);
}

}  // namespace talbex::camera
