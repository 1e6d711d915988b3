// ptp2's getters and putters (config.c), each as the family's entry uses it: a getter
// builds the entry's widget from the body's state, a putter reads the widget and does to
// the body what ptp2 would (for a property: its SetDevicePropValue, checked as a body
// checks it). All under the camera's lock.
#pragma once

#include <gphoto2/gphoto2-widget.h>

#include <string>

#include "camera_model.h"

namespace tcam {

/// GP_OK with `*widget` built, or ptp2's getter's error (the entry is then left out).
/// `faults`: whether a fault on reading the entry may answer (not for event texts).
int Render(const Entry& entry, CameraWidget** widget, bool faults = true);
/// ptp2's put of `entry` from `widget`, the body's answer included.
int Put(const Entry& entry, CameraWidget* widget);

/// The hex entries ptp2 adds for every property the body lists ("5007", "d402", ...).
int RenderHex(const Property& property, CameraWidget** widget);
/// Their write: the body may refuse it, the answer is GP_OK all the same (config.c's
/// generic setter ignores the result).
int PutHex(Property& property, CameraWidget* widget);
std::string HexName(const Property& property);
std::string HexLabel(const Property& property);

/// A widget's value as text ("1" for a pressed toggle, "-3" for a range).
std::string WidgetText(CameraWidget* widget);

}  // namespace tcam
