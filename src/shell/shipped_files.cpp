#include "shell/shipped_files.h"

#include <sys/stat.h>

#include <cerrno>
#include <optional>
#include <string_view>

#include "platform/os/diagnostics.h"
#include "platform/os/file_io.h"
#include "platform/os/program_directory.h"
#include "resources/shipped_pages.h"

namespace talbex::shell {

namespace {

bool InstallOne(const std::string& path, const std::string& content) {
    const std::optional<std::string> start = os::ReadFileStart(path, 1);
    if (start && !start->empty())
        return true;  // in place: the user's or an earlier install's, kept as it is
    std::string error;
    struct stat st {};
    // Nothing there: created only if nothing appears meanwhile. Something empty or
    // unreadable there (an empty file, a FIFO, a dangling link): replaced by the shipped
    // file, the link itself and not its target.
    const bool installed = ::lstat(path.c_str(), &st) != 0 && errno == ENOENT
                               ? os::CreateNewFile(path, content, &error)
                               : os::ReplaceFile(path, content, &error);
    if (!installed)
        os::Diagnostic("cannot install the shipped file %s\n", error.c_str());
    return installed;
}

// The package's installed copy of a shipped page when there is one (an administrator may
// have changed it), else the copy built into the program.
std::string Shipped(const std::string& name, std::string_view builtIn) {
    const std::string installed = os::InstalledDataDirectory();
    if (!installed.empty()) {
        const std::optional<std::string> text =
            os::ReadRegularFile(installed + name, os::kMaxTextFileBytes);
        if (text && !text->empty())
            return *text;
    }
    return std::string(builtIn);
}

}  // namespace

bool InstallShippedFiles(const std::string& directory, const std::string& version) {
    bool all = InstallOne(directory + "ver.htm", version);  // the program's own version
    for (const char* page : {"index_en.htm", "index_cn.htm"})
        all &= InstallOne(directory + page, Shipped(page, resources::ShippedPage(page)));
    return all;
}

}  // namespace talbex::shell
