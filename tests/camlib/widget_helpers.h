// The small widget helpers the getters and putters share: a widget named and labelled as
// ptp2 makes it (the label through libgphoto2's catalogue), and its value read back.
#pragma once

#include <gphoto2/gphoto2-widget.h>

#include <string>

#include "camera_model.h"
#include "camera_state.h"

namespace tcam {

inline CameraWidget* New(CameraWidgetType type, const Entry& e) {
    CameraWidget* w = nullptr;
    gp_widget_new(type, Tr(e.label), &w);
    gp_widget_set_name(w, e.name);
    return w;
}

inline void SetText(CameraWidget* w, const std::string& v) {
    gp_widget_set_value(w, v.c_str());
}

inline std::string Text(CameraWidget* w) {
    const char* v = nullptr;
    gp_widget_get_value(w, &v);
    return v != nullptr ? v : "";
}

inline int Toggle(CameraWidget* w) {
    int v = 0;
    gp_widget_get_value(w, &v);
    return v;
}

inline float Float(CameraWidget* w) {
    float v = 0;
    gp_widget_get_value(w, &v);
    return v;
}

}  // namespace tcam
