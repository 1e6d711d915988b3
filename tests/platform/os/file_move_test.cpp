#include "platform/os/file_move.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "support/temp_folder.h"

namespace talbex::os {
namespace {

namespace fs = std::filesystem;
using talbex::testing::TempFolder;

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Calls that fail as a file system refusing them would.
template <int kError>
int Refused(const char*, const char*) {
    errno = kError;
    return -1;
}

TEST(FileMove, NeverReplacesAndKeepsTheWholeFileWhateverTheFileSystemAllows) {
    const NoReplaceCalls& system = SystemNoReplaceCalls();
    struct Case {
        const char* what;
        NoReplaceCalls calls;
    } const cases[] = {
        {"no-replace rename", system},
        {"hard link", {&Refused<EINVAL>, system.link}},
        {"copy where both are refused", {&Refused<EINVAL>, &Refused<EPERM>}},
        {"copy to another file system", {&Refused<EXDEV>, system.link}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder from, to;
        std::ofstream(from / "IMG.JPG") << "picture";
        const auto taken = fs::file_time_type::clock::now() - std::chrono::hours(30);
        fs::last_write_time(from / "IMG.JPG", taken);
        std::ofstream(to / "IMG.JPG") << "already there";

        const MoveResult result =
            MoveWithoutReplacing(from / "IMG.JPG", to.path(), "IMG.JPG", c.calls);
        ASSERT_TRUE(result.moved) << result.error;
        EXPECT_EQ(result.path, to / "IMG_1.JPG");
        EXPECT_EQ(Slurp(to / "IMG_1.JPG"), "picture");
        EXPECT_EQ(Slurp(to / "IMG.JPG"), "already there");
        EXPECT_EQ(fs::last_write_time(to / "IMG_1.JPG"), taken);
        EXPECT_FALSE(fs::exists(from / "IMG.JPG"));
        EXPECT_EQ(std::distance(fs::directory_iterator(to.path()), {}), 2);  // nothing half-way
    }
}

TEST(FileMove, AFailedMoveLeavesTheFileWhereItWas) {
    TempFolder from, to;
    std::ofstream(from / "IMG.JPG") << "picture";
    fs::create_symlink(from / "IMG.JPG", from / "link.JPG");
    struct Case {
        std::string source, folder;
        int error;
    } const cases[] = {
        {from / "IMG.JPG", to / "missing/", ENOENT},
        {from / "gone.JPG", to.path(), ENOENT},
        {from / "link.JPG", to.path(), EINVAL},  // a link is not a picture to move
    };
    for (const Case& c : cases) {
        const MoveResult result = MoveWithoutReplacing(c.source, c.folder, "IMG.JPG");
        EXPECT_FALSE(result.moved) << c.source;
        EXPECT_EQ(result.errorCode, c.error) << c.source;
        EXPECT_FALSE(result.error.empty());
    }
    EXPECT_EQ(Slurp(from / "IMG.JPG"), "picture");
    EXPECT_TRUE(fs::is_empty(to.path()));
}

TEST(FileMove, NumberedNamesGoBeforeTheExtension) {
    EXPECT_EQ(NumberedName("IMG20261207090503.JPG", 0), "IMG20261207090503.JPG");
    EXPECT_EQ(NumberedName("IMG20261207090503.JPG", 1), "IMG20261207090503_1.JPG");
    EXPECT_EQ(NumberedName("IMG_0001.tar.RAW", 12), "IMG_0001.tar_12.RAW");
    EXPECT_EQ(NumberedName("NOEXT", 2), "NOEXT_2");
    EXPECT_EQ(NumberedName(".hidden", 3), ".hidden_3");
}

}  // namespace
}  // namespace talbex::os
