// A plain RGB bitmap: 3 bytes per pixel (red, green, blue), rows top to bottom with no
// padding. Picture frames draw on one; tests read its pixels back.
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

class Bitmap {
  public:
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

    uint8_t* Row(int y) { return pixels_.data() + static_cast<size_t>(y) * Stride(); }
    const uint8_t* Row(int y) const { return pixels_.data() + static_cast<size_t>(y) * Stride(); }
    size_t Stride() const { return static_cast<size_t>(width_) * 3; }

  private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint8_t> pixels_;
};

}  // namespace talbex::raster
