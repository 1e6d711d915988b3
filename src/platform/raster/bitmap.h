// A plain colour bitmap: 4 bytes per pixel in the order blue, green, red, 255 (a 32-bit
// 0xFFRRGGBB on this little-endian platform), rows top to bottom with no padding: the
// layout desktop windows paint without converting, and JPEG decoding writes directly.
// Picture frames draw on one; tests read its pixels back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace talbex::raster {

struct Rgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};

/// A colour as the 32-bit pixel of a bitmap.
constexpr uint32_t PixelOf(Rgb c) {
    return 0xFF000000u | (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b;
}
constexpr Rgb RgbOf(uint32_t pixel) {
    return Rgb{static_cast<uint8_t>(pixel >> 16), static_cast<uint8_t>(pixel >> 8),
               static_cast<uint8_t>(pixel)};
}

class Bitmap {
  public:
    static constexpr int kBytesPerPixel = 4;

    Bitmap() = default;
    Bitmap(int width, int height, Rgb fill = kBlack);

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }

    /// Changes the size; the pixels are undefined afterwards unless `fill` is given.
    /// Negative sizes count as 0. Keeps the allocation when it is large enough.
    void Resize(int width, int height);
    void Fill(Rgb colour);

    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    /// Outside the bitmap: black.
    Rgb At(int x, int y) const;
    /// Outside the bitmap: nothing happens.
    void Set(int x, int y, Rgb colour);

    uint8_t* Row(int y) { return reinterpret_cast<uint8_t*>(Pixels(y)); }
    const uint8_t* Row(int y) const { return reinterpret_cast<const uint8_t*>(Pixels(y)); }
    uint32_t* Pixels(int y) { return pixels_.data() + static_cast<size_t>(y) * width_; }
    const uint32_t* Pixels(int y) const { return pixels_.data() + static_cast<size_t>(y) * width_; }
    size_t Stride() const { return static_cast<size_t>(width_) * kBytesPerPixel; }

  private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_;
};

}  // namespace talbex::raster
