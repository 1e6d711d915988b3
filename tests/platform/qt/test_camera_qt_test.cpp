// The remote-control window in a real Qt window on a camera reached through libgphoto2:
// the test camera driver (tests/camlib) that libgphoto2 loads from the folder CAMLIBS
// names. Live view is painted, its zoom and focus reach the camera's own widgets and show
// in the frames, and both presses bring a picture into the save folder.
#include <QPushButton>
#include <filesystem>
#include <fstream>

#include "camera/sdk/gphoto2/gphoto2_backend.h"
#include "platform/qt/surface_view.h"
#include "qt_main_window_fixture.h"
#include "remote/remote_control_dialog.h"
#include "remote/remote_control_runner.h"
#include "support/open_port.h"

namespace talbex::qt::testing {
namespace {

using remote::CVellmoraDlg;

class QtTestCameraTest : public QtMainWindowTest {
  protected:
    void SetUp() override {
        // Before libgphoto2 loads its drivers, which it does once in the process.
        setenv("CAMLIBS", TALBEX_TEST_CAMLIBS, 1);
        setenv("TALBEX_TEST_CAMERA_LOG", log_.c_str(), 1);
        QtMainWindowTest::SetUp();
    }
    void TearDown() override {
        QtMainWindowTest::TearDown();
        unsetenv("TALBEX_TEST_CAMERA_LOG");
    }
    // How often `line` is in the camera's log.
    size_t Logged(const std::string& line) {
        std::ifstream in(log_);
        const std::string log((std::istreambuf_iterator<char>(in)), {});
        size_t count = 0;
        for (size_t at = log.find(line + "\n"); at != std::string::npos;
             at = log.find(line + "\n", at + 1))
            ++count;
        return count;
    }

    talbex::testing::TempFolder scratch_{"talbex-qt-camera"};
    const std::string log_ = scratch_ / "camera.log";
};

TEST_F(QtTestCameraTest, LiveViewZoomFocusAndBothPressesThroughLibgphoto2) {
    talbex::testing::OpenPort port;
    SdkUseBackend(
        std::make_shared<gphoto::Gphoto2Backend>("Talbex Test Camera", port.GphotoPort()));
    const std::string photos = scratch_ / "photos";
    std::filesystem::create_directories(photos);
    std::ofstream(home_ / "saveto.txt") << photos;
    shell::MainWindowSetup setup = Setup(1033);
    setup.runRemoteControl = remote::RemoteControlRunner();
    Main main(setup);
    RunDriven(main, [&] {
        Advance(main, 2000ms);
        ASSERT_TRUE(Eventually(main, [&] { return main.connected(); }));
        CVellmoraDlg* remote = OpenWith<CVellmoraDlg>(main, main, Main::kRemoteControl);
        ASSERT_NE(remote, nullptr);
        // The remote window's own session: the camera opened a second time.
        ASSERT_TRUE(Eventually(main, [&] { return Logged("open") >= 2; }));
        Advance(main, 1000ms);  // what the camera lacks is disabled now
        OnGui(main, [&] {
            EXPECT_FALSE(Widget(*remote, 1039)->isEnabled());  // no white balance
            EXPECT_TRUE(Widget(*remote, 1060)->isEnabled());   // an aperture
        });

        OnGui(main, [&] { Click(*remote, 1013); });  // Start EVF
        ASSERT_TRUE(Eventually(main, [&] {
            return Widget<SurfaceView>(*remote, CVellmoraDlg::kLiveViewPicture)->framesPainted() >
                   3;
        }));
        OnGui(main, [&] { Click(*remote, CVellmoraDlg::kZoomButton); });
        EXPECT_TRUE(Eventually(main, [&] { return Logged("preview zoom=5 focus=500"); }));
        OnGui(main, [&] { Click(*remote, 1017); });  // < : near, the smallest step
        EXPECT_TRUE(Eventually(main, [&] { return Logged("preview zoom=5 focus=490"); }));
        OnGui(main, [&] { Screenshot(*remote, "remote_control_test_camera_en"); });

        OnGui(main, [&] { Click(*remote, 1001); });  // Halfway
        OnGui(main, [&] { Click(*remote, 1030); });  // Completely: the picture
        EXPECT_TRUE(Eventually(main, [&] { return !std::filesystem::is_empty(photos); }));
        OnGui(main, [&] { Click(*remote, 1031); });  // Press Off
        EXPECT_TRUE(Eventually(main, [&] { return Logged("set eosremoterelease=Release Half"); }));
        OnGui(main, [&] { WindowOf(*remote)->close(); });
        ASSERT_TRUE(Eventually(main, [&] { return ui::TopmostModal() == &main; }));
        EXPECT_TRUE(Logged("set viewfinder=0"));
        OnGui(main, [&] { WindowOf(main)->close(); });
    });
}

}  // namespace
}  // namespace talbex::qt::testing
