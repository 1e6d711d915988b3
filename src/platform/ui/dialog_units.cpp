#include "platform/ui/dialog_units.h"

#include <cstdint>

namespace talbex::ui {

namespace {
// units * numerator / denominator, rounded half away from zero.
int Scale(int units, int64_t numerator, int64_t denominator) {
    const int64_t product = static_cast<int64_t>(units) * numerator;
    const int64_t half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : -((-product + half) / denominator));
}
}  // namespace

int DialogUnitsToPixelsX(int units) {
    return Scale(units, 6, 4);
}
int DialogUnitsToPixelsY(int units) {
    return Scale(units, 13, 8);
}

PixelRect DialogUnitsToPixels(const DialogUnitRect& rect) {
    const int left = DialogUnitsToPixelsX(rect.x);
    const int top = DialogUnitsToPixelsY(rect.y);
    return PixelRect{left, top, DialogUnitsToPixelsX(rect.x + rect.width) - left,
                     DialogUnitsToPixelsY(rect.y + rect.height) - top};
}

int DevicePixels(int pixels, double pixelRatio) {
    const double device = pixels * pixelRatio + 0.5;
    return device < 1 ? 0 : device > kMaxDevicePixels ? kMaxDevicePixels : static_cast<int>(device);
}

}  // namespace talbex::ui
