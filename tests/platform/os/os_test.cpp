#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <memory>
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

#include "platform/os/local_time.h"
#include "platform/os/locale_id.h"
#include "platform/os/single_instance.h"

namespace talbex::os {
namespace {

TEST(SingleInstance, SecondLockOnTheSameNameIsRefusedUntilTheFirstEnds) {
    std::string dir = "/tmp/talbex-os-test-lock/";
    std::filesystem::create_directories(dir);
    auto first = std::make_unique<SingleInstanceLock>(dir, "talbex");
    EXPECT_TRUE(first->acquired());
    SingleInstanceLock second(dir, "talbex");  // flock locks are per open file
    EXPECT_FALSE(second.acquired());
    first.reset();
    SingleInstanceLock third(dir, "talbex");
    EXPECT_TRUE(third.acquired());
}

TEST(SingleInstance, MissingFolderStartsWithoutALock) {
    SingleInstanceLock lock("/proc/talbex-no-such-folder", "talbex");
    EXPECT_FALSE(lock.acquired());
    EXPECT_TRUE(lock.unavailable());
}

TEST(LocaleId, MapsPosixNamesToTheWindowsIds) {
    EXPECT_EQ(LocaleIdFromName("zh_CN.UTF-8"), 2052u);
    EXPECT_EQ(LocaleIdFromName("zh_TW.UTF-8"), 1028u);
    EXPECT_EQ(LocaleIdFromName("en_US.UTF-8"), 1033u);
    EXPECT_EQ(LocaleIdFromName("en_US"), 1033u);
    EXPECT_EQ(LocaleIdFromName("C"), 1033u);
    EXPECT_EQ(LocaleIdFromName("de_DE@euro"), 1031u);
    EXPECT_EQ(LocaleIdFromName("xx_YY"), 0u);
    setenv("LC_ALL", "zh_CN.UTF-8", 1);
    EXPECT_EQ(SystemLocaleId(), 2052u);
    unsetenv("LC_ALL");
}

TEST(LocalTime, FollowsTheInstalledClock) {
    setenv("TZ", "UTC", 1);
    tzset();
    using namespace std::chrono;
    // 2026-12-07 09:05:03.250 UTC
    const auto when =
        sys_days{year{2026} / 12 / 7} + hours{9} + minutes{5} + seconds{3} + milliseconds{250};
    SetWallClock([when] { return when; });
    LocalTime t = Now();
    SetWallClock({});
    EXPECT_EQ(t.year, 2026);
    EXPECT_EQ(t.month, 12);
    EXPECT_EQ(t.day, 7);
    EXPECT_EQ(t.hour, 9);
    EXPECT_EQ(t.minute, 5);
    EXPECT_EQ(t.second, 3);
    EXPECT_EQ(t.millisecond, 250);
}

}  // namespace
}  // namespace talbex::os
