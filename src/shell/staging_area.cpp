#include "shell/staging_area.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <sstream>
#include <vector>

#include "camera/download_command.h"
#include "platform/os/diagnostics.h"
#include "platform/os/file_in_use.h"
#include "platform/os/file_io.h"

namespace talbex::shell {

namespace {

// The list of noted test shots, in the test-shot folder: one "DEVICE INODE SIZE
// MODIFIED NAME" line each. Hidden names are never noted, so no purge ever takes it.
constexpr char kTestShotList[] = ".recorded";
constexpr size_t kMaxListBytes = 1u << 20;

// The list is read, changed and written whole: one change at a time in the process.
std::mutex gListMutex;

struct Noted {
    FileStamp stamp;
    std::string name;
};

std::vector<Noted> ReadList(const std::string& path) {
    std::vector<Noted> noted;
    const std::optional<std::string> text = os::ReadRegularFile(path, kMaxListBytes);
    if (!text)
        return noted;
    std::istringstream lines(*text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        Noted entry;
        long long device = 0, inode = 0, size = 0, modified = 0;
        if (!(fields >> device >> inode >> size >> modified) || fields.get() != ' ')
            continue;
        std::getline(fields, entry.name);
        if (entry.name.empty())
            continue;
        entry.stamp = FileStamp{static_cast<dev_t>(device), static_cast<ino_t>(inode),
                                static_cast<off_t>(size), modified};
        noted.push_back(std::move(entry));
    }
    return noted;
}

bool WriteList(const std::string& path, const std::vector<Noted>& noted, std::string* error) {
    if (noted.empty()) {
        if (::unlink(path.c_str()) == 0 || errno == ENOENT)
            return true;
        if (error)
            *error = path + ": " + std::strerror(errno);
        return false;
    }
    std::string text;
    for (const Noted& entry : noted) {
        const FileStamp& s = entry.stamp;
        text += std::to_string(s.device) + ' ' + std::to_string(s.inode) + ' ' +
                std::to_string(s.size) + ' ' + std::to_string(s.modified) + ' ' + entry.name + '\n';
    }
    return os::ReplaceFile(path, text, error, 0600);
}

std::optional<FileStamp> StampFromStat(const struct stat& st) {
    if (!S_ISREG(st.st_mode))
        return std::nullopt;
    return FileStamp{st.st_dev, st.st_ino, st.st_size,
                     int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec};
}

// The stamp of the regular file `name` in the folder open as `folderFd` (no link followed).
std::optional<FileStamp> StampAt(int folderFd, const std::string& name) {
    struct stat st {};
    if (name.find('/') != std::string::npos ||
        ::fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    return StampFromStat(st);
}

// The staging folder itself, never a link in its place: without the trailing '/', which
// would have the link followed whatever O_NOFOLLOW says. -1 when it is no real folder.
int OpenStagingFolder(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

}  // namespace

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

std::optional<FileStamp> StampOf(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return std::nullopt;
    return StampFromStat(st);
}

bool RecordTestShot(const std::string& programDirectory, const std::string& path,
                    std::string* error) {
    const std::string folder = TestShotFolder(programDirectory);
    const std::string name =
        path.compare(0, folder.size(), folder) == 0 ? path.substr(folder.size()) : "";
    if (name.empty() || name.find_first_of("/\n") != std::string::npos || name[0] == '.') {
        if (error)
            *error = path + ": not a test shot of " + folder;
        return false;
    }
    const std::optional<FileStamp> stamp = StampOf(path);
    if (!stamp) {
        if (error)
            *error = path + ": not a regular file";
        return false;
    }
    std::lock_guard lock(gListMutex);
    const std::string list = folder + kTestShotList;
    std::vector<Noted> noted = ReadList(list);
    std::erase_if(noted, [&](const Noted& entry) { return entry.name == name; });
    noted.push_back(Noted{*stamp, name});
    return WriteList(list, noted, error);
}

void PurgeTestShots(const std::string& programDirectory) {
    const std::string folder = TestShotFolder(programDirectory);
    // A link in the folder's place is not followed out of the program folder.
    const int folderFd = OpenStagingFolder(folder);
    if (folderFd < 0)
        return;
    std::lock_guard lock(gListMutex);
    const std::string list = folder + kTestShotList;
    std::vector<Noted> noted = ReadList(list);
    // Whatever the camera called them (IMG_0001.JPG, DSC_0001.JPG, P1010001.JPG, ...): the
    // noted files, each only while it is still the file noted.
    std::erase_if(noted, [&](const Noted& entry) {
        const std::optional<FileStamp> stamp = StampAt(folderFd, entry.name);
        if (!stamp || *stamp != entry.stamp)
            return true;  // gone or changed: forgotten, never deleted
        return ::unlinkat(folderFd, entry.name.c_str(), 0) == 0;
    });
    ::close(folderFd);
    // What could not be deleted stays noted.
    std::string error;
    if (!WriteList(list, noted, &error))
        os::Diagnostic("cannot update the list of test shots: %s\n", error.c_str());
}

void RemoveUnfinishedTransfers(const std::string& programDirectory) {
    for (const std::string& folder :
         {IncomingFolder(programDirectory), TestShotFolder(programDirectory)}) {
        // A link in a staging folder's place never leads the clean-up out of the program
        // folder.
        const int folderFd = OpenStagingFolder(folder);
        if (folderFd < 0)
            continue;
        DIR* dir = ::fdopendir(folderFd);
        if (dir == nullptr) {
            ::close(folderFd);
            continue;
        }
        std::vector<std::string> names;
        while (const dirent* entry = ::readdir(dir))
            if (camera::DownloadCommand::isTemporaryName(entry->d_name))
                names.push_back(entry->d_name);
        for (const std::string& name : names) {
            // Only files the transfers write (never a link or a folder), and never one a
            // running program still writes.
            off_t size = 0;
            switch (os::RemoveUnlessInUse(folderFd, name, &size)) {
                case os::Removal::kRemoved:
                    os::Diagnostic(
                        "removed %s, %lld bytes of a transfer an earlier run did not "
                        "finish; the camera was not told, so it still holds the picture\n",
                        (folder + name).c_str(), static_cast<long long>(size));
                    break;
                case os::Removal::kInUse:
                    os::Diagnostic("left %s: a running program is still writing it\n",
                                   (folder + name).c_str());
                    break;
                case os::Removal::kNotAFile:
                case os::Removal::kFailed:
                    break;
            }
        }
        ::closedir(dir);  // closes folderFd too
    }
}

}  // namespace talbex::shell
