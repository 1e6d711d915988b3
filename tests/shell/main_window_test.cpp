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

// Five digits, or eight characters with a letter: the serial comes from the test shot.
TEST_F(MainWindowTest, AnUnusableSerialIsReadFromATestShotAndTheSettingsComeBack) {
    struct Case {
        std::string serial;
        std::string fromPicture;
    };
    for (const Case& c : {Case{"12345", "0000012345"}, Case{"1234567A", "0420001234"}}) {
        SCOPED_TRACE(c.serial);
        auto backend = Cameras({WithSerial(c.serial)});
        auto camera = backend->Camera(0);
        const auto before = std::vector<std::optional<uint32_t>>{
            camera->PropertyValue(kPropAfMode), camera->PropertyValue(kPropImageQuality),
            camera->PropertyValue(kPropIsoSpeed), camera->PropertyValue(kPropTv)};
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
            EXPECT_EQ(camera->PropertyValue(kPropAfMode), kTestShotAfMode);
            EXPECT_EQ(camera->PropertyValue(kPropIsoSpeed), kTestShotIso);
            EXPECT_EQ(camera->PropertyValue(kPropTv), kTestShotShutterSpeed);
            EXPECT_EQ(camera->PicturesTaken(), 1u);
            ASSERT_TRUE(PictureArrives());
            // Timer 10 looks every 1200 ms; the file may still be on its way at a first look.
            for (int tick = 0; tick < 5 && Identified().empty(); ++tick)
                Advance(thread, 1200ms);

            ASSERT_EQ(Identified().size(), 1u);
            EXPECT_EQ(Identified()[0].serialNumber, c.fromPicture);
            EXPECT_FALSE(window.testShotPending());
            EXPECT_TRUE(window.Item(Main::kRemoteControl).IsWindowEnabled());
            EXPECT_EQ(window.Item(Main::kConnect).GetWindowText(), "SimCam S1 already link!");
            ASSERT_TRUE(server.WaitForRequests(2, 2s));
            EXPECT_NE(server.Requests()[1].find("sn=" + c.fromPicture), std::string::npos);
            // The picture is gone, the camera's own settings are back.
            EXPECT_FALSE(PictureArrives(0ms));
            const auto after = std::vector<std::optional<uint32_t>>{
                camera->PropertyValue(kPropAfMode), camera->PropertyValue(kPropImageQuality),
                camera->PropertyValue(kPropIsoSpeed), camera->PropertyValue(kPropTv)};
            EXPECT_EQ(after, before);
            EXPECT_FALSE(camera->SessionOpen());
        }
        std::error_code ignored;
        fs::remove(home_ + "log.txt", ignored);
        identified_.clear();
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
    sim::CameraSettings settings = WithSerial("12345");
    settings.modeDial = 1;
    auto backend = Cameras({settings});
    auto camera = backend->Camera(0);
    int shown = 0;
    boxes_.onShow = [&](const std::string& text) {
        if (text == kModeCheckChinese && ++shown == 3)
            camera->TurnModeDial(kManualMode);  // the user gives in at the third message
    };
    Main window(Setup(2052));
    WindowThread thread(window);
    Advance(thread, 2000ms);
    EXPECT_EQ(boxes_.Count(kModeCheckChinese), 3);
    EXPECT_EQ(camera->PicturesTaken(), 1u);
    EXPECT_TRUE(window.testShotPending());
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

TEST_F(MainWindowTest, APictureWithoutSerialKeepsTheWindowLookingAndResponsive) {
    sim::CameraSettings settings = WithSerial("ABC");
    settings.makerNoteSerial = std::optional<uint32_t>();
    settings.exifBodySerial = std::optional<std::string>();
    Cameras({settings});
    Main window(Setup(2052));
    WindowThread thread(window);
    Advance(thread, 2000ms);
    ASSERT_TRUE(PictureArrives());
    for (int i = 0; i < 3; ++i)
        Advance(thread, 1200ms);
    EXPECT_TRUE(Identified().empty());
    EXPECT_TRUE(window.testShotPending());
    thread.Do([&] { ui::user::Click(window, Main::kLanguageSwitch); });  // still answers
    EXPECT_EQ(window.Item(Main::kConnect).GetWindowText(), "SimCam S1 already link!");
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

TEST_F(MainWindowTest, ARefusedTestShotKeepsWatchingTheCamera) {
    auto backend = Cameras({WithSerial("12345")});
    auto camera = backend->Camera(0);
    camera->FailNext(sim::Operation::TakePicture, 1, kSdkErrTakePictureFailed);
    Main window(Setup(1033));
    WindowThread thread(window);
    Advance(thread, 2000ms);
    ASSERT_TRUE(window.testShotPending());
    EXPECT_EQ(camera->PicturesTaken(), 0u);
    Advance(thread, 1200ms);
    camera->Unplug();
    clock_.Advance(1200ms);
    EXPECT_EQ(thread.Result(5s), ui::kIdOk);
    EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"Cannot detect camera."});
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

TEST_F(MainWindowTest, LeftoverPicturesAreDeletedAndVerHtmGivesTheLocalVersion) {
    Cameras();
    std::ofstream(home_ + "IMG_0001.JPG") << "old";
    std::ofstream(home_ + "keep.txt") << "mine";
    std::ofstream(home_ + "ver.htm") << "4.1.0 and more";
    Main window(Setup(1033));
    WindowThread thread(window);
    EXPECT_FALSE(fs::exists(home_ + "IMG_0001.JPG"));
    EXPECT_TRUE(fs::exists(home_ + "keep.txt"));
    EXPECT_EQ(window.localVersion(), "4.1.0");
}

}  // namespace
}  // namespace talbex::shell::testing
