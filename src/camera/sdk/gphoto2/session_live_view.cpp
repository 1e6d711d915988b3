// Live view through libgphoto2's preview capture, and what cameras offer beyond the
// standard through libgphoto2's own widgets (control_widgets.h): the live-view switch,
// its zoom, the shutter button pressed half or fully, autofocus and focus drive.
#include <gphoto2/gphoto2-file.h>
#include <gphoto2/gphoto2-result.h>
#include <gphoto2/gphoto2-widget.h>

#include <cstring>

#include "camera/sdk/gphoto2/camera_session.h"

namespace talbex::gphoto {

namespace {

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

SdkError CameraSession::ReadControlLocked(Control control, std::unique_ptr<Entry>* out) {
    std::optional<bool>& known = controls_[static_cast<size_t>(control)];
    if (known == false)
        return kSdkErrNotSupported;
    auto entry = std::make_unique<Entry>();
    const char* name = WidgetNameOf(control);
    const int result = gp_camera_get_single_config(camera_, name, &entry->root, context_);
    if (result == GP_ERROR_BAD_PARAMETERS || result == GP_ERROR_NOT_SUPPORTED) {
        known = false;
        return kSdkErrNotSupported;
    }
    if (result != GP_OK)
        return OutcomeLocked(result);
    known = true;
    entry->widget = entry->root;
    entry->name = name;
    *out = std::move(entry);
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
    result = gp_camera_set_single_config(camera_, entry->name.c_str(), entry->widget, context_);
    return OutcomeLocked(result, kSdkErrInvalidValue);
}

SdkError CameraSession::PressShutterLocked(int32_t state) {
    const bool release = HasControlLocked(Control::kRemoteRelease);
    switch (state) {
        case kShutterButtonHalfway: {
            const SdkError e = release ? SetControlLocked(Control::kRemoteRelease, kPressHalf, 0)
                                       : SetControlLocked(Control::kAutofocusDrive, "", 1);
            if (e == kSdkOk)
                pressed_ = kShutterButtonHalfway;
            return e;
        }
        case kShutterButtonCompletely: {
            // Without the release control a full press is the picture command itself.
            if (!release)
                return CaptureLocked();
            const SdkError e = SetControlLocked(Control::kRemoteRelease, kPressFull, 0);
            if (e == kSdkOk)
                pressed_ = kShutterButtonCompletely;
            return e;
        }
        case kShutterButtonOff: {
            // Nothing pressed is nothing to release.
            const int32_t was = std::exchange(pressed_, kShutterButtonOff);
            if (was == kShutterButtonOff)
                return kSdkOk;
            if (!release)
                return was == kShutterButtonHalfway
                           ? SetControlLocked(Control::kAutofocusDrive, "", 0)
                           : kSdkOk;
            SdkError e = kSdkOk;
            if (was == kShutterButtonCompletely)
                e = SetControlLocked(Control::kRemoteRelease, kReleaseFull, 0);
            const SdkError half = SetControlLocked(Control::kRemoteRelease, kReleaseHalf, 0);
            return e != kSdkOk ? e : half;
        }
        default:
            return kSdkErrInvalidParameter;
    }
}

SdkError CameraSession::DriveFocusLocked(uint32_t step) {
    const auto choice = FocusChoiceOf(step);
    const auto range = FocusRangeValueOf(step);
    if (!choice || !range)
        return kSdkErrInvalidParameter;
    std::unique_ptr<Entry> entry;
    if (SdkError e = ReadControlLocked(Control::kManualFocusDrive, &entry))
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
        return SetControlLocked(Control::kManualFocusDrive, wanted, 0);
    }
    return SetControlLocked(Control::kManualFocusDrive, "", *range);
}

// ---- Live view ----------------------------------------------------------------------------

bool CameraSession::MayHaveLiveViewLocked() {
    return previewInAbilities_ && liveView_ != false;
}

bool CameraSession::LiveViewLocked() {
    if (!previewInAbilities_)
        return false;
    if (!liveView_) {
        CameraFile* file = nullptr;
        if (gp_file_new(&file) != GP_OK)
            return false;
        const int result = gp_camera_capture_preview(camera_, file, context_);
        gp_file_unref(file);
        if (result == GP_OK)
            liveView_ = true;
        else if (OutcomeLocked(result) != kSdkErrCommDisconnected)
            liveView_ = false;
    }
    return liveView_.value_or(false);
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
    {
        std::lock_guard lock(cameraMutex_);
        ScopedCLocale locale;
        if (viewfinderOn_ && !Gone())
            SwitchLiveViewLocked(false);
    }
    StopEvents();
}

SdkError CameraSession::StartLiveViewLocked() {
    // The camera's own switch goes first: some send frames only with it on.
    const bool wasOn = viewfinderOn_;
    if (!wasOn)
        if (SdkError e = SwitchLiveViewLocked(true))
            return e;
    if (LiveViewLocked())
        return kSdkOk;
    if (!wasOn)
        SwitchLiveViewLocked(false);
    return Gone() ? kSdkErrCommDisconnected : kSdkErrNotSupported;
}

SdkError CameraSession::EvfImage(SdkEvfImage& image) {
    if (Gone())
        return kSdkErrCommDisconnected;
    std::lock_guard lock(cameraMutex_);
    ScopedCLocale locale;
    if ((evfOutput_ & kEvfOutputDeviceComputer) == 0)
        return kSdkErrObjectNotReady;
    if (!LiveViewLocked())
        return Gone() ? kSdkErrCommDisconnected : kSdkErrNotSupported;
    CameraFile* file = nullptr;
    if (gp_file_new(&file) != GP_OK)
        return kSdkErrInternal;
    const int result = gp_camera_capture_preview(camera_, file, context_);
    const char* data = nullptr;
    unsigned long length = 0;
    SdkError e = OutcomeLocked(result);
    if (e == kSdkOk && (gp_file_get_data_and_size(file, &data, &length) != GP_OK || length == 0))
        e = kSdkErrObjectNotReady;
    if (e == kSdkOk) {
        image.stream->Truncate();
        e = image.stream->Write(data, length);
        // The frame shows the whole picture, or the zoomed part at the zoom position.
        const SdkSize frame =
            JpegSize(reinterpret_cast<const unsigned char*>(data), length).value_or(SdkSize{});
        image.zoom = zoom_;
        image.coordinateSystem = frame;
        image.zoomRect = SdkRect{zoomAt_.x, zoomAt_.y, frame.width / static_cast<int32_t>(zoom_),
                                 frame.height / static_cast<int32_t>(zoom_)};
        image.imagePosition = zoomAt_;
        image.histogram.fill(0);
    }
    gp_file_unref(file);
    return e;
}

}  // namespace talbex::gphoto
