#include "platform/os/launcher.h"

#include "platform/os/diagnostics.h"
#include "support/temp_folder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

namespace talbex::os {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A folder with a stand-in opener: a script that writes how many arguments it got and
// then its first argument, byte for byte, to "<script>.out".
class LauncherTest : public ::testing::Test {
  protected:
    void SetUp() override {
        script_ = dir_ / "opener";
        std::ofstream(script_) << "#!/bin/sh\nprintf '%s\\n' \"$#\" > \"$0.tmp\"\n"
                                  "printf '%s' \"$1\" >> \"$0.tmp\"\nmv \"$0.tmp\" \"$0.out\"\n";
        chmod(script_.c_str(), 0755);
    }

    // The script's record, once it has appeared (bounded wait).
    std::string WaitForRecord() const {
        const std::string out = script_ + ".out";
        for (int i = 0; i < 500 && !fs::exists(out); ++i)
            std::this_thread::sleep_for(10ms);
        std::ifstream in(out, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    talbex::testing::TempFolder dir_{"talbex-launch"};
    std::string script_;
};

TEST_F(LauncherTest, AddressReachesTheOpenerAsOneArgumentAndRunsNothing) {
    const std::string address = "http://h/firmware/list.php?model=A B;touch " +
                                dir_ / "p1 $(touch " + dir_ / "p2) `touch " +
                                dir_ / "p3`&firmware=1'\"|x>" + dir_ / "p4\n";
    SystemLauncher launcher(script_);
    const auto start = std::chrono::steady_clock::now();
    launcher.OpenInBackground(address);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);  // does not wait for the opener
    EXPECT_EQ(WaitForRecord(), "1\n" + address);
    for (const char* name : {"p1", "p2", "p3", "p4"})
        EXPECT_FALSE(fs::exists(dir_ / name)) << name;
}

TEST_F(LauncherTest, MissingOpenerIsToldToTheDiagnosticsOnly) {
    std::mutex mutex;
    std::string seen;
    SetDiagnosticSink([&](std::string_view text) {
        std::lock_guard<std::mutex> lock(mutex);
        seen += text;
    });
    SystemLauncher launcher(dir_ / "no-such-opener");
    launcher.OpenInBackground("http://h/");
    bool told = false;
    for (int i = 0; i < 500 && !told; ++i) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            told = seen.find("no-such-opener") != std::string::npos;
        }
        if (!told)
            std::this_thread::sleep_for(10ms);
    }
    SetDiagnosticSink({});
    EXPECT_TRUE(told);
}

TEST_F(LauncherTest, RunStartsTheProgramAndReportsWhatCannotStart) {
    SystemLauncher launcher;
    EXPECT_TRUE(launcher.Run(script_));
    EXPECT_EQ(WaitForRecord(), "0\n");
    EXPECT_FALSE(launcher.Run(dir_ / "update.exe"));  // missing
    std::ofstream(dir_ / "plain") << "not a program";
    EXPECT_FALSE(launcher.Run(dir_ / "plain"));  // not executable
}

TEST_F(LauncherTest, StartedProgramInheritsNoDescriptorOfOurs) {
    // Opened without close-on-exec, as a lock file or a library's socket may be.
    const int ours = open(script_.c_str(), O_RDONLY);
    ASSERT_GE(ours, 3);
    const std::string out = dir_ / "fds";
    std::string error;
    const pid_t pid =
        StartProgram("/bin/sh",
                     {"-c", "if [ -e /proc/$$/fd/" + std::to_string(ours) +
                                " ]; then echo open; else echo " + "closed; fi > " + out},
                     &error);
    close(ours);
    ASSERT_GT(pid, 0) << error;
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    std::ifstream in(out);
    std::string seen;
    in >> seen;
    EXPECT_EQ(seen, "closed");
}

TEST_F(LauncherTest, StartedProgramIsReapedAndLeavesNoZombie) {
    std::string error;
    const pid_t pid = StartProgram("true", {}, &error);
    ASSERT_GT(pid, 0) << error;
    ReapInBackground(pid);
    bool gone = false;
    for (int i = 0; i < 500 && !gone; ++i) {
        gone = kill(pid, 0) != 0 && errno == ESRCH;
        if (!gone)
            std::this_thread::sleep_for(10ms);
    }
    EXPECT_TRUE(gone);
    EXPECT_EQ(StartProgram("", {}, &error), -1);
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace talbex::os
