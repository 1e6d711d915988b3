// The files the program keeps in its folder: the shipped ones are put in place whole or
// not at all, repaired when broken and never written through a link; "ver.htm" is read
// without ever waiting on it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "shell/main_window_fixture.h"
#include "shell/shipped_files.h"
#include "support/temp_folder.h"

namespace talbex::shell::testing {
namespace {

using talbex::testing::TempFolder;

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

bool IsRegular(const std::string& path) {
    return fs::is_regular_file(fs::symlink_status(path));
}

TEST(ShippedFiles, MissingEmptyOrUnreadableOnesAreInstalledOthersKept) {
    struct Case {
        const char* what;
        std::function<void(const std::string& verHtm, const std::string& outside)> prepare;
        std::string expected;  // content of ver.htm afterwards
        bool stillALink = false;
    } cases[] = {
        {"missing", [](auto&, auto&) {}, "4.5.0"},
        {"empty", [](auto& v, auto&) { std::ofstream{v}; }, "4.5.0"},
        {"a FIFO", [](auto& v, auto&) { ASSERT_EQ(mkfifo(v.c_str(), 0600), 0); }, "4.5.0"},
        {"a dangling link",
         [](auto& v, auto& o) { ASSERT_EQ(symlink((o + "planted").c_str(), v.c_str()), 0); },
         "4.5.0"},
        {"the user's", [](auto& v, auto&) { std::ofstream{v} << "4.1.0"; }, "4.1.0"},
        {"the user's link",
         [](auto& v, auto& o) {
             std::ofstream{o + "mine"} << "4.2.0";
             ASSERT_EQ(symlink((o + "mine").c_str(), v.c_str()), 0);
         },
         "4.2.0", true},
    };
    for (const Case& c : cases) {
        TempFolder dir, outside;
        c.prepare(dir / "ver.htm", outside.path());
        EXPECT_TRUE(InstallShippedFiles(dir.path(), "4.5.0")) << c.what;
        EXPECT_EQ(Slurp(dir / "ver.htm"), c.expected) << c.what;
        EXPECT_EQ(IsRegular(dir / "ver.htm"), !c.stillALink) << c.what;
        EXPECT_FALSE(fs::exists(outside / "planted")) << c.what;
        for (const char* page : {"index_en.htm", "index_cn.htm"})
            EXPECT_NE(Slurp(dir / page).find("<html"), std::string::npos) << c.what;
        // Nothing else is left behind (no temporary files).
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 3) << c.what;
    }
}

TEST(ShippedFiles, AFullDiskLeavesNothingBrokenAndTheNextStartRepairs) {
    TempFolder dir;
    std::ofstream(dir / "ver.htm");  // left empty by an earlier full disk
    signal(SIGXFSZ, SIG_IGN);        // a write past the limit fails with EFBIG instead
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit tiny = saved;
    tiny.rlim_cur = 3;  // no shipped file fits
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    const bool installed = InstallShippedFiles(dir.path(), "4.5.0");
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);

    EXPECT_FALSE(installed);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1);  // ver.htm only
    EXPECT_EQ(Slurp(dir / "ver.htm"), "");

    EXPECT_TRUE(InstallShippedFiles(dir.path(), "4.5.0"));
    EXPECT_EQ(Slurp(dir / "ver.htm"), "4.5.0");
    EXPECT_NE(Slurp(dir / "index_cn.htm").find("</html>\n"), std::string::npos);
}

TEST_F(MainWindowTest, AVerHtmThatIsAFifoIsNotWaitedOn) {
    Cameras();
    ASSERT_EQ(mkfifo((home_ + "ver.htm").c_str(), 0600), 0);  // no writer: a plain open waits
    CTALBEXMAIN window(Setup(1033));                          // reads the local version
    EXPECT_EQ(window.localVersion(), "4.0.1");
}

}  // namespace
}  // namespace talbex::shell::testing
