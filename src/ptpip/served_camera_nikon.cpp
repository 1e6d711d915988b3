// The operations of Nikon's extension, as libgphoto2 2.5.30's ptp2 driver uses them
// (library.c, config.c, ptp.c), answered through the camera boundary: pictures taken into
// the camera's memory, the camera's readiness, its events, live view and focus drive.
#include <algorithm>

#include "camera/sdk/sdk_backend.h"
#include "ptpip/nikon_codes.h"
#include "ptpip/ptp_codes.h"
#include "ptpip/served_camera.h"

namespace talbex::ptpip {

namespace {

// A shot whose picture has not come by then is given up: the camera is ready again
// (DeviceReady no longer answers busy).
constexpr std::chrono::seconds kShotPatience{30};

// Live-view frames come after a header that libgphoto2's capture_preview skips by
// looking for the JPEG's start marker (its comment counts 128 bytes of it).
constexpr size_t kLiveViewHeader = 128;

// Lens drive steps of the boundary (1..3 near, 0x8001..0x8003 far) for Nikon's step
// counts: the nearest of 10, 100 and 1000 on a logarithmic scale.
uint32_t LensStep(uint32_t direction, uint32_t steps) {
    const uint32_t size = steps < 32 ? 1 : steps < 317 ? 2 : 3;
    return direction == 2 ? 0x8000 | size : size;
}

bool SendSmall(DataSink& out, const std::vector<uint8_t>& bytes) {
    return out.Start(bytes.size()) && out.End(bytes);
}

// The header's fields are 16-bit, big-endian and below 0x8000, so no pair of its bytes
// reads as a JPEG start marker (0xFF 0xD8).
void PutField(std::vector<uint8_t>& header, size_t at, int64_t value) {
    const auto v = static_cast<uint16_t>(std::clamp<int64_t>(value, 0, 0x7FFF));
    header[at] = static_cast<uint8_t>(v >> 8);
    header[at + 1] = static_cast<uint8_t>(v);
}

}  // namespace

Reply ServedCamera::HandleNikon(SessionState& session, const OperationRequest& request,
                                DataSink& out) {
    const auto param = [&](size_t i) { return i < request.paramCount ? request.params[i] : 0u; };
    switch (request.code) {
        case kOpNikonGetEvent:
            return SendPolledEvents(session, out);
        case kOpNikonDeviceReady:
            return DeviceReady();
        case kOpNikonInitiateCaptureRecInSdram:
            return CaptureIntoMemory(false);
        case kOpNikonAfCaptureSdram:
            return CaptureIntoMemory(true);
        case kOpNikonDelImageSdram:
            return DeleteFromMemory(param(0));
        case kOpNikonChangeCameraMode:
            // The host's control (1) and the body's own (0): both are the camera's to keep.
            return param(0) <= 1 ? Reply{kRespOk, {}} : Reply{kRespInvalidParameter, {}};
        case kOpNikonStartLiveView:
            return StartLiveView();
        case kOpNikonEndLiveView:
            return EndLiveView();
        case kOpNikonGetLiveViewImg:
            return LiveViewImage(out);
        case kOpNikonAfDrive:
            return AutofocusDrive();
        case kOpNikonMfDrive:
            return ManualFocusDrive(param(0), param(1));
        default:
            return Reply{kRespOperationNotSupported, {}};
    }
}

// ptp_nikon_check_event (ptp.c) reads a count, then each event's code and one parameter
// (ptp-pack.c's ptp_unpack_Nikon_EC).
Reply ServedCamera::SendPolledEvents(SessionState& session, DataSink& out) {
    const std::vector<PolledEvents::Event> events =
        session.polled ? session.polled->TakeAll() : std::vector<PolledEvents::Event>{};
    ByteWriter w;
    w.U16(static_cast<uint16_t>(events.size()));
    for (const PolledEvents::Event& e : events) {
        w.U16(e.code);
        w.U32(e.param);
    }
    return SendSmall(out, w.bytes()) ? Reply{kRespOk, {}} : Reply{kRespGeneralError, {}, true};
}

// nikon_wait_busy (library.c) asks until the camera is no longer busy: after a shot,
// until its picture is there.
Reply ServedCamera::DeviceReady() {
    std::lock_guard lock(mutex_);
    if (shotSince_ && std::chrono::steady_clock::now() - *shotSince_ < kShotPatience)
        return Reply{kRespDeviceBusy, {}};
    return Reply{kRespOk, {}};
}

std::vector<uint32_t> ServedCamera::DropMemoryLocked(std::vector<SdkDirectoryItemRef>* released) {
    std::vector<uint32_t> handles;
    for (auto it = objects_.begin(); it != objects_.end();) {
        if (!it->second.inMemory) {
            ++it;
            continue;
        }
        handles.push_back(it->first);
        released->push_back(it->second.item);
        it = objects_.erase(it);
    }
    return handles;
}

// camera_nikon_capture and camera_trigger_capture (library.c): InitiateCaptureRecInSdram,
// or AfCaptureSDRAM with autofocus. The picture replaces the memory's last shot; libgphoto2
// then reads its object information (no storage, no parent) and the object, and deletes it.
Reply ServedCamera::CaptureIntoMemory(bool autofocus) {
    std::vector<SdkDirectoryItemRef> released;
    {
        std::lock_guard lock(mutex_);
        // The memory's last shot makes room for this one; the card's pictures stay.
        uint64_t inMemory = 0;
        for (const auto& [handle, stored] : objects_)
            if (stored.inMemory)
                inMemory += stored.size;
        if (HeldBytesLocked() - inMemory + NextPictureLocked() > pictureBudget_)
            return Reply{kRespStoreFull, {}};
        DropMemoryLocked(&released);
        intoMemory_ = true;
        shotSince_ = std::chrono::steady_clock::now();
        nextMemoryHandle_ = kNikonMemoryHandle;
        captureTransaction_.reset();
    }
    for (SdkDirectoryItemRef item : released)
        SdkRelease(item);
    SdkError e = kSdkOk;
    if (autofocus) {
        // A full press focuses first; the release makes the next press possible.
        e = SdkSendCommand(camera_, kCameraCommandPressShutterButton, kShutterButtonCompletely);
        if (e == kSdkOk)
            SdkSendCommand(camera_, kCameraCommandPressShutterButton, kShutterButtonOff);
    } else {
        e = SdkSendCommand(camera_, kCameraCommandTakePicture, 0);
    }
    if (e == kSdkOk)
        return Reply{kRespOk, {}};
    {
        std::lock_guard lock(mutex_);
        shotSince_.reset();
    }
    return Failure(e, kRespGeneralError);
}

Reply ServedCamera::DeleteFromMemory(uint32_t handle) {
    std::vector<SdkDirectoryItemRef> released;
    {
        std::lock_guard lock(mutex_);
        if (handle == 0) {
            DropMemoryLocked(&released);
        } else {
            auto it = objects_.find(handle);
            if (it == objects_.end() || !it->second.inMemory)
                return Reply{kRespInvalidObjectHandle, {}};
            released.push_back(it->second.item);
            objects_.erase(it);
        }
    }
    for (SdkDirectoryItemRef item : released)
        SdkRelease(item);
    return Reply{kRespOk, {}};
}

std::optional<bool> ServedCamera::InLiveView(SdkError* error) {
    uint32_t device = 0;
    *error = SdkGetPropertyData(camera_, kPropEvfOutputDevice, 0, sizeof device, &device);
    if (*error != kSdkOk)
        return std::nullopt;
    return (device & kEvfOutputDeviceComputer) != 0;
}

// capture_preview and the viewfinder entry (library.c, config.c): StartLiveView, then
// DeviceReady until the mirror is up. The camera's live view goes to the computer.
Reply ServedCamera::StartLiveView() {
    uint32_t device = 0;
    if (SdkError e = SdkGetPropertyData(camera_, kPropEvfOutputDevice, 0, sizeof device, &device))
        return Failure(e, kRespGeneralError);
    if ((device & kEvfOutputDeviceComputer) != 0)
        return Reply{kRespOk, {}};
    const uint32_t on = 1;
    if (SdkError e = SdkSetPropertyData(camera_, kPropEvfMode, 0, sizeof on, &on))
        return Failure(e, kRespGeneralError);
    {
        std::lock_guard lock(mutex_);
        lastFrame_.reset();  // frames of an earlier live view are no frames of this one
    }
    device |= kEvfOutputDeviceComputer;
    if (SdkError e = SdkSetPropertyData(camera_, kPropEvfOutputDevice, 0, sizeof device, &device))
        return Failure(e, kRespGeneralError);
    return Reply{kRespOk, {}};
}

// camera_exit ends live view whether it runs or not, and gives up on a refusal: ending
// none is done at once.
Reply ServedCamera::EndLiveView() {
    uint32_t device = 0;
    if (SdkError e = SdkGetPropertyData(camera_, kPropEvfOutputDevice, 0, sizeof device, &device))
        return Failure(e, kRespGeneralError);
    if ((device & kEvfOutputDeviceComputer) == 0)
        return Reply{kRespOk, {}};
    device &= ~kEvfOutputDeviceComputer;
    if (SdkError e = SdkSetPropertyData(camera_, kPropEvfOutputDevice, 0, sizeof device, &device))
        return Failure(e, kRespGeneralError);
    const uint32_t off = 0;
    SdkSetPropertyData(camera_, kPropEvfMode, 0, sizeof off, &off);
    std::lock_guard lock(mutex_);
    lastFrame_.reset();
    return Reply{kRespOk, {}};
}

// ptp_nikon_get_liveview_image (ptp.c): the header, then the camera's own live-view JPEG.
// Asked sooner than the camera makes frames, the last one goes again.
Reply ServedCamera::LiveViewImage(DataSink& out) {
    SdkError e;
    const std::optional<bool> live = InLiveView(&e);
    if (!live)
        return Failure(e, kRespGeneralError);
    if (!*live)
        return Reply{kRespNikonNotLiveView, {}};

    SdkStreamRef stream = nullptr;
    SdkEvfImageRef image = nullptr;
    e = SdkCreateMemoryStream(0, &stream);
    if (e == kSdkOk)
        e = SdkCreateEvfImageRef(stream, &image);
    if (e == kSdkOk)
        e = SdkDownloadEvfImage(camera_, image);
    std::shared_ptr<const std::vector<uint8_t>> frame;
    if (e == kSdkOk) {
        const void* data = nullptr;
        uint64_t length = 0;
        SdkGetPointer(stream, &data);
        SdkGetLength(stream, &length);
        uint32_t zoom = 1;
        SdkRect zoomRect{};
        SdkSize coordinates{};
        SdkGetPropertyData(image, kPropEvfZoom, 0, sizeof zoom, &zoom);
        SdkGetPropertyData(image, kPropEvfZoomRect, 0, sizeof zoomRect, &zoomRect);
        SdkGetPropertyData(image, kPropEvfCoordinateSystem, 0, sizeof coordinates, &coordinates);
        std::vector<uint8_t> bytes(kLiveViewHeader, 0);
        PutField(bytes, 0, kLiveViewHeader);
        PutField(bytes, 2, coordinates.width);
        PutField(bytes, 4, coordinates.height);
        PutField(bytes, 6, zoom);
        PutField(bytes, 8, zoomRect.x);
        PutField(bytes, 10, zoomRect.y);
        PutField(bytes, 12, zoomRect.width);
        PutField(bytes, 14, zoomRect.height);
        if (data != nullptr)
            bytes.insert(bytes.end(), static_cast<const uint8_t*>(data),
                         static_cast<const uint8_t*>(data) + length);
        frame = std::make_shared<const std::vector<uint8_t>>(std::move(bytes));
    }
    if (image != nullptr)
        SdkRelease(image);
    if (stream != nullptr)
        SdkRelease(stream);
    {
        std::lock_guard lock(mutex_);
        if (frame)
            lastFrame_ = frame;
        else if (e == kSdkErrObjectNotReady)
            frame = lastFrame_;
    }
    if (!frame)
        return e == kSdkErrObjectNotReady ? Reply{kRespDeviceBusy, {}}
                                          : Failure(e, kRespGeneralError);
    return SendSmall(out, *frame) ? Reply{kRespOk, {}} : Reply{kRespGeneralError, {}, true};
}

// config.c's autofocusdrive (_put_Nikon_AFDrive): AfDrive, then DeviceReady until focused.
// In live view the camera's live-view autofocus runs a cycle; else a half press focuses.
Reply ServedCamera::AutofocusDrive() {
    SdkError e;
    const std::optional<bool> live = InLiveView(&e);
    if (!live)
        return Failure(e, kRespGeneralError);
    if (*live) {
        e = SdkSendCommand(camera_, kCameraCommandDoEvfAf, 1);
        if (e == kSdkOk)
            SdkSendCommand(camera_, kCameraCommandDoEvfAf, 0);
    } else {
        e = SdkSendCommand(camera_, kCameraCommandPressShutterButton, kShutterButtonHalfway);
        if (e == kSdkOk)
            SdkSendCommand(camera_, kCameraCommandPressShutterButton, kShutterButtonOff);
    }
    return e == kSdkOk ? Reply{kRespOk, {}} : Failure(e, kRespGeneralError);
}

// config.c's manualfocusdrive (_put_Nikon_MFDrive): direction 1 toward near, 2 toward
// far, and a step count; only in live view.
Reply ServedCamera::ManualFocusDrive(uint32_t direction, uint32_t steps) {
    if ((direction != 1 && direction != 2) || steps == 0)
        return Reply{kRespInvalidParameter, {}};
    SdkError e;
    const std::optional<bool> live = InLiveView(&e);
    if (!live)
        return Failure(e, kRespGeneralError);
    if (!*live)
        return Reply{kRespNikonNotLiveView, {}};
    e = SdkSendCommand(camera_, kCameraCommandDriveLensEvf,
                       static_cast<int32_t>(LensStep(direction, steps)));
    return e == kSdkOk ? Reply{kRespOk, {}} : Failure(e, kRespGeneralError);
}

}  // namespace talbex::ptpip
