// The synthetic scene the simulated camera looks at: sky, ground, a test chart, the sun
// and two subjects that move with the phase. Pictures and live-view frames are drawn
// from it; live-view zoom shows a part of it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "camera/sdk/sdk_types.h"

namespace talbex::sim {

/// An RGB image, three bytes per pixel, rows top to bottom.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
};

/// The part of the scene shown, in scene units (the whole scene is 0..1 both ways).
struct SceneView {
    double x = 0;
    double y = 0;
    double width = 1;
    double height = 1;
};

/// Where the moving ball is at `phase` (0..1, one full swing), in scene units.
struct ScenePoint {
    double x;
    double y;
};
ScenePoint BallCentre(double phase);
inline constexpr double kBallRadius = 0.07;

RgbImage RenderScene(int width, int height, double phase, const SceneView& view = {});

/// Baseline JPEG of the image without any APPn segment: SOI is followed by the tables.
/// Empty on failure.
std::vector<uint8_t> EncodeJpeg(const RgbImage& image, int quality);

/// 4 x 256 counts: luminance, red, green, blue.
void ComputeHistogram(const RgbImage& image, std::array<uint32_t, kHistogramValues>* histogram);

}  // namespace talbex::sim
