// The live-view zoom button: fires its action ("zoom_Zoom") when clicked, and is usable
// only while the live-view AF mode is not face detection (2). It is enabled or disabled
// straight from the model's notification on the worker thread; the framework's control
// state is safe to change from there.
#pragma once

#include "camera/observable.h"
#include "controls/action_button.h"

namespace talbex::controls {

class CEvfZoomButton : public CActionButton, public camera::Observer {
  public:
    void update(camera::Observable* from, camera::ModelEvent* event) override;
};

}  // namespace talbex::controls
