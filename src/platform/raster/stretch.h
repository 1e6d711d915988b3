// Copies a whole bitmap onto a rectangle of another by nearest neighbour: every target
// pixel takes the source pixel its position maps onto, without blending; when shrinking,
// surplus rows and columns are dropped. The aspect ratio is not kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/raster/bitmap.h"
#include "platform/raster/histogram.h"
#include "platform/raster/jpeg_decoder.h"

namespace talbex::raster {

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

/// Target pixel (left + i, top + j) takes source pixel (i * sw / w, j * sh / h). Parts of
/// the rectangle outside `target` are clipped; an empty source or rectangle draws nothing.
/// With a `histogram`, the source rows the copy takes are counted into it as they are
/// copied (see histogram.h; it is not cleared first).
void StretchBlit(const Bitmap& source, Bitmap& target, Rect rect, Histogram* histogram = nullptr);

/// Decodes a JPEG picture and stretches it onto `rect` of `target`, exactly as decoding
/// it whole and calling StretchBlit would, but decodes only the rows the stretch takes.
/// `scratch` holds the decoded picture (kept by the caller so its memory is reused). On a
/// decoding failure nothing is drawn and false is answered.
bool DecodeJpegOnto(JpegDecoder& decoder, const uint8_t* data, size_t size, Bitmap& scratch,
                    Bitmap& target, Rect rect, std::string* error = nullptr,
                    Histogram* histogram = nullptr);

/// Shrinks (or copies) a whole bitmap onto `rect` of `target`, each target pixel the
/// average of the source pixels it covers: pictures shown small, without the ragged
/// edges of dropped rows. Enlarging falls back to StretchBlit.
void ShrinkBlit(const Bitmap& source, Bitmap& target, Rect rect);

/// The largest rectangle of the aspect of a `width` x `height` picture inside `box`,
/// centred in it (empty when either is).
Rect FitInside(int width, int height, Rect box);

}  // namespace talbex::raster
