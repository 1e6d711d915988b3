// What the live-view benchmarks share: a simulated camera fast enough not to set the
// pace, the remote-control window reduced to its live-view picture (or, as a tethering
// view, to its picture with guides and the histogram under it, laid out as the window
// lays them out at its size), a frame counter and the process's resident memory.
#pragma once

#include <unistd.h>

#include <atomic>
#include <fstream>
#include <memory>

#include "camera/camera_commander.h"
#include "camera/camera_model.h"
#include "camera/sdk/sdk.h"
#include "camera/sdk/sim/sim_backend.h"
#include "controls/evf_picture_box.h"
#include "controls/histogram_view.h"
#include "platform/ui/change_listener.h"
#include "platform/ui/dialog.h"
#include "remote/remote_control_layout.h"
#include "resources/dialog_templates.h"

namespace talbex::bench {

inline long ResidentKilobytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

class FrameCounter : public ui::ChangeListener {
  public:
    void OnChange(const ui::ChangeEvent& e) override {
        if (e.what == ui::ChangeEvent::What::kSurface)
            frames.fetch_add(1, std::memory_order_relaxed);
    }
    std::atomic<long> frames{0};
};

/// How the window shows its live view: as it opens (the picture alone), or maximised to
/// a size as a tethering view, with the histogram under the picture and both guides.
struct LiveViewShape {
    bool tethering = false;
    int width = 0;  // the window's size when maximised
    int height = 0;
};

// The remote-control window reduced to its live view: the picture, and a close that ends
// the camera session while frames may still be on their way.
class LiveViewWindow : public ui::Dialog, public camera::ActionSource {
  public:
    LiveViewWindow(camera::CameraCommander& commander, LiveViewShape shape)
        : ui::Dialog(resources::RemoteControlDialog()), commander_(commander), shape_(shape) {
        AttachControl(1022, picture);
        AttachControl(1080, histogram);
    }
    controls::CEVFPictureBox picture;
    controls::CHistogramView histogram;

  protected:
    bool OnInitDialog() override {
        addActionListener(&commander_);
        picture.setActionCommand("downloadEVF");
        picture.addActionListener(&commander_);
        if (shape_.tethering) {
            picture.setGuides(controls::kGuideThirds | controls::kGuideCentre);
            picture.setFrameDrawn([this](const raster::Histogram& h, int width, int height) {
                histogram.Show(h);
                if (width != frameWidth_ || height != frameHeight_)
                    PostMessage(ui::kWmApp + 20, static_cast<ui::WParam>(width), height);
            });
            // Maximised to the size asked for: the Qt window takes the screen's (the
            // benchmark's screen is that size), the headless one the size itself.
            SetPlacement(
                ui::WindowPlacement{ui::PixelRect{0, 0, shape_.width, shape_.height}, true, false});
            ui::Dialog::Shown(GetPlacement(), shape_.width, shape_.height);
        }
        return true;
    }
    const ui::MessageMap* GetMessageMap() const override {
        static const ui::MessageMap map = ui::MessageMapBuilder<LiveViewWindow>()
                                              .OnClose(&LiveViewWindow::OnClose)
                                              .OnMessage(ui::kWmSize, &LiveViewWindow::OnSize)
                                              .OnMessage(ui::kWmApp + 20, &LiveViewWindow::OnShape)
                                              .Build();
        return &map;
    }

  private:
    void OnClose() {
        fireActionEvent("closing", nullptr);
        EndDialog(ui::kIdCancel);
    }
    ui::LResult OnShape(ui::WParam width, ui::LParam height) {
        frameWidth_ = static_cast<int>(width);
        frameHeight_ = static_cast<int>(height);
        return OnSize(0, 0);
    }
    ui::LResult OnSize(ui::WParam, ui::LParam) {
        if (!shape_.tethering)
            return 0;
        const ui::PixelRect client = GetWindowRect();
        const remote::RemoteLayout layout = remote::LayOutRemoteControl(
            Template(), client.width, client.height, frameWidth_, frameHeight_, false);
        picture.MoveWindow(layout.picture);
        histogram.MoveWindow(layout.histogram);
        histogram.Redraw();
        return 0;
    }
    camera::CameraCommander& commander_;
    const LiveViewShape shape_;
    int frameWidth_ = 0;
    int frameHeight_ = 0;
};

// One simulated camera offering more frames than the goal (120 a second), so what is
// measured is the program's own loop, not the camera's pace (or another backend's camera); its
// model, commander and live-view window, wired as the remote-control window wires them. ok() is
// false when the camera did not start.
class LiveViewRig {
    std::shared_ptr<SdkBackend> backend_;  // first made, last gone

  public:
    explicit LiveViewRig(LiveViewShape shape = {}) : LiveViewRig(nullptr, shape) {}
    /// On `backend`'s first camera instead (installed here).
    explicit LiveViewRig(std::shared_ptr<SdkBackend> backend, LiveViewShape shape = {}) {
        if (backend) {
            backend_ = std::move(backend);
            SdkUseBackend(backend_);
        } else {
            sim::CameraSettings settings;
            settings.liveViewFps = 120;
            backend_ = sim::InstallSimulatedCameras({settings});
        }
        if (SdkInitialize() != kSdkOk)
            return;
        SdkCameraListRef list = nullptr;
        SdkDeviceInfo info{};
        SdkGetCameraList(&list);
        SdkGetChildAtIndex(list, 0, &camera_);
        SdkRelease(list);
        if (camera_ == nullptr || SdkGetDeviceInfo(camera_, &info) != kSdkOk)
            return;
        model = camera::createCameraModel(camera_, info);
        commander = std::make_unique<camera::CameraCommander>();
        commander->setModel(model.get());
        window = std::make_unique<LiveViewWindow>(*commander, shape);
        model->addObserver(&window->picture);
        commander->registerEventHandlers(camera_);
    }
    ~LiveViewRig() {
        window.reset();
        if (camera_ != nullptr)
            SdkRelease(camera_);
        SdkTerminate();
        SdkUseBackend(nullptr);
    }
    LiveViewRig(const LiveViewRig&) = delete;
    LiveViewRig& operator=(const LiveViewRig&) = delete;

    bool ok() const { return window != nullptr; }

    std::unique_ptr<camera::CameraModel> model;
    std::unique_ptr<camera::CameraCommander> commander;
    std::unique_ptr<LiveViewWindow> window;

  private:
    SdkCameraRef camera_ = nullptr;
};

}  // namespace talbex::bench
