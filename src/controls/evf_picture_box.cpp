#include "controls/evf_picture_box.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "camera/sdk/sdk.h"
#include "platform/raster/stretch.h"
#include "platform/ui/dialog_units.h"

namespace talbex::controls {

namespace {

// A scaled coordinate, truncated toward zero; products beyond the 32-bit range (only a
// camera sending nonsense makes them) are held at its ends instead of overflowing.
int32_t Scaled(int32_t value, float scale) {
    const float product = static_cast<float>(value) * scale;
    if (!(product > -2147483648.0f))
        return std::numeric_limits<int32_t>::min();
    if (!(product < 2147483648.0f))
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(product);
}

// value * size / extent, multiplied first and truncated toward zero, as 64-bit numbers
// so that no product overflows.
int32_t ToControl(int32_t value, int size, int32_t extent) {
    const int64_t result = static_cast<int64_t>(value) * size / extent;
    return static_cast<int32_t>(std::clamp<int64_t>(result, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// Right or bottom edge of a frame, held within the 32-bit range.
int32_t FarEdge(int32_t start, int32_t extent) {
    return static_cast<int32_t>(std::clamp<int64_t>(static_cast<int64_t>(start) + extent,
                                                    std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// The focus frames of `info` in pixels of a `width` x `height` surface: each rectangle
// scaled by width / image width and height / image height as single-precision numbers,
// truncated toward zero. An empty image rectangle gives no frames (no scale can be
// taken from it).
SdkFocusInfo ToSurface(SdkFocusInfo frames, int width, int height) {
    frames.pointNumber = std::min(frames.pointNumber, kMaxFocusPoints);
    if (frames.imageRect.width == 0 || frames.imageRect.height == 0) {
        frames.pointNumber = 0;
        return frames;
    }
    const float sx = static_cast<float>(width) / static_cast<float>(frames.imageRect.width);
    const float sy = static_cast<float>(height) / static_cast<float>(frames.imageRect.height);
    for (uint32_t i = 0; i < frames.pointNumber; ++i) {
        SdkRect& r = frames.focusPoint[i].rect;
        r.x = Scaled(r.x, sx);
        r.y = Scaled(r.y, sy);
        r.width = Scaled(r.width, sx);
        r.height = Scaled(r.height, sy);
    }
    return frames;
}

}  // namespace

const ui::MessageMap* CEVFPictureBox::GetMessageMap() const {
    static const ui::MessageMap map = ui::MessageMapBuilder<CEVFPictureBox>()
                                          .OnMessage(kWmDrawEvfFrame, &CEVFPictureBox::OnDrawFrame)
                                          .Build();
    return &map;
}

void CEVFPictureBox::update(camera::Observable* from, camera::ModelEvent* event) {
    if (event == nullptr)
        return;
    if (event->type == "EvfDataChanged") {
        if (event->arg != nullptr)
            onFrame(*static_cast<const camera::EvfDataSet*>(event->arg));
        return;
    }
    if (event->type != "PropertyChanged" || event->arg == nullptr)
        return;
    auto* model = dynamic_cast<camera::CameraModel*>(from);
    if (model == nullptr)
        return;
    switch (*static_cast<const uint32_t*>(event->arg)) {
        case kPropEvfOutputDevice:
            onOutputDevice(*model);
            break;
        case kPropFocusInfo:
            onFocusInfo(*model);
            break;
        case kPropEvfAfMode:
            showZoomRect_ = model->getEvfAFMode() != 2 ? 1 : 0;
            break;
        default:
            break;
    }
}

void CEVFPictureBox::onFrame(const camera::EvfDataSet& data) {
    // The copy stays valid while the window thread draws it: the send returns only then.
    auto copy = std::make_unique<camera::EvfDataSet>(data);
    SendMessage(kWmDrawEvfFrame, reinterpret_cast<ui::WParam>(copy.get()), 0);
    uint32_t focusInfo = kPropFocusInfo;
    fireActionEvent("get_Property", &focusInfo);
    fireActionEvent("downloadEVF", nullptr);
}

void CEVFPictureBox::onOutputDevice(const camera::CameraModel& model) {
    const uint32_t device = model.getEvfOutputDevice();
    if (loopRunning_ == 0 && (device & kEvfOutputDeviceComputer) != 0) {
        loopRunning_ = 1;
        fireActionEvent("downloadEVF", nullptr);
    }
    if (loopRunning_ == 1 && (device & kEvfOutputDeviceComputer) == 0)
        loopRunning_ = 0;
}

void CEVFPictureBox::onFocusInfo(const camera::CameraModel& model) {
    SdkFocusInfo info = model.getFocusInfo();
    info.pointNumber = std::min(info.pointNumber, kMaxFocusPoints);
    std::lock_guard lock(framesMutex_);
    focusInfo_ = info;
}

void CEVFPictureBox::surfaceSize(int* width, int* height) const {
    const ui::PixelRect rect = GetWindowRect();
    const double ratio = PixelRatio();
    *width = ui::DevicePixels(rect.width, ratio);
    *height = ui::DevicePixels(rect.height, ratio);
}

SdkFocusInfo CEVFPictureBox::focusFrames() const {
    int width = 0, height = 0;
    surfaceSize(&width, &height);
    SdkFocusInfo frames;
    {
        std::lock_guard lock(framesMutex_);
        frames = focusInfo_;
    }
    return ToSurface(frames, width, height);
}

ui::LResult CEVFPictureBox::OnDrawFrame(ui::WParam data, ui::LParam) {
    if (data != 0)
        DrawFrame(*reinterpret_cast<const camera::EvfDataSet*>(data));
    return 0;
}

void CEVFPictureBox::DrawFrame(const camera::EvfDataSet& data) {
    const void* bytes = nullptr;
    if (SdkGetPointer(data.stream, &bytes) != kSdkOk || bytes == nullptr)
        return;
    uint64_t length = 0;
    if (SdkGetLength(data.stream, &length) != kSdkOk || length == 0)
        return;
    raster::Bitmap* surface = Surface();
    if (surface == nullptr || surface->Empty())
        return;
    const int width = surface->Width();
    const int height = surface->Height();
    // Decoded, stretched and counted in one go: only the rows the stretch keeps are
    // decoded, and the histogram is taken from those as they are copied.
    raster::Histogram histogram;
    const raster::Rect whole{0, 0, width, height};
    if (!raster::DecodeJpegOnto(decoder_, static_cast<const uint8_t*>(bytes),
                                static_cast<size_t>(length), frame_, *surface, whole, nullptr,
                                &histogram))
        return;
    histogram_ = histogram;
    const int thickness = std::max(1, static_cast<int>(std::lround(PixelRatio())));
    raster::Painter painter(*surface);
    drawGuides(painter, width, height, thickness);
    if (data.zoom == 1 && data.coordinateSystem.width != 0 && data.coordinateSystem.height != 0) {
        const SdkRect& z = data.zoomRect;
        DrawOverlay(painter, z.x, z.y, FarEdge(z.x, z.width), FarEdge(z.y, z.height),
                    data.coordinateSystem.width, data.coordinateSystem.height);
    }
    SurfaceChanged();
    if (frameDrawn_)
        frameDrawn_(histogram_, frame_.Width(), frame_.Height());
}

void CEVFPictureBox::drawGuides(raster::Painter& painter, int width, int height,
                                int thickness) const {
    const uint32_t guides = guides_.load();
    if ((guides & kGuideThirds) != 0) {
        for (int third = 1; third < 3; ++third) {
            const int x = width * third / 3 - thickness / 2;
            const int y = height * third / 3 - thickness / 2;
            painter.BlendRect(x, 0, x + thickness, height, kGuideColour, kGuideAlpha);
            // The crossings are blended once: the row skips them.
            painter.BlendRect(0, y, width, y + thickness, kGuideColour, kGuideAlpha);
        }
    }
    if ((guides & kGuideCentre) != 0) {
        const int arm = std::max(4 * thickness, std::min(width, height) / 24);
        const int cx = width / 2 - thickness / 2;
        const int cy = height / 2 - thickness / 2;
        const int gap = 2 * thickness;  // the very centre stays clear
        painter.BlendRect(cx - arm, cy, cx - gap, cy + thickness, kGuideColour, kGuideAlpha);
        painter.BlendRect(cx + thickness + gap, cy, cx + thickness + arm, cy + thickness,
                          kGuideColour, kGuideAlpha);
        painter.BlendRect(cx, cy - arm, cx + thickness, cy - gap, kGuideColour, kGuideAlpha);
        painter.BlendRect(cx, cy + thickness + gap, cx + thickness, cy + thickness + arm,
                          kGuideColour, kGuideAlpha);
    }
}

void CEVFPictureBox::DrawOverlay(raster::Painter& surface, int32_t left, int32_t top, int32_t right,
                                 int32_t bottom, int32_t cw, int32_t ch) {
    int width = 0, height = 0;
    surfaceSize(&width, &height);
    if (raster::Bitmap* own = Surface()) {
        width = own->Width();
        height = own->Height();
    }
    const int thickness = std::max(1, static_cast<int>(std::lround(PixelRatio())));
    const raster::Pen oldPen = surface.CurrentPen();
    const raster::Brush oldBrush = surface.CurrentBrush();
    surface.SelectBrush(raster::Brush{raster::kWhite, true});
    if (showZoomRect_ != 0 && cw != 0 && ch != 0) {
        const int32_t l = ToControl(left, width, cw);
        const int32_t t = ToControl(top, height, ch);
        const int32_t r = ToControl(right, width, cw);
        const int32_t b = ToControl(bottom, height, ch);
        surface.SelectPen(raster::Pen{kZoomRectColour});
        surface.MoveTo(l, t);
        surface.LineTo(r, t);
        surface.LineTo(r, b);
        surface.LineTo(l, b);
        surface.LineTo(l, t);
        // On a dense screen the outline is as thick as one of its pixels, inwards.
        for (int i = 1; i < thickness; ++i)
            surface.Rectangle(FarEdge(l, i), FarEdge(t, i), FarEdge(r, 1 - i), FarEdge(b, 1 - i));
    }
    SdkFocusInfo frames;
    {
        std::lock_guard lock(framesMutex_);
        frames = focusInfo_;
    }
    frames = ToSurface(frames, width, height);
    for (uint32_t i = 0; i < frames.pointNumber && i < kMaxFocusPoints; ++i) {
        const SdkFocusPoint& frame = frames.focusPoint[i];
        if (frame.valid != 1)
            continue;
        raster::Rgb colour = kFocusFrameGrey;
        if (frame.selected == 1)
            colour = (frame.justFocus & 1) != 0 ? kFocusFrameGreen : kFocusFrameWhite;
        surface.SelectPen(raster::Pen{colour});
        const SdkRect& r = frame.rect;
        for (int inset = 0; inset < thickness; ++inset)
            surface.Rectangle(FarEdge(r.x, inset), FarEdge(r.y, inset),
                              FarEdge(FarEdge(r.x, r.width), -inset),
                              FarEdge(FarEdge(r.y, r.height), -inset));
    }
    surface.SelectPen(oldPen);
    surface.SelectBrush(oldBrush);
}

}  // namespace talbex::controls
