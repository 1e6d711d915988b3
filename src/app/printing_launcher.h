// The launcher of a run without a display: nothing is opened or started; the address or
// program is printed instead, as a line of the transcript.
#pragma once

#include <ostream>
#include <string>

#include "platform/os/launcher.h"

namespace talbex::app {

class PrintingLauncher final : public os::Launcher {
  public:
    explicit PrintingLauncher(std::ostream& out) : out_(out) {}
    void OpenInBackground(const std::string& address) override;
    bool Run(const std::string& path) override;

  private:
    std::ostream& out_;
};

}  // namespace talbex::app
