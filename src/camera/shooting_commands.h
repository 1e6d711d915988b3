// Releasing the shutter and reporting room for pictures. A busy camera is reported once
// and not asked again: the user presses again.
#pragma once

#include "camera/command.h"

namespace talbex::camera {

class TakePictureCommand : public Command {
  public:
    using Command::Command;
    bool execute() override;
};

/// 0 released, 1 half-pressed, 3 fully pressed.
class PressShutterButtonCommand : public Command {
  public:
    PressShutterButtonCommand(CameraModel* model, uint32_t state) : Command(model), state_(state) {}
    bool execute() override;
    uint32_t getState() const { return state_; }

  private:
    uint32_t state_;
};

/// Tells a newer-protocol camera how much room the computer has; nothing for older ones.
class SetCapacityCommand : public Command {
  public:
    SetCapacityCommand(CameraModel* model, SdkCapacity capacity)
        : Command(model), capacity_(capacity) {}
    bool execute() override;

  private:
    SdkCapacity capacity_;
};

}  // namespace talbex::camera
