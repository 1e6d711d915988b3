// The live-view picture: draws each frame the camera sends, with the zoom rectangle and
// the camera's autofocus frames over it, and keeps the frame loop going by asking for the
// next frame once the current one is on screen. Drawing a frame also counts its histogram
// (histogram.h) from the rows it copies, and draws the guides the user switched on (a
// rule-of-thirds grid, a centre mark). Everything is drawn at the surface's pixels (the
// control's size on the screen), lines as thick as one pixel of the screen's.
//
// Threads: `update` runs on the worker thread. A frame is handed to the window thread with
// a synchronous WM_APP+1 and drawn there (DrawFrame) before `update` returns, while the
// frame's stream still exists; this also paces the loop by the drawing. The focus frames
// are converted on the worker and swapped in whole under a lock, so a drawing never sees
// a half-replaced set; the flags are atomics. The histogram and the frame-drawn hook are
// the window thread's.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

#include "camera/action_source.h"
#include "camera/camera_model.h"
#include "camera/evf_data_set.h"
#include "camera/observable.h"
#include "platform/raster/bitmap.h"
#include "platform/raster/histogram.h"
#include "platform/raster/jpeg_decoder.h"
#include "platform/raster/painter.h"
#include "platform/ui/window.h"

namespace talbex::controls {

inline constexpr ui::MessageId kWmDrawEvfFrame = ui::kWmApp + 1;

inline constexpr raster::Rgb kZoomRectColour{255, 255, 255};
inline constexpr raster::Rgb kFocusFrameGrey{128, 128, 128};
inline constexpr raster::Rgb kFocusFrameGreen{0, 255, 0};
inline constexpr raster::Rgb kFocusFrameWhite{255, 255, 255};
inline constexpr raster::Rgb kGuideColour{255, 255, 255};
inline constexpr int kGuideAlpha = 150;  // of 256: the picture shows through

/// Guides drawn over every frame, as bits.
inline constexpr uint32_t kGuideThirds = 1u << 0;
inline constexpr uint32_t kGuideCentre = 1u << 1;

class CEVFPictureBox : public ui::Window, public camera::ActionSource, public camera::Observer {
  public:
    CEVFPictureBox() = default;

    void update(camera::Observable* from, camera::ModelEvent* event) override;

    /// Window thread: decodes one frame onto the whole control (nearest neighbour, no
    /// smoothing), counting its histogram in the same pass, draws the guides and, when
    /// the picture is not magnified, the overlay on it; then tells the frame-drawn hook.
    /// A stream without data or a frame that cannot be decoded paints nothing.
    void DrawFrame(const camera::EvfDataSet& data);
    /// Window thread: the zoom rectangle (corners in live-view coordinates of a cw x ch
    /// system; only while it is shown) and the focus frames, in that order, with 1-pixel
    /// pens; the surface's pen and brush are the same afterwards.
    void DrawOverlay(raster::Painter& surface, int32_t left, int32_t top, int32_t right,
                     int32_t bottom, int32_t cw, int32_t ch);

    /// Window thread: told after each frame drawn, with its histogram and its size.
    using FrameDrawn =
        std::function<void(const raster::Histogram& histogram, int width, int height)>;
    void setFrameDrawn(FrameDrawn hook) { frameDrawn_ = std::move(hook); }
    /// The histogram of the last frame drawn. Window thread.
    const raster::Histogram& histogram() const { return histogram_; }

    /// The guides drawn over the frames from the next one on (kGuide* bits). Any thread.
    void setGuides(uint32_t guides) { guides_ = guides; }
    uint32_t guides() const { return guides_.load(); }

    bool loopRunning() const { return loopRunning_.load() != 0; }
    bool showZoomRect() const { return showZoomRect_.load() != 0; }
    /// A copy of the focus frames as they will be drawn (in surface pixels).
    SdkFocusInfo focusFrames() const;

  protected:
    const ui::MessageMap* GetMessageMap() const override;

  private:
    ui::LResult OnDrawFrame(ui::WParam data, ui::LParam);
    void onFrame(const camera::EvfDataSet& data);
    void onOutputDevice(const camera::CameraModel& model);
    void onFocusInfo(const camera::CameraModel& model);
    void drawGuides(raster::Painter& painter, int width, int height, int thickness) const;
    /// The surface's size as the control's size and pixel ratio make it (any thread).
    void surfaceSize(int* width, int* height) const;

    std::atomic<uint32_t> loopRunning_{0};
    std::atomic<uint32_t> showZoomRect_{0};
    std::atomic<uint32_t> guides_{0};
    mutable std::mutex framesMutex_;
    // The camera's record as it came (pointNumber <= 128), guarded by framesMutex_; its
    // frames are converted to the surface's size whenever they are drawn, so a window
    // resized meanwhile still draws them in place.
    SdkFocusInfo focusInfo_{};

    // Window thread only: kept between frames so each frame reuses their memory.
    raster::JpegDecoder decoder_;
    raster::Bitmap frame_;
    raster::Histogram histogram_;
    FrameDrawn frameDrawn_;
};

}  // namespace talbex::controls
