// The main window end to end: language, captions, polling, identification with and
// without a test shot, the report, the presence probe and the loss of the camera.
#include <gtest/gtest.h>

#include <fstream>

#include "camera/sdk/sdk.h"
#include "platform/ui/window_thread.h"
#include "shell/main_window_fixture.h"
#include "shell/main_window_texts.h"
#include "shell/test_shot.h"
#include "support/loopback_http_server.h"

namespace talbex::shell::testing {
namespace {

using ui::testing::WindowThread;
using Main = CTALBEXMAIN;

sim::CameraSettings WithSerial(std::string serial) {
    sim::CameraSettings settings;
    settings.serial = std::move(serial);
    return settings;
}

TEST_F(MainWindowTest, EnglishLocalesStartInEnglishWithTheSwitchDisabled) {
    for (uint32_t locale : {1033u, 1028u}) {
        Cameras();
        Main window(Setup(locale));
        WindowThread thread(window);
        EXPECT_EQ(window.language(), 3);
        EXPECT_FALSE(window.Item(Main::kLanguageSwitch).IsWindowEnabled());
        EXPECT_EQ(window.Item(Main::kLanguageSwitch).GetWindowText(), "Switching Chinese");
        EXPECT_EQ(window.Item(Main::kConnect).GetWindowText(), "Please connect your camera");
        EXPECT_EQ(window.Item(Main::kCameraParameters).GetWindowText(), "Camera Para");
        EXPECT_EQ(window.Item(Main::kRemoteControl).GetWindowText(), "Remote Control");
        EXPECT_EQ(window.GetWindowText(), "Talbex V4.5");
        // No network: the offline page in the program folder.
        EXPECT_EQ(window.Item(Main::kBrowser).LocationAddress(), home_ + "index_en.htm");
    }
}

TEST_F(MainWindowTest, ChineseLocaleStartsInChineseAndTheSwitchTogglesTheTexts) {
    Cameras();
    for (uint32_t locale : {2052u, 1031u}) {  // 1031: any other locale counts as Chinese
        Main window(Setup(locale));
        WindowThread thread(window);
        EXPECT_NE(window.language(), 3);
        ui::Window& sw = window.Item(Main::kLanguageSwitch);
        EXPECT_TRUE(sw.IsWindowEnabled());
        EXPECT_EQ(sw.GetWindowText(), "Switch English");
        EXPECT_EQ(window.Item(Main::kConnect).GetWindowText(), "请连接相机");
        EXPECT_EQ(window.Item(Main::kRemoteControl).GetWindowText(), "遥控相机");
        EXPECT_EQ(window.Item(Main::kBrowser).LocationAddress(), home_ + "index_cn.htm");

        thread.Do([&] { ui::user::Click(window, Main::kLanguageSwitch); });
        EXPECT_EQ(window.language(), 3);
        EXPECT_EQ(sw.GetWindowText(), "切换中文");  // the system language is not English
        EXPECT_EQ(window.Item(Main::kConnect).GetWindowText(), "Please connect your camera");
        EXPECT_EQ(window.Item(Main::kCameraParameters).GetWindowText(), "Camera Para");
        thread.Do([&] { ui::user::Click(window, Main::kLanguageSwitch); });
        EXPECT_EQ(sw.GetWindowText(), "Switch English");
        EXPECT_EQ(window.Item(Main::kCameraParameters).GetWindowText(), "相机参数");
    }
}

TEST_F(MainWindowTest, PagesComeFromTheVendorHostWhenTheNetworkIsAlive) {
    Cameras();
    test::LoopbackHttpServer server({test::ScriptedReply::Ok("4.0.1")});
    MainWindowSetup setup = Setup(1033);
    setup.vendorHost = server.host();
    setup.networkAlive = [] { return true; };
    Main window(setup);
    WindowThread thread(window);
    const std::string page = window.Item(Main::kBrowser).LocationAddress();
    EXPECT_EQ(page.rfind(server.Url("/ad/index_en.htm?"), 0), 0u) << page;
    EXPECT_EQ(page.size(), server.Url("/ad/index_en.htm?").size() + 10) << page;  // YYYY/MM/DD
    // The update check asked for the published version; nothing newer, nothing shown.
    ASSERT_TRUE(server.WaitForRequests(1, 2s));
    EXPECT_EQ(server.Requests()[0].rfind("GET /download/ver.htm", 0), 0u);
    EXPECT_TRUE(boxes_.Texts().empty());
}

TEST_F(MainWindowTest, ANumericSerialIsReportedAtOnceAndTheCameraIsWatched) {
    auto backend = Cameras({WithSerial("12345678")});  // exactly 8 digits is valid
    test::LoopbackHttpServer server(
        {test::ScriptedReply::Ok("4.0.1"), test::ScriptedReply::Ok("result=ok\r\n")});
    MainWindowSetup setup = Setup(2052);
    setup.vendorHost = server.host();
    Main window(setup);
    WindowThread thread(window);
    EXPECT_FALSE(window.connected());
    Advance(thread, 1999ms);
    EXPECT_TRUE(Identified().empty());
    Advance(thread, 1ms);  // the poll

    ASSERT_EQ(Identified().size(), 1u);
    const web::CameraIdentity id = Identified()[0];
    EXPECT_EQ(id.model, "SimCam S1");
    EXPECT_EQ(id.serialNumber, "12345678");
    EXPECT_EQ(id.lens, "SIM 24-70mm f/2.8");
    EXPECT_EQ(id.firmware, "1.2.0");
    EXPECT_EQ(id.shutterCount, "1520");
    EXPECT_TRUE(window.connected());
    EXPECT_EQ(backend->Camera(0)->PicturesTaken(), 0u);
    EXPECT_EQ(window.Item(Main::kConnect).GetWindowText(), "SimCam S1 已经连接!");
    EXPECT_TRUE(window.Item(Main::kCameraParameters).IsWindowEnabled());
    EXPECT_TRUE(window.Item(Main::kRemoteControl).IsWindowEnabled());
    ASSERT_TRUE(server.WaitForRequests(2, 2s));
    const std::string post = server.Requests()[1];
    EXPECT_EQ(post.rfind("POST /cam/new_cam.php", 0), 0u);
    EXPECT_NE(post.find("model=SimCam S1&len=SIM 24-70mm f/2.8&sn=12345678&shuttercount=1520"
                        "&firmware=1.2.0"),
              std::string::npos)
        << post;
    // The session is closed again; the camera is only probed now.
    EXPECT_FALSE(backend->Camera(0)->SessionOpen());
    EXPECT_EQ(SdkLiveReferenceCount(), 0u);
    Advance(thread, 2000ms);
    EXPECT_TRUE(thread.Idle());
    EXPECT_TRUE(boxes_.Texts().empty());
    EXPECT_EQ(server.Requests().size(), 2u);  // reported once
}

TEST_F(MainWindowTest, TheLanguageSwitchShowsTheOtherLanguagesConnectedCaption) {
    Cameras();
    Main window(Setup(2052));
    WindowThread thread(window);
    Advance(thread, 2000ms);
    ASSERT_TRUE(window.connected());
    EXPECT_EQ(window.Item(Main::kConnect).GetWindowText(), "SimCam S1 已经连接!");
    thread.Do([&] { ui::user::Click(window, Main::kLanguageSwitch); });
    EXPECT_EQ(window.Item(Main::kConnect).GetWindowText(), "SimCam S1 already link!");
    thread.Do([&] { ui::user::Click(window, Main::kLanguageSwitch); });
    EXPECT_EQ(window.Item(Main::kConnect).GetWindowText(), "SimCam S1 已经连接!");
}

// Five digits, or eight characters with a letter: the serial comes from the test shot,
// taken with the first image quality the camera accepts. Afterwards the camera holds the
// user's settings again and the shot is gone, while every file of the user's stays.
TEST_F(MainWindowTest, AnUnusableSerialIsReadFromATestShotAndTheSettingsComeBack) {
    struct Case {
        std::string serial;
        std::string fromPicture;
        uint32_t qualitiesRefused;  // the camera refuses this many quality writes first
        uint32_t qualityInShot;
    };
    const Case cases[] = {
        {"12345", "0000012345", 0, 0x0013FF0F},     // the first fall-back it allows
        {"1234567A", "0420001234", 6, 0x0012FF0F},  // that one refused too: the next
        {"12345", "0000012345", 15, 0x0112FF0F},    // every one refused: its own stays
    };
    // The camera names its picture IMG_0001.JPG: the user's file of that name stays.
    const std::vector<std::string> mine = {"MyIMGnotes.txt", "IMG_0001.JPG", "sub/IMG_0008.JPG",
                                           "test-shots/IMG_0001.JPG", "test-shots/notes.txt"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.serial + ", refused " + std::to_string(c.qualitiesRefused));
        auto backend = Cameras({WithSerial(c.serial)});
        auto camera = backend->Camera(0);
        SetOnCamera(kPropImageQuality, 0x0112FF0F);  // the user's: none of the fall-backs
        if (c.qualitiesRefused > 0)
            camera->FailNext(sim::Operation::SetPropertyData, c.qualitiesRefused,
                             kSdkErrInvalidParameter, kPropImageQuality);
        const auto before = ShotSettings(*camera);
        for (const std::string& name : mine) {
            fs::create_directories(fs::path(home_ + name).parent_path());
            std::ofstream(home_ + name) << "mine";
        }
        test::LoopbackHttpServer server(
            {test::ScriptedReply::Ok("4.0.1"), test::ScriptedReply::Ok("result=ok\r\n")});
        MainWindowSetup setup = Setup(1033);
        setup.vendorHost = server.host();
        {
            Main window(setup);
            WindowThread thread(window);
            Advance(thread, 2000ms);
            EXPECT_TRUE(window.connected());
            EXPECT_TRUE(window.testShotPending());
            EXPECT_TRUE(Identified().empty());
            // The test shot's settings are in force while the picture comes.
            EXPECT_EQ(ShotSettings(*camera),
                      (std::vector<std::optional<uint32_t>>{3, c.qualityInShot, 0, 0x80}));
            EXPECT_EQ(camera->PicturesTaken(), 1u);
            const std::string shot = PictureArrives(10s, {home_ + "test-shots/IMG_0001.JPG"});
            ASSERT_FALSE(shot.empty());
            Advance(thread, 1199ms);  // timer 10 looks 1200 ms after the shot
            EXPECT_TRUE(Identified().empty());
            Advance(thread, 1ms);

            ASSERT_EQ(Identified().size(), 1u);
            EXPECT_EQ(Identified()[0].serialNumber, c.fromPicture);
            EXPECT_FALSE(window.testShotPending());
            EXPECT_TRUE(window.Item(Main::kRemoteControl).IsWindowEnabled());
            EXPECT_EQ(window.Item(Main::kConnect).GetWindowText(), "SimCam S1 already link!");
            ASSERT_TRUE(server.WaitForRequests(2, 2s));
            EXPECT_NE(server.Requests()[1].find("sn=" + c.fromPicture), std::string::npos);
            EXPECT_FALSE(fs::exists(shot));
            EXPECT_EQ(ShotSettings(*camera), before);
            EXPECT_FALSE(camera->SessionOpen());
        }
        for (const std::string& name : mine)
            EXPECT_EQ(Slurp(home_ + name), "mine") << name;
        std::error_code ignored;
        fs::remove(home_ + "log.txt", ignored);
        identified_.clear();
    }
}

// An older camera takes the test shot's settings, its picture and the restore only while
// its controls are locked, which the window does around each.
// Also when the camera keeps its RAW and JPEG quality (it knows none of the test shot's
// qualities): the shot's two files are both the program's, and the serial is read from
// the one that holds it.
TEST_F(MainWindowTest, AnOlderCameraGivesItsSerialThroughTheTestShotToo) {
    size_t identified = 0;
    for (const std::optional<uint32_t> quality : {std::optional<uint32_t>{}, {0x00240013u}}) {
        SCOPED_TRACE(quality ? "RAW and JPEG" : "JPEG");
        sim::CameraSettings settings = WithSerial("12AB5");
        settings.legacy = true;
        settings.imageQuality = quality;
        auto camera = Cameras({settings})->Camera(0);
        const auto before = ShotSettings(*camera);
        Main window(Setup(1033));
        WindowThread thread(window);
        Advance(thread, 2000ms);
        ASSERT_TRUE(window.testShotPending());
        const auto during = ShotSettings(*camera);
        EXPECT_EQ(during[0], 3u);
        EXPECT_EQ(during[2], 0u);
        EXPECT_EQ(during[3], 0x80u);
        const std::string first = PictureArrives();
        ASSERT_FALSE(first.empty());
        if (quality) {
            ASSERT_FALSE(PictureArrives(10s, {first}).empty());
        }
        Advance(thread, 1200ms);
        ASSERT_EQ(Identified().size(), ++identified);
        EXPECT_EQ(Identified().back().serialNumber, "0420001234");
        EXPECT_FALSE(window.testShotPending());
        EXPECT_EQ(ShotSettings(*camera), before);
        EXPECT_FALSE(camera->ControlsLocked());
        EXPECT_FALSE(fs::exists(first));
    }
}

TEST_F(MainWindowTest, ASecondIdentificationTheSameDayPostsNothing) {
    Cameras();
    test::LoopbackHttpServer server(
        {test::ScriptedReply::Ok("4.0.1"), test::ScriptedReply::Ok("result=ok\r\n"),
         test::ScriptedReply::Ok("4.0.1"), test::ScriptedReply::Ok("result=ok\r\n")});
    MainWindowSetup setup = Setup(1033);
    setup.vendorHost = server.host();
    for (int pass = 0; pass < 2; ++pass) {
        Main window(setup);
        WindowThread thread(window);
        Advance(thread, 2000ms);
        ASSERT_TRUE(window.connected());
    }
    EXPECT_EQ(Identified().size(), 2u);
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);  // version, report, version
    EXPECT_EQ(requests[2].rfind("GET /download/ver.htm", 0), 0u);
}

TEST_F(MainWindowTest, AnOldFirmwareIsToldAndItsPageOpened) {
    Cameras();
    test::LoopbackHttpServer server(
        {test::ScriptedReply::Ok("4.0.1"), test::ScriptedReply::Ok("result=no\r\n")});
    MainWindowSetup setup = Setup(1033);
    setup.vendorHost = server.host();
    Main window(setup);
    WindowThread thread(window);
    Advance(thread, 2000ms);
    ASSERT_TRUE(window.connected());
    EXPECT_EQ(boxes_.Count("The current camera firmware is old, the latest firmware1.2.0"), 1);
    std::lock_guard lock(launcher_.mutex_);
    ASSERT_EQ(launcher_.opened.size(), 1u);
    EXPECT_EQ(launcher_.opened[0], server.Url("/firmware/list.php?model=SimCam S1&firmware=1.2.0"));
}

TEST_F(MainWindowTest, UnpluggingAnIdentifiedCameraEndsTheWindowWithOk) {
    auto backend = Cameras();
    Main window(Setup(1033));
    WindowThread thread(window);
    Advance(thread, 2000ms);
    ASSERT_TRUE(window.connected());
    Advance(thread, 2000ms);  // the probe finds it
    EXPECT_TRUE(boxes_.Texts().empty());
    backend->Camera(0)->Unplug();
    clock_.Advance(2000ms);
    EXPECT_EQ(thread.Result(), ui::kIdOk);
    EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"Cannot detect camera."});
    EXPECT_FALSE(window.connected());
    EXPECT_FALSE(window.Item(Main::kCameraParameters).IsWindowEnabled());
    EXPECT_TRUE(window.englishCaption().empty());
}

TEST_F(MainWindowTest, TheModeMessageRepeatsUntilTheDialIsOnM) {
    const struct {
        uint32_t locale;
        const char* message;
    } cases[] = {
        {2052, "检测到相机场景没有设置为M档(全手动)，请您现在设置为M档后，点确定继续。"},
        {1033, "Detection to the camera scene is not set to M (manual).Please set it to M"},
    };
    for (const auto& c : cases) {
        sim::CameraSettings settings = WithSerial("12345");
        settings.modeDial = 1;
        auto backend = Cameras({settings});
        auto camera = backend->Camera(0);
        int shown = 0;
        boxes_.onShow = [&](const std::string& text) {
            if (text == c.message && ++shown == 3)
                camera->TurnModeDial(kManualMode);  // the user gives in at the third message
        };
        Main window(Setup(c.locale));
        WindowThread thread(window);
        Advance(thread, 2000ms);
        EXPECT_EQ(boxes_.Count(c.message), 3);
        EXPECT_EQ(camera->PicturesTaken(), 1u);
        EXPECT_TRUE(window.testShotPending());
    }
}

// However the test shot ends while the camera can still be reached, the camera is left
// with the user's settings: closed during the mode message, a mode that cannot be read
// (the window is rebuilt), closed while the picture is on its way (the camera refuses
// writes as busy until the transfer is through).
TEST_F(MainWindowTest, EveryWayOutOfATestShotPutsTheUsersSettingsBack) {
    enum class Way { kClosedAtModeMessage, kModeUnreadable, kClosedWhilePictureComes };
    const struct {
        Way way;
        int result;
    } cases[] = {{Way::kClosedAtModeMessage, ui::kIdCancel},
                 {Way::kModeUnreadable, ui::kIdOk},
                 {Way::kClosedWhilePictureComes, ui::kIdCancel}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.way));
        sim::CameraSettings settings = WithSerial("12345");
        settings.modeDial = c.way == Way::kClosedAtModeMessage ? 1 : 3;
        auto backend = Cameras({settings});
        auto camera = backend->Camera(0);
        SetOnCamera(kPropImageQuality, 0x0112FF0F);
        const auto before = ShotSettings(*camera);
        Main window(Setup(1033));
        boxes_.onShow = [&](const std::string&) { window.RequestStop(); };
        // Twice: the commander reads the mode once too, when the camera announces it.
        if (c.way == Way::kModeUnreadable)
            camera->FailNext(sim::Operation::GetPropertyData, 2, kSdkErrInternal,
                             kPropShootingMode);
        if (c.way == Way::kClosedWhilePictureComes) {
            camera->SetPictureBytes(8 << 20);
            camera->SetTransferTime(2s);
        }
        WindowThread thread(window);
        clock_.Advance(2000ms);
        if (c.way == Way::kClosedWhilePictureComes) {
            ASSERT_TRUE(thread.Idle());
            ASSERT_TRUE(window.testShotPending());
            window.RequestStop();
        }
        EXPECT_EQ(thread.Result(5s), c.result);
        EXPECT_FALSE(window.testShotPending());
        EXPECT_EQ(ShotSettings(*camera), before);
        boxes_.onShow = nullptr;
    }
}

// The camera goes during the test shot: its settings cannot be put back then, and the
// next identification must not take the test values it finds for the user's.
TEST_F(MainWindowTest, AfterALostTestShotTheNextOneRestoresTheUsersSettings) {
    auto backend = Cameras({WithSerial("12345")});
    auto camera = backend->Camera(0);
    SetOnCamera(kPropImageQuality, 0x0112FF0F);
    const auto before = ShotSettings(*camera);
    camera->SetPictureBytes(8 << 20);
    camera->SetTransferTime(60s);
    MainWindowSetup setup = Setup(1033);
    setup.unrestoredSettings = std::make_shared<UnrestoredSettings>();  // the application's
    {
        Main window(setup);
        WindowThread thread(window);
        Advance(thread, 2000ms);
        ASSERT_TRUE(window.testShotPending());
        camera->Unplug();
        clock_.Advance(1200ms);
        EXPECT_EQ(thread.Result(5s), ui::kIdOk);
    }
    ASSERT_NE(ShotSettings(*camera), before);  // still the test shot's
    camera->PlugIn();
    camera->SetPictureBytes(0);
    camera->SetTransferTime(0ms);
    Main window(setup);  // the window the application builds next
    WindowThread thread(window);
    Advance(thread, 2000ms);
    ASSERT_TRUE(window.testShotPending());
    ASSERT_FALSE(PictureArrives().empty());
    Advance(thread, 1200ms);
    ASSERT_EQ(Identified().size(), 1u);
    EXPECT_EQ(ShotSettings(*camera), before);
}

TEST_F(MainWindowTest, UnpluggedDuringTheTestShotTheWindowEndsWithOk) {
    auto backend = Cameras({WithSerial("12345")});
    auto camera = backend->Camera(0);
    // A slow cable: the picture is still on its way when the camera goes.
    camera->SetPictureBytes(8 << 20);
    camera->SetTransferTime(60s);
    Main window(Setup(1033));
    WindowThread thread(window);
    Advance(thread, 2000ms);
    ASSERT_TRUE(window.testShotPending());
    Advance(thread, 1200ms);  // still looking
    EXPECT_TRUE(thread.Idle());
    camera->Unplug();
    clock_.Advance(1200ms);
    EXPECT_EQ(thread.Result(5s), ui::kIdOk);
    EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"Cannot detect camera."});
    EXPECT_TRUE(Identified().empty());
}

// A picture without a serial ends the test shot: nothing to report, the settings back,
// no more looks at the folder (a picture with a serial put there later is not taken for
// the shot), and the camera is watched like an identified one.
// An older camera on RAW takes none of the test shot's JPEG qualities: its RAW file holds
// nothing readable, and after a few more ticks the shot ends as one without serial.
TEST_F(MainWindowTest, ARawOnlyTestShotEndsInsteadOfWaitingForEver) {
    sim::CameraSettings settings = WithSerial("12AB5");
    settings.legacy = true;
    settings.imageQuality = 0x00240000;  // RAW
    auto camera = Cameras({settings})->Camera(0);
    const auto before = ShotSettings(*camera);
    Main window(Setup(1033));
    WindowThread thread(window);
    Advance(thread, 2000ms);
    const std::string shot = PictureArrives();
    ASSERT_NE(shot.find(".RAW"), std::string::npos) << shot;
    for (int tick = 1; tick < kUnreadableShotTicks; ++tick)
        Advance(thread, 1200ms);
    EXPECT_TRUE(window.testShotPending());
    Advance(thread, 1200ms);
    EXPECT_FALSE(window.testShotPending());
    EXPECT_TRUE(Identified().empty());
    EXPECT_EQ(ShotSettings(*camera), before);
    EXPECT_FALSE(fs::exists(shot));
    EXPECT_TRUE(window.Item(Main::kRemoteControl).IsWindowEnabled());
}

TEST_F(MainWindowTest, APictureWithoutSerialEndsTheTestShot) {
    const std::vector<uint8_t> withSerial = talbex::testing::TakeSimulatedPicture();
    ASSERT_FALSE(withSerial.empty());
    sim::CameraSettings settings = WithSerial("ABC");
    settings.makerNoteSerial = std::optional<uint32_t>();
    settings.exifBodySerial = std::optional<std::string>();
    auto backend = Cameras({settings});
    auto camera = backend->Camera(0);
    const auto before = ShotSettings(*camera);
    Main window(Setup(2052));
    WindowThread thread(window);
    Advance(thread, 2000ms);
    const std::string shot = PictureArrives();
    ASSERT_FALSE(shot.empty());
    Advance(thread, 1200ms);
    EXPECT_FALSE(window.testShotPending());
    EXPECT_FALSE(fs::exists(shot));
    EXPECT_EQ(ShotSettings(*camera), before);
    EXPECT_TRUE(window.connected());
    EXPECT_TRUE(window.Item(Main::kRemoteControl).IsWindowEnabled());

    // A picture with a serial appears there now: timer 10 has stopped, nobody reads it.
    std::ofstream(home_ + "test-shots/IMG_0100.JPG", std::ios::binary)
        .write(reinterpret_cast<const char*>(withSerial.data()),
               static_cast<std::streamsize>(withSerial.size()));
    for (int i = 0; i < 3; ++i)
        Advance(thread, 1200ms);
    EXPECT_TRUE(Identified().empty());
    camera->Unplug();
    clock_.Advance(2000ms);  // the probe notices
    EXPECT_EQ(thread.Result(5s), ui::kIdOk);
}

TEST_F(MainWindowTest, ACameraWhoseEveryReadFailsEndsTheWindowWithoutAShot) {
    auto backend = Cameras();
    auto camera = backend->Camera(0);
    camera->FailNext(sim::Operation::GetPropertyData, 1000, kSdkErrInternal);
    MainWindowSetup setup = Setup(1033);
    setup.sessionWait = 300ms;  // the worker's read fails too: the wait runs to its end
    Main window(setup);
    WindowThread thread(window);
    clock_.Advance(2000ms);
    EXPECT_EQ(thread.Result(5s), ui::kIdOk);  // the mode cannot be read: rebuilt
    EXPECT_EQ(camera->PicturesTaken(), 0u);
    EXPECT_TRUE(window.identity().model.empty());
    EXPECT_TRUE(window.identity().serialNumber.empty());
}

// Busy answers right after a shot are waited out, as the worker waits them out.
TEST_F(MainWindowTest, ABusyCameraStillGivesItsTestShot) {
    const struct {
        sim::Operation operation;
        uint32_t times;
    } cases[] = {{sim::Operation::TakePicture, 2},
                 {sim::Operation::GetDirectoryItemInfo, 1},
                 {sim::Operation::Download, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.operation));
        identified_.clear();
        auto camera = Cameras({WithSerial("12345")})->Camera(0);
        camera->BusyNext(c.operation, c.times);
        Main window(Setup(1033));
        WindowThread thread(window);
        Advance(thread, 2000ms);
        ASSERT_TRUE(window.testShotPending());
        for (int i = 0; i < 2; ++i)
            Advance(thread, 500ms);  // the picture command asked again
        EXPECT_EQ(camera->PicturesTaken(), 1u);
        ASSERT_FALSE(PictureArrives().empty());
        Advance(thread, 1200ms);
        ASSERT_EQ(Identified().size(), 1u);
        EXPECT_EQ(Identified()[0].serialNumber, "0000012345");
        fs::remove(home_ + "log.txt");
    }
}

// A test shot that is refused, or whose picture never comes, ends as one without serial
// (at once, or after about 30 s): nothing reported, the settings back, the buttons on, and
// the camera still watched.
TEST_F(MainWindowTest, ATestShotThatNeverComesEndsAndTheCameraIsStillWatched) {
    const struct {
        sim::Operation operation;
        SdkError code;
        int ticksToEnd;
    } cases[] = {{sim::Operation::TakePicture, kSdkErrTakePictureFailed, 0},
                 {sim::Operation::Download, kSdkErrInternal, kTestShotDeadlineTicks}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ticksToEnd);
        boxes_.Clear();
        auto camera = Cameras({WithSerial("12345")})->Camera(0);
        const auto before = ShotSettings(*camera);
        camera->FailNext(c.operation, 1, c.code);
        Main window(Setup(1033));
        WindowThread thread(window);
        Advance(thread, 2000ms);
        for (int tick = 1; tick < c.ticksToEnd; ++tick)
            Advance(thread, 1200ms);
        if (c.ticksToEnd > 0) {
            EXPECT_TRUE(window.testShotPending());
            Advance(thread, 1200ms);
        }
        EXPECT_FALSE(window.testShotPending());
        EXPECT_TRUE(Identified().empty());
        EXPECT_EQ(ShotSettings(*camera), before);
        EXPECT_TRUE(window.Item(Main::kRemoteControl).IsWindowEnabled());
        camera->Unplug();
        clock_.Advance(2000ms);  // the presence probe notices
        EXPECT_EQ(thread.Result(5s), ui::kIdOk);
        EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"Cannot detect camera."});
    }
}

TEST_F(MainWindowTest, WithTwoCamerasOnlyTheFirstIsUsed) {
    sim::CameraSettings second = WithSerial("99999999");
    second.model = "SimCam Two";
    Cameras({WithSerial("11111111"), second});
    Main window(Setup(1033));
    WindowThread thread(window);
    Advance(thread, 2000ms);
    ASSERT_EQ(Identified().size(), 1u);
    EXPECT_EQ(Identified()[0].serialNumber, "11111111");
    EXPECT_EQ(Identified()[0].model, "SimCam S1");
}

TEST_F(MainWindowTest, TheConnectButtonWithoutCameraSaysSoAndTheAPollGoesOn) {
    SdkUseBackend(MakeNoCameraBackend());
    Main window(Setup(2052));
    WindowThread thread(window);
    Advance(thread, 2000ms);
    EXPECT_FALSE(window.connected());
    thread.Do([&] { ui::user::Click(window, Main::kConnect); });
    EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{kCannotDetectChinese});
    EXPECT_FALSE(window.connected());
    // A camera plugged in now is found by the poll.
    Cameras();
    Advance(thread, 2000ms);
    EXPECT_TRUE(window.connected());
    EXPECT_EQ(Identified().size(), 1u);
}

TEST_F(MainWindowTest, TheDialogButtonsOpenAConnectionOfTheirOwn) {
    Cameras();
    int runs = 0;
    MainWindowSetup setup = Setup(1033);
    setup.runRemoteControl =
        [&](CameraConnection& connection, int language,
            const web::CameraIdentity& identity) -> std::unique_ptr<ui::Dialog> {
        ++runs;
        EXPECT_NE(connection.camera(), nullptr);
        EXPECT_NE(connection.commander(), nullptr);
        EXPECT_EQ(language, 3);
        EXPECT_EQ(identity.serialNumber, "2718281828");
        return nullptr;
    };
    Main window(setup);
    WindowThread thread(window);
    Advance(thread, 2000ms);
    ASSERT_TRUE(window.connected());
    thread.Do([&] { ui::user::Click(window, Main::kRemoteControl); });
    thread.Do([&] { ui::user::Click(window, Main::kCameraParameters); });  // none yet
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(SdkLiveReferenceCount(), 0u);
    EXPECT_TRUE(boxes_.Texts().empty());
}

// At start only the program's own test shots go: those it noted when they landed and
// that are still as they were. The user's files stay, whatever their names.
TEST_F(MainWindowTest, StartUpDeletesOnlyNotedTestShotsAndVerHtmGivesTheLocalVersion) {
    Cameras();
    const std::string shots = home_ + "test-shots/";
    fs::create_directories(shots + "sub");
    for (const char* name : {"IMG_0001.JPG", "IMG_0002.JPG", "IMG_0003.JPG"})
        std::ofstream(shots + name) << "shot";
    ASSERT_TRUE(RecordTestShot(home_, shots + "IMG_0001.JPG"));
    ASSERT_TRUE(RecordTestShot(home_, shots + "IMG_0002.JPG"));
    fs::remove(shots + "IMG_0002.JPG");  // replaced by the user's file of the same name
    std::ofstream(shots + "IMG_0002.JPG") << "the user's own";
    const std::vector<std::string> kept = {"IMG_0001.JPG",
                                           "MyIMGnotes.txt",
                                           "keep.txt",
                                           "test-shots/IMG_0002.JPG",
                                           "test-shots/IMG_0003.JPG",
                                           "test-shots/sub/IMG_0001.JPG"};
    for (const std::string& name : kept)
        if (!fs::exists(home_ + name))
            std::ofstream(home_ + name) << "mine";
    std::ofstream(home_ + "ver.htm") << "4.1.0 and more";
    Main window(Setup(1033));
    WindowThread thread(window);
    EXPECT_FALSE(fs::exists(shots + "IMG_0001.JPG"));
    for (const std::string& name : kept)
        EXPECT_TRUE(fs::exists(home_ + name)) << name;
    EXPECT_EQ(window.localVersion(), "4.1.0");
}

// Pressing the connect button while connected, and coming back from either dialog,
// restarts the presence probe: it looks 2000 ms later, not at its old time.
TEST_F(MainWindowTest, TheConnectButtonAndTheDialogsRestartThePresenceProbe) {
    for (int button : {Main::kConnect, Main::kRemoteControl, Main::kCameraParameters}) {
        SCOPED_TRACE(button);
        auto backend = Cameras();
        Main window(Setup(1033));
        WindowThread thread(window);
        Advance(thread, 2000ms);  // identified: the probe is due at 4000 ms
        ASSERT_TRUE(window.connected());
        Advance(thread, 1000ms);
        thread.Do([&] { ui::user::Click(window, button); });
        backend->Camera(0)->Unplug();
        Advance(thread, 1999ms);
        EXPECT_TRUE(boxes_.Texts().empty());
        EXPECT_EQ(Identified().size(), 1u);  // the button opened no new identification
        clock_.Advance(1ms);
        EXPECT_EQ(thread.Result(5s), ui::kIdOk);
        EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"Cannot detect camera."});
        identified_.clear();
        boxes_.Clear();
    }
}

}  // namespace
}  // namespace talbex::shell::testing
