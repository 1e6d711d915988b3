#include "platform/os/launcher.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "platform/os/diagnostics.h"

extern char** environ;

namespace talbex::os {

pid_t StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                   std::string* error) {
    if (program.empty()) {
        if (error)
            *error = "no program given";
        return -1;
    }
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 2);
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    // The child gets none of our descriptors beyond the standard three (an inherited lock
    // or socket would outlive the program in a browser or the updater), a session of its
    // own, no blocked signals and the default action for SIGPIPE.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    sigaddset(&signals, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &signals);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);

    pid_t pid = -1;
    const int rc =
        program.find('/') == std::string::npos
            ? posix_spawnp(&pid, program.c_str(), &actions, &attributes, argv.data(), environ)
            : posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        if (error)
            *error = "cannot start " + program + ": " + std::strerror(rc);
        return -1;
    }
    return pid;
}

void ReapInBackground(pid_t pid) {
    if (pid <= 0)
        return;
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

SystemLauncher::SystemLauncher(std::string opener) : opener_(std::move(opener)) {}

void SystemLauncher::OpenInBackground(const std::string& address) {
    // The thread owns its copies of both texts; it shares nothing with the caller.
    std::thread([opener = opener_, address] {
        std::string error;
        const pid_t pid = StartProgram(opener, {address}, &error);
        if (pid < 0) {
            Diagnostic("open %s: %s\n", address.c_str(), error.c_str());
            return;
        }
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

bool SystemLauncher::Run(const std::string& path) {
    std::string error;
    const pid_t pid = StartProgram(path, {}, &error);
    if (pid < 0) {
        Diagnostic("run %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    ReapInBackground(pid);
    return true;
}

}  // namespace talbex::os
