// Action events: controls and windows ask the camera core for work by name.
//
// Listeners are called on the firing thread (window thread for controls, the SDK's
// event thread for camera events); the event and what its argument points to live on
// the firing thread's stack, so a listener copies what it keeps.
#pragma once

#include <string>

namespace talbex::camera {

class ActionEvent {
  public:
    ActionEvent(std::string command, void* arg) : command_(std::move(command)), arg_(arg) {}
    virtual ~ActionEvent() = default;

    std::string getActionCommand() const { return command_; }
    void* getArg() const { return arg_; }

  private:
    std::string command_;
    void* arg_;
};

class ActionListener {
  public:
    virtual void actionPerformed(const ActionEvent& event) = 0;
    virtual ~ActionListener() = default;
};

/// Calls one listener directly; the SDK event handlers use it.
void fireActionEvent(ActionListener* listener, const std::string& command, void* arg);

}  // namespace talbex::camera
