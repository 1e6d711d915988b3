// Dialog units to pixels, the same in every backend: a dialog unit is 6/4 pixel across
// and 13/8 pixel down (the cell of a 9-point system font), each corner rounded to the
// nearest pixel, so a control's pixel size is the same wherever it is shown.
#pragma once

#include "platform/ui/dialog_template.h"

namespace talbex::ui {

struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

int DialogUnitsToPixelsX(int units);
int DialogUnitsToPixelsY(int units);
PixelRect DialogUnitsToPixels(const DialogUnitRect& rect);

/// The most pixels of a picture's surface either way (an 8K screen's width): a surface
/// never takes more than 256 MiB, whatever size a window is given.
inline constexpr int kMaxDevicePixels = 8192;

/// Pixels of the screen that `pixels` pixels cover at `pixelRatio` device pixels each
/// (rounded; 0..kMaxDevicePixels): the size of a picture's surface.
int DevicePixels(int pixels, double pixelRatio);

}  // namespace talbex::ui
