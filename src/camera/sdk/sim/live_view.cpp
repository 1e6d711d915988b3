#include "camera/sdk/sim/live_view.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "camera/sdk/sim/scene.h"

namespace talbex::sim {

namespace {

constexpr int kEvfQuality = 70;
constexpr int32_t kDepthOfField = 40;  // lens positions within which a subject is sharp
constexpr int32_t kFaceDistance = 450;

struct FrameBox {
    double u, v, w, h;  // in scene units
    int32_t distance;
};

std::vector<FrameBox> FrameBoxes(const FocusState& s) {
    std::vector<FrameBox> boxes;
    if (s.evfAfMode == 1) {
        // One frame where the zoom rectangle is; the ground gets nearer towards the bottom.
        const double u = static_cast<double>(s.zoomAt.x) / kEvfCoordinateSystem.width;
        const double v = static_cast<double>(s.zoomAt.y) / kEvfCoordinateSystem.height;
        const double w = static_cast<double>(kEvfZoomWidth) / kEvfCoordinateSystem.width;
        const double h = static_cast<double>(kEvfZoomHeight) / kEvfCoordinateSystem.height;
        const auto distance = static_cast<int32_t>(900 - 700 * (v + h / 2));
        boxes.push_back({u, v, w, h, distance});
    } else if (s.evfAfMode == 2) {
        const ScenePoint ball = BallCentre(s.phase);
        const double r = kBallRadius * 1.2;
        boxes.push_back({ball.x - r / 1.5, ball.y - r, 2 * r / 1.5, 2 * r, kFaceDistance});
    } else {
        // Nine points; the centre one is on the subject the camera starts focused on.
        for (int row = 0; row < 3; ++row) {
            for (int col = 0; col < 3; ++col) {
                const int i = row * 3 + col;
                boxes.push_back(
                    {0.2 + 0.3 * col - 0.04, 0.25 + 0.25 * row - 0.05, 0.08, 0.1, 200 + 75 * i});
            }
        }
    }
    return boxes;
}

}  // namespace

std::shared_ptr<const EvfFrame> EvfFrameCache::Frame(int index, bool zoomed, tagSdkPoint zoomAt) {
    std::lock_guard lock(mutex_);
    if (frames_.empty() || zoomed != zoomed_ ||
        (zoomed && (zoomAt.x != zoomAt_.x || zoomAt.y != zoomAt_.y))) {
        frames_.assign(kEvfCycleFrames, nullptr);
        zoomed_ = zoomed;
        zoomAt_ = zoomAt;
    }
    index = ((index % kEvfCycleFrames) + kEvfCycleFrames) % kEvfCycleFrames;
    auto& slot = frames_[static_cast<size_t>(index)];
    if (!slot) {
        SceneView view;
        if (zoomed) {
            view = {static_cast<double>(zoomAt.x) / kEvfCoordinateSystem.width,
                    static_cast<double>(zoomAt.y) / kEvfCoordinateSystem.height,
                    static_cast<double>(kEvfZoomWidth) / kEvfCoordinateSystem.width,
                    static_cast<double>(kEvfZoomHeight) / kEvfCoordinateSystem.height};
        }
        const RgbImage image = RenderScene(size_.width, size_.height,
                                           static_cast<double>(index) / kEvfCycleFrames, view);
        auto frame = std::make_shared<EvfFrame>();
        frame->jpeg = EncodeJpeg(image, kEvfQuality);
        ComputeHistogram(image, &frame->histogram);
        slot = std::move(frame);
    }
    return slot;
}

tagSdkPoint ClampZoomPosition(tagSdkPoint at) {
    at.x = std::clamp(at.x, 0, kEvfCoordinateSystem.width - kEvfZoomWidth);
    at.y = std::clamp(at.y, 0, kEvfCoordinateSystem.height - kEvfZoomHeight);
    return at;
}

std::vector<int32_t> FrameSubjectDistances(const FocusState& state) {
    std::vector<int32_t> distances;
    for (const FrameBox& box : FrameBoxes(state))
        distances.push_back(box.distance);
    return distances;
}

int32_t AutofocusTarget(const FocusState& state) {
    const auto distances = FrameSubjectDistances(state);
    // Quick mode focuses on the centre point; the other modes have one frame.
    return distances.size() == 9 ? distances[4] : distances.front();
}

SdkFocusInfo BuildFocusInfo(const FocusState& state, SdkSize liveView) {
    SdkFocusInfo info{};
    info.imageRect = {0, 0, liveView.width, liveView.height};
    const auto boxes = FrameBoxes(state);
    info.pointNumber = static_cast<uint32_t>(boxes.size());
    for (size_t i = 0; i < boxes.size() && i < kMaxFocusPoints; ++i) {
        const FrameBox& b = boxes[i];
        SdkFocusPoint& p = info.focusPoint[i];
        p.valid = 1;
        // In quick mode only the centre point is the one the camera chose.
        p.selected = (boxes.size() == 9 && i != 4) ? 0 : 1;
        p.justFocus = std::abs(state.lensPosition - b.distance) <= kDepthOfField ? 1 : 0;
        p.rect = {static_cast<int32_t>(b.u * liveView.width),
                  static_cast<int32_t>(b.v * liveView.height),
                  static_cast<int32_t>(b.w * liveView.width),
                  static_cast<int32_t>(b.h * liveView.height)};
    }
    info.executeMode = state.afRunning ? 1 : 0;
    return info;
}

int32_t LensDriveTravel(int32_t step) {
    switch (step) {
        case 1:
            return -5;
        case 2:
            return -30;
        case 3:
            return -150;
        case 0x8001:
            return 5;
        case 0x8002:
            return 30;
        case 0x8003:
            return 150;
        default:
            return 0;
    }
}

}  // namespace talbex::sim
