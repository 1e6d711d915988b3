// Live view of the simulated camera: JPEG frames of the moving scene (cached for one
// cycle of motion so that serving a frame costs a copy), the zoom geometry, and the
// autofocus frames with their focus state.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "camera/sdk/sdk_types.h"

namespace talbex::sim {

/// The scene moves through this many frames per cycle, at this rate.
inline constexpr int kEvfCycleFrames = 120;
inline constexpr int kEvfFramesPerSecond = 60;
/// Live-view coordinate system (the sensor) and the five-fold zoom rectangle in it.
inline constexpr SdkSize kEvfCoordinateSystem{6000, 4000};
inline constexpr int32_t kEvfZoomWidth = 1200;
inline constexpr int32_t kEvfZoomHeight = 800;

struct EvfFrame {
    std::vector<uint8_t> jpeg;
    std::array<uint32_t, kHistogramValues> histogram{};
};

/// Frames of one live-view size. Thread-safe; a frame is rendered on first use.
class EvfFrameCache {
  public:
    explicit EvfFrameCache(SdkSize size) : size_(size) {}

    /// Frame `index` of the cycle, showing the whole scene or the zoom rectangle whose
    /// top-left corner is `zoomAt` (in the coordinate system).
    std::shared_ptr<const EvfFrame> Frame(int index, bool zoomed, tagSdkPoint zoomAt);

  private:
    std::mutex mutex_;
    SdkSize size_;
    bool zoomed_ = false;
    tagSdkPoint zoomAt_{};
    std::vector<std::shared_ptr<const EvfFrame>> frames_;
};

/// Keeps a zoom rectangle's top-left corner inside the coordinate system.
tagSdkPoint ClampZoomPosition(tagSdkPoint at);

/// What decides the autofocus frames.
struct FocusState {
    uint32_t evfAfMode = 0;      // 0 quick (nine points), 1 live (one frame), 2 face detection
    int32_t lensPosition = 500;  // 0 nearest .. 1000 farthest
    bool afRunning = false;
    tagSdkPoint zoomAt{};
    double phase = 0;  // where the moving subject is
};

/// Distance the lens must stand at to focus on the subject of each frame of `state`.
std::vector<int32_t> FrameSubjectDistances(const FocusState& state);
/// The lens position that live-view autofocus chooses.
int32_t AutofocusTarget(const FocusState& state);
/// Focus information in live-view pixel coordinates of a `liveView`-sized frame.
SdkFocusInfo BuildFocusInfo(const FocusState& state, SdkSize liveView);

/// Lens travel of a drive step (1..3 near, 0x8001..0x8003 far); 0 for an unknown step.
int32_t LensDriveTravel(int32_t step);

}  // namespace talbex::sim
