// Shutter commands report busy once and are never retried; transfers land whole in the
// staging folder, never replace or write through anything, and always give back the item
// and the stream.

#include <gmock/gmock.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "camera/download_command.h"
#include "camera/shooting_commands.h"
#include "command_fixture.h"
#include "support/temp_folder.h"

namespace talbex::camera {
namespace {

namespace fs = std::filesystem;

class ShootingCommandsTest : public CommandTest {
  protected:
    void SetUp() override {
        CommandTest::SetUp();
        fs::create_directories(folder / "staging");
        staging = (folder / "staging").string() + "/";
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

    // The names in the staging folder, sorted.
    Lines Names() const {
        Lines names;
        for (const auto& entry : fs::directory_iterator(staging))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    const talbex::testing::TempFolder temp{"talbex-core"};
    const fs::path folder{temp.path()};
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

TEST_F(ShootingCommandsTest, TransferLandsUnderTheCameraNameWithoutReplacingAnything) {
    sdk->SetDownloadChunk(100000);
    auto picture = Picture("IMG_0001.JPG");
    std::ofstream(staging + "IMG_0001.JPG") << "an older picture of the same name";
    size_t before = SdkLiveReferenceCount();
    std::vector<std::string> landed;
    DownloadCommand::Hooks hooks;
    hooks.landed = [&](const std::string& path) {
        landed.push_back(path);
        EXPECT_TRUE(events.Events("DownloadComplete").empty()) << "told before the windows";
        EXPECT_TRUE(fs::exists(path)) << "and after the file has its name";
    };
    // The camera is told only once the picture is safe: a camera sending to the computer
    // alone lets it go then.
    sdk->SetHook("DownloadComplete", [&] {
        EXPECT_EQ(Names(), (Lines{"IMG_0001.JPG", "IMG_0001_1.JPG"}))
            << "told before it was placed";
    });
    DownloadCommand command(model.get(), sdk->MakeItem(picture), staging, hooks);
    EXPECT_TRUE(command.execute());
    Lines calls = sdk->Calls();
    ASSERT_EQ(calls.size(), 7u);
    // Written under a hidden name of its own, created only if nothing is there.
    EXPECT_THAT(calls[1], ::testing::MatchesRegex("CreateFileStream " + staging +
                                                  "\\.transfer-[0-9a-f]{16}\\.part 0 2"));
    calls.erase(calls.begin() + 1);
    EXPECT_EQ(calls,
              (Lines{"GetDirectoryItemInfo item:IMG_0001.JPG", "SetProgressCallback filestream 2",
                     "Download item:IMG_0001.JPG size=300000 to=filestream",
                     "Release filestream remaining=0", "DownloadComplete item:IMG_0001.JPG",
                     "Release item:IMG_0001.JPG remaining=0"}));
    EXPECT_EQ(events.Events(), (Lines{"DownloadStart", "ProgressReport 33", "ProgressReport 66",
                                      "ProgressReport 100", "DownloadComplete 0"}));
    EXPECT_EQ(landed, (Lines{staging + "IMG_0001_1.JPG"}));
    EXPECT_EQ(Read(staging + "IMG_0001_1.JPG"),
              std::string(picture.bytes.begin(), picture.bytes.end()));
    EXPECT_EQ(Read(staging + "IMG_0001.JPG"), "an older picture of the same name");
    EXPECT_EQ(Names(), (Lines{"IMG_0001.JPG", "IMG_0001_1.JPG"})) << "no temporary file left";
    EXPECT_EQ(SdkLiveReferenceCount(), before);
}

// A camera busy right after its shot is asked again, as the worker asks again for busy
// commands, and each try leaves nothing behind; one that stays busy gives up in the end.
TEST_F(ShootingCommandsTest, BusyTransfersAreAskedAgainForAWhile) {
    for (const char* op : {"GetDirectoryItemInfo", "Download"}) {
        SCOPED_TRACE(op);
        sdk->ClearCalls();
        events.Clear();
        sdk->Answer(op, std::vector<SdkError>(2, kSdkErrDeviceBusy));
        DownloadCommand command(model.get(), sdk->MakeItem(Picture("IMG_0003.JPG", 10)), staging);
        EXPECT_FALSE(command.execute());
        EXPECT_EQ(Names(), Lines{});
        EXPECT_FALSE(command.execute());
        EXPECT_TRUE(command.execute());
        EXPECT_EQ(events.Events("DeviceBusy").size(), 2u);
        EXPECT_EQ(events.Events("DownloadComplete"), (Lines{"DownloadComplete 0"}));
        EXPECT_EQ(Names(), (Lines{"IMG_0003.JPG"}));
        fs::remove(staging + "IMG_0003.JPG");
    }
    sdk->Answer("Download", std::vector<SdkError>(100, kSdkErrDeviceBusy));
    events.Clear();
    DownloadCommand command(model.get(), sdk->MakeItem(Picture("IMG_0004.JPG", 10)), staging);
    int runs = 1;
    while (!command.execute() && runs < 100)
        ++runs;
    EXPECT_EQ(runs, 21);
    EXPECT_EQ(events.Events("error"), (Lines{"error 0x81"}));
    EXPECT_EQ(Names(), Lines{});
}

TEST_F(ShootingCommandsTest, FailedOrCancelledTransferReportsOneErrorLeavesNothingAndReleases) {
    struct Case {
        SdkError download;  // the camera's answer; 0: the receiver cancels at 33 %
        Lines events;
    };
    const Case cases[] = {
        {kSdkErrCommDisconnected, {"DownloadStart", "ProgressReport 33", "error 0xC1"}},
        {kSdkOk, {"DownloadStart", "ProgressReport 33", "error 0x5"}},
    };
    for (const Case& c : cases) {
        sdk->ClearCalls();
        events.Clear();
        sdk->SetDownloadChunk(100000);
        if (c.download != kSdkOk)
            sdk->Answer("Download", {c.download});
        DownloadCommand::Hooks hooks;
        // The receiver stops waiting once the transfer has begun.
        hooks.cancelled = [&] { return c.download == kSdkOk && !events.Events().empty(); };
        hooks.landed = [](const std::string& path) { ADD_FAILURE() << "landed " << path; };
        DownloadCommand command(model.get(), sdk->MakeItem(Picture("IMG_0002.JPG")), staging,
                                hooks);
        EXPECT_TRUE(command.execute());
        EXPECT_EQ(events.Events(), c.events);
        EXPECT_TRUE(sdk->Calls("DownloadComplete").empty());
        EXPECT_EQ(sdk->Calls("Release"), (Lines{"Release filestream remaining=0",
                                                "Release item:IMG_0002.JPG remaining=0"}));
        EXPECT_EQ(Names(), Lines{}) << "the partial file is removed";
    }
}

// A link where the picture is to land is never written through, whether it points at a
// file or nowhere, and the boundary's streams refuse to open through one.
TEST_F(ShootingCommandsTest, LinksInTheStagingFolderAreNeverWrittenThrough) {
    const std::string outside = (folder / "outside.txt").string();
    std::ofstream(outside) << "not the camera's";
    fs::create_symlink(outside, staging + "IMG_0007.JPG");
    fs::create_symlink(folder / "nowhere.txt", staging + "IMG_0008.JPG");
    DownloadCommand(model.get(), sdk->MakeItem(Picture("IMG_0007.JPG", 10)), staging).execute();
    DownloadCommand(model.get(), sdk->MakeItem(Picture("IMG_0008.JPG", 10)), staging).execute();
    EXPECT_EQ(Read(outside), "not the camera's");
    EXPECT_FALSE(fs::exists(folder / "nowhere.txt"));
    EXPECT_EQ(fs::file_size(staging + "IMG_0007_1.JPG"), 10u);
    EXPECT_EQ(fs::file_size(staging + "IMG_0008_1.JPG"), 10u);

    SdkStreamRef stream = nullptr;
    for (SdkFileCreateDisposition how : {kFileCreateAlways, kFileCreateNew, kFileOpenExisting}) {
        EXPECT_EQ(
            SdkCreateFileStream((staging + "IMG_0007.JPG").c_str(), how, kAccessReadWrite, &stream),
            kSdkErrFileIo)
            << how;
    }
    EXPECT_EQ(Read(outside), "not the camera's");
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
    EXPECT_EQ(Names(), (Lines{"IMG_0006.JPG", "escape.JPG"}));
    EXPECT_EQ(sdk->Calls("CreateFileStream").size(), 2u);
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
