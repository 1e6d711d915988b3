#include "shell/staging_area.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "shell/browse_dir.h"

namespace talbex::shell {

std::string TestShotFolder(const std::string& programDirectory) {
    return programDirectory + "test-shots/";
}

std::string IncomingFolder(const std::string& programDirectory) {
    return programDirectory + "incoming/";
}

bool EnsureStagingFolder(const std::string& folder, std::string* error) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        if (error)
            *error = folder + ": " + std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        if (error)
            *error = folder + ": not a folder";
        return false;
    }
    return true;
}

void PurgeTestShots(const std::string& programDirectory) {
    std::string folder = TestShotFolder(programDirectory);
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return;
    CStatDir purge;
    purge.DeletePictures(folder);
}

}  // namespace talbex::shell
