// Something that fires actions: a button, a selection control, a window.
//
// Listeners are registered during window set-up; the list is not locked.
#pragma once

#include <string>
#include <vector>

#include "camera/action_event.h"

namespace talbex::camera {

class ActionSource {
  public:
    virtual ~ActionSource() = default;

    void setActionCommand(const std::string& command) { command_ = command; }
    const std::string& getActionCommand() const { return command_; }
    /// Appends unless already registered.
    void addActionListener(ActionListener* listener);

    /// Fires the source's own action command, to the listeners in registration order.
    void fireActionEvent(void* arg);
    /// Fires an explicit command ("closing" when a window closes).
    void fireActionEvent(const std::string& command, void* arg);

  private:
    std::vector<ActionListener*> listeners_;  // not owned
    std::string command_;
};

}  // namespace talbex::camera
