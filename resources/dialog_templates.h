// The dialog templates compiled into the program, found by their resource ids.
#pragma once

#include "platform/ui/dialog_template.h"

namespace talbex::resources {

inline constexpr int kMainWindowDialogId = 101;
inline constexpr int kRemoteControlDialogId = 102;

/// The main window (template 101).
const ui::DialogTemplate& MainWindowDialog();
/// The remote-control window (template 102).
const ui::DialogTemplate& RemoteControlDialog();

/// A template by id, or nullptr.
const ui::DialogTemplate* FindDialogTemplate(int id);

}  // namespace talbex::resources
