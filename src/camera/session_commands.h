// Opening and closing the camera session.
#pragma once

#include "camera/command.h"

namespace talbex::camera {

/// Opens the session with pictures sent to the computer. An older-protocol camera then
/// reads every displayed value and description at once; a newer one announces its values
/// through property events and gets room reported for the pictures instead.
class OpenSessionCommand : public Command {
  public:
    using Command::Command;
    bool execute() override;
};

class CloseSessionCommand : public Command {
  public:
    using Command::Command;
    bool execute() override;
};

}  // namespace talbex::camera
