// The built program against a camera that goes away or fails: unplugged in the middle of
// a transfer, of the test shot, of live view and of the direct settings, switched off
// during live view, and every call of one kind failing. Each run must end by itself
// within its bound, lose no picture that was whole and leave no half one behind.
#include <string>
#include <vector>

#include "faults/fault_run.h"
#include "support/served_camera_process.h"

namespace talbex::faults {
namespace {

// The window is identified about two seconds after the start; the fault times below
// count from the camera library's first opening, which is then.
constexpr char kOpenRemote[] = "wait 2.5\nclick 1014\nwait 1\n";

class CameraFaultRun : public FaultRun {};

TEST_F(CameraFaultRun, UnpluggedDuringATransferThePictureFromBeforeArrivesAndNoHalfOneStays) {
    // A picture of an earlier session waits for the save folder.
    const std::string earlier = "\xFF\xD8 an earlier picture \xFF\xD9";
    fs::create_directories(incoming_);
    std::ofstream(incoming_ + "IMG_0007.JPG", std::ios::binary) << earlier;
    // The new picture takes 8 s on the cable; the camera goes 5 s after it was found.
    Camera("[camera]\npicture_bytes = 4000000\ntransfer_ms = 8000\nunplug_after_ms = 5000\n");
    Start(kOpenRemote + ChoosePhotos() + "click 1000\nwait 5\nclose\nwait 3\nquit\n");
    // The transfer is on its way (under a hidden name) when the camera goes.
    EXPECT_TRUE(TransferUnderWay(incoming_));
    const Outcome run = Finish(40s);
    ExpectClean(run);
    ExpectNothingHalfIn(incoming_);
    const std::vector<std::string> saved = Names(photos_);
    ASSERT_EQ(saved.size(), 1u) << run.out;
    EXPECT_EQ(Slurp(photos_ + saved[0]), earlier);
    // The picture on its way is told as lost, and the camera as gone once the window is
    // closed.
    const size_t lost =
        run.out.find("message box: A picture from the camera could not be received (error 0xC1)");
    const size_t closed = run.out.find("[Remote Control] closed: 2");
    ASSERT_NE(lost, std::string::npos) << run.out;
    ASSERT_NE(closed, std::string::npos) << run.out;
    EXPECT_LT(lost, closed);
    EXPECT_NE(run.out.find("message box: Cannot detect camera.", closed), std::string::npos)
        << run.out;
}

// Asked to quit while a picture needs ten minutes on the cable (the script's "quit" or a
// signal), the program ends at once: the transfer is cancelled, not waited for, and
// nothing half stays behind.
TEST_F(CameraFaultRun, AskedToQuitDuringALongTransferItEndsAtOnceLeavingNoHalfPicture) {
    Camera("[camera]\npicture_bytes = 4000000\ntransfer_ms = 600000\n");
    for (bool bySignal : {false, true}) {
        SCOPED_TRACE(bySignal ? "signal" : "quit");
        Start(kOpenRemote + std::string("click 1000\nwait ") + (bySignal ? "30" : "1") +
              "\nquit\n");
        ASSERT_TRUE(TransferUnderWay(incoming_));
        const auto onTheCable = std::chrono::steady_clock::now();
        if (bySignal)
            ::kill(pid_, SIGTERM);
        const Outcome run = Finish(40s);
        ExpectClean(run);
        EXPECT_LT(std::chrono::steady_clock::now() - onTheCable, 5s) << run.out;
        EXPECT_TRUE(Names(incoming_).empty());
    }
}

TEST_F(CameraFaultRun, UnpluggedDuringTheTestShotTheWindowStartsAfreshWithNoHalfPicture) {
    Camera(
        "[camera]\nserial = 12AB5\npicture_bytes = 4000000\ntransfer_ms = 8000\n"
        "unplug_after_ms = 3000\n");
    Start("wait 8\nquit\n");
    const std::string shots = home_ + "test-shots/";
    EXPECT_TRUE(TransferUnderWay(shots));
    const Outcome run = Finish(40s);
    ExpectClean(run);
    EXPECT_TRUE(Has(run.out, "message box: Cannot detect camera.")) << run.out;
    EXPECT_TRUE(Has(run.out, "[Talbex V4.5] closed: 1")) << run.out;  // rebuilt
    EXPECT_FALSE(Has(run.out, "identity:")) << run.out;
    EXPECT_TRUE(Names(shots).empty());
}

// One busy answer around the test shot, as camera bodies give right after a shot, is
// waited out: the camera is identified from its picture, directly and through libgphoto2.
struct BusyAroundTheShot {
    const char* name;
    const char* fault;
    bool throughLibgphoto2;
};
void PrintTo(const BusyAroundTheShot& c, std::ostream* out) {
    *out << c.fault << (c.throughLibgphoto2 ? " through libgphoto2" : "");
}

class OneBusyAnswerAroundTheTestShot : public FaultRun,
                                       public ::testing::WithParamInterface<BusyAroundTheShot> {};

TEST_P(OneBusyAnswerAroundTheTestShot, IsWaitedOut) {
    const std::string settings =
        std::string("[camera]\nserial = 12AB5\n") + GetParam().fault + "\n";
    talbex::testing::ServedCameraProcess served;
    std::string environment;
    if (GetParam().throughLibgphoto2) {
        std::string error;
        ASSERT_TRUE(served.Start(settings, &error)) << error;
        environment = "TALBEX_CAMERA=gphoto2:" + served.GphotoPort();
    }
    Camera(settings);
    const Outcome run = Run("await 1014 30\nquit\n", 40s, {}, environment);
    ExpectClean(run);
    EXPECT_TRUE(Has(run.out, "identity: model=SimCam S1; lens=")) << run.out;
    EXPECT_TRUE(Has(run.out, "serial=0420001234;")) << run.out;
    EXPECT_TRUE(Has(run.out, "[Talbex V4.5] control 1014 enabled: 1")) << run.out;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, OneBusyAnswerAroundTheTestShot,
    ::testing::Values(BusyAroundTheShot{"take_picture", "busy = take_picture:1", false},
                      BusyAroundTheShot{"get_item_info", "busy = get_item_info:1", false},
                      BusyAroundTheShot{"download", "busy = download:1", false},
                      BusyAroundTheShot{"download_0x81", "fail = download:1:0x81", false},
                      BusyAroundTheShot{"take_picture_libgphoto2", "busy = take_picture:1", true},
                      BusyAroundTheShot{"download_libgphoto2", "busy = download:1", true}),
    [](const ::testing::TestParamInfo<BusyAroundTheShot>& info) { return info.param.name; });

// Live view runs when the cable is pulled or the camera is switched off: the frames stop
// and the window can be closed (unplugged), or it closes itself (switched off); then the
// main window misses the camera.
TEST_F(CameraFaultRun, LiveViewEndsCleanlyWhenTheCameraIsUnpluggedOrSwitchedOff) {
    const struct {
        const char* fault;
        const char* closing;  // what the script does once the camera is gone
    } cases[] = {{"unplug_after_ms", "close\nwait 3\nquit\n"},
                 {"shutdown_after_ms", "wait 3\nquit\n"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        Camera(std::string("[camera]\n") + c.fault + " = 4500\n");
        const Outcome run = Run(std::string(kOpenRemote) + "click 1013\nwait 4\n" + c.closing, 40s);
        ExpectClean(run);
        EXPECT_TRUE(Has(run.out, "[Remote Control] control 1022 picture: ")) << run.out;
        const size_t closed = run.out.find("[Remote Control] closed: 2");
        ASSERT_NE(closed, std::string::npos) << run.out;
        EXPECT_NE(run.out.find("message box: Cannot detect camera.", closed), std::string::npos)
            << run.out;
        EXPECT_FALSE(Has(run.out, "had no effect")) << run.out;
    }
}

// The user keeps picking exposure compensation while the cable is pulled: every pick is
// answered, the ones before with success and the ones after with a failure.
TEST_F(CameraFaultRun, DirectSettingsAfterTheUnplugAreToldAsFailed) {
    Camera("[camera]\nunplug_after_ms = 4000\n");
    std::string script = kOpenRemote;
    for (int i = 0; i < 40; ++i)
        script += std::string("pick 1058 ") + (i % 2 ? "\"+1/3\"" : "\"-1/3\"") + "\nwait 0.1\n";
    const Outcome run = Run(script + "close\nquit\n", 60s);
    ExpectClean(run);
    const std::string success = "message box: ExposureComp Set successfully!";
    const std::string failure = "message box: Failed to set ExposureComp!";
    const size_t firstFailure = run.out.find(failure);
    EXPECT_TRUE(Has(run.out, success)) << run.out;
    ASSERT_NE(firstFailure, std::string::npos) << run.out;
    EXPECT_EQ(run.out.find(success, firstFailure), std::string::npos) << run.out;
    EXPECT_FALSE(Has(run.out, "had no effect")) << run.out;
}

// One kind of camera call fails every time; the user goes through every window anyway.
// Without device information, a session or property reads the camera is never
// identified and the windows' buttons stay disabled; otherwise both windows open and
// close as the script says.
struct FailingCall {
    const char* operation;
    bool identified;
    bool pictureLost = false;  // the picture taken is told as lost
};

class EveryCallOfOneKindFails : public FaultRun,
                                public ::testing::WithParamInterface<FailingCall> {};

TEST_P(EveryCallOfOneKindFails, EveryWindowStillOpensAndClosesAndNoHalfPictureStays) {
    Camera(std::string("[camera]\nfail = ") + GetParam().operation + ":1000000:0x2\n");
    const Outcome run = Run(std::string(kOpenRemote) + ChoosePhotos() +
                                "pick 1058 \"-1/3\"\n"
                                "click 1000\nclick 1013\nwait 1.5\nclick 1028\nclick 1015\n"
                                "click 1032\nclick 1014\nwait 1\nclose\nwait 0.5\n"
                                "click 1013\nwait 1.5\ntype 1006 \"me\"\nclick 1000\nclose\n"
                                "wait 0.5\nquit\n",
                            60s);
    ExpectClean(run);
    if (GetParam().identified) {
        EXPECT_TRUE(Has(run.out, "[Remote Control] closed: 2")) << run.out;
        EXPECT_TRUE(Has(run.out, "[Camera Para] closed: 2")) << run.out;
        EXPECT_FALSE(Has(run.out, "had no effect")) << run.out;
        EXPECT_EQ(Has(run.out, "message box: A picture from the camera could not be received"),
                  GetParam().pictureLost)
            << run.out;
    } else {
        EXPECT_FALSE(Has(run.out, "identity:")) << run.out;
        EXPECT_FALSE(Has(run.out, "[Remote Control]")) << run.out;
    }
    ExpectNothingHalfIn(incoming_);
    for (const std::string& name : Names(photos_))
        EXPECT_TRUE(IsWholePicture(photos_ + name)) << name;
}

INSTANTIATE_TEST_SUITE_P(
    Operations, EveryCallOfOneKindFails,
    ::testing::Values(FailingCall{"get_device_info", false}, FailingCall{"open_session", false},
                      FailingCall{"close_session", true}, FailingCall{"get_property_size", false},
                      FailingCall{"get_property_data", false},
                      FailingCall{"set_property_data", true},
                      FailingCall{"get_property_desc", true}, FailingCall{"take_picture", true},
                      FailingCall{"press_shutter", true}, FailingCall{"evf_af", true},
                      FailingCall{"drive_lens", true}, FailingCall{"status_command", true},
                      FailingCall{"set_capacity", true}, FailingCall{"get_item_info", true},
                      FailingCall{"download", true, true}, FailingCall{"download_complete", true},
                      FailingCall{"download_evf", true}, FailingCall{"get_shutter_count", true}),
    [](const ::testing::TestParamInfo<FailingCall>& info) { return info.param.operation; });

}  // namespace
}  // namespace talbex::faults
