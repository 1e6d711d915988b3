// ptp2's entries that are no property of the body: operations (presses, focus and zoom
// drives, live view) and libgphoto2's lasting settings (capture target, autofocus), and
// Sony's presses, written through its control operations.
#pragma once

#include <gphoto2/gphoto2-widget.h>

#include "camera_model.h"
#include "camera_state.h"

namespace tcam {

int RenderVirtual(const Entry& entry, CameraWidget** widget);
int PutVirtual(const Entry& entry, CameraWidget* widget);
int PutSonyControl(const Entry& entry, CameraWidget* widget);
/// A toggle; ptp2 leaves some without a value and sets 2 in others so any write counts.
CameraWidget* ToggleWidget(const Entry& entry, int value, bool set);
/// The device information's manufacturer as a family's bodies give it.
const char* Manufacturer(Kind kind);

}  // namespace tcam
