// Live view end to end, headless: the simulated camera, the commander's worker, the
// picture in the remote-control window's frame, and the window closing while frames
// are being handed over.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>

#include "camera/camera_commander.h"
#include "camera/camera_model.h"
#include "camera/sdk/sdk.h"
#include "camera/sdk/sim/sim_backend.h"
#include "controls/evf_picture_box.h"
#include "controls/evf_zoom_button.h"
#include "controls_host.h"
#include "platform/ui/change_listener.h"
#include "resources/dialog_templates.h"

namespace talbex::controls::testing {
namespace {

using namespace std::chrono_literals;

class FrameCounter : public ui::ChangeListener {
  public:
    void OnChange(const ui::ChangeEvent& e) override {
        if (e.what == ui::ChangeEvent::What::kSurface && e.controlId == 1022)
            ++frames;
    }
    std::atomic<int> frames{0};
};

// The part of the remote-control window that live view needs: the picture, the zoom
// button, and the close that ends the camera session first.
class LiveViewWindow : public ui::Dialog, public camera::ActionSource {
  public:
    explicit LiveViewWindow(camera::CameraCommander& commander)
        : ui::Dialog(resources::RemoteControlDialog()), commander_(commander) {
        AttachControl(1022, picture);
        AttachControl(1028, zoom);
    }
    CEVFPictureBox picture;
    CEvfZoomButton zoom;
    std::atomic<bool> closed{false};

  protected:
    bool OnInitDialog() override {
        addActionListener(&commander_);
        picture.setActionCommand("downloadEVF");
        picture.addActionListener(&commander_);
        zoom.setActionCommand("zoom_Zoom");
        zoom.addActionListener(&commander_);
        return true;
    }
    const ui::MessageMap* GetMessageMap() const override {
        static const ui::MessageMap map =
            ui::MessageMapBuilder<LiveViewWindow>().OnClose(&LiveViewWindow::OnClose).Build();
        return &map;
    }

  private:
    void OnClose() {
        // Blocks until the worker has ended, serving the frames sent meanwhile.
        fireActionEvent("closing", nullptr);
        closed = true;
        EndDialog(ui::kIdCancel);
    }
    camera::CameraCommander& commander_;
};

class LiveViewFlowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        backend = sim::InstallSimulatedCameras({sim::CameraSettings{}});
        ASSERT_EQ(SdkInitialize(), kSdkOk);
        SdkCameraListRef list = nullptr;
        ASSERT_EQ(SdkGetCameraList(&list), kSdkOk);
        ASSERT_EQ(SdkGetChildAtIndex(list, 0, &camera), kSdkOk);
        SdkDeviceInfo info{};
        ASSERT_EQ(SdkGetDeviceInfo(camera, &info), kSdkOk);
        SdkRelease(list);
        model = camera::createCameraModel(camera, info);
        commander = std::make_unique<camera::CameraCommander>();
        commander->setModel(model.get());
        window = std::make_unique<LiveViewWindow>(*commander);
        model->addObserver(&window->picture);
        model->addObserver(&window->zoom);
        ASSERT_EQ(commander->registerEventHandlers(camera), kSdkOk);
        ui::SetChangeListener(&counter);
    }
    void TearDown() override {
        ui::SetChangeListener(nullptr);
        window.reset();
        if (camera != nullptr)
            SdkRelease(camera);
        SdkTerminate();
        SdkUseBackend(nullptr);
        commander.reset();
        model.reset();
    }

    bool WaitForFrames(int count, std::chrono::milliseconds timeout = 10s) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (counter.frames < count && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(5ms);
        return counter.frames >= count;
    }

    std::shared_ptr<sim::SimBackend> backend;
    SdkCameraRef camera = nullptr;
    std::unique_ptr<camera::CameraModel> model;
    std::unique_ptr<camera::CameraCommander> commander;
    std::unique_ptr<LiveViewWindow> window;
    FrameCounter counter;
};

TEST_F(LiveViewFlowTest, FramesKeepComingAndACloseDuringLiveViewEndsWithinASecond) {
    WindowThread thread(*window);
    commander->run();
    camera::fireActionEvent(commander.get(), "startEVF", nullptr);
    ASSERT_TRUE(WaitForFrames(10)) << counter.frames;
    EXPECT_TRUE(window->picture.loopRunning());
    // The picture shows the camera's frame, not the black of an empty control.
    const raster::Bitmap* surface = window->picture.Surface();
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(surface->Width(), 347);

    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(ui::user::CloseWindow(*window));
    EXPECT_EQ(thread.Result(2s), ui::kIdCancel);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_TRUE(window->closed);
    // Nothing more is drawn after the close.
    const int frames = counter.frames;
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(counter.frames, frames);
}

TEST_F(LiveViewFlowTest, AFrameNotReadyIsAskedForAgainSoonNotAfterTheBusyPause) {
    // The display asks for the next frame as soon as it has drawn one, mostly before the
    // camera has it: here the camera answers "not ready" twenty times in a row.
    WindowThread thread(*window);
    commander->run();
    camera::fireActionEvent(commander.get(), "startEVF", nullptr);
    ASSERT_TRUE(WaitForFrames(1));
    backend->Camera(0)->FailNext(sim::Operation::DownloadEvfImage, 20, kSdkErrObjectNotReady);
    const int before = counter.frames;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(WaitForFrames(before + 2, 15s));
    // About a frame's time per answer; the busy pause would take ten seconds.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
}

TEST_F(LiveViewFlowTest, EndingLiveViewStopsTheLoopAndStartingAgainRestartsIt) {
    WindowThread thread(*window);
    commander->run();
    camera::fireActionEvent(commander.get(), "startEVF", nullptr);
    ASSERT_TRUE(WaitForFrames(3));
    camera::fireActionEvent(commander.get(), "endEVF", nullptr);
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (window->picture.loopRunning() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(5ms);
    ASSERT_FALSE(window->picture.loopRunning());
    std::this_thread::sleep_for(100ms);
    const int stopped = counter.frames;
    std::this_thread::sleep_for(200ms);
    EXPECT_LE(counter.frames, stopped + 1);  // at most a frame that was already on its way
    camera::fireActionEvent(commander.get(), "startEVF", nullptr);
    ASSERT_TRUE(WaitForFrames(counter.frames + 3));
    EXPECT_TRUE(window->picture.loopRunning());
}

}  // namespace
}  // namespace talbex::controls::testing
