// Where transferred pictures wait inside the program folder, and which of them the
// program may delete. Test shots (the pictures identification takes to read the serial)
// land in a folder of their own and are the only files a purge removes; pictures the
// user takes land in the incoming folder and stay there until they are safely in the
// user's save folder. No other file in the program folder is ever deleted, whatever its
// name.
#pragma once

#include <string>

namespace talbex::shell {

/// `programDirectory` + "test-shots/": the main window's identification transfers.
std::string TestShotFolder(const std::string& programDirectory);
/// `programDirectory` + "incoming/": pictures the user took, waiting for a save folder.
std::string IncomingFolder(const std::string& programDirectory);

/// Makes `folder` (mode 0700) when it is missing. False with the reason when it cannot
/// be made or something other than a real folder (a link, a file) is there.
bool EnsureStagingFolder(const std::string& folder, std::string* error = nullptr);

/// Deletes the program's own test shots; nothing else.
void PurgeTestShots(const std::string& programDirectory);

}  // namespace talbex::shell
