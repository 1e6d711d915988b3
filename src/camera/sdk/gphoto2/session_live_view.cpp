// Live view through libgphoto2's preview capture, and what cameras offer beyond the
// standard through libgphoto2's own widgets, as the camera's family reaches them
// (families.h): the live-view switch, its zoom, the shutter button pressed half or fully,
// autofocus and focus drive.
#include <gphoto2/gphoto2-file.h>
#include <gphoto2/gphoto2-result.h>
#include <gphoto2/gphoto2-widget.h>

#include <algorithm>
#include <cstring>

#include "camera/sdk/gphoto2/camera_session.h"
#include "platform/os/diagnostics.h"

namespace talbex::gphoto {

namespace {

// The magnification the zoom button starts with: its area is shown before it zooms.
constexpr int32_t kFirstZoom = 5;

// Width and height of a JPEG frame from its first frame header; nothing when the bytes
// hold none.
std::optional<SdkSize> JpegSize(const unsigned char* data, size_t length) {
    size_t at = 2;
    while (at + 9 < length) {
        if (data[at] != 0xFF) {
            ++at;
            continue;
        }
        const unsigned char marker = data[at + 1];
        const size_t segment = (size_t{data[at + 2]} << 8) | data[at + 3];
        const bool frameHeader =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frameHeader)
            return SdkSize{(int32_t{data[at + 7]} << 8) | data[at + 8],
                           (int32_t{data[at + 5]} << 8) | data[at + 6]};
        if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            at += 2;
            continue;
        }
        at += 2 + segment;
    }
    return std::nullopt;
}

}  // namespace

// ---- The camera's own controls -----------------------------------------------------------

SdkError CameraSession::ReadControlLocked(Control control, std::unique_ptr<Entry>* out,
                                          const ControlUse** use) {
    std::optional<bool>& known = controls_[static_cast<size_t>(control)];
    const ControlUse* found = FindControl(*family_, control);
    if (known == false || found == nullptr)
        return kSdkErrNotSupported;
    auto entry = std::make_unique<Entry>();
    const int result = gp_camera_get_single_config(camera_, found->entry, &entry->root, context_);
    // A body without the widget says so, or answers with no widget at all.
    if (result == GP_ERROR_BAD_PARAMETERS || result == GP_ERROR_NOT_SUPPORTED ||
        (result == GP_OK && entry->root == nullptr)) {
        known = false;
        return kSdkErrNotSupported;
    }
    if (result != GP_OK)
        return OutcomeLocked(result);
    known = true;
    entry->widget = entry->root;
    entry->name = found->entry;
    *out = std::move(entry);
    if (use != nullptr)
        *use = found;
    return kSdkOk;
}

bool CameraSession::HasControlLocked(Control control) {
    std::unique_ptr<Entry> entry;
    return ReadControlLocked(control, &entry) == kSdkOk;
}

SdkError CameraSession::SetControlLocked(Control control, const std::string& text, float number) {
    std::unique_ptr<Entry> entry;
    if (SdkError e = ReadControlLocked(control, &entry))
        return e;
    CameraWidgetType type;
    gp_widget_get_type(entry->widget, &type);
    int result = GP_OK;
    switch (type) {
        case GP_WIDGET_TOGGLE: {
            const int value = number != 0 ? 1 : 0;
            result = gp_widget_set_value(entry->widget, &value);
            break;
        }
        case GP_WIDGET_RANGE:
            result = gp_widget_set_value(entry->widget, &number);
            break;
        case GP_WIDGET_RADIO:
        case GP_WIDGET_MENU:
        case GP_WIDGET_TEXT:
            result = gp_widget_set_value(entry->widget, text.c_str());
            break;
        default:
            return kSdkErrNotSupported;
    }
    if (result != GP_OK)
        return kSdkErrInvalidValue;
    result = ForeignCall([&] {
        return gp_camera_set_single_config(camera_, entry->name.c_str(), entry->widget, context_);
    });
    return OutcomeLocked(result, kSdkErrInvalidValue);
}

SdkError CameraSession::ActLocked(Control control, bool on) {
    std::unique_ptr<Entry> entry;
    const ControlUse* use = nullptr;
    if (SdkError e = ReadControlLocked(control, &entry, &use))
        return e;
    if (!on && use->writeStarts)
        return kSdkOk;  // writing would start it again
    const char* choice = use->choices[on ? 0 : 1];
    return SetControlLocked(control, choice != nullptr ? choice : "", on ? 1.0f : 0.0f);
}

SdkError CameraSession::PressShutterLocked(int32_t state) {
    switch (state) {
        case kShutterButtonHalfway: {
            const SdkError e = ActLocked(Control::kHalfPress, true);
            if (e == kSdkOk)
                pressed_ = kShutterButtonHalfway;
            return e;
        }
        case kShutterButtonCompletely: {
            // Without a widget of its own a full press is the picture command itself.
            if (!HasControlLocked(Control::kFullPress))
                return CaptureLocked();
            AimCaptureTargetLocked();
            const SdkError e = ActLocked(Control::kFullPress, true);
            if (e == kSdkOk) {
                pressed_ = kShutterButtonCompletely;
                ExpectPicture();
            }
            return e;
        }
        case kShutterButtonOff: {
            // Nothing pressed is nothing to release.
            const int32_t was = std::exchange(pressed_, kShutterButtonOff);
            if (was == kShutterButtonOff)
                return kSdkOk;
            SdkError e = kSdkOk;
            if (was == kShutterButtonCompletely)
                e = ActLocked(Control::kFullPress, false);
            const SdkError half = ActLocked(Control::kHalfPress, false);
            if (e == kSdkOk && half != kSdkErrNotSupported)
                e = half;
            return e;
        }
        default:
            return kSdkErrInvalidParameter;
    }
}

SdkError CameraSession::DriveFocusLocked(uint32_t step) {
    const auto choice = FocusChoiceOf(step);
    if (!choice)
        return kSdkErrInvalidParameter;
    std::unique_ptr<Entry> entry;
    const ControlUse* use = nullptr;
    if (SdkError e = ReadControlLocked(Control::kFocusDrive, &entry, &use))
        return e;
    CameraWidgetType type;
    gp_widget_get_type(entry->widget, &type);
    if (type == GP_WIDGET_RADIO || type == GP_WIDGET_MENU) {
        // A camera with fewer step sizes takes its largest one for a larger step.
        std::string wanted = *choice;
        for (;;) {
            bool offered = false;
            const int count = gp_widget_count_choices(entry->widget);
            for (int i = 0; i < count && !offered; ++i) {
                const char* c = nullptr;
                offered = gp_widget_get_choice(entry->widget, i, &c) == GP_OK && c != nullptr &&
                          wanted == c;
            }
            if (offered)
                break;
            if (wanted.back() <= '1')
                return kSdkErrNotSupported;
            --wanted.back();
        }
        return SetControlLocked(Control::kFocusDrive, wanted, 0);
    }
    const auto range = FocusRangeValueOf(step, use->steps);
    if (!range || *range == 0)
        return kSdkErrNotSupported;
    return SetControlLocked(Control::kFocusDrive, "", *range);
}

// ---- Live view ----------------------------------------------------------------------------

bool CameraSession::MayHaveLiveViewLocked() {
    return previewInAbilities_ && liveView_ != false;
}

bool CameraSession::LiveViewLocked() {
    if (!previewInAbilities_ || liveView_ == false)
        return false;
    if (liveView_ == true)
        return true;
    CameraFile* file = nullptr;
    if (gp_file_new(&file) != GP_OK)
        return false;
    int result;
    {
        // libgphoto2's driver keeps the answers of a body not yet ready for live view.
        ScopedForeignAllocations foreign;
        result = gp_camera_capture_preview(camera_, file, context_);
    }
    gp_file_unref(file);
    if (result == GP_OK)
        liveView_ = true;
    else
        NotePreviewFailureLocked(result);
    return liveView_.value_or(false);
}

void CameraSession::NotePreviewFailureLocked(int result) {
    // Only a camera that says it has no live view has none: one that refuses for now (a
    // body whose live view is momentarily prohibited, a busy one) is asked again.
    if (result == GP_ERROR_NOT_SUPPORTED) {
        liveView_ = false;
        return;
    }
    if (OutcomeLocked(result) == kSdkErrCommDisconnected || liveViewFailureTold_)
        return;
    liveViewFailureTold_ = true;
    os::Diagnostic(
        "the camera gives no live-view frame for now (libgphoto2 error %d); "
        "asking again\n",
        result);
}

SdkError CameraSession::SwitchLiveViewLocked(bool on) {
    // Where the camera has a live-view switch of its own it follows the program's.
    const SdkError e = SetControlLocked(Control::kViewfinder, "", on ? 1.0f : 0.0f);
    if (e != kSdkOk && e != kSdkErrNotSupported)
        return e;
    viewfinderOn_ = on;
    return kSdkOk;
}

void CameraSession::Leave() {
    // Events stop first: the event thread would otherwise go on announcing pictures the
    // program no longer takes.
    StopEvents();
    std::lock_guard lock(cameraMutex_);
    ScopedCLocale locale;
    if (viewfinderOn_ && !Gone())
        SwitchLiveViewLocked(false);
    PutBackCaptureTargetLocked();
    RescueHandedOverLocked();
}

SdkError CameraSession::StartLiveViewLocked() {
    // The camera's own switch goes first: some send frames only with it on.
    const bool wasOn = viewfinderOn_;
    if (!wasOn)
        if (SdkError e = SwitchLiveViewLocked(true))
            return e;
    // Frames that do not come yet are asked for again with every frame the program wants.
    LiveViewLocked();
    if (MayHaveLiveViewLocked() && !Gone())
        return kSdkOk;
    if (!wasOn)
        SwitchLiveViewLocked(false);
    return Gone() ? kSdkErrCommDisconnected : kSdkErrNotSupported;
}

std::optional<FocusPoints> CameraSession::FocusPointsLocked() {
    std::unique_ptr<Entry> entry;
    if (ReadControlLocked(Control::kFocusInfo, &entry) != kSdkOk)
        return std::nullopt;
    const char* text = nullptr;
    if (gp_widget_get_value(entry->widget, &text) != GP_OK || text == nullptr)
        return std::nullopt;
    auto points = ParseFocusPoints(text);
    if (points)
        evfArea_ = points->area;
    return points;
}

SdkRect CameraSession::ZoomRectLocked(SdkSize area) const {
    // The area the zoom magnifies, shown before it does at its first magnification.
    const int32_t factor = zoom_ > 1 ? static_cast<int32_t>(zoom_) : kFirstZoom;
    const SdkRect rect{0, 0, area.width / factor, area.height / factor};
    const tagSdkPoint at =
        zoomAtSet_ ? zoomAt_
                   : tagSdkPoint{(area.width - rect.width) / 2, (area.height - rect.height) / 2};
    return SdkRect{std::clamp(at.x, 0, std::max(0, area.width - rect.width)),
                   std::clamp(at.y, 0, std::max(0, area.height - rect.height)), rect.width,
                   rect.height};
}

SdkError CameraSession::EvfImage(SdkEvfImage& image) {
    if (Gone())
        return kSdkErrCommDisconnected;
    std::lock_guard lock(cameraMutex_);
    ScopedCLocale locale;
    if ((evfOutput_ & kEvfOutputDeviceComputer) == 0)
        return kSdkErrObjectNotReady;
    if (!previewInAbilities_ || liveView_ == false)
        return kSdkErrNotSupported;
    CameraFile* file = nullptr;
    if (gp_file_new(&file) != GP_OK)
        return kSdkErrInternal;
    int result;
    {
        ScopedForeignAllocations foreign;  // as when live view starts
        result = gp_camera_capture_preview(camera_, file, context_);
    }
    const char* data = nullptr;
    unsigned long length = 0;
    SdkError e = kSdkOk;
    if (result != GP_OK) {
        NotePreviewFailureLocked(result);
        e = Gone()               ? kSdkErrCommDisconnected
            : liveView_ == false ? kSdkErrNotSupported
                                 : kSdkErrObjectNotReady;  // asked again, as a frame not ready
    } else {
        liveView_ = true;
        if (gp_file_get_data_and_size(file, &data, &length) != GP_OK || length == 0)
            e = kSdkErrObjectNotReady;
    }
    if (e == kSdkOk) {
        image.stream->Truncate();
        e = image.stream->Write(data, length);
        const SdkSize frame =
            JpegSize(reinterpret_cast<const unsigned char*>(data), length).value_or(SdkSize{});
        // Zoom and autofocus points are given in the camera's own coordinates where it
        // tells them (its focus points' area); the frame's pixels otherwise.
        const SdkSize area = evfArea_.width > 0 ? evfArea_ : frame;
        image.zoom = zoom_;
        image.coordinateSystem = area;
        image.zoomRect = HasControlLocked(Control::kZoom) ? ZoomRectLocked(area) : SdkRect{};
        image.imagePosition = {image.zoomRect.x, image.zoomRect.y};
        image.histogram.fill(0);
    }
    gp_file_unref(file);
    return e;
}

}  // namespace talbex::gphoto
