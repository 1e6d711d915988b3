// Live view in a real Qt window: frames of the simulated camera reach the picture widget
// with the zoom rectangle drawn over them, and closing the window while frames are being
// handed over ends it in under a second.
#include "camera/camera_commander.h"
#include "camera/camera_model.h"
#include "camera/sdk/sdk.h"
#include "camera/sdk/sdk_backend.h"
#include "camera/sdk/sim/live_view.h"
#include "camera/sdk/sim/sim_backend.h"
#include "controls/evf_picture_box.h"
#include "platform/qt/surface_view.h"
#include "qt_fixture.h"
#include "resources/dialog_templates.h"

namespace talbex::qt::testing {
namespace {

constexpr int kPicture = 1022;

// The remote-control window reduced to its live view: the picture, and a close that ends
// the camera session first.
class LiveViewWindow : public ui::Dialog, public camera::ActionSource {
  public:
    explicit LiveViewWindow(camera::CameraCommander& commander)
        : ui::Dialog(resources::RemoteControlDialog()), commander_(commander) {
        AttachControl(kPicture, picture);
    }
    controls::CEVFPictureBox picture;

  protected:
    bool OnInitDialog() override {
        addActionListener(&commander_);
        picture.setActionCommand("downloadEVF");
        picture.addActionListener(&commander_);
        return true;
    }
    const ui::MessageMap* GetMessageMap() const override {
        static const ui::MessageMap map =
            ui::MessageMapBuilder<LiveViewWindow>().OnClose(&LiveViewWindow::OnClose).Build();
        return &map;
    }

  private:
    void OnClose() {
        fireActionEvent("closing", nullptr);  // waits for the worker, serving its frames
        EndDialog(ui::kIdCancel);
    }
    camera::CameraCommander& commander_;
};

class QtLiveViewTest : public QtTest {
  protected:
    void SetUp() override {
        QtTest::SetUp();
        sim::InstallSimulatedCameras({sim::CameraSettings{}});
        ASSERT_EQ(SdkInitialize(), kSdkOk);
        SdkCameraListRef list = nullptr;
        ASSERT_EQ(SdkGetCameraList(&list), kSdkOk);
        ASSERT_EQ(SdkGetChildAtIndex(list, 0, &camera_), kSdkOk);
        SdkDeviceInfo info{};
        ASSERT_EQ(SdkGetDeviceInfo(camera_, &info), kSdkOk);
        SdkRelease(list);
        model_ = camera::createCameraModel(camera_, info);
        commander_ = std::make_unique<camera::CameraCommander>();
        commander_->setModel(model_.get());
        window_ = std::make_unique<LiveViewWindow>(*commander_);
        model_->addObserver(&window_->picture);
        ASSERT_EQ(commander_->registerEventHandlers(camera_), kSdkOk);
    }
    void TearDown() override {
        window_.reset();
        if (camera_ != nullptr)
            SdkRelease(camera_);
        SdkTerminate();
        SdkUseBackend(nullptr);
        commander_.reset();
        model_.reset();
        QtTest::TearDown();
    }

    SdkCameraRef camera_ = nullptr;
    std::unique_ptr<camera::CameraModel> model_;
    std::unique_ptr<camera::CameraCommander> commander_;
    std::unique_ptr<LiveViewWindow> window_;
};

TEST_F(QtLiveViewTest, FramesAppearWithTheirOverlayAndACloseDuringLiveViewEndsInUnderASecond) {
    LiveViewWindow& window = *window_;
    std::chrono::steady_clock::duration closing{};
    const int result = RunDriven(window, [&] {
        commander_->run();
        camera::fireActionEvent(commander_.get(), "startEVF", nullptr);
        // Reading the live-view AF mode (not face detection) brings the zoom rectangle.
        uint32_t afMode = kPropEvfAfMode;
        camera::fireActionEvent(commander_.get(), "get_Property", &afMode);
        SurfaceView* view = nullptr;
        ASSERT_TRUE(Eventually(
            window,
            [&] {
                view = Widget<SurfaceView>(window, kPicture);
                return view != nullptr && view->framesPainted() >= 5 &&
                       window.picture.showZoomRect();
            },
            10s));
        OnGui(window, [&] {
            // The widget shows exactly what was drawn on the control's surface.
            const raster::Bitmap& surface = *window.Item(kPicture).Surface();
            const QImage& shown = view->image();
            ASSERT_EQ(shown.size(), QSize(347, 221));
            ASSERT_EQ(view->size(), shown.size());
            for (int y = 0; y < surface.Height(); y += 7)
                for (int x = 0; x < surface.Width(); x += 5) {
                    const raster::Rgb p = surface.At(x, y);
                    ASSERT_EQ(shown.pixel(x, y), qRgb(p.r, p.g, p.b)) << x << "," << y;
                }
            // The zoom rectangle (the camera's centred 1200 x 800 of 6000 x 4000), white.
            const int left = sim::kEvfZoomWidth * 2 * 347 / 6000;   // 2400 -> 138
            const int top = sim::kEvfZoomHeight * 2 * 221 / 4000;   // 1600 -> 88
            const int right = sim::kEvfZoomWidth * 3 * 347 / 6000;  // 3600 -> 208
            const int bottom = sim::kEvfZoomHeight * 3 * 221 / 4000;
            for (int x = left; x <= right; ++x) {
                ASSERT_EQ(shown.pixel(x, top), qRgb(255, 255, 255)) << x;
                ASSERT_EQ(shown.pixel(x, bottom), qRgb(255, 255, 255)) << x;
            }
            for (int y = top; y <= bottom; ++y)
                ASSERT_EQ(shown.pixel(left, y), qRgb(255, 255, 255)) << y;
            Screenshot(window, "live_view");
        });
        // The close box while frames are being handed over.
        const auto start = std::chrono::steady_clock::now();
        OnGui(window, [&] { WindowOf(window)->close(); });
        for (int i = 0; i < 2000 && window.IsRunning(); ++i)
            std::this_thread::sleep_for(1ms);
        closing = std::chrono::steady_clock::now() - start;
    });
    EXPECT_EQ(result, ui::kIdCancel);
    EXPECT_LT(closing, 1s);
}

}  // namespace
}  // namespace talbex::qt::testing
