// The live histogram: the luminance (a grey area) and the three colours (red, green and
// blue lines) of the last live-view frame, as its picture counted them while drawing it
// (evf_picture_box.h). Levels run from black at the left to white at the right; heights
// are scaled to the highest level between the two ends, so a clipped picture's spike at
// black or white does not flatten the rest. Window thread only.
#pragma once

#include <vector>

#include "platform/raster/bitmap.h"
#include "platform/raster/histogram.h"
#include "platform/ui/window.h"

namespace talbex::controls {

inline constexpr raster::Rgb kHistogramBackground{24, 24, 24};
inline constexpr raster::Rgb kHistogramGrid{70, 70, 70};
inline constexpr raster::Rgb kHistogramLuminance{150, 150, 150};
inline constexpr raster::Rgb kHistogramRed{235, 60, 60};
inline constexpr raster::Rgb kHistogramGreen{60, 210, 60};
inline constexpr raster::Rgb kHistogramBlue{80, 130, 255};

class CHistogramView : public ui::Window {
  public:
    /// Keeps `histogram` and draws it on the whole control.
    void Show(const raster::Histogram& histogram);
    /// Draws the histogram kept again (the control was resized).
    void Redraw();
    /// The histogram shown last (all zero before the first frame).
    const raster::Histogram& histogram() const { return shown_; }

  private:
    raster::Histogram shown_;
    std::vector<int> tops_;  // the curves' heights, kept so each drawing reuses the memory
};

}  // namespace talbex::controls
