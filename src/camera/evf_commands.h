// Live view: switching the camera's output to the computer and back, fetching frames,
// driving the lens and live-view autofocus.
#pragma once

#include "camera/command.h"

namespace talbex::camera {

class StartEvfCommand : public Command {
  public:
    using Command::Command;
    bool execute() override;
};

/// Runs again until live view has ended (or the processor stops), failures included.
class EndEvfCommand : public Command {
  public:
    using Command::Command;
    bool execute() override;
};

/// Fetches one frame and hands it to the observers with "EvfDataChanged"; a frame that is
/// not ready yet is asked for again after about a frame's time, a busy camera after the
/// processor's retry pause.
class DownloadEvfCommand : public Command {
  public:
    using Command::Command;
    bool execute() override;
};

/// 1, 2, 3 towards near; 0x8001, 0x8002, 0x8003 towards far.
class DriveLensCommand : public Command {
  public:
    DriveLensCommand(CameraModel* model, uint32_t step) : Command(model), step_(step) {}
    bool execute() override;
    uint32_t getStep() const { return step_; }

  private:
    uint32_t step_;
};

/// 1 starts live-view autofocus, 0 stops it.
class DoEvfAFCommand : public Command {
  public:
    DoEvfAFCommand(CameraModel* model, uint32_t on) : Command(model), on_(on) {}
    bool execute() override;
    uint32_t getOn() const { return on_; }

  private:
    uint32_t on_;
};

}  // namespace talbex::camera
