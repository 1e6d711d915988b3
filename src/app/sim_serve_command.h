// talbex sim-serve [--listen HOST:PORT] [--seconds N]: the camera of the camera library
// (the simulated one unless TALBEX_CAMERA says otherwise) served over PTP/IP, so that
// programs built on other camera libraries can reach it as a network camera.
#pragma once

namespace talbex::app {

/// Runs the command on the arguments that follow "sim-serve". Prints where it listens
/// and the port settings that reach it, then one line per connection. Answers the exit
/// status: 0 after a signal or the given seconds, 1 when it cannot serve, 2 for a usage
/// error.
int RunSimServeCommand(int argc, char** argv);

}  // namespace talbex::app
