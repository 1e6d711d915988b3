#include "platform/os/file_io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "support/temp_folder.h"

namespace talbex::os {
namespace {

using talbex::testing::TempFolder;

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(FileIo, ReadsOnlyRegularFilesWithinTheLimitAndNeverWaits) {
    TempFolder dir;
    std::ofstream(dir / "small") << "hello";
    std::ofstream(dir / "big") << std::string(100, 'x');
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);  // no writer: a plain open would hang
    ASSERT_EQ(symlink((dir / "small").c_str(), (dir / "link").c_str()), 0);

    struct Case {
        std::string name;
        bool readable;
        std::string reason;
    } cases[] = {
        {"small", true, ""},        {"link", true, ""},
        {"big", false, "larger"},   {"fifo", false, "not a regular file"},
        {"", false, "is a folder"}, {"missing", false, "No such file"},
    };
    for (const Case& c : cases) {
        std::string error;
        const auto bytes = ReadRegularFile(dir / c.name, 10, &error);
        EXPECT_EQ(bytes.has_value(), c.readable) << c.name;
        if (c.readable)
            EXPECT_EQ(*bytes, "hello");
        else
            EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
    }
    EXPECT_EQ(ReadFileStart(dir / "big", 5).value(), "xxxxx");
    EXPECT_EQ(ReadFileStart(dir / "small", 9).value(), "hello");
    EXPECT_FALSE(ReadFileStart(dir / "fifo", 5).has_value());
}

TEST(FileIo, ReplacingWritesTheLinkItselfNeverItsTarget) {
    TempFolder dir, outside;
    std::ofstream(outside / "victim") << "keep me";
    ASSERT_EQ(symlink((outside / "victim").c_str(), (dir / "log.txt").c_str()), 0);

    std::string error;
    ASSERT_TRUE(ReplaceFile(dir / "log.txt", "2026127", &error)) << error;
    EXPECT_EQ(Slurp(outside / "victim"), "keep me");
    EXPECT_EQ(Slurp(dir / "log.txt"), "2026127");
    struct stat st {};
    ASSERT_EQ(lstat((dir / "log.txt").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    // Nothing but the file itself is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(FileIo, CreatingNeverReplacesAnythingADanglingLinkIncluded) {
    TempFolder dir, outside;
    ASSERT_EQ(symlink((outside / "planted").c_str(), (dir / "ver.htm").c_str()), 0);
    std::ofstream(dir / "index_en.htm") << "mine";

    std::string error;
    EXPECT_FALSE(CreateNewFile(dir / "ver.htm", "4.5.0", &error));
    EXPECT_FALSE(std::filesystem::exists(outside / "planted"));
    EXPECT_FALSE(CreateNewFile(dir / "index_en.htm", "shipped", &error));
    EXPECT_EQ(Slurp(dir / "index_en.htm"), "mine");
    EXPECT_TRUE(CreateNewFile(dir / "index_cn.htm", "shipped", &error)) << error;
    EXPECT_EQ(Slurp(dir / "index_cn.htm"), "shipped");
}

TEST(FileIo, AFailedWriteLeavesTheOldFileAndNoTemporary) {
    TempFolder dir;
    std::ofstream(dir / "saveto.txt") << "/old/folder";
    const std::string missingFolder = dir / "gone/saveto.txt";
    std::string error;
    EXPECT_FALSE(ReplaceFile(missingFolder, "x", &error));
    EXPECT_NE(error.find("gone/saveto.txt"), std::string::npos);
    if (access("/dev/full", W_OK) == 0) {
        // /dev/full answers every write with "no space": the checked write must see it.
        const int fd = ::open("/dev/full", O_WRONLY);
        ASSERT_GE(fd, 0);
        EXPECT_FALSE(WriteAll(fd, std::string(10, 'x')));
        EXPECT_EQ(errno, ENOSPC);
        ::close(fd);
    }
    EXPECT_EQ(Slurp(dir / "saveto.txt"), "/old/folder");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

}  // namespace
}  // namespace talbex::os
