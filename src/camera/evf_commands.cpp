#include "camera/evf_commands.h"

#include <chrono>
#include <memory>
#include <thread>

#include "camera/command_result.h"
#include "camera/evf_data_set.h"
#include "camera/sdk/sdk.h"

namespace talbex::camera {

namespace {

constexpr uint64_t kEvfStreamSize = 0x200000;
constexpr auto kDepthOfFieldSettle = std::chrono::milliseconds(500);
// A frame that is not ready yet is asked for again after about one frame of a fast live
// view (120 frames a second), not after the busy pause: the display keeps the camera's
// pace, and at most one such frame's time is lost per frame.
constexpr auto kFrameNotReadyPause = std::chrono::milliseconds(8);

SdkError writeUInt32(SdkCameraRef camera, SdkPropertyId id, uint32_t value) {
    return SdkSetPropertyData(camera, id, 0, sizeof value, &value);
}

bool outputsToComputer(const CameraModel& model) {
    return (model.getEvfOutputDevice() & kEvfOutputDeviceComputer) != 0;
}

}  // namespace

bool StartEvfCommand::execute() {
    CameraModel& model = *getModel();
    SdkError result = kSdkOk;
    if (model.getEvfMode() == 0)
        result = writeUInt32(camera(), kPropEvfMode, 1);
    if (result == kSdkOk)
        result = writeUInt32(camera(), kPropEvfOutputDevice,
                             model.getEvfOutputDevice() | kEvfOutputDeviceComputer);
    return finishRetryingBusy(result, isBusyExactly(result));
}

bool EndEvfCommand::execute() {
    CameraModel& model = *getModel();
    if (!outputsToComputer(model))
        return true;
    SdkError result = kSdkOk;
    if (model.getEvfDepthOfFieldPreview() != 0) {
        result = writeUInt32(camera(), kPropEvfDepthOfFieldPreview, 0);
        // The camera needs a moment before it accepts the output change.
        if (result == kSdkOk)
            std::this_thread::sleep_for(kDepthOfFieldSettle);
    }
    if (result == kSdkOk)
        result = writeUInt32(camera(), kPropEvfOutputDevice,
                             model.getEvfOutputDevice() & ~kEvfOutputDeviceComputer);
    if (result == kSdkOk)
        return true;
    if (isBusyExactly(result))
        notify("DeviceBusy");
    else
        notifyError(result);
    return false;
}

bool DownloadEvfCommand::execute() {
    CameraModel& model = *getModel();
    if (!outputsToComputer(model))
        return true;
    SdkStreamRef stream = nullptr;
    SdkEvfImageRef image = nullptr;
    SdkError result = SdkCreateMemoryStream(kEvfStreamSize, &stream);
    if (result == kSdkOk)
        result = SdkCreateEvfImageRef(stream, &image);
    if (result == kSdkOk)
        result = SdkDownloadEvfImage(camera(), image);
    if (result == kSdkOk) {
        // 4 KiB of histogram: kept off the worker's stack.
        auto data = std::make_unique<EvfDataSet>();
        data->stream = stream;
        // A field whose read fails stays zero.
        SdkGetPropertyData(image, kPropEvfZoom, 0, sizeof data->zoom, &data->zoom);
        SdkGetPropertyData(image, kPropEvfImagePosition, 0, sizeof data->imagePosition,
                           &data->imagePosition);
        SdkGetPropertyData(image, kPropEvfHistogram, 0, sizeof data->histogram, data->histogram);
        SdkGetPropertyData(image, kPropEvfZoomRect, 0, sizeof data->zoomRect, &data->zoomRect);
        SdkGetPropertyData(image, kPropEvfCoordinateSystem, 0, sizeof data->coordinateSystem,
                           &data->coordinateSystem);
        model.setEvfZoom(data->zoom);
        model.setEvfZoomPosition(tagSdkPoint{data->zoomRect.x, data->zoomRect.y});
        model.setEvfZoomRect(data->zoomRect);
        notify("EvfDataChanged", data.get());
    }
    if (stream != nullptr)
        SdkRelease(stream);
    if (image != nullptr)
        SdkRelease(image);
    if (result == kSdkErrObjectNotReady)
        return runAgainAfter(kFrameNotReadyPause);
    return finishRetryingBusy(result, isBusyExactly(result));
}

bool DriveLensCommand::execute() {
    SdkError result =
        SdkSendCommand(camera(), kCameraCommandDriveLensEvf, static_cast<int32_t>(step_));
    report(result);
    return true;
}

bool DoEvfAFCommand::execute() {
    SdkError result = SdkSendCommand(camera(), kCameraCommandDoEvfAf, static_cast<int32_t>(on_));
    report(result);
    return true;
}

}  // namespace talbex::camera
