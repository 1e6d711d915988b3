#include "shell/browse_dir.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/os/diagnostics.h"
#include "platform/os/program_directory.h"
#include "shell/picture_name.h"

namespace talbex::shell {

namespace fs = std::filesystem;

namespace {

struct ListedEntry {
    std::string name;
    bool directory = false;
    int64_t time = 0;
};

bool MatchesPattern(const std::string& name, const std::string& pattern) {
    if (pattern == "*.*" || pattern == "*")
        return true;
    return fnmatch(pattern.c_str(), name.c_str(), 0) == 0;
}

std::string RealPath(const std::string& path) {
    std::error_code ec;
    std::string real = fs::weakly_canonical(path, ec).string();
    if (ec)
        return std::string();
    while (real.size() > 1 && real.back() == '/')  // kept only for paths that do not exist
        real.pop_back();
    return real;
}

}  // namespace

std::string StripBuildFolder(const std::string& path) {
    if (size_t at = path.find("Debug"); at != std::string::npos)
        return path.substr(0, at);
    if (size_t at = path.find("Release"); at != std::string::npos)
        return path.substr(0, at);
    if (size_t at = path.rfind('/'); at != std::string::npos)
        return path.substr(0, at + 1);
    return path;
}

bool ContainsText(std::string_view text, std::string_view part) {
    return !part.empty() && text.find(part) != std::string_view::npos;
}

CBrowseDir::CBrowseDir() : rootDir(os::ProgramDirectory()), localTime_(os::Now) {}

bool CBrowseDir::VisitFile(const std::string&) {
    return true;
}

void CBrowseDir::VisitDirectory(const std::string&, const std::string&) {}

void CBrowseDir::SetRootDir(const std::string& dir) {
    std::error_code ec;
    fs::path absolute = fs::absolute(dir, ec);
    rootDir = ec ? dir : absolute.lexically_normal().string();
    if (rootDir.empty() || rootDir.back() != '/')
        rootDir += '/';
}

void CBrowseDir::SetLocalTimeSource(std::function<os::LocalTime()> source) {
    localTime_ = source ? std::move(source) : std::function<os::LocalTime()>(os::Now);
}

bool CBrowseDir::Walk(const std::string& dir, const std::string& pattern) {
    if (fileTest_ == FileTest::kPictureByTime)
        todaysPrefix_ = TodaysPicturePrefix(localTime_());

    // O_NOFOLLOW: a folder swapped for a link since it was listed is not entered.
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dirFd < 0)
        return true;  // a folder that cannot be listed contributes nothing
    DIR* listing = ::fdopendir(dirFd);
    if (listing == nullptr) {
        ::close(dirFd);
        return true;
    }
    std::vector<ListedEntry> entries;
    while (const dirent* item = ::readdir(listing)) {
        const std::string name = item->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat st {};
        if (::fstatat(dirFd, item->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;  // gone meanwhile
        ListedEntry entry;
        entry.name = name;
        entry.directory = S_ISDIR(st.st_mode);
        entry.time = int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec;
        entries.push_back(std::move(entry));
    }

    bool keepGoing = true;
    for (const ListedEntry& entry : entries) {
        if (entry.directory || !MatchesPattern(entry.name, pattern))
            continue;
        const std::string path = dir + entry.name;
        ApplyFileTest(entry.name, path, entry.time);
        if (fileTest_ == FileTest::kDeletePicture && ContainsText(entry.name, "IMG") &&
            !deletionFence_.empty() && os::IsInsideDirectory(path, deletionFence_) &&
            !(keepFilter_ && keepFilter_(path))) {
            ::unlinkat(dirFd, entry.name.c_str(), 0);  // one that cannot go is left
        }
        os::Trace("%s:%d\n", entry.name.c_str(),
                  static_cast<int>(static_cast<uint32_t>(entry.time)));
        if (!VisitFile(path)) {
            keepGoing = false;
            break;
        }
    }
    ::closedir(listing);  // closes dirFd too
    if (!keepGoing)
        return false;

    for (const ListedEntry& entry : entries) {
        if (!entry.directory)
            continue;
        const std::string path = dir + entry.name + "/";
        VisitDirectory(path, dir);
        if (!Walk(path, pattern))
            return false;
    }
    return true;
}

void CBrowseDir::ApplyFileTest(const std::string& name, const std::string& path, int64_t time) {
    switch (fileTest_) {
        case FileTest::kNewestPicture:
            if (time > newestTime && ContainsText(name, "IMG_")) {
                newestTime = time;
                newestName = name;
                newestPath = path;
            }
            break;
        case FileTest::kPictureByTime:
            if (ContainsText(name, todaysPrefix_)) {
                found = true;
                newestName = name;
                newestPath = path;
            }
            break;
        case FileTest::kDeletePicture:  // done in Walk, which holds the folder open
        case FileTest::kNone:
            break;
    }
}

bool CStatDir::VisitFile(const std::string&) {
    ++fileCount;
    return true;
}

void CStatDir::VisitDirectory(const std::string&, const std::string&) {
    ++dirCount;
}

void CStatDir::SetKeepFilter(std::function<bool(const std::string&)> keep) {
    keepFilter_ = std::move(keep);
}

void CStatDir::Begin(std::string& dir) {
    if (dir.empty())
        dir = os::ProgramDirectory();
    SetRootDir(dir);
    fileCount = 0;
    dirCount = 0;
    VisitDirectory(rootDir, std::string());
}

bool CStatDir::FindNewestPicture(std::string& dir) {
    newestTime = 0;
    newestName.clear();
    newestPath.clear();
    Begin(dir);
    fileTest_ = FileTest::kNewestPicture;
    Walk(rootDir, "*.*");
    fileTest_ = FileTest::kNone;
    os::Trace("文件总数: %d\n子目录总数:%d\n", static_cast<int>(fileCount),
              static_cast<int>(dirCount) - 1);
    return !newestPath.empty();
}

bool CStatDir::FindPictureByTime(std::string& dir) {
    found = false;
    newestName.clear();
    newestPath.clear();
    Begin(dir);
    fileTest_ = FileTest::kPictureByTime;
    Walk(rootDir, "*.*");
    fileTest_ = FileTest::kNone;
    return found;
}

bool CStatDir::DeletePictures(std::string& dir) {
    if (dir.empty())
        dir = os::ProgramDirectory();
    SetRootDir(dir);
    // Compared by real paths, so a link inside the program folder cannot lead elsewhere.
    const std::string program = RealPath(os::ProgramDirectory());
    const std::string start = RealPath(rootDir);
    const char* home = std::getenv("HOME");
    const bool programIsWide = program.empty() || program == "/" ||
                               (home != nullptr && *home != '\0' && program == RealPath(home));
    if (programIsWide || start.empty() || !os::IsInsideDirectory(start, program)) {
        os::Diagnostic("DeletePictures: %s is not inside the program folder %s: nothing deleted\n",
                       rootDir.c_str(), os::ProgramDirectory().c_str());
        return false;
    }
    Begin(dir);
    deletionFence_ = rootDir;
    fileTest_ = FileTest::kDeletePicture;
    Walk(rootDir, "*.*");
    fileTest_ = FileTest::kNone;
    deletionFence_.clear();
    return true;
}

}  // namespace talbex::shell
