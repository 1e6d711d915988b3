#include "platform/os/program_directory.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace talbex::os {

namespace fs = std::filesystem;

namespace {

std::string WithSlash(std::string path) {
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

const char* NonEmptyEnv(const char* name) {
    const char* value = std::getenv(name);
    return (value != nullptr && *value != '\0') ? value : nullptr;
}

}  // namespace

std::string InstalledDataDirectory() {
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    if (error)
        return {};
    const fs::path data = program.parent_path().parent_path() / "share" / "talbex";
    return fs::is_directory(data, error) ? WithSlash(data.string()) : std::string();
}

std::string ProgramDirectory() {
    std::string dir;
    if (const char* home = NonEmptyEnv("TALBEX_HOME")) {
        dir = home;
    } else if (const char* data = NonEmptyEnv("XDG_DATA_HOME")) {
        dir = std::string(data) + "/talbex";
    } else if (const char* user = NonEmptyEnv("HOME")) {
        dir = std::string(user) + "/.local/share/talbex";
    } else {
        dir = "/tmp/talbex-" + std::to_string(getuid());
    }
    std::error_code ec;
    fs::path absolute = fs::absolute(dir, ec);
    if (!ec)
        dir = absolute.lexically_normal().string();
    return WithSlash(dir);
}

bool EnsureProgramDirectory(std::string* error) {
    return MakeProgramDirectory(ProgramDirectory(), error);
}

bool MakeProgramDirectory(const std::string& directory, std::string* error) {
    const auto fail = [&](const std::string& message) {
        if (error)
            *error = message;
        return false;
    };
    std::string shown = fs::path(directory).lexically_normal().string();
    while (shown.size() > 1 && shown.back() == '/')
        shown.pop_back();
    const fs::path dir(shown);
    std::error_code ec;
    fs::create_directories(dir.parent_path(), ec);
    if (ec)
        return fail("Cannot create the folder " + shown + ": " + ec.message());
    // The folder itself is the user's alone: nobody else may plant files the program
    // reads, writes through or runs ("update.exe").
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
        return fail("Cannot create the folder " + shown + ": " + std::strerror(errno));

    struct stat st {};
    // A link in its place (another user's, in a shared folder such as /tmp) must not
    // lead the program into someone else's folder.
    if (::lstat(dir.c_str(), &st) != 0)
        return fail("Cannot use the folder " + shown + ": " + std::strerror(errno));
    if (S_ISLNK(st.st_mode) && st.st_uid != ::geteuid())
        return fail("The folder " + shown + " is a link that belongs to another user");
    if (::stat(dir.c_str(), &st) != 0)
        return fail("Cannot use the folder " + shown + ": " + std::strerror(errno));
    if (!S_ISDIR(st.st_mode))
        return fail(shown + " is not a folder");
    if (st.st_uid != ::geteuid())
        return fail("The folder " + shown + " belongs to another user");
    if ((st.st_mode & S_IWOTH) != 0)
        return fail("The folder " + shown + " is writable by other users");
    if (::access(dir.c_str(), W_OK | X_OK) != 0)
        return fail("The folder " + shown + " is not writable");
    return true;
}

bool IsInsideDirectory(const std::string& path, const std::string& directory) {
    const fs::path p = fs::path(path).lexically_normal();
    const fs::path d = fs::path(directory).lexically_normal();
    if (!p.is_absolute() || !d.is_absolute())
        return false;
    auto pi = p.begin();
    for (auto di = d.begin(); di != d.end(); ++di) {
        if (di->empty())
            continue;  // the trailing '/' of a folder name
        if (pi == p.end() || *pi != *di)
            return false;
        ++pi;
    }
    return true;
}

}  // namespace talbex::os
