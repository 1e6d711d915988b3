// The folder chooser, beside the message boxes of message_box.h: the headless backend
// answers it from a script or a default and prints it; the desktop backend shows the
// system's chooser.
#pragma once

#include <optional>
#include <string>

namespace talbex::ui {

class FolderChooser {
  public:
    virtual ~FolderChooser() = default;
    /// Lets the user pick a file-system folder; nothing when cancelled.
    virtual std::optional<std::string> ChooseFolder(const std::string& title) = 0;
};

}  // namespace talbex::ui
