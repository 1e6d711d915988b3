// JPEG encoding of an RGB bitmap into memory (libjpeg-turbo): pictures for tests and
// benchmarks, and anything else that must hand out a JPEG.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/raster/bitmap.h"

namespace talbex::raster {

/// Encodes `bitmap` at `quality` (1..100) into `out`; false for an empty bitmap.
bool EncodeJpeg(const Bitmap& bitmap, int quality, std::vector<uint8_t>& out);

}  // namespace talbex::raster
