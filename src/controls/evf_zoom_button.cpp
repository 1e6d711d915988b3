#include "controls/evf_zoom_button.h"

#include "camera/camera_model.h"

namespace talbex::controls {

void CEvfZoomButton::update(camera::Observable* from, camera::ModelEvent* event) {
    if (event == nullptr || event->type != "PropertyChanged" || event->arg == nullptr)
        return;
    if (*static_cast<const uint32_t*>(event->arg) != kPropEvfAfMode)
        return;
    if (auto* model = dynamic_cast<camera::CameraModel*>(from))
        EnableWindow(model->getEvfAFMode() != 2);
}

}  // namespace talbex::controls
