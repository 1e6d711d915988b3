// The live-view picture: draws each frame the camera sends, with the zoom rectangle and
// the camera's autofocus frames over it, and keeps the frame loop going by asking for the
// next frame once the current one is on screen.
//
// Threads: `update` runs on the worker thread. A frame is handed to the window thread with
// a synchronous WM_APP+1 and drawn there (DrawFrame) before `update` returns, while the
// frame's stream still exists; this also paces the loop by the drawing. The focus frames
// are converted on the worker and swapped in whole under a lock, so a drawing never sees
// a half-replaced set; the flags are atomics.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "camera/action_source.h"
#include "camera/camera_model.h"
#include "camera/evf_data_set.h"
#include "camera/observable.h"
#include "platform/raster/bitmap.h"
#include "platform/raster/jpeg_decoder.h"
#include "platform/raster/painter.h"
#include "platform/ui/window.h"

namespace talbex::controls {

inline constexpr ui::MessageId kWmDrawEvfFrame = ui::kWmApp + 1;

inline constexpr raster::Rgb kZoomRectColour{255, 255, 255};
inline constexpr raster::Rgb kFocusFrameGrey{128, 128, 128};
inline constexpr raster::Rgb kFocusFrameGreen{0, 255, 0};
inline constexpr raster::Rgb kFocusFrameWhite{255, 255, 255};

class CEVFPictureBox : public ui::Window, public camera::ActionSource, public camera::Observer {
  public:
    CEVFPictureBox() = default;

    void update(camera::Observable* from, camera::ModelEvent* event) override;

    /// Window thread: decodes one frame onto the whole control (nearest neighbour, no
    /// smoothing) and, when the picture is not magnified, draws the overlay on it. A
    /// stream without data or a frame that cannot be decoded paints nothing.
    void DrawFrame(const camera::EvfDataSet& data);
    /// Window thread: the zoom rectangle (corners in live-view coordinates of a cw x ch
    /// system; only while it is shown) and the focus frames, in that order, with 1-pixel
    /// pens; the surface's pen and brush are the same afterwards.
    void DrawOverlay(raster::Painter& surface, int32_t left, int32_t top, int32_t right,
                     int32_t bottom, int32_t cw, int32_t ch);

    bool loopRunning() const { return loopRunning_.load() != 0; }
    bool showZoomRect() const { return showZoomRect_.load() != 0; }
    /// A copy of the focus frames as they will be drawn (in control pixels).
    SdkFocusInfo focusFrames() const;

  protected:
    const ui::MessageMap* GetMessageMap() const override;

  private:
    ui::LResult OnDrawFrame(ui::WParam data, ui::LParam);
    void onFrame(const camera::EvfDataSet& data);
    void onOutputDevice(const camera::CameraModel& model);
    void onFocusInfo(const camera::CameraModel& model);

    std::atomic<uint32_t> loopRunning_{0};
    std::atomic<uint32_t> showZoomRect_{0};
    mutable std::mutex framesMutex_;
    SdkFocusInfo focusFrames_{};  // guarded by framesMutex_; pointNumber <= 128

    // Window thread only: kept between frames so each frame reuses their memory.
    raster::JpegDecoder decoder_;
    raster::Bitmap frame_;
};

}  // namespace talbex::controls
