// The gphoto2 command, run as a user would against a network camera, in a folder of the
// test's own that is also its HOME: libgphoto2 keeps its settings (~/.gphoto/settings)
// there, never in the tester's.
#pragma once

#include <string>

namespace talbex::testing {

struct Gphoto2Run {
    int status = -1;     // the command's exit status; -1 when it did not end normally
    std::string output;  // what it printed, both streams
};

bool Gphoto2Installed();

/// Runs `gphoto2 --port PORT --camera "PTP/IP Camera" ARGUMENTS` in `folder` (which ends
/// with '/'), in untranslated texts, for at most a minute.
Gphoto2Run RunGphoto2(const std::string& port, const std::string& arguments,
                      const std::string& folder);

}  // namespace talbex::testing
