#include "served_camera_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <vector>

extern char** environ;

namespace talbex::testing {

std::string ServedCameraProcess::ProgramPath() {
    // Test programs live in <build>/tests/, the program in <build>/src/.
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() /
            "src/talbex")
        .string();
}

bool ServedCameraProcess::Start(const std::string& settings, std::string* error) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        if (entry.rfind("TALBEX_CAMERA=", 0) != 0 && entry.rfind("TALBEX_HOME=", 0) != 0)
            env.push_back(entry);
    }
    env.push_back("TALBEX_HOME=" + home_.path());
    if (!settings.empty()) {
        std::ofstream(home_ / "camera.ini") << settings;
        env.push_back("TALBEX_CAMERA=sim:" + home_ / "camera.ini");
    }
    std::vector<char*> envp;
    for (auto& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    const std::string program = ProgramPath();
    std::vector<std::string> args = {program,       "sim-serve", "--listen",
                                     "127.0.0.1:0", "--seconds", "300"};
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        *error = "pipe failed";
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    const int spawned =
        posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        close(pipeFds[0]);
        pid_ = -1;
        *error = "cannot start " + program;
        return false;
    }
    outFd_ = pipeFds[0];
    // Keep reading, so the server never blocks on a full pipe.
    reader_ = std::thread([this] {
        char buffer[4096];
        ssize_t n;
        while ((n = read(outFd_, buffer, sizeof buffer)) > 0) {
            std::lock_guard lock(mutex_);
            output_.append(buffer, static_cast<size_t>(n));
        }
    });
    const std::regex where("over PTP/IP on 127\\.0\\.0\\.1:([0-9]+)");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        std::smatch match;
        const std::string text = Output();
        if (std::regex_search(text, match, where)) {
            port_ = static_cast<uint16_t>(std::stoi(match[1]));
            return true;
        }
        int status;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            *error = "sim-serve ended: " + text;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    *error = "sim-serve did not start: " + Output();
    return false;
}

std::string ServedCameraProcess::GphotoPort() const {
    const std::string p = std::to_string(port_);
    return "ptpip:127.0.0.1:" + p + ":" + p;
}

std::string ServedCameraProcess::Output() {
    std::lock_guard lock(mutex_);
    return output_;
}

void ServedCameraProcess::Kill() {
    Stop(SIGKILL);
}

void ServedCameraProcess::Stop(int signal) {
    if (pid_ > 0) {
        kill(pid_, signal);
        // A server that does not end on SIGTERM within ten seconds is killed.
        for (int i = 0; i < 1000; ++i) {
            int status;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }
    if (reader_.joinable())
        reader_.join();
    if (outFd_ >= 0) {
        close(outFd_);
        outFd_ = -1;
    }
}

ServedCameraProcess::~ServedCameraProcess() {
    Stop(SIGTERM);
}

}  // namespace talbex::testing
