#include "classic_camera.h"

#include <gphoto2/gphoto2-result.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "camera_state.h"
#include "pictures.h"

namespace tcam::classic {

namespace {

CameraWidget* Add(CameraWidget* section, CameraWidgetType type, const char* name,
                  std::vector<const char*> choices = {}, bool readOnly = false) {
    CameraWidget* w = nullptr;
    gp_widget_new(type, name, &w);
    gp_widget_set_name(w, name);
    for (const char* c : choices)
        gp_widget_add_choice(w, c);
    const std::string& value = Body().classicValues[name];
    if (type == GP_WIDGET_TOGGLE) {
        const int v = std::atoi(value.c_str());
        gp_widget_set_value(w, &v);
    } else if (type == GP_WIDGET_RANGE) {
        gp_widget_set_range(w, -32767, 32767, 1);
        const float v = 0;
        gp_widget_set_value(w, &v);
    } else {
        gp_widget_set_value(w, value.c_str());
    }
    gp_widget_set_readonly(w, readOnly ? 1 : 0);
    gp_widget_append(section, w);
    return w;
}

CameraWidget* Section(CameraWidget* root, const char* name) {
    CameraWidget* section = nullptr;
    gp_widget_new(GP_WIDGET_SECTION, name, &section);
    gp_widget_set_name(section, name);
    gp_widget_append(root, section);
    return section;
}

// What a changed widget does to the camera. Answers the picture it took.
std::string Apply(const std::string& name, const std::string& value) {
    State& s = Body();
    Log("set " + name + "=" + value);
    if (name == "manualfocusdrive" && value != "None") {
        const int step = value.back() == '1' ? 10 : value.back() == '2' ? 50 : 200;
        s.focus = std::clamp(s.focus + (value.rfind("Near", 0) == 0 ? -step : step), 0, 1000);
        return "";  // an action, not a value the camera keeps
    }
    if (name == "eosremoterelease" && (value == "Press Full" || value == "Immediate"))
        return TakePicture();
    if (name != "eosremoterelease" && name != "autofocusdrive")
        s.classicValues[name] = value;
    return "";
}

}  // namespace

int GetConfig(CameraWidget** root) {
    gp_widget_new(GP_WIDGET_WINDOW, "Camera and Driver Configuration", root);
    CameraWidget* status = Section(*root, "status");
    for (const char* name :
         {"cameramodel", "serialnumber", "deviceversion", "lensname", "shuttercounter"})
        Add(status, GP_WIDGET_TEXT, name, {}, true);
    CameraWidget* settings = Section(*root, "capturesettings");
    Add(settings, GP_WIDGET_RADIO, "f-number", {"f/4", "f/5.6", "f/8", "f/11"});
    Add(settings, GP_WIDGET_RADIO, "shutterspeed", {"1/60", "1/125", "1/250"});
    Add(settings, GP_WIDGET_RADIO, "iso", {"Auto", "100", "400", "1600"});
    Add(settings, GP_WIDGET_RADIO, "expprogram", {"M", "P"}, true);
    CameraWidget* actions = Section(*root, "actions");
    Add(actions, GP_WIDGET_TOGGLE, "viewfinder");
    Add(actions, GP_WIDGET_RADIO, "eosremoterelease",
        {"None", "Press Half", "Press Full", "Release Half", "Release Full", "Immediate"});
    Add(actions, GP_WIDGET_TOGGLE, "autofocusdrive");
    Add(actions, GP_WIDGET_RADIO, "manualfocusdrive",
        {"Near 1", "Near 2", "Near 3", "None", "Far 1", "Far 2", "Far 3"});
    Add(actions, GP_WIDGET_TEXT, "eoszoom");
    Add(actions, GP_WIDGET_TEXT, "eoszoomposition");
    Add(actions, GP_WIDGET_RADIO, "capturetarget", {"Internal RAM", "Memory card"});
    return GP_OK;
}

int SetConfig(CameraWidget* root, std::vector<std::string>* taken) {
    const int sections = gp_widget_count_children(root);
    for (int s = 0; s < sections; ++s) {
        CameraWidget* section = nullptr;
        gp_widget_get_child(root, s, &section);
        const int children = gp_widget_count_children(section);
        for (int i = 0; i < children; ++i) {
            CameraWidget* w = nullptr;
            gp_widget_get_child(section, i, &w);
            if (!gp_widget_changed(w))
                continue;
            const char* name = nullptr;
            gp_widget_get_name(w, &name);
            CameraWidgetType type;
            gp_widget_get_type(w, &type);
            std::string value;
            if (type == GP_WIDGET_TOGGLE) {
                int v = 0;
                gp_widget_get_value(w, &v);
                value = std::to_string(v);
            } else if (type == GP_WIDGET_RANGE) {
                float v = 0;
                gp_widget_get_value(w, &v);
                value = std::to_string(static_cast<int>(v));
            } else {
                const char* v = nullptr;
                gp_widget_get_value(w, &v);
                value = v != nullptr ? v : "";
            }
            const std::string picture = Apply(name, value);
            if (!picture.empty())
                taken->push_back(picture);
        }
    }
    return GP_OK;
}

std::string TakePicture() {
    State& s = Body();
    char name[32];
    std::snprintf(name, sizeof name, "IMG_%04d.JPG", ++s.number);
    s.card[name] = Picture{name, PictureFile("Talbex Test Camera", s.exifSerial, s.focus)};
    s.classicAdded.push_back(name);
    Log(std::string("capture ") + name);
    return name;
}

int Preview(std::vector<unsigned char>* frame) {
    const State& s = Body();
    const int zoom = std::atoi(Body().classicValues["eoszoom"].c_str());
    // Each new look of the frames is told once: they follow zoom and focus. A camera
    // makes its frames itself, so a look is drawn once, not at every frame.
    static std::string last;
    static std::vector<unsigned char> drawn;
    const std::string look =
        "preview zoom=" + std::to_string(zoom) + " focus=" + std::to_string(s.focus);
    if (look != last) {
        Log(look);
        int width = 320, height = 240;
        if (const char* size = std::getenv("TALBEX_TEST_CAMERA_FRAME"))
            std::sscanf(size, "%dx%d", &width, &height);
        drawn = Frame(std::clamp(width, 16, 4096), std::clamp(height, 16, 4096), s.focus, zoom);
    }
    last = look;
    *frame = drawn;
    return GP_OK;
}

int NextEvent(CameraEventType* type, void** data) {
    State& s = Body();
    *type = GP_EVENT_TIMEOUT;
    *data = nullptr;
    if (s.classicAdded.empty())
        return GP_OK;
    auto* path = static_cast<CameraFilePath*>(std::calloc(1, sizeof(CameraFilePath)));
    std::snprintf(path->folder, sizeof path->folder, "%s", kCardFolder);
    std::snprintf(path->name, sizeof path->name, "%s", s.classicAdded.front().c_str());
    s.classicAdded.erase(s.classicAdded.begin());
    *type = GP_EVENT_FILE_ADDED;
    *data = path;
    return GP_OK;
}

}  // namespace tcam::classic
