#include "shell/browse_dir.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/os/diagnostics.h"
#include "platform/os/program_directory.h"
#include "shell/picture_name.h"
#include "support/temp_folder.h"

namespace talbex::shell {
namespace {

namespace fs = std::filesystem;

os::LocalTime LocalTime(int year, int month, int day, int hour, int minute, int second) {
    os::LocalTime t;
    t.year = year;
    t.month = month;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    return t;
}

// A program folder of its own (TALBEX_HOME) for each test, and a folder outside it.
class BrowseDirTest : public ::testing::Test {
  protected:
    void SetUp() override {
        base_ = folder_.path();
        home_ = base_ + "home/";
        outside_ = base_ + "outside/";
        fs::create_directories(home_);
        fs::create_directories(outside_);
        setenv("TALBEX_HOME", home_.c_str(), 1);
        previousTrace_ = os::SetTraceSink([this](std::string_view t) { trace_.append(t); });
        previousProblems_ =
            os::SetDiagnosticSink([this](std::string_view t) { problems_.append(t); });
    }
    void TearDown() override {
        os::SetTraceSink(std::move(previousTrace_));
        os::SetDiagnosticSink(std::move(previousProblems_));
        unsetenv("TALBEX_HOME");
    }

    // Creates the file (and its folders) with the given last-write time in seconds.
    std::string File(const std::string& relative, int64_t seconds, const std::string& root = "") {
        const std::string path = (root.empty() ? home_ : root) + relative;
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path) << "x";
        const timespec times[2] = {{seconds, 0}, {seconds, 0}};
        EXPECT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
        return path;
    }

    talbex::testing::TempFolder folder_{"talbex-walk"};
    std::string base_, home_, outside_, trace_, problems_;
    os::DiagnosticSink previousTrace_, previousProblems_;
};

TEST(DirectoryText, StripBuildFolderAndContainsText) {
    EXPECT_EQ(StripBuildFolder("/tools/app/Release/talbex"), "/tools/app/");
    EXPECT_EQ(StripBuildFolder("/x/Debug/bin/Release/talbex"), "/x/");
    EXPECT_EQ(StripBuildFolder("/opt/talbex/bin/talbex"), "/opt/talbex/bin/");
    EXPECT_EQ(StripBuildFolder("talbex"), "talbex");
    EXPECT_TRUE(ContainsText("xIMG_1.JPG", "IMG_"));
    EXPECT_FALSE(ContainsText("img_1.jpg", "IMG"));
    EXPECT_FALSE(ContainsText("IMG_1.JPG", ""));
}

TEST(DirectoryText, TimestampNameAndTodaysPrefix) {
    EXPECT_EQ(TimestampPictureName(LocalTime(2026, 12, 7, 9, 5, 3)), "IMG20261207090503.JPG");
    EXPECT_EQ(TodaysPicturePrefix(LocalTime(2026, 12, 7, 9, 5, 3)), "IMG20261207");
    EXPECT_EQ(TimestampPictureName(LocalTime(2027, 1, 1, 0, 0, 0)), "IMG20270101000000.JPG");
}

TEST_F(BrowseDirTest, NewestPictureIsFoundInASubfolderFromTheProgramFolder) {
    File("IMG_0001.JPG", 1000);
    const std::string newer = File("sub/IMG_0002.JPG", 2000);
    File("sub/IMG0003.JPG", 3000);  // no "IMG_": not a camera picture
    File("sub/deeper/notes.txt", 4000);
    char before[4096];
    ASSERT_NE(getcwd(before, sizeof before), nullptr);

    CStatDir dir;
    std::string start;
    EXPECT_TRUE(dir.FindNewestPicture(start));
    EXPECT_EQ(start, home_);  // the default start folder is written back
    EXPECT_EQ(dir.newestPath, newer);
    EXPECT_EQ(dir.newestName, "IMG_0002.JPG");
    EXPECT_EQ(dir.newestTime, int64_t{2000} * 1'000'000'000);
    EXPECT_EQ(dir.fileCount, 4u);
    EXPECT_EQ(dir.dirCount, 3u);  // the start folder counts
    EXPECT_NE(trace_.find("文件总数: 4\n子目录总数:2\n"), std::string::npos) << trace_;
    EXPECT_NE(trace_.find("IMG_0001.JPG:"), std::string::npos);
    char after[4096];
    ASSERT_NE(getcwd(after, sizeof after), nullptr);
    EXPECT_STREQ(before, after);  // no walk moves the working folder
}

TEST_F(BrowseDirTest, OfEqualTimesTheFirstMetWinsAndAFlatFolderHasNoSubfolders) {
    const std::string first = File("IMG_0001.JPG", 5000);
    File("a/IMG_0002.JPG", 5000);  // a folder's files come before its subfolders
    CStatDir dir;
    std::string start = home_;
    ASSERT_TRUE(dir.FindNewestPicture(start));
    EXPECT_EQ(dir.newestPath, first);

    // A second search on the same walker starts afresh.
    fs::remove_all(home_ + "a");
    fs::remove(first);
    const std::string later = File("IMG_0009.JPG", 10);
    trace_.clear();
    ASSERT_TRUE(dir.FindNewestPicture(start));
    EXPECT_EQ(dir.newestPath, later);
    EXPECT_NE(trace_.find("文件总数: 1\n子目录总数:0\n"), std::string::npos) << trace_;
}

TEST_F(BrowseDirTest, PictureByTimeTakesTodaysPrefixInEachFolderAndTheLastMatchWins) {
    File("IMG20261206235959.JPG", 100);  // renamed yesterday
    File("IMG_0001.JPG", 100);
    CStatDir dir;
    dir.SetLocalTimeSource([] { return LocalTime(2026, 12, 7, 9, 5, 3); });
    std::string start;
    EXPECT_FALSE(dir.FindPictureByTime(start));

    File("IMG20261207090000.JPG", 100);
    const std::string sub = File("s/IMG20261207100000.JPG", 100);
    EXPECT_TRUE(dir.FindPictureByTime(start));
    EXPECT_EQ(dir.newestPath, sub);
    EXPECT_EQ(dir.newestName, "IMG20261207100000.JPG");

    // Midnight passes during the walk: the subfolder is searched with the new day.
    int calls = 0;
    dir.SetLocalTimeSource([&calls] {
        return ++calls == 1 ? LocalTime(2026, 12, 7, 23, 59, 59) : LocalTime(2026, 12, 8, 0, 0, 0);
    });
    File("s/IMG20261208000000.JPG", 100);
    fs::remove(sub);
    EXPECT_TRUE(dir.FindPictureByTime(start));
    EXPECT_EQ(dir.newestPath, home_ + "s/IMG20261208000000.JPG");
    EXPECT_EQ(calls, 2);
}

TEST_F(BrowseDirTest, DeletePicturesRemovesEveryImgFileInTheProgramTreeOnly) {
    File("IMG_0001.JPG", 1);
    File("sub/xIMGy.txt", 1);
    File("IMG20261207090503.JPG", 1);
    File("keep/img_lower.jpg", 1);
    File("log.txt", 1);
    const std::string outsidePicture = File("IMG_9999.JPG", 1, outside_);
    fs::create_directory_symlink(outside_, home_ + "link");  // not followed
    CStatDir dir;
    std::string start;
    EXPECT_TRUE(dir.DeletePictures(start));
    EXPECT_FALSE(fs::exists(home_ + "IMG_0001.JPG"));
    EXPECT_FALSE(fs::exists(home_ + "sub/xIMGy.txt"));
    EXPECT_FALSE(fs::exists(home_ + "IMG20261207090503.JPG"));
    EXPECT_TRUE(fs::exists(home_ + "keep/img_lower.jpg"));
    EXPECT_TRUE(fs::exists(home_ + "log.txt"));
    EXPECT_TRUE(fs::exists(outsidePicture));
    EXPECT_EQ(start, home_);
}

TEST_F(BrowseDirTest, DeletePicturesRefusesAStartOutsideTheProgramFolder) {
    const std::string outsidePicture = File("IMG_9999.JPG", 1, outside_);
    fs::create_directory_symlink(outside_, home_ + "link");
    for (std::string start : {outside_, home_ + "../outside/", home_ + "link/", std::string("/")}) {
        SCOPED_TRACE(start);
        CStatDir dir;
        problems_.clear();
        EXPECT_FALSE(dir.DeletePictures(start));
        EXPECT_NE(problems_.find("nothing deleted"), std::string::npos);
    }
    EXPECT_TRUE(fs::exists(outsidePicture));

    // Nor does it purge when the program folder is the home folder or the root.
    const std::string picture = File("IMG_0001.JPG", 1);
    const char* home = std::getenv("HOME");
    const std::string savedHome = home ? home : "";
    setenv("HOME", (base_ + "home").c_str(), 1);
    CStatDir dir;
    std::string start;
    EXPECT_FALSE(dir.DeletePictures(start));
    setenv("HOME", savedHome.c_str(), 1);
    setenv("TALBEX_HOME", "/", 1);
    start = "/";
    EXPECT_FALSE(dir.DeletePictures(start));
    EXPECT_TRUE(fs::exists(picture));
}

TEST_F(BrowseDirTest, KeepFilterSparesPicturesNotYetSaved) {
    const std::string pending = File("IMG_0002.JPG", 1);
    File("IMG_0001.JPG", 1);
    CStatDir dir;
    dir.SetKeepFilter([&](const std::string& path) { return path == pending; });
    std::string start;
    EXPECT_TRUE(dir.DeletePictures(start));
    EXPECT_TRUE(fs::exists(pending));
    EXPECT_FALSE(fs::exists(home_ + "IMG_0001.JPG"));
}

// Records what the walk visits; stops at a file named "stop".
class Recorder : public CBrowseDir {
  public:
    bool VisitFile(const std::string& path) override {
        visits.push_back("file " + path);
        return fs::path(path).filename() != "stop";
    }
    void VisitDirectory(const std::string& path, const std::string& parent) override {
        visits.push_back("dir " + path + " in " + parent);
    }
    std::vector<std::string> visits;
};

TEST_F(BrowseDirTest, WalkVisitsMatchingFilesThenFoldersAndStopsWhenAskedTo) {
    File("a.JPG", 1);
    File("b.txt", 1);
    File("sub/c.JPG", 1);
    Recorder walker;
    EXPECT_TRUE(walker.Walk(home_, "*.JPG"));
    EXPECT_EQ(walker.visits, (std::vector<std::string>{"file " + home_ + "a.JPG",
                                                       "dir " + home_ + "sub/ in " + home_,
                                                       "file " + home_ + "sub/c.JPG"}));

    File("stop", 1);
    File("sub/d.JPG", 1);
    Recorder stopped;
    EXPECT_FALSE(stopped.Walk(home_, "*.*"));
    for (const std::string& visit : stopped.visits)
        EXPECT_EQ(visit.find("sub/"), std::string::npos) << visit;  // stopped before them

    Recorder missing;
    EXPECT_TRUE(missing.Walk(home_ + "none/", "*.*"));  // contributes nothing
    EXPECT_TRUE(missing.visits.empty());
}

TEST_F(BrowseDirTest, SetRootDirMakesAnAbsoluteFolderPath) {
    CBrowseDir dir;
    EXPECT_EQ(dir.rootDir, home_);  // starts at the program folder
    dir.SetRootDir("/tmp/x/../y");
    EXPECT_EQ(dir.rootDir, "/tmp/y/");
    dir.SetRootDir("rel");
    EXPECT_EQ(dir.rootDir, fs::current_path().string() + "/rel/");
}

}  // namespace
}  // namespace talbex::shell
