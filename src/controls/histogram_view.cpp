#include "controls/histogram_view.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace talbex::controls {

namespace {

using Levels = std::array<uint32_t, raster::Histogram::kLevels>;

// The highest count of a column's levels: levels*column/width up to the next column's.
uint32_t ColumnValue(const Levels& levels, int column, int width) {
    const int n = raster::Histogram::kLevels;
    const int first = column * n / width;
    const int last = std::max(first, (column + 1) * n / width - 1);
    uint32_t value = 0;
    for (int level = first; level <= last && level < n; ++level)
        value = std::max(value, levels[static_cast<size_t>(level)]);
    return value;
}

}  // namespace

void CHistogramView::Show(const raster::Histogram& histogram) {
    shown_ = histogram;
    Redraw();
}

void CHistogramView::Redraw() {
    raster::Bitmap* surface = Surface();
    if (surface == nullptr || surface->Empty())
        return;
    const int width = surface->Width();
    const int height = surface->Height();
    const int thickness = std::max(1, static_cast<int>(std::lround(PixelRatio())));

    const Levels* channels[] = {&shown_.luminance, &shown_.red, &shown_.green, &shown_.blue};
    uint32_t peak = 0;
    for (const Levels* levels : channels)
        for (int level = 1; level + 1 < raster::Histogram::kLevels; ++level)
            peak = std::max(peak, (*levels)[static_cast<size_t>(level)]);
    if (peak == 0)
        for (const Levels* levels : channels)
            peak = std::max(peak, *std::max_element(levels->begin(), levels->end()));
    // The top row of each channel's curve in every column; `height` where it is empty.
    const int span = std::max(1, height - 1 - thickness);  // the highest line stays inside
    std::vector<int>& tops = tops_;
    tops.assign(static_cast<size_t>(4 * width), height);
    if (peak > 0)
        for (int c = 0; c < 4; ++c)
            for (int x = 0; x < width; ++x) {
                const uint32_t count = ColumnValue(*channels[c], x, width);
                const uint64_t scaled =
                    std::min<uint64_t>(count, peak) * static_cast<uint64_t>(span) / peak;
                tops[static_cast<size_t>(c * width + x)] =
                    count == 0 && c == 0 ? height : height - 1 - static_cast<int>(scaled);
            }

    // The background with the grid at the quarters, row by row; then each column's
    // luminance area, which is mostly low.
    const uint32_t background = raster::PixelOf(kHistogramBackground);
    const uint32_t grid = raster::PixelOf(kHistogramGrid);
    const uint32_t luminance = raster::PixelOf(kHistogramLuminance);
    for (int y = 0; y < height; ++y) {
        uint32_t* row = surface->Pixels(y);
        std::fill(row, row + width, background);
        for (int quarter = 1; quarter < 4; ++quarter) {
            const int x = width * quarter / 4;
            std::fill(row + x, row + std::min(width, x + thickness), grid);
        }
    }
    for (int x = 0; x < width; ++x)
        for (int y = std::max(0, tops[static_cast<size_t>(x)]); y < height; ++y)
            surface->Pixels(y)[x] = luminance;
    // The colours as lines from each column's height to the next one's.
    const raster::Rgb colours[] = {kHistogramRed, kHistogramGreen, kHistogramBlue};
    if (peak > 0)
        for (int c = 0; c < 3; ++c) {
            const uint32_t colour = raster::PixelOf(colours[c]);
            const int* top = tops.data() + static_cast<size_t>((c + 1) * width);
            for (int x = 0; x < width; ++x) {
                const int previous = top[x > 0 ? x - 1 : 0];
                const int from = std::max(0, std::min(previous, top[x]) - (thickness - 1) / 2);
                const int to = std::min(height - 1, std::max(previous, top[x]) + thickness / 2);
                for (int y = from; y <= to; ++y)
                    surface->Pixels(y)[x] = colour;
            }
        }
    SurfaceChanged();
}

}  // namespace talbex::controls
