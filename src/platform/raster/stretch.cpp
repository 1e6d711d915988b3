#include "platform/raster/stretch.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace talbex::raster {

void StretchBlit(const Bitmap& source, Bitmap& target, Rect rect) {
    if (source.Empty() || target.Empty() || rect.width <= 0 || rect.height <= 0)
        return;
    const int64_t sw = source.Width();
    const int64_t sh = source.Height();
    const int x0 = std::max(rect.left, 0);
    const int y0 = std::max(rect.top, 0);
    const int x1 = static_cast<int>(
        std::min<int64_t>(static_cast<int64_t>(rect.left) + rect.width, target.Width()));
    const int y1 = static_cast<int>(
        std::min<int64_t>(static_cast<int64_t>(rect.top) + rect.height, target.Height()));
    if (x0 >= x1 || y0 >= y1)
        return;

    // Byte offsets of the source column of every target column, worked out once per call.
    thread_local std::vector<size_t> columns;
    columns.resize(static_cast<size_t>(x1 - x0));
    for (int x = x0; x < x1; ++x) {
        const int64_t i = x - static_cast<int64_t>(rect.left);
        columns[static_cast<size_t>(x - x0)] = static_cast<size_t>(i * sw / rect.width) * 3;
    }
    int64_t previousRow = -1;
    for (int y = y0; y < y1; ++y) {
        const int64_t j = y - static_cast<int64_t>(rect.top);
        const int64_t sourceRow = j * sh / rect.height;
        uint8_t* out = target.Row(y) + static_cast<size_t>(x0) * 3;
        if (sourceRow == previousRow) {
            // Enlarging: the row is the same as the one just made.
            std::memcpy(out, target.Row(y - 1) + static_cast<size_t>(x0) * 3,
                        static_cast<size_t>(x1 - x0) * 3);
            continue;
        }
        previousRow = sourceRow;
        const uint8_t* in = source.Row(static_cast<int>(sourceRow));
        for (size_t c = 0; c < columns.size(); ++c) {
            const uint8_t* p = in + columns[c];
            out[0] = p[0];
            out[1] = p[1];
            out[2] = p[2];
            out += 3;
        }
    }
}

bool DecodeJpegOnto(JpegDecoder& decoder, const uint8_t* data, size_t size, Bitmap& scratch,
                    Bitmap& target, Rect rect, std::string* error) {
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
    StretchBlit(scratch, target, rect);
    return true;
}

}  // namespace talbex::raster
