// The start-up clean-up of unfinished transfers: it removes what a killed run left under a
// transfer's temporary name, but never a file a running program still writes, and never
// anything outside the program folder through a link in a staging folder's place.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "camera/command_fixture.h"
#include "camera/download_command.h"
#include "platform/os/file_in_use.h"
#include "shell/staging_area.h"
#include "support/temp_folder.h"

namespace talbex::shell {
namespace {

namespace fs = std::filesystem;

constexpr char kLeftOver[] = ".transfer-0123456789abcdef.part";

TEST(StagingCleanup, RemovesLeftOversButNeverAFileInUseNorThroughALink) {
    using Hold = std::unique_ptr<os::FileInUse>;
    struct Case {
        const char* what;
        std::string file;  // relative to the test's folder
        std::function<Hold(const std::string& home, const std::string& file)> prepare;
        bool removed;
    } cases[] = {
        {"left in incoming/", "home/incoming/", [](auto&, auto&) { return Hold(); }, true},
        {"left in test-shots/", "home/test-shots/", [](auto&, auto&) { return Hold(); }, true},
        {"still written by a running program", "home/incoming/",
         [](auto&, const std::string& file) { return std::make_unique<os::FileInUse>(file); },
         false},
        {"behind a link in incoming/'s place", "elsewhere/",
         [](const std::string& home, auto&) {
             fs::create_directories(home);
             fs::create_directory_symlink("../elsewhere", home + "incoming");
             return Hold();
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        talbex::testing::TempFolder folder("talbex-cleanup");
        const std::string home = folder / "home/";
        const std::string file = folder / (c.file + kLeftOver);
        fs::create_directories(fs::path(file).parent_path());
        std::ofstream(file) << "half a picture";
        const Hold held = c.prepare(home, file);
        ASSERT_TRUE(!held || held->held());
        RemoveUnfinishedTransfers(home);
        EXPECT_EQ(!fs::exists(fs::symlink_status(file)), c.removed);
    }
}

// A start-up clean-up that runs while a transfer is under way (another program's, as if
// the single-instance lock were bypassed) leaves the transfer's file, and the picture
// lands whole.
class TransferDuringCleanup : public camera::CommandTest {};

TEST_F(TransferDuringCleanup, TheFileBeingWrittenStaysAndThePictureLands) {
    talbex::testing::TempFolder folder("talbex-cleanup");
    const std::string home = folder.path();
    const std::string incoming = IncomingFolder(home);
    fs::create_directories(incoming);
    testing::ScriptedSdk::Picture picture{"DSC_0001.JPG", std::vector<unsigned char>(300000, 7)};
    std::vector<std::string> during;
    sdk->SetHook("Download", [&] {
        RemoveUnfinishedTransfers(home);
        for (const auto& entry : fs::directory_iterator(incoming))
            during.push_back(entry.path().filename().string());
    });
    std::vector<std::string> landed;
    camera::DownloadCommand::Hooks hooks;
    hooks.landed = [&](const std::string& path) { landed.push_back(path); };
    camera::DownloadCommand command(model.get(), sdk->MakeItem(picture), incoming, hooks);
    EXPECT_TRUE(command.execute());
    ASSERT_EQ(during.size(), 1u);
    EXPECT_TRUE(camera::DownloadCommand::isTemporaryName(during[0])) << during[0];
    ASSERT_EQ(landed, std::vector<std::string>{incoming + "DSC_0001.JPG"});
    EXPECT_EQ(fs::file_size(landed[0]), picture.bytes.size());
    EXPECT_TRUE(events.Events("error").empty());
}

}  // namespace
}  // namespace talbex::shell
