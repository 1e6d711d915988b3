// Runs the built talbex program headless, driven by a script, against a simulated camera
// whose faults come from its settings file, in a folder of its own. Every run has a bound:
// a run that outlives it is killed and the test fails (a hang). Under the sanitizer
// presets the program is the sanitized build, so its own memory errors, leaks and
// undefined behaviour end it with a report on its standard error.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_folder.h"

namespace talbex::faults {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct Outcome {
    int status = -1;  // exit status; -1 when it ended by a signal or was killed
    bool hung = false;
    std::chrono::steady_clock::duration took{};
    std::string out, err;
};

inline std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

/// The names in a folder (hidden ones included), sorted; empty when it cannot be listed.
inline std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

/// A whole JPEG picture: starts and ends with its markers.
inline bool IsWholePicture(const std::string& path) {
    const std::string bytes = Slurp(path);
    return bytes.size() > 4 && bytes.compare(0, 2, "\xFF\xD8") == 0 &&
           bytes.compare(bytes.size() - 2, 2, "\xFF\xD9") == 0;
}

/// A small file system of its own mounted at a folder, for a full or read-only folder.
/// Needs the right to mount (root here); `mounted()` says whether it worked.
class ScratchMount {
  public:
    ScratchMount(const std::string& folder, const std::string& options) : folder_(folder) {
        fs::create_directories(folder);
        mounted_ = ::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
        if (mounted_ && !Has(options, "ro"))
            ::chmod(folder.c_str(), 0700);
    }
    ~ScratchMount() {
        if (mounted_)
            ::umount2(folder_.c_str(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }

  private:
    std::string folder_;
    bool mounted_ = false;
};

class FaultRun : public ::testing::Test {
  protected:
    void SetUp() override {
        // Test programs live in <build>/tests/, the program in <build>/src/.
        program_ = fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "src/talbex";
        ASSERT_TRUE(fs::exists(program_)) << program_;
        fs::create_directories(photos_);
    }
    void TearDown() override {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    /// Writes the camera's settings file.
    void Camera(const std::string& settings) { std::ofstream(dir_ / "cam.ini") << settings; }

    /// Starts talbex --headless --language en --script (the lines given) plus `args`.
    /// `environment` holds extra NAME=VALUE words for env.
    void Start(const std::string& script, const std::vector<std::string>& args = {},
               const std::string& environment = "") {
        std::ofstream(dir_ / "script.txt") << script;
        std::string command =
            "exec env -u XDG_RUNTIME_DIR -u TALBEX_VENDOR_HOST LC_ALL=C "
            "TALBEX_HOME='" +
            home_ + "' TALBEX_CAMERA='sim:" + dir_ / "cam.ini" + "' " + environment + " " +
            wrapper_ + " '" + program_.string() + "' --headless --language en --script '" +
            dir_ / "script.txt" + "'";
        for (const std::string& a : args)
            command += " '" + a + "'";
        command += " >'" + dir_ / "out" + "' 2>'" + dir_ / "err" + "'";
        const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
        started_ = std::chrono::steady_clock::now();
        ASSERT_EQ(posix_spawn(&pid_, argv[0], nullptr, nullptr, const_cast<char**>(argv), environ),
                  0);
    }

    /// Waits (bounded) until `done` answers true while the program runs.
    static bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            std::this_thread::sleep_for(5ms);
        }
        return true;
    }

    /// Waits (up to 20 s) until a transfer is on its way into `folder`: a file under a
    /// hidden name there.
    static bool TransferUnderWay(const std::string& folder) {
        return WaitUntil(
            [&] {
                for (const std::string& name : Names(folder))
                    if (name.front() == '.')
                        return true;
                return false;
            },
            std::chrono::seconds(20));
    }

    /// Waits for the program to end within `bound` of its start; kills it after that.
    Outcome Finish(std::chrono::milliseconds bound) {
        Outcome run;
        int raw = 0;
        const auto end = started_ + bound;
        while (pid_ > 0) {
            const pid_t done = ::waitpid(pid_, &raw, WNOHANG);
            if (done == pid_) {
                pid_ = -1;
                break;
            }
            if (std::chrono::steady_clock::now() > end) {
                run.hung = true;
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, &raw, 0);
                pid_ = -1;
                break;
            }
            std::this_thread::sleep_for(10ms);
        }
        run.took = std::chrono::steady_clock::now() - started_;
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.out = Out();
        run.err = Slurp(dir_ / "err");
        return run;
    }

    /// Start, then Finish.
    Outcome Run(const std::string& script, std::chrono::milliseconds bound,
                const std::vector<std::string>& args = {}, const std::string& environment = "") {
        Start(script, args, environment);
        return Finish(bound);
    }

    std::string Out() const { return Slurp(dir_ / "out"); }

    /// Ended by itself within its bound, with status 0 and nothing the sanitizers report.
    static void ExpectClean(const Outcome& run) {
        EXPECT_FALSE(run.hung) << "still running after its bound\n" << run.out;
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_FALSE(Has(run.err, "Sanitizer") || Has(run.err, "runtime error")) << run.err;
    }

    /// The incoming folder holds only whole pictures: nothing half, nothing hidden.
    void ExpectNothingHalfIn(const std::string& folder) {
        for (const std::string& name : Names(folder)) {
            EXPECT_NE(name.front(), '.') << "a transfer left " << name;
            EXPECT_TRUE(IsWholePicture(folder + name)) << name;
        }
    }

    /// The script lines that take the remote-control window's photo path.
    std::string ChoosePhotos() const { return "folder " + photos_ + "\nclick 1068\n"; }

    talbex::testing::TempFolder dir_{"talbex-faults"};
    const std::string home_ = dir_ / "home/";
    const std::string incoming_ = home_ + "incoming/";
    const std::string photos_ = dir_ / "photos/";
    fs::path program_;
    std::string wrapper_;  // a command the program runs under (strace ...), or empty
    pid_t pid_ = -1;
    std::chrono::steady_clock::time_point started_;
};

}  // namespace talbex::faults
