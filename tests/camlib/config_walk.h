// The configuration as ptp2 walks it (config.c's _get_config, around 11067, and
// _set_config, around 11520): the whole tree, the list of names, one entry by name, and
// the writes of a tree or of one entry. All under the camera's lock.
#pragma once

#include <gphoto2/gphoto2-list.h>
#include <gphoto2/gphoto2-widget.h>

#include <cstdint>

namespace tcam {

int GetTree(CameraWidget** window);
int ListNames(CameraList* list);
/// GP_OK with `*widget` null where ptp2 answers so: a virtual entry whose getter failed,
/// or any name when the body lists no properties.
int GetOne(const char* name, CameraWidget** widget);
int SetTree(CameraWidget* window);
int SetOne(const char* name, CameraWidget* widget);

/// Queues ptp2's event text for a changed property, where the family's event wait tells
/// them: "PTP Property 5007 changed, \"f-number\" to \"f/8\"".
void AnnounceProperty(uint32_t code);

}  // namespace tcam
