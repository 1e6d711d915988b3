#include "platform/os/program_directory.h"

#include <unistd.h>

#include <cstdlib>
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
    const std::string dir = ProgramDirectory();
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) {
        if (error)
            *error = "Cannot create the folder " + dir + ": " + ec.message();
        return false;
    }
    if (!fs::is_directory(dir, ec)) {
        if (error)
            *error = dir + " is not a folder";
        return false;
    }
    if (access(dir.c_str(), W_OK | X_OK) != 0) {
        if (error)
            *error = "The folder " + dir + " is not writable";
        return false;
    }
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
