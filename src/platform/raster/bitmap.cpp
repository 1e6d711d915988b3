#include "platform/raster/bitmap.h"

#include <algorithm>

namespace talbex::raster {

Bitmap::Bitmap(int width, int height, Rgb fill) {
    Resize(width, height);
    Fill(fill);
}

void Bitmap::Resize(int width, int height) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    if (width_ == 0 || height_ == 0)
        width_ = height_ = 0;
    pixels_.resize(static_cast<size_t>(width_) * static_cast<size_t>(height_) * 3);
}

void Bitmap::Fill(Rgb colour) {
    for (size_t i = 0; i + 2 < pixels_.size(); i += 3) {
        pixels_[i] = colour.r;
        pixels_[i + 1] = colour.g;
        pixels_[i + 2] = colour.b;
    }
}

Rgb Bitmap::At(int x, int y) const {
    if (!Contains(x, y))
        return kBlack;
    const uint8_t* p = Row(y) + static_cast<size_t>(x) * 3;
    return Rgb{p[0], p[1], p[2]};
}

void Bitmap::Set(int x, int y, Rgb colour) {
    if (!Contains(x, y))
        return;
    uint8_t* p = Row(y) + static_cast<size_t>(x) * 3;
    p[0] = colour.r;
    p[1] = colour.g;
    p[2] = colour.b;
}

}  // namespace talbex::raster
