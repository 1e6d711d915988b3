// The short demonstration that stands in for the main window until it exists: find the
// camera behind the SDK boundary, print its identity, take a picture and transfer it into
// the program's staging folder.
#pragma once

#include <cstdio>

namespace talbex::app {

/// Runs the demonstration, printing to `out` and problems to `err`. Answers the exit
/// status: 0 when the picture arrived, 1 otherwise.
int RunDemo(std::FILE* out, std::FILE* err);

}  // namespace talbex::app
