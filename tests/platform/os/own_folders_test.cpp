// The program folder and the single-instance lock: only folders of the user's own are
// used, and nothing is created through a link planted in them.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "platform/os/program_directory.h"
#include "platform/os/single_instance.h"
#include "support/temp_folder.h"

namespace talbex::os {
namespace {

using talbex::testing::TempFolder;

constexpr uid_t kSomeoneElse = 65534;  // nobody

TEST(OwnFolders, OnlyAFolderOfTheUsersOwnThatNoOneElseMayWriteIsUsed) {
    TempFolder top;
    struct Case {
        const char* what;
        std::function<void(const std::string&)> prepare;
        const char* refusal;     // nullptr: usable
        bool givesAway = false;  // hands a file to another user: only root can
    } cases[] = {
        {"made anew", [](const std::string&) {}, nullptr},
        {"the user's, readable by all", [](const std::string& p) { mkdir(p.c_str(), 0755); },
         nullptr},
        {"another user's",
         [](const std::string& p) {
             mkdir(p.c_str(), 0700);
             ASSERT_EQ(chown(p.c_str(), kSomeoneElse, kSomeoneElse), 0);
         },
         "belongs to another user", true},
        {"writable by all",
         [](const std::string& p) {
             mkdir(p.c_str(), 0700);
             chmod(p.c_str(), 0777);
         },
         "writable by other users"},
        {"another user's link to a folder of the user's",
         [&top](const std::string& p) {
             mkdir((top / "mine").c_str(), 0700);
             ASSERT_EQ(symlink((top / "mine").c_str(), p.c_str()), 0);
             ASSERT_EQ(lchown(p.c_str(), kSomeoneElse, kSomeoneElse), 0);
         },
         "link that belongs to another user", true},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string dir = top / ("home" + std::to_string(n++));
        if (c.givesAway && geteuid() != 0)
            continue;
        c.prepare(dir);
        std::string error;
        const bool usable = MakeProgramDirectory(dir + "/", &error);
        if (c.refusal == nullptr) {
            EXPECT_TRUE(usable) << c.what << ": " << error;
        } else {
            EXPECT_FALSE(usable) << c.what;
            EXPECT_NE(error.find(c.refusal), std::string::npos) << c.what << ": " << error;
            EXPECT_NE(error.find(dir), std::string::npos) << error;
        }
    }
    struct stat st {};
    ASSERT_EQ(stat((top / "home0").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);  // a new program folder is the user's alone
}

TEST(OwnFolders, TheLockLivesInTheUsersRuntimeFolderWhenThereIsOne) {
    TempFolder runtime, program, shared;
    chmod(shared.path().c_str(), 0777);
    const std::string programDir = program.path();
    struct Case {
        const char* runtime;  // nullptr: unset
        std::string expected;
    } cases[] = {
        {nullptr, programDir},
        {runtime.path().c_str(), runtime.path()},
        {shared.path().c_str(), programDir},  // others may write there
    };
    for (const Case& c : cases) {
        if (c.runtime == nullptr)
            unsetenv("XDG_RUNTIME_DIR");
        else
            setenv("XDG_RUNTIME_DIR", c.runtime, 1);
        EXPECT_EQ(SingleInstanceDirectory(programDir), c.expected)
            << (c.runtime ? c.runtime : "unset");
    }
    unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
}  // namespace talbex::os
