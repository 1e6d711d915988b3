// Where windows show their message boxes and the folder chooser: the process-wide
// implementations installed by the backend. Without one installed, a headless set that
// prints to standard output and answers with the defaults stands in.
#pragma once

#include <optional>
#include <string>

#include "platform/ui/folder_chooser.h"
#include "platform/ui/message_box.h"

namespace talbex::ui {

/// Install before windows run; nullptr restores the stand-in. Not owned.
void SetMessageBoxes(MessageBoxes* boxes);
void SetFolderChooser(FolderChooser* chooser);
MessageBoxes& CurrentMessageBoxes();
FolderChooser& CurrentFolderChooser();

/// Shorthands for dialog code.
MessageBoxAnswer ShowMessageBox(const std::string& text, MessageBoxKind kind = MessageBoxKind::kOk,
                                const std::string& caption = "");
std::optional<std::string> ChooseFolder(const std::string& title);

}  // namespace talbex::ui
