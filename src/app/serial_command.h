// talbex serial [--verbose] FILE...: the camera serial number found in each picture.
#pragma once

namespace talbex::app {

/// Runs the command on the arguments that follow "serial". Prints one line per file on the
/// standard output, "NAME\tSERIAL", "NAME\t-" (a JPEG without a serial) or
/// "NAME\terror: REASON", NAME with its backslashes and control characters escaped and
/// the serial's control characters as '?'; --verbose sends the reader's listing to the
/// standard error.
/// Answers the exit status: 0, 1 when any file failed, 2 for a usage error.
int RunSerialCommand(int argc, char** argv);

}  // namespace talbex::app
