// Copies a whole bitmap onto a rectangle of another by nearest neighbour: every target
// pixel takes the source pixel its position maps onto, without blending; when shrinking,
// surplus rows and columns are dropped. The aspect ratio is not kept.
#pragma once

#include "platform/raster/bitmap.h"

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

}  // namespace talbex::raster
