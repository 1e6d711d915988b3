// Copies a whole bitmap onto a rectangle of another by nearest neighbour: every target
// pixel takes the source pixel its position maps onto, without blending; when shrinking,
// surplus rows and columns are dropped. The aspect ratio is not kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/raster/bitmap.h"
#include "platform/raster/jpeg_decoder.h"

namespace talbex::raster {

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

/// Target pixel (left + i, top + j) takes source pixel (i * sw / w, j * sh / h). Parts of
/// the rectangle outside `target` are clipped; an empty source or rectangle draws nothing.
void StretchBlit(const Bitmap& source, Bitmap& target, Rect rect);

/// Decodes a JPEG picture and stretches it onto `rect` of `target`, exactly as decoding
/// it whole and calling StretchBlit would, but decodes only the rows the stretch takes.
/// `scratch` holds the decoded picture (kept by the caller so its memory is reused). On a
/// decoding failure nothing is drawn and false is answered.
bool DecodeJpegOnto(JpegDecoder& decoder, const uint8_t* data, size_t size, Bitmap& scratch,
                    Bitmap& target, Rect rect, std::string* error = nullptr);

}  // namespace talbex::raster
