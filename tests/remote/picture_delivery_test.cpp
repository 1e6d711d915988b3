// Every picture the camera sends reaches the save folder under its date-time name, at
// once when its transfer is complete, and none is ever lost: not by a clash of names, a
// save folder on another file system, a purge, a save folder that is missing or full,
// a file that is not a JPEG, or a chosen folder too long to keep.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

#include "remote/remote_control_texts.h"
#include "remote/remote_fixture.h"

namespace talbex::remote::testing {
namespace {

using ui::ChangeEvent;

class PictureDeliveryTest : public RemoteControlTest {
  protected:
    void TearDown() override {
        RemoteControlTest::TearDown();
        for (const std::string& point : mounts_)
            ::umount2(point.c_str(), MNT_DETACH);
        std::error_code ignored;
        for (const std::string& folder : shmFolders_)
            fs::remove_all(folder, ignored);
    }
    void Remember(const std::string& folder) {
        std::ofstream(home() + "saveto.txt", std::ios::binary | std::ios::trunc) << folder;
    }
    void Put(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    /// A tmpfs mounted with `options` on a fresh folder, or nothing when this
    /// machine refuses to mount one.
    std::optional<std::string> MountTmpfs(const std::string& options) {
        const std::string point = mountRoot_.path() + std::to_string(mounts_.size());
        fs::create_directory(point);
        if (::mount("tmpfs", point.c_str(), "tmpfs", 0, options.c_str()) != 0)
            return std::nullopt;
        mounts_.push_back(point);
        return point + "/";
    }
    /// A fresh folder in /dev/shm (a tmpfs on most machines), or nothing.
    std::optional<std::string> ShmFolder() {
        char pattern[] = "/dev/shm/talbex-remote-XXXXXX";
        if (::mkdtemp(pattern) == nullptr)
            return std::nullopt;
        shmFolders_.push_back(pattern);
        return std::string(pattern) + "/";
    }
    size_t TroubleMessages() {
        size_t n = 0;
        for (const std::string& text : Boxes())
            n += text.rfind("Pictures cannot be saved to ", 0) == 0;
        return n;
    }

    talbex::testing::TempFolder mountRoot_{"talbex-mounts"};
    std::vector<std::string> mounts_;
    std::vector<std::string> shmFolders_;
};

TEST_F(PictureDeliveryTest, AShotArrivesAtOnceWhileTheProgressBarRunsUpAndBackToZero) {
    Remember(saveTo_.path());
    sim::CameraSettings settings;
    settings.pictureBytes = 3 << 20;  // a transfer of several chunks
    Open(3, settings);
    const std::string bytes = Shoot();
    // No timer has run: the picture went on as soon as its transfer was complete.
    ASSERT_TRUE(Eventually([&] { return fs::exists(saveTo_ / kFixedName); }));
    EXPECT_EQ(Slurp(saveTo_ / kFixedName), bytes);
    EXPECT_TRUE(Names(incoming()).empty());
    ASSERT_TRUE(thread().Idle());
    const auto progress = changes_.Values(CVellmoraDlg::kProgressBar, ChangeEvent::What::kProgress);
    ASSERT_GE(progress.size(), 3u);
    EXPECT_NE(std::find(progress.begin(), progress.end(), "100"), progress.end());
    EXPECT_EQ(progress.back(), "0");
    EXPECT_EQ(Item(CVellmoraDlg::kProgressBar).GetPos(), 0);
}

// The close box while a picture is on the cable: the picture still arrives, and goes on
// to the save folder when there is one.
TEST_F(PictureDeliveryTest, TheCloseBoxDuringATransferLetsThePictureArrive) {
    for (bool saveFolder : {true, false}) {
        SCOPED_TRACE(saveFolder ? "save folder" : "none");
        if (saveFolder)
            Remember(saveTo_.path());
        else
            fs::remove(home() + "saveto.txt");
        Open(3);
        camera_->SetTransferTime(1500ms);
        const std::string bytes = Shoot();
        // Closed once the picture is on the cable (written under its hidden name).
        ASSERT_TRUE(Eventually([&] { return Names(incoming()) != Landed(incoming()); }));
        ui::user::CloseWindow(window());
        EXPECT_EQ(thread().Result(5s), ui::kIdCancel);
        thread_.reset();
        const std::string folder = saveFolder ? saveTo_.path() : incoming();
        const std::vector<std::string> names = Names(folder);
        ASSERT_EQ(names.size(), 1u);
        EXPECT_EQ(Slurp(folder + names[0]), bytes);
        if (saveFolder) {
            EXPECT_TRUE(Names(incoming()).empty());
        }
        CloseWindow();
        fs::remove(folder + names[0]);
    }
}

TEST_F(PictureDeliveryTest, WithoutASaveFolderTheChooserIsOfferedOnceAndTheChoiceTakesThemAll) {
    Open(3);
    const std::string first = Shoot();
    ASSERT_TRUE(
        Eventually([&] { return Names(incoming()) == std::vector<std::string>{kFixedName}; }));
    Advance(2999ms);
    EXPECT_TRUE(prompts_.FolderTitles().empty());
    Advance(1ms);  // timer 2: the chooser, cancelled
    EXPECT_EQ(prompts_.FolderTitles(), std::vector<std::string>{"照片保存路径:   "});
    const std::string second = Shoot();
    ASSERT_TRUE(Eventually([&] { return Landed(incoming()).size() == 2; }));
    Advance(9000ms);
    EXPECT_EQ(prompts_.FolderTitles().size(), 1u);  // offered once only
    // The user sets the folder: both pictures go there, in the order they were taken.
    prompts_.QueueFolder(saveTo_.path());
    Do([&] { ui::user::Click(window(), CVellmoraDlg::kChooseFolderButton); });
    EXPECT_EQ(Item(CVellmoraDlg::kSaveFolderField).GetWindowText(), saveTo_.path());
    EXPECT_EQ(Slurp(saveTo_ / kFixedName), first);
    EXPECT_EQ(Slurp(saveTo_ / "IMG20261207090503_1.JPG"), second);
    EXPECT_TRUE(Names(incoming()).empty());
}

TEST_F(PictureDeliveryTest, NoPictureEverReplacesAFileOfTheSameName) {
    Put(saveTo_ / kFixedName, "the user's own picture");
    Remember(saveTo_.path());
    Open(3);
    const std::string first = Shoot();
    ASSERT_TRUE(Eventually([&] { return fs::exists(saveTo_ / "IMG20261207090503_1.JPG"); }));
    const std::string second = Shoot();  // the same second again
    ASSERT_TRUE(Eventually([&] { return fs::exists(saveTo_ / "IMG20261207090503_2.JPG"); }));
    EXPECT_EQ(Slurp(saveTo_ / kFixedName), "the user's own picture");
    EXPECT_EQ(Slurp(saveTo_ / "IMG20261207090503_1.JPG"), first);
    EXPECT_EQ(Slurp(saveTo_ / "IMG20261207090503_2.JPG"), second);
}

TEST_F(PictureDeliveryTest, ASaveFolderOnAnotherFileSystemGetsWholeCopies) {
    std::optional<std::string> other = MountTmpfs("size=64m");
    if (!other)
        other = ShmFolder();
    if (!other)
        GTEST_SKIP() << "no tmpfs can be mounted here and /dev/shm is not usable";
    struct stat a {
    }, b{};
    ASSERT_EQ(::stat(home().c_str(), &a), 0);
    ASSERT_EQ(::stat(other->c_str(), &b), 0);
    if (a.st_dev == b.st_dev)
        GTEST_SKIP() << "the save folder is on the program folder's file system here";
    Remember(*other);
    sim::CameraSettings settings;
    settings.pictureBytes = 2 << 20;
    Open(3, settings);
    const std::string bytes = Shoot();
    ASSERT_TRUE(Eventually([&] { return fs::exists(*other + kFixedName); }));
    EXPECT_EQ(Slurp(*other + kFixedName), bytes);
    EXPECT_EQ(Names(*other), std::vector<std::string>{kFixedName});  // no copy left half-way
    EXPECT_TRUE(Names(incoming()).empty());
}

TEST_F(PictureDeliveryTest, APictureStillBeingWrittenIsNeverTouched) {
    Remember(saveTo_.path());
    fs::create_directories(incoming());
    Put(incoming() + ".IMG_0099.JPG.part", "half a picture");
    sim::CameraSettings settings;
    settings.transferMs = 1500;
    settings.pictureBytes = 2 << 20;
    Open(3, settings);
    const std::string bytes = Shoot();
    // While the transfer runs every timer comes round, and the purge button is pressed.
    ASSERT_TRUE(Eventually([&] { return Names(incoming()).size() == 2; }));
    for (int tick = 0; tick < 3; ++tick)
        Advance(2000ms);
    Notify(CVellmoraDlg::kDeleteButton);
    EXPECT_TRUE(Names(saveTo_.path()).empty());
    EXPECT_TRUE(Landed(incoming()).empty());
    ASSERT_TRUE(Eventually([&] { return fs::exists(saveTo_ / kFixedName); }));
    EXPECT_EQ(Slurp(saveTo_ / kFixedName), bytes);
    Advance(6000ms);
    EXPECT_EQ(Names(incoming()), std::vector<std::string>{".IMG_0099.JPG.part"});
    EXPECT_EQ(Names(saveTo_.path()), std::vector<std::string>{kFixedName});
}

TEST_F(PictureDeliveryTest, PurgesKeepTheUsersPicturesUntilTheyReachASaveFolder) {
    fs::create_directories(incoming());
    fs::create_directories(shell::TestShotFolder(home()));
    Put(incoming() + "IMG_0005.JPG", "taken, never moved");
    Put(incoming() + "IMG20261201080000.JPG", "named last week, never moved");
    Put(shell::TestShotFolder(home()) + "IMG_0001.JPG", "a test shot");
    ASSERT_TRUE(shell::RecordTestShot(home(), shell::TestShotFolder(home()) + "IMG_0001.JPG"));
    Put(home() + "IMG_notes.txt", "not the program's");
    Open(3);
    // Nothing of the user's went at start, and they are told what waits.
    EXPECT_EQ(Boxes(), std::vector<std::string>{PicturesWaitingText(3, 2)});
    EXPECT_FALSE(fs::exists(shell::TestShotFolder(home()) + "IMG_0001.JPG"));
    Put(shell::TestShotFolder(home()) + "IMG_0002.JPG", "another test shot");
    ASSERT_TRUE(shell::RecordTestShot(home(), shell::TestShotFolder(home()) + "IMG_0002.JPG"));
    Notify(CVellmoraDlg::kDeleteButton);
    EXPECT_FALSE(fs::exists(shell::TestShotFolder(home()) + "IMG_0002.JPG"));
    EXPECT_EQ(Names(incoming()).size(), 2u);
    EXPECT_TRUE(fs::exists(home() + "IMG_notes.txt"));
    // Closing the window and opening it again (a restart) keeps them too.
    CloseWindow();
    OpenAgain(2);
    EXPECT_EQ(Boxes().back(), PicturesWaitingText(2, 2));
    EXPECT_EQ(Names(incoming()).size(), 2u);
    // As soon as a save folder is known they move on.
    prompts_.QueueFolder(saveTo_.path());
    Do([&] { ui::user::Click(window(), CVellmoraDlg::kChooseFolderButton); });
    EXPECT_EQ(Slurp(saveTo_ / "IMG20261201080000.JPG"), "named last week, never moved");
    EXPECT_EQ(Slurp(saveTo_ / kFixedName), "taken, never moved");
    EXPECT_TRUE(Names(incoming()).empty());
}

TEST_F(PictureDeliveryTest, EachRenameTickNamesTheNewestCameraPictureOnly) {
    fs::create_directories(incoming());
    Put(incoming() + "IMG_0001.JPG", "older");
    fs::last_write_time(incoming() + "IMG_0001.JPG", fs::file_time_type::clock::now() - 1h);
    Put(incoming() + "IMG_0002.JPG", "newer");
    Open(3);
    Advance(2000ms);  // timer 3
    EXPECT_EQ(Slurp(incoming() + kFixedName), "newer");
    EXPECT_TRUE(fs::exists(incoming() + "IMG_0001.JPG"));
    Notify(CVellmoraDlg::kRenameButton);  // the hidden button does the same
    EXPECT_EQ(Slurp(incoming() + "IMG20261207090503_1.JPG"), "older");
}

// The hidden buttons do at once what their timers do later.
TEST_F(PictureDeliveryTest, TheHiddenAskAndMoveButtonsActBeforeTheirTimers) {
    fs::create_directories(incoming());
    Put(incoming() + kFixedName, "named, not moved yet");
    Open(3);
    Notify(CVellmoraDlg::kAskForFolderButton);
    EXPECT_EQ(prompts_.FolderTitles(), std::vector<std::string>{"照片保存路径:   "});
    CloseWindow();
    Remember(saveTo_.path());
    Open(3);  // takes the waiting picture along at once
    EXPECT_EQ(Slurp(saveTo_ / kFixedName), "named, not moved yet");
    Put(incoming() + kFixedName, "named later");
    Notify(CVellmoraDlg::kMoveButton);
    EXPECT_EQ(Slurp(saveTo_ / "IMG20261207090503_1.JPG"), "named later");
}

TEST_F(PictureDeliveryTest, AMissingSaveFolderKeepsThePicturesTellsOnceAndRetries) {
    struct Case {
        std::string folder, reason;
    } const cases[] = {
        {saveTo_ / "gone/", "No such file or directory"},
        {"photos", "not a full path"},  // would land wherever the program runs
    };
    size_t told = 0;
    for (const Case& c : cases) {
        Remember(c.folder);
        Open(3);
        const std::string bytes = Shoot();
        ASSERT_TRUE(Eventually([&] { return Landed(incoming()).size() == 1; }));
        ASSERT_TRUE(thread().Idle());
        Advance(9000ms);
        EXPECT_EQ(TroubleMessages(), ++told);
        EXPECT_EQ(Boxes().back(), SaveFolderTroubleText(3, c.folder, c.reason));
        if (c.reason == "not a full path") {
            EXPECT_EQ(Names(incoming()).size(), 1u);
            break;
        }
        fs::create_directory(c.folder);  // the disk is back
        Advance(3000ms);
        EXPECT_EQ(Slurp(c.folder + kFixedName), bytes);
        EXPECT_TRUE(Names(incoming()).empty());
        EXPECT_EQ(TroubleMessages(), told);
        CloseWindow();
    }
}

TEST_F(PictureDeliveryTest, AFullSaveFolderKeepsThePicturesAndLeavesNoPartialCopy) {
    std::optional<std::string> small = MountTmpfs("size=1m");
    const char* kind = "full";
    if (!small) {
        if (::geteuid() == 0)
            GTEST_SKIP() << "no tmpfs can be mounted here, and a read-only folder does not "
                            "stop root";
        small = saveTo_ / "read-only/";
        fs::create_directory(*small);
        fs::permissions(*small, fs::perms::owner_read | fs::perms::owner_exec);
        kind = "read-only";
    }
    SCOPED_TRACE(kind);
    Remember(*small);
    sim::CameraSettings settings;
    settings.pictureBytes = 2 << 20;  // more than the folder holds
    Open(3, settings);
    const std::string bytes = Shoot();
    ASSERT_TRUE(
        Eventually([&] { return Names(incoming()) == std::vector<std::string>{kFixedName}; }));
    ASSERT_TRUE(thread().Idle());
    Advance(6000ms);
    EXPECT_EQ(TroubleMessages(), 1u);
    EXPECT_TRUE(Names(*small).empty());
    EXPECT_EQ(Slurp(incoming() + kFixedName), bytes);
}

TEST_F(PictureDeliveryTest, EveryFileTheCameraSendsArrivesWithItsOwnExtension) {
    Remember(saveTo_.path());
    sim::CameraSettings settings;
    settings.imageQuality = 0x00640013;  // RAW + large fine JPEG: two transfers
    settings.colorSpace = 2;             // Adobe RGB: the camera's names start with "_"
    Open(3, settings);
    Shoot();
    const std::vector<std::string> both{"IMG20261207090503.JPG", "IMG20261207090503.RAW"};
    ASSERT_TRUE(Eventually([&] { return Names(saveTo_.path()) == both; }));
    EXPECT_EQ(Slurp(saveTo_ / "IMG20261207090503.JPG").substr(0, 2), "\xFF\xD8");
    EXPECT_TRUE(Names(incoming()).empty());
    // A RAW file left behind by an earlier run takes the same road.
    CloseWindow();
    Put(incoming() + "_MG_0042.RAW", "raw");
    OpenAgain(3);
    EXPECT_EQ(Slurp(saveTo_ / "IMG20261207090503_1.RAW"), "raw");
}

TEST_F(PictureDeliveryTest, AFolderTooLongToKeepIsRefusedNotCut) {
    Open(2);
    const std::string tooLong = "/" + std::string(255, 'p');
    prompts_.QueueFolder(tooLong);
    Do([&] { ui::user::Click(window(), CVellmoraDlg::kChooseFolderButton); });
    EXPECT_EQ(Boxes(), std::vector<std::string>{FolderTooLongText(2)});
    EXPECT_EQ(window().saveFolder(), "");
    EXPECT_EQ(Item(CVellmoraDlg::kSaveFolderField).GetWindowText(), "");
    CloseWindow();
    EXPECT_FALSE(fs::exists(home() + "saveto.txt"));
}

}  // namespace
}  // namespace talbex::remote::testing
