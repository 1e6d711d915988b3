// The camera without a family: every control at once with one family's texts, a widget's
// put run only when its value changed (the whole tree, libgphoto2 emulating the single
// entries), pictures that stay on the card. Tests written before the families use it.
// All under the camera's lock.
#pragma once

#include <gphoto2/gphoto2-camera.h>

#include <string>
#include <vector>

namespace tcam::classic {

int GetConfig(CameraWidget** root);
/// Applies the changed widgets; the pictures taken are added to `taken`.
int SetConfig(CameraWidget* root, std::vector<std::string>* taken);
/// Takes a picture onto the card; answers its name.
std::string TakePicture();
int Preview(std::vector<unsigned char>* frame);
int NextEvent(CameraEventType* type, void** data);

}  // namespace tcam::classic
