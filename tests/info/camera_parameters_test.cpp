// The camera-parameters window on its own connection: what it shows in each language, the
// wait before the fields are read, the running clock, saving the three texts, the purge.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>

#include "info/camera_info_fixture.h"
#include "info/info_texts.h"

namespace talbex::info::testing {
namespace {

namespace fs = std::filesystem;

TEST_F(CameraInfoTest, ShowsTheCameraInTheLanguageItIsGiven) {
    sim::CameraSettings settings;
    settings.owner = "Li Wei";
    settings.artist = "李伟";
    settings.batteryLevel = 75;
    settings.currentFolder = "101SIMCM";
    Cameras({settings});
    for (int language : {3, 2}) {
        auto open = Open(language);
        std::vector<std::string> texts;
        for (int id : {0, 1014, 1017, CMSG::kSave, CMSG::kSynchTime, 1024})
            texts.push_back(id == 0 ? open->window->GetWindowText() : open->Text(id));
        using Texts = std::vector<std::string>;
        const Texts english{"Camera Para", "Model",      "Firware",
                            "Save",        "Synch Time", "保存路径(Save Path)"};
        const Texts chinese{"相机参数", "相机型号", "固件版本",
                            "保存设置", "同步时间", "保存路径(Save Path)"};
        EXPECT_EQ(texts, language == 3 ? english : chinese);
        texts.clear();
        for (int id : {CMSG::kModel, CMSG::kSerial, CMSG::kShutterCount, CMSG::kFirmware,
                       CMSG::kBatteryLevel, CMSG::kBatteryQuality, CMSG::kOwner, CMSG::kArtist,
                       CMSG::kCopyright, CMSG::kCurrentFolder})
            texts.push_back(open->Text(id));
        EXPECT_EQ(texts, (std::vector<std::string>{"SimCam S1", "2718281828", "1520", "1.2.0", "75",
                                                   "3", "Li Wei", "李伟", "", "101SIMCM"}));
        // Only the three texts can be edited; the current folder is never shown.
        for (int id : {CMSG::kShutterCount, CMSG::kModel, CMSG::kSerial, CMSG::kFirmware,
                       CMSG::kBatteryLevel, CMSG::kBatteryQuality, CMSG::kSpareField})
            EXPECT_FALSE(open->Item(id).IsWindowEnabled()) << id;
        for (int id : {CMSG::kOwner, CMSG::kArtist, CMSG::kCopyright})
            EXPECT_TRUE(open->Item(id).IsWindowEnabled()) << id;
        EXPECT_FALSE(open->Item(CMSG::kCurrentFolder).IsWindowVisible());
        EXPECT_TRUE(NewBoxes().empty());
    }
}

// The 500 ms before the fields are read run on the window's clock, with the window
// answering its messages; the user's input waits until the fields are filled.
TEST_F(CameraInfoTest, TheWaitBeforeReadingKeepsTheWindowAnswering) {
    Cameras();
    ParametersWindow open(home_, 3);
    // The worker has opened the session and made its first read.
    for (int i = 0; i < 2000 && open.connection.model()->getProductName().empty(); ++i)
        std::this_thread::sleep_for(1ms);
    bool answered = false;
    open.thread->Do([&] { answered = true; });
    EXPECT_TRUE(answered);
    EXPECT_EQ(open.Text(CMSG::kModel), "");
    EXPECT_FALSE(open.window->IsWindowEnabled());
    open.thread->Do([&] { EXPECT_FALSE(ui::user::Click(*open.window, CMSG::kSave)); });
    Advance(*open.thread, 499ms);
    EXPECT_EQ(open.Text(CMSG::kModel), "");
    Advance(*open.thread, 1ms);
    EXPECT_EQ(open.Text(CMSG::kModel), "SimCam S1");
    EXPECT_TRUE(open.window->IsWindowEnabled());
    EXPECT_TRUE(NewBoxes().empty());  // nothing was saved meanwhile
}

TEST_F(CameraInfoTest, TheClockRunsAndCarriesIntoDaysMonthsAndYears) {
    struct Case {
        SdkTime read;
        std::string afterOneTick;
    };
    const Case cases[] = {
        {{2026, 5, 4, 12, 59, 59, 0}, "2026-5-4 13:0:0"},
        {{2024, 2, 28, 23, 59, 59, 0}, "2024-2-29 0:0:0"},
        {{2023, 2, 28, 23, 59, 59, 0}, "2023-3-1 0:0:0"},
        {{2025, 12, 31, 23, 59, 59, 0}, "2026-1-1 0:0:0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.afterOneTick);
        Cameras({CameraWithClock(c.read)});
        auto open = Open(3);
        EXPECT_EQ(open->Text(CMSG::kDateTime), "");  // shown from the first tick on
        Tick(*open);
        EXPECT_EQ(open->Text(CMSG::kDateTime), c.afterOneTick);
    }
}

TEST_F(CameraInfoTest, SaveWritesTheThreeTextsAndSaysHowItWent) {
    struct Case {
        int language;
        bool artistKept;                       // false: the camera has no artist property
        std::optional<SdkPropertyId> refused;  // a write the camera refuses
        std::string message;
    };
    const Case cases[] = {
        {3, true, std::nullopt, kSavedEnglish},
        {2, true, std::nullopt, kSavedChinese},
        {3, false, std::nullopt, kSavedEnglish},  // what the camera keeps is saved
        {2, true, kPropOwnerName, kSaveFailedChinese},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        sim::CameraSettings settings;
        settings.owner = "old owner";
        settings.artist = "old artist";
        if (!c.artistKept)
            settings.artist = std::nullopt;
        auto camera = Cameras({settings})->Camera(0);
        if (c.refused)
            camera->FailNext(sim::Operation::SetPropertyData, 1, kSdkErrDeviceBusy, *c.refused);
        auto open = Open(c.language);
        EXPECT_EQ(open->Item(CMSG::kArtist).IsWindowEnabled(), c.artistKept);
        open->Type(CMSG::kOwner, "");  // an empty owner is written as one zero byte
        open->Type(CMSG::kCopyright, "© 2026 新");
        open->Click(CMSG::kSave);
        EXPECT_EQ(NewBoxes(), std::vector<std::string>{c.message});
        // Every write was tried, whichever was refused.
        const bool ownerRefused = c.refused == kPropOwnerName;
        EXPECT_EQ(camera->PropertyText(kPropOwnerName), ownerRefused ? "old owner" : "");
        EXPECT_EQ(camera->PropertyText(kPropCopyright), "© 2026 新");
        if (c.artistKept) {
            EXPECT_EQ(camera->PropertyText(kPropArtist), "old artist");
        }
        // What the user typed stays, whatever the result.
        EXPECT_EQ(open->Text(CMSG::kCopyright), "© 2026 新");
    }
}

// An older camera takes the texts and the clock only while its controls are locked, which
// the window does around each write.
TEST_F(CameraInfoTest, AnOlderCameraTakesTheTextsAndTheClock) {
    sim::CameraSettings settings = CameraWithClock({2020, 1, 1, 8, 0, 0, 0});
    settings.legacy = true;
    settings.artist = "old artist";
    settings.copyright = "old copyright";
    auto camera = Cameras({settings})->Camera(0);
    auto open = Open(3);
    open->Type(CMSG::kOwner, "new owner");
    open->Click(CMSG::kSave);
    open->Click(CMSG::kSynchTime);
    Tick(*open);
    open->AnswerClockWindow(ui::kIdOk);
    EXPECT_EQ(NewBoxes(), (std::vector<std::string>{kSavedEnglish, kSyncDoneEnglish}));
    EXPECT_EQ(camera->PropertyText(kPropOwnerName), "new owner");
    SdkTime clock{};  // the computer's time now, not 2020's
    const auto bytes = camera->PropertyBytes(kPropDateTime);
    ASSERT_TRUE(bytes && bytes->size() == sizeof clock);
    std::memcpy(&clock, bytes->data(), sizeof clock);
    EXPECT_GT(clock.year, 2020u);
    // Nothing is left locked: once the connection's worker is through the reads the writes
    // announced (it locks the controls around each of them too).
    for (int i = 0; i < 200 && camera->ControlsLocked(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(camera->ControlsLocked());
}

TEST_F(CameraInfoTest, ATextOverTheLimitIsCutOnAWholeCharacterAfterTheUserIsTold) {
    auto backend = Cameras();
    auto open = Open(3);
    // 97 ASCII bytes, then a three-byte character across the limit.
    const std::string artist = std::string(97, 'a') + "新" + "tail";
    open->Type(CMSG::kArtist, artist);
    open->Click(CMSG::kSave);
    EXPECT_EQ(NewBoxes(), (std::vector<std::string>{kTextCutEnglish, kSavedEnglish}));
    EXPECT_EQ(backend->Camera(0)->PropertyText(kPropArtist), std::string(97, 'a'));
}

// The purge at opening and the hidden delete button take only the program's own test
// shots; a picture the user took and the program has not yet saved stays.
TEST_F(CameraInfoTest, ThePurgesKeepTheUsersPictures) {
    Cameras();
    const std::string shots = shell::TestShotFolder(home_);
    const std::string incoming = shell::IncomingFolder(home_);
    ASSERT_TRUE(shell::EnsureStagingFolder(shots));
    ASSERT_TRUE(shell::EnsureStagingFolder(incoming));
    std::ofstream(shots + "IMG_0001.JPG") << "test shot";
    ASSERT_TRUE(shell::RecordTestShot(home_, shots + "IMG_0001.JPG"));
    std::ofstream(incoming + "IMG_0002.JPG") << "the user's";
    std::ofstream(home_ + "IMG_0003.JPG") << "not the program's";
    auto open = Open(3);
    EXPECT_FALSE(fs::exists(shots + "IMG_0001.JPG"));
    EXPECT_TRUE(fs::exists(incoming + "IMG_0002.JPG"));
    EXPECT_TRUE(fs::exists(home_ + "IMG_0003.JPG"));

    std::ofstream(shots + "IMG_0004.JPG") << "test shot";
    ASSERT_TRUE(shell::RecordTestShot(home_, shots + "IMG_0004.JPG"));
    open->thread->Do(
        [&] { open->window->NotifyFromControl(CMSG::kHiddenDeletePictures, ui::kBnClicked); });
    EXPECT_FALSE(fs::exists(shots + "IMG_0004.JPG"));
    EXPECT_TRUE(fs::exists(incoming + "IMG_0002.JPG"));
    EXPECT_TRUE(fs::exists(home_ + "IMG_0003.JPG"));
}

}  // namespace
}  // namespace talbex::info::testing
