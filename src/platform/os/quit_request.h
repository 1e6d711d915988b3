// The program's stop request, process-wide: set when the user's quit reaches the program
// (a quit signal, the time limit, the script's "quit", the windows' stop), read by work
// that would otherwise be allowed to finish first, such as a picture still arriving
// while its window closes. Any thread.
#pragma once

namespace talbex::os {

void RequestQuit();
bool QuitRequested();
/// Forgets a request; for a fresh start of the program's life within one process.
void ClearQuitRequest();

}  // namespace talbex::os
