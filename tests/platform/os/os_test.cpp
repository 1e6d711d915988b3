#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/os/diagnostics.h"
#include "platform/os/program_directory.h"
#include "platform/os/wait_pump.h"

namespace talbex::os {
namespace {

TEST(ProgramDirectory, FollowsTalbexHomeThenXdgAndAlwaysEndsWithSlash) {
    setenv("TALBEX_HOME", "/tmp/talbex-os-test/a", 1);
    EXPECT_EQ(ProgramDirectory(), "/tmp/talbex-os-test/a/");
    unsetenv("TALBEX_HOME");
    setenv("XDG_DATA_HOME", "/tmp/talbex-os-test/xdg/", 1);
    EXPECT_EQ(ProgramDirectory(), "/tmp/talbex-os-test/xdg/talbex/");
    std::string error;
    EXPECT_TRUE(EnsureProgramDirectory(&error)) << error;
    unsetenv("XDG_DATA_HOME");
}

TEST(ProgramDirectory, UnwritableFolderIsReportedByName) {
    setenv("TALBEX_HOME", "/proc/talbex-cannot-exist", 1);
    std::string error;
    EXPECT_FALSE(EnsureProgramDirectory(&error));
    EXPECT_NE(error.find("/proc/talbex-cannot-exist"), std::string::npos);
    unsetenv("TALBEX_HOME");
}

TEST(ProgramDirectory, InsideDirectoryResolvesDotDot) {
    EXPECT_TRUE(IsInsideDirectory("/home/u/talbex/IMG_1.JPG", "/home/u/talbex/"));
    EXPECT_TRUE(IsInsideDirectory("/home/u/talbex/sub/x", "/home/u/talbex"));
    EXPECT_FALSE(IsInsideDirectory("/home/u/talbex/../x", "/home/u/talbex/"));
    EXPECT_FALSE(IsInsideDirectory("/home/u/talbexx/x", "/home/u/talbex/"));
    EXPECT_FALSE(IsInsideDirectory("relative/x", "/home/u/talbex/"));
}

TEST(WaitPump, WaitingThreadKeepsServingItsPump) {
    std::atomic<int> served{0};
    std::atomic<bool> handed{false};
    SetWaitPump([&] {
        if (handed.exchange(false))
            ++served;
    });
    // The other thread finishes only after the waiting thread has served its hand-over.
    std::thread other([&] {
        handed = true;
        while (served.load() == 0)
            std::this_thread::yield();
    });
    std::atomic<bool> finished{false};
    std::thread watcher([&] {
        other.join();
        finished = true;
    });
    WaitWhilePumping([&] { return finished.load(); });
    watcher.join();
    EXPECT_EQ(served.load(), 1);
    SetWaitPump({});
}

TEST(Diagnostics, GoOnlyToTheSinkThatIsSet) {
    std::string seen;
    SetDiagnosticSink([&](std::string_view text) { seen += text; });
    Diagnostic("%s:%d\n", "IMG_0001.JPG", 42);
    SetDiagnosticSink({});
    Diagnostic("dropped\n");
    EXPECT_EQ(seen, "IMG_0001.JPG:42\n");
}

}  // namespace
}  // namespace talbex::os
