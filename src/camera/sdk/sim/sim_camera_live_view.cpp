// The simulated camera's live-view frames, served through the boundary's image reference.
#include "camera/sdk/sim/sim_camera.h"

#include <algorithm>

namespace talbex::sim {

SimCamera::Clock::duration SimCamera::FramePeriod() const {
    return std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(1)) /
           std::max<uint32_t>(settings_.liveViewFps, 1);
}

SdkError SimCamera::DownloadEvfImage(const Ref& ref, SdkEvfImage& image) {
    int index;
    bool zoomed;
    tagSdkPoint zoomAt;
    {
        std::lock_guard lock(mutex_);
        if (SdkError e = EnterLocked(ref.generation, Operation::DownloadEvfImage))
            return e;
        if (SdkError e = CheckSessionLocked())
            return e;
        if ((values_[kPropEvfOutputDevice].value_or(0) & kEvfOutputDeviceComputer) == 0)
            return kSdkErrObjectNotReady;
        // A new frame comes once a frame period: asked sooner, the camera has none.
        const auto now = Clock::now();
        if (now < nextFrameAt_)
            return kSdkErrObjectNotReady;
        nextFrameAt_ = now + FramePeriod();
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(now - evfStartedAt_);
        index = static_cast<int>(elapsed.count() * kEvfFramesPerSecond / 1000 % kEvfCycleFrames);
        zoomed = values_[kPropEvfZoom].value_or(1) != 1;
        zoomAt = zoomAt_;
    }
    std::shared_ptr<const EvfFrame> frame = frames_.Frame(index, zoomed, zoomAt);
    if (!frame || frame->jpeg.empty())
        return kSdkErrInternal;
    image.stream->Truncate();
    if (SdkError e = image.stream->Write(frame->jpeg.data(), frame->jpeg.size()))
        return e;
    image.zoom = zoomed ? 5 : 1;
    image.zoomRect = {zoomAt.x, zoomAt.y, kEvfZoomWidth, kEvfZoomHeight};
    image.imagePosition = zoomed ? zoomAt : tagSdkPoint{0, 0};
    image.histogram = frame->histogram;
    image.coordinateSystem = kEvfCoordinateSystem;
    return kSdkOk;
}

}  // namespace talbex::sim
