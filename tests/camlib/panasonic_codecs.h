// Panasonic's entries, read and written through the vendor's own operations: its lists
// and values as ptp2 prints and parses them (config.c around 8771-9590).
#pragma once

#include <gphoto2/gphoto2-widget.h>

#include <cstdint>

#include "camera_model.h"

namespace tcam {

int RenderPanasonic(const Entry& entry, const Property& property, CameraWidget** widget);
/// The value ptp2's putter sends; -1 where it would send nothing it knows.
int ParsePanasonic(const Entry& entry, CameraWidget* widget, int64_t* value);

}  // namespace tcam
