// Shutter commands report busy once and are never retried; transfers land in the staging
// folder and always give back the item and the stream.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "camera/download_command.h"
#include "camera/shooting_commands.h"
#include "command_fixture.h"

namespace talbex::camera {
namespace {

namespace fs = std::filesystem;

class ShootingCommandsTest : public CommandTest {
  protected:
    void SetUp() override {
        CommandTest::SetUp();
        folder = fs::temp_directory_path() /
                 ("talbex_core_" + std::to_string(::getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder / "staging");
        staging = (folder / "staging").string() + "/";
    }
    void TearDown() override {
        CommandTest::TearDown();
        fs::remove_all(folder);
    }

    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    testing::ScriptedSdk::Picture Picture(const std::string& name, size_t size = 300000) {
        testing::ScriptedSdk::Picture picture{name, {}};
        for (size_t i = 0; i < size; ++i)
            picture.bytes.push_back(static_cast<unsigned char>(i * 7));
        return picture;
    }

    fs::path folder;
    std::string staging;
};

TEST_F(ShootingCommandsTest, TakePictureOnLegacyLocksAndReportsBusyOnce) {
    UseCamera(true);
    sdk->Answer("SendCommand", {kSdkErrDeviceBusy});
    EXPECT_TRUE(TakePictureCommand(model.get()).execute());
    EXPECT_EQ(sdk->Calls(), (Lines{"SendStatusCommand 0 param=0", "SendCommand 0x0 param=0x0",
                                   "SendStatusCommand 1 param=0"}));
    EXPECT_EQ(events.Events(), (Lines{"DeviceBusy"}));
}

TEST_F(ShootingCommandsTest, TakePictureIsSentEvenWhenTheLockFails) {
    UseCamera(true);
    sdk->Answer("SendStatusCommand 0", {0x7});
    EXPECT_TRUE(TakePictureCommand(model.get()).execute());
    EXPECT_EQ(sdk->Calls(), (Lines{"SendStatusCommand 0 param=0", "SendCommand 0x0 param=0x0"}));
    EXPECT_TRUE(events.Events().empty());
}

TEST_F(ShootingCommandsTest, ShutterButtonNeverLocksAndCapacityIsSkippedOnLegacy) {
    UseCamera(true);
    sdk->Answer("SendCommand", {0x10081});
    EXPECT_TRUE(PressShutterButtonCommand(model.get(), 3).execute());
    EXPECT_TRUE(SetCapacityCommand(model.get(), {1, 2, 1}).execute());
    EXPECT_EQ(sdk->Calls(), (Lines{"SendCommand 0x4 param=0x3"}));
    EXPECT_EQ(events.Events(), (Lines{"error 0x10081"}));

    UseCamera(false);
    sdk->Answer("SetCapacity", {0x2});
    EXPECT_TRUE(SetCapacityCommand(model.get(), {1, 0x200, 1}).execute());
    EXPECT_EQ(sdk->Calls(), (Lines{"SetCapacity 0x1 0x200 1"}));
    EXPECT_EQ(events.Events(), (Lines{"error 0x2"}));
}

TEST_F(ShootingCommandsTest, TransferWritesTheFileIntoTheStagingFolderAndReleasesEverything) {
    sdk->SetDownloadChunk(100000);
    auto picture = Picture("IMG_0001.JPG");
    std::ofstream(staging + "IMG_0001.JPG") << "an older picture of the same name";
    size_t before = SdkLiveReferenceCount();
    DownloadCommand command(model.get(), sdk->MakeItem(picture), staging);
    EXPECT_TRUE(command.execute());
    EXPECT_EQ(sdk->Calls(),
              (Lines{"GetDirectoryItemInfo item:IMG_0001.JPG",
                     "CreateFileStream " + staging + "IMG_0001.JPG 1 2",
                     "SetProgressCallback filestream 2",
                     "Download item:IMG_0001.JPG size=300000 to=filestream",
                     "DownloadComplete item:IMG_0001.JPG", "Release item:IMG_0001.JPG remaining=0",
                     "Release filestream remaining=0"}));
    EXPECT_EQ(events.Events(), (Lines{"DownloadStart", "ProgressReport 33", "ProgressReport 66",
                                      "ProgressReport 100", "DownloadComplete 0"}));
    EXPECT_EQ(Read(staging + "IMG_0001.JPG"),
              std::string(picture.bytes.begin(), picture.bytes.end()));
    EXPECT_EQ(SdkLiveReferenceCount(), before);
}

TEST_F(ShootingCommandsTest, FailedTransferReportsOneErrorKeepsWhatWasWrittenAndReleases) {
    sdk->SetDownloadChunk(100000);
    sdk->Answer("Download", {kSdkErrCommDisconnected});
    DownloadCommand command(model.get(), sdk->MakeItem(Picture("IMG_0002.JPG")), staging);
    EXPECT_TRUE(command.execute());
    EXPECT_EQ(events.Events(), (Lines{"DownloadStart", "ProgressReport 33", "error 0xC1"}));
    EXPECT_TRUE(sdk->Calls("DownloadComplete").empty());
    EXPECT_EQ(sdk->Calls("Release"),
              (Lines{"Release item:IMG_0002.JPG remaining=0", "Release filestream remaining=0"}));
    EXPECT_EQ(fs::file_size(staging + "IMG_0002.JPG"), 100000u);
}

TEST_F(ShootingCommandsTest, FailedItemInformationSendsNoStartAndStillReleasesTheItem) {
    sdk->Answer("GetDirectoryItemInfo", {0x2});
    DownloadCommand command(model.get(), sdk->MakeItem(Picture("IMG_0003.JPG")), staging);
    EXPECT_TRUE(command.execute());
    EXPECT_EQ(events.Events(), (Lines{"error 0x2"}));
    EXPECT_EQ(sdk->Calls(), (Lines{"GetDirectoryItemInfo item:IMG_0003.JPG",
                                   "Release item:IMG_0003.JPG remaining=0"}));
}

TEST_F(ShootingCommandsTest, FailedFileCreationReleasesTheItemOnly) {
    sdk->Answer("CreateFileStream", {kSdkErrFileIo});
    DownloadCommand command(model.get(), sdk->MakeItem(Picture("IMG_0004.JPG")), staging);
    EXPECT_TRUE(command.execute());
    EXPECT_EQ(events.Events(), (Lines{"DownloadStart", "error 0x20"}));
    EXPECT_EQ(sdk->Calls("Release"), (Lines{"Release item:IMG_0004.JPG remaining=0"}));
}

TEST_F(ShootingCommandsTest, DroppedTransferReleasesItsItem) {
    size_t before = SdkLiveReferenceCount();
    { DownloadCommand command(model.get(), sdk->MakeItem(Picture("IMG_0005.JPG")), staging); }
    EXPECT_EQ(sdk->Calls(), (Lines{"Release item:IMG_0005.JPG remaining=0"}));
    EXPECT_EQ(SdkLiveReferenceCount(), before);
}

TEST_F(ShootingCommandsTest, CameraFileNamesNeverLeaveTheStagingFolder) {
    // A path in the name keeps only its last part; a name with nothing usable is refused.
    DownloadCommand(model.get(), sdk->MakeItem(Picture("../escape.JPG", 10)), staging).execute();
    DownloadCommand(model.get(), sdk->MakeItem(Picture("DCIM\\100\\IMG_0006.JPG", 10)), staging)
        .execute();
    DownloadCommand(model.get(), sdk->MakeItem(Picture("/tmp/../..", 10)), staging).execute();
    DownloadCommand(model.get(), sdk->MakeItem(Picture("", 10)), staging).execute();
    EXPECT_FALSE(fs::exists(folder / "escape.JPG"));
    EXPECT_TRUE(fs::exists(staging + "escape.JPG"));
    EXPECT_TRUE(fs::exists(staging + "IMG_0006.JPG"));
    EXPECT_EQ(sdk->Calls("CreateFileStream"),
              (Lines{"CreateFileStream " + staging + "escape.JPG 1 2",
                     "CreateFileStream " + staging + "IMG_0006.JPG 1 2"}));
    EXPECT_EQ(events.Events("error"), (Lines{"error 0x60", "error 0x60"}));
    EXPECT_EQ(sdk->Calls("Release item").size(), 4u);
}

TEST_F(ShootingCommandsTest, NameFillingTheWholeRecordIsReadWithinIt) {
    std::string name(256, 'A');  // no terminating zero in the record
    EXPECT_EQ(DownloadCommand::safeFileName(name.data(), 256), name);
    EXPECT_EQ(DownloadCommand::safeFileName("a/b/..", 256), "");
    EXPECT_EQ(DownloadCommand::safeFileName("IMG..JPG", 256), "IMG..JPG");
}

}  // namespace
}  // namespace talbex::camera
