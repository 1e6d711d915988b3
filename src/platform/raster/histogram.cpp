#include "platform/raster/histogram.h"

#include <cmath>

namespace talbex::raster {

int Histogram::StepFor(int64_t width, int64_t rows) {
    const int64_t pixels = width * rows;
    if (pixels <= kTargetSamples)
        return 1;
    return static_cast<int>(std::ceil(std::sqrt(static_cast<double>(pixels) / kTargetSamples)));
}

void Histogram::AddRow(const uint32_t* pixels, int count, int step) {
    if (step < 1)
        step = 1;
    uint32_t taken = 0;
    for (int x = 0; x < count; x += step) {
        const uint32_t p = pixels[x];
        const uint32_t r = (p >> 16) & 0xFF;
        const uint32_t g = (p >> 8) & 0xFF;
        const uint32_t b = p & 0xFF;
        ++red[r];
        ++green[g];
        ++blue[b];
        ++luminance[static_cast<size_t>(
            Luminance(static_cast<int>(r), static_cast<int>(g), static_cast<int>(b)))];
        ++taken;
    }
    samples += taken;
}

}  // namespace talbex::raster
