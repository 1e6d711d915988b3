// JPEG decoding from memory into an RGB bitmap (libjpeg-turbo). A decoder object keeps
// its decompressor between frames, so a stream of live-view frames does not set one up
// per frame. Corrupt or truncated input answers an error; it never aborts the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/raster/bitmap.h"

namespace talbex::raster {

/// Largest picture the decoder accepts (either side, and in total), so a forged header
/// cannot make it allocate gigabytes.
inline constexpr int kMaxJpegSide = 16384;
inline constexpr int64_t kMaxJpegPixels = 64LL * 1024 * 1024;

class JpegDecoder {
  public:
    JpegDecoder();
    ~JpegDecoder();
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;

    /// Decodes `size` bytes at `data` into `out`, sized to the picture. On failure answers
    /// false with a reason in `error` (if given); `out` is then unspecified. Not for use
    /// from two threads at once.
    bool Decode(const uint8_t* data, size_t size, Bitmap& out, std::string* error = nullptr);

    /// Decodes at 1/`denominator` of the picture's size (1, 2, 4 or 8; others count as
    /// 1), which the decoder does for much less than a full decode: pictures shown small.
    bool DecodeScaled(const uint8_t* data, size_t size, int denominator, Bitmap& out,
                      std::string* error = nullptr);

    /// Answers whether row `row` of a picture `height` rows high is wanted.
    using RowFilter = std::function<bool(int row, int height)>;
    /// Decodes like Decode but skips the rows `wanted` turns down (their pixels in `out`
    /// are left unspecified); the rows decoded are exactly those of a full decode.
    bool DecodeRows(const uint8_t* data, size_t size, Bitmap& out, const RowFilter& wanted,
                    std::string* error = nullptr);

  private:
    bool Run(const uint8_t* data, size_t size, int denominator, Bitmap& out,
             const RowFilter& wanted, std::string* error);

    struct State;
    std::unique_ptr<State> state_;
};

/// One-shot convenience over JpegDecoder.
bool DecodeJpeg(const uint8_t* data, size_t size, Bitmap& out, std::string* error = nullptr);

/// The picture's width and height from its header alone; false when it is no JPEG
/// picture or its size is out of range.
bool JpegSize(const uint8_t* data, size_t size, int* width, int* height);

}  // namespace talbex::raster
