#include "platform/raster/bitmap.h"

#include <algorithm>

namespace talbex::raster {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "pixels are laid out blue, green, red, 255 in memory");

Bitmap::Bitmap(int width, int height, Rgb fill) {
    Resize(width, height);
    Fill(fill);
}

void Bitmap::Resize(int width, int height) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    if (width_ == 0 || height_ == 0)
        width_ = height_ = 0;
    pixels_.resize(static_cast<size_t>(width_) * static_cast<size_t>(height_));
}

void Bitmap::Fill(Rgb colour) {
    std::fill(pixels_.begin(), pixels_.end(), PixelOf(colour));
}

Rgb Bitmap::At(int x, int y) const {
    if (!Contains(x, y))
        return kBlack;
    return RgbOf(Pixels(y)[x]);
}

void Bitmap::Set(int x, int y, Rgb colour) {
    if (!Contains(x, y))
        return;
    Pixels(y)[x] = PixelOf(colour);
}

}  // namespace talbex::raster
