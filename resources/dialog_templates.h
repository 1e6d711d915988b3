// The dialog templates compiled into the program, found by their resource ids.
#pragma once

#include "platform/ui/dialog_template.h"

namespace talbex::resources {

inline constexpr int kMainWindowDialogId = 101;
inline constexpr int kRemoteControlDialogId = 102;
inline constexpr int kCameraParametersDialogId = 135;
inline constexpr int kClockSyncDialogId = 136;

/// The main window (template 101).
const ui::DialogTemplate& MainWindowDialog();
/// Commands of the remote-control window's keys that no button carries.
inline constexpr int kToggleLiveViewCommand = 1090;
inline constexpr int kEscapeCommand = 1091;

/// The remote-control window (template 102).
const ui::DialogTemplate& RemoteControlDialog();
/// The camera-parameters window (template 135).
const ui::DialogTemplate& CameraParametersDialog();
/// The clock-synchronisation window (template 136).
const ui::DialogTemplate& ClockSyncDialog();

/// A template by id, or nullptr.
const ui::DialogTemplate* FindDialogTemplate(int id);

}  // namespace talbex::resources
