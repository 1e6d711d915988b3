#include "shell/shipped_files.h"

#include <sys/stat.h>

#include <cerrno>
#include <optional>

#include "platform/os/diagnostics.h"
#include "platform/os/file_io.h"

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

}  // namespace

bool InstallShippedFiles(const std::string& directory, const std::string& version) {
    bool all = InstallOne(directory + "ver.htm", version);
    all &= InstallOne(directory + "index_en.htm",
                      "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
                      "<title>Talbex</title></head>\n<body><h1>Talbex</h1>\n"
                      "<p>Connect your camera with its USB cable and switch it on.</p></body>"
                      "</html>\n");
    all &= InstallOne(directory + "index_cn.htm",
                      "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
                      "<title>Talbex</title></head>\n<body><h1>Talbex</h1>\n"
                      "<p>请用 USB 线连接相机并打开相机电源。</p></body></html>\n");
    return all;
}

}  // namespace talbex::shell
