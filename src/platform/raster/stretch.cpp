#include "platform/raster/stretch.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace talbex::raster {

namespace {

// The part of `rect` inside `target`: target columns x0..x1-1, rows y0..y1-1.
struct Clip {
    int x0, y0, x1, y1;
    bool empty() const { return x0 >= x1 || y0 >= y1; }
};
Clip ClipTo(const Bitmap& target, Rect rect) {
    return Clip{std::max(rect.left, 0), std::max(rect.top, 0),
                static_cast<int>(std::min<int64_t>(static_cast<int64_t>(rect.left) + rect.width,
                                                   target.Width())),
                static_cast<int>(std::min<int64_t>(static_cast<int64_t>(rect.top) + rect.height,
                                                   target.Height()))};
}

}  // namespace

void StretchBlit(const Bitmap& source, Bitmap& target, Rect rect, Histogram* histogram) {
    if (source.Empty() || target.Empty() || rect.width <= 0 || rect.height <= 0)
        return;
    const int64_t sw = source.Width();
    const int64_t sh = source.Height();
    const Clip clip = ClipTo(target, rect);
    if (clip.empty())
        return;

    // The source column of every target column, worked out once per call.
    thread_local std::vector<uint32_t> columns;
    columns.resize(static_cast<size_t>(clip.x1 - clip.x0));
    for (int x = clip.x0; x < clip.x1; ++x) {
        const int64_t i = x - static_cast<int64_t>(rect.left);
        columns[static_cast<size_t>(x - clip.x0)] = static_cast<uint32_t>(i * sw / rect.width);
    }
    // The histogram samples every step-th of the source rows taken, and of their pixels.
    int step = 1;
    if (histogram != nullptr) {
        const int64_t rowsTaken = std::min<int64_t>(sh, clip.y1 - clip.y0);
        step = Histogram::StepFor(sw, rowsTaken);
    }
    int64_t rowsTakenSoFar = 0;
    int64_t previousRow = -1;
    const size_t width = columns.size();
    for (int y = clip.y0; y < clip.y1; ++y) {
        const int64_t j = y - static_cast<int64_t>(rect.top);
        const int64_t sourceRow = j * sh / rect.height;
        uint32_t* out = target.Pixels(y) + clip.x0;
        if (sourceRow == previousRow) {
            // Enlarging: the row is the same as the one just made.
            std::memcpy(out, target.Pixels(y - 1) + clip.x0, width * sizeof(uint32_t));
            continue;
        }
        previousRow = sourceRow;
        const uint32_t* in = source.Pixels(static_cast<int>(sourceRow));
        if (histogram != nullptr && rowsTakenSoFar++ % step == 0)
            histogram->AddRow(in, static_cast<int>(sw), step);
        for (size_t c = 0; c < width; ++c)
            out[c] = in[columns[c]];
    }
}

bool DecodeJpegOnto(JpegDecoder& decoder, const uint8_t* data, size_t size, Bitmap& scratch,
                    Bitmap& target, Rect rect, std::string* error, Histogram* histogram) {
    // Rows of the target that are drawn, and so the source rows they take.
    const int64_t firstRow = std::max<int64_t>(0, -static_cast<int64_t>(rect.top));
    const int64_t lastRow =
        std::min<int64_t>(rect.height, static_cast<int64_t>(target.Height()) - rect.top) - 1;
    thread_local std::vector<uint8_t> wanted;
    int knownHeight = -1;
    auto filter = [&](int row, int height) {
        if (height != knownHeight) {
            knownHeight = height;
            wanted.assign(static_cast<size_t>(height), 0);
            if (rect.width > 0 && rect.height > 0)
                for (int64_t j = firstRow; j <= lastRow; ++j)
                    wanted[static_cast<size_t>(j * height / rect.height)] = 1;
        }
        return wanted[static_cast<size_t>(row)] != 0;
    };
    if (!decoder.DecodeRows(data, size, scratch, filter, error))
        return false;
    StretchBlit(scratch, target, rect, histogram);
    return true;
}

void ShrinkBlit(const Bitmap& source, Bitmap& target, Rect rect) {
    if (source.Empty() || target.Empty() || rect.width <= 0 || rect.height <= 0)
        return;
    if (rect.width > source.Width() || rect.height > source.Height()) {
        StretchBlit(source, target, rect);
        return;
    }
    const Clip clip = ClipTo(target, rect);
    const int64_t sw = source.Width();
    const int64_t sh = source.Height();
    for (int y = clip.y0; y < clip.y1; ++y) {
        const int64_t j = y - static_cast<int64_t>(rect.top);
        const int sy0 = static_cast<int>(j * sh / rect.height);
        const int sy1 = std::max(sy0 + 1, static_cast<int>((j + 1) * sh / rect.height));
        uint32_t* out = target.Pixels(y);
        for (int x = clip.x0; x < clip.x1; ++x) {
            const int64_t i = x - static_cast<int64_t>(rect.left);
            const int sx0 = static_cast<int>(i * sw / rect.width);
            const int sx1 = std::max(sx0 + 1, static_cast<int>((i + 1) * sw / rect.width));
            uint32_t r = 0, g = 0, b = 0;
            for (int sy = sy0; sy < sy1; ++sy) {
                const uint32_t* in = source.Pixels(sy);
                for (int sx = sx0; sx < sx1; ++sx) {
                    r += (in[sx] >> 16) & 0xFF;
                    g += (in[sx] >> 8) & 0xFF;
                    b += in[sx] & 0xFF;
                }
            }
            const uint32_t n = static_cast<uint32_t>((sy1 - sy0) * (sx1 - sx0));
            out[x] = PixelOf(Rgb{static_cast<uint8_t>(r / n), static_cast<uint8_t>(g / n),
                                 static_cast<uint8_t>(b / n)});
        }
    }
}

Rect FitInside(int width, int height, Rect box) {
    if (width <= 0 || height <= 0 || box.width <= 0 || box.height <= 0)
        return Rect{box.left, box.top, 0, 0};
    int w = box.width;
    int h = static_cast<int>(static_cast<int64_t>(w) * height / width);
    if (h > box.height) {
        h = box.height;
        w = static_cast<int>(static_cast<int64_t>(h) * width / height);
    }
    w = std::max(w, 1);
    h = std::max(h, 1);
    return Rect{box.left + (box.width - w) / 2, box.top + (box.height - h) / 2, w, h};
}

}  // namespace talbex::raster
