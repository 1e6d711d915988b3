// libgphoto2's lasting settings ($HOME/.gphoto/settings): its ptp2 driver writes the
// capture target there whenever it is set, and every later libgphoto2 program (the
// gphoto2 command, other tethering tools) shoots where it says. The program points the
// capture target at the camera's memory only while it takes its own pictures; this keeps
// what the user had and puts it back when the session ends, and, after a run that ended
// without putting it back, at the next session: a note in the program folder says what
// to put back until it is back.
//
// Any thread; callers hold the camera's lock, as libgphoto2's own writes of its settings
// happen under it.
#pragma once

#include <optional>
#include <string>

namespace talbex::gphoto {

class LastingCaptureTarget {
  public:
    /// Before the session changes the capture target: notes the user's lasting setting
    /// (read once a process) and that it is due back.
    static void Keep();
    /// Puts the user's lasting setting back when the program changed it since the last
    /// time; nothing otherwise.
    static void PutBack();
    /// Once a process, before its first camera opens: what an earlier run left changed is
    /// put back.
    static void RecoverFromEarlierRun();

    /// The note's place: the program folder's ".capture-target-to-restore".
    static std::string NotePath();
    /// libgphoto2's settings file for the current HOME.
    static std::string SettingsPath();
};

}  // namespace talbex::gphoto
