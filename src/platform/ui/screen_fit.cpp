#include "platform/ui/screen_fit.h"

#include <algorithm>
#include <cstdint>

namespace talbex::ui {

namespace {

int64_t Overlap(int64_t a0, int64_t a1, int64_t b0, int64_t b1) {
    return std::max<int64_t>(0, std::min(a1, b1) - std::max(a0, b0));
}

}  // namespace

WindowPlacement FitOnScreens(const WindowPlacement& placement, std::span<const PixelRect> screens) {
    if (screens.empty())
        return placement;
    WindowPlacement fitted = placement;
    PixelRect& r = fitted.normal;
    const PixelRect* best = &screens.front();
    int64_t bestArea = 0;
    if (placement.positioned) {
        for (const PixelRect& s : screens) {
            const int64_t area =
                Overlap(r.left, int64_t{r.left} + r.width, s.left, int64_t{s.left} + s.width) *
                Overlap(r.top, int64_t{r.top} + r.height, s.top, int64_t{s.top} + s.height);
            if (area > bestArea) {
                bestArea = area;
                best = &s;
            }
        }
    }
    const PixelRect& screen = *best;
    r.width = std::clamp(r.width, 1, std::max(1, screen.width));
    r.height = std::clamp(r.height, 1, std::max(1, screen.height));
    if (!fitted.positioned)
        return fitted;
    const int64_t across = Overlap(r.left, int64_t{r.left} + r.width, screen.left,
                                   int64_t{screen.left} + screen.width);
    const int64_t down =
        Overlap(r.top, int64_t{r.top} + r.height, screen.top, int64_t{screen.top} + screen.height);
    // The title bar sits above the client area: the top may not be above the screen.
    if (across < std::min(kMinVisibleWidth, r.width) ||
        down < std::min(kMinVisibleHeight, r.height) || r.top < screen.top) {
        r.left = screen.left + (screen.width - r.width) / 2;
        r.top = screen.top + (screen.height - r.height) / 2;
    }
    return fitted;
}

}  // namespace talbex::ui
