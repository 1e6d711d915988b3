// A picture's histogram: how many of its pixels have each level (0..255) of luminance
// and of each of the three colours. Taken from the pixels a drawing reads anyway, a
// sample of them: every `step`-th pixel of every `step`-th row it takes, with the step
// chosen so that a picture gives about kTargetSamples samples, whatever its size.
#pragma once

#include <array>
#include <cstdint>

#include "platform/raster/bitmap.h"

namespace talbex::raster {

struct Histogram {
    static constexpr int kLevels = 256;
    static constexpr int64_t kTargetSamples = 1 << 14;

    std::array<uint32_t, kLevels> luminance{};
    std::array<uint32_t, kLevels> red{};
    std::array<uint32_t, kLevels> green{};
    std::array<uint32_t, kLevels> blue{};
    uint32_t samples = 0;

    void Clear() { *this = Histogram{}; }

    /// The sampling step for `rows` rows of `width` pixels: at least 1, and large enough
    /// that at most about kTargetSamples are taken.
    static int StepFor(int64_t width, int64_t rows);
    /// Counts every `step`-th of the `count` pixels at `pixels`.
    void AddRow(const uint32_t* pixels, int count, int step);
};

/// Luminance of a colour as the histogram counts it: 0.299 red + 0.587 green + 0.114 blue,
/// in whole levels (0..255).
constexpr int Luminance(int r, int g, int b) {
    return (77 * r + 150 * g + 29 * b) >> 8;
}

}  // namespace talbex::raster
