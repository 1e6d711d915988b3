#include "virtual_entries.h"

#include <gphoto2/gphoto2-result.h>
#include <gphoto2/gphoto2-setting.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <string>

#include "camera_state.h"
#include "shooting.h"
#include "widget_helpers.h"

namespace tcam {

namespace {

std::string Setting(const char* key, const char* otherwise) {
    char value[1024] = {};
    if (gp_setting_get(const_cast<char*>("ptp2"), const_cast<char*>(key), value) != GP_OK)
        return otherwise;
    return value;
}

void Store(const char* key, const char* value) {
    gp_setting_set(const_cast<char*>("ptp2"), const_cast<char*>(key), const_cast<char*>(value));
}

// config.c around 9717: the names the setting keeps and the labels shown.
const char* const kTargets[][2] = {{"sdram", "Internal RAM"}, {"card", "Memory card"}};
const char* const kOnOff[][2] = {{"on", "On"}, {"off", "Off"}};

int RenderSettingRadio(const Entry& e, const char* key, const char* otherwise,
                       const char* const (*pairs)[2], CameraWidget** out) {
    CameraWidget* w = New(GP_WIDGET_RADIO, e);
    const std::string current = Setting(key, otherwise);
    for (int i = 0; i < 2; ++i) {
        gp_widget_add_choice(w, Tr(pairs[i][1]));
        if (current == pairs[i][0])
            gp_widget_set_value(w, Tr(pairs[i][1]));
    }
    *out = w;
    return GP_OK;
}

// A put compares with the translated labels only; another text is silently ignored.
void PutSettingRadio(CameraWidget* w, const char* key, const char* const (*pairs)[2]) {
    const std::string value = Text(w);
    for (int i = 0; i < 2; ++i)
        if (value == Tr(pairs[i][1])) {
            Store(key, pairs[i][0]);
            break;
        }
}

CameraWidget* Radio(const Entry& e, std::initializer_list<const char*> choices, const char* value) {
    CameraWidget* w = New(GP_WIDGET_RADIO, e);
    for (const char* c : choices)
        gp_widget_add_choice(w, Tr(c));
    gp_widget_set_value(w, Tr(value));
    return w;
}

// The near and far steps of the radio drives, in the frames' focus units.
int Step(int n) {
    return n <= 1 ? 10 : n == 2 ? 50 : 200;
}

int PutNearFar(const std::string& value) {
    if (value == Tr("None"))
        return GP_OK;
    int n = 0;
    int sign = -1;
    if (std::sscanf(value.c_str(), Tr("Near %d"), &n) != 1) {
        if (std::sscanf(value.c_str(), Tr("Far %d"), &n) != 1)
            return GP_ERROR;
        sign = 1;
    }
    const State& s = Body();
    // The eos family drives the lens only in live view (the body refuses otherwise).
    if (s.family->kind == Kind::kEos && !s.liveView)
        return GP_ERROR;
    DriveFocus(sign * Step(n), Printf("focus %s %d", sign < 0 ? "near" : "far", n));
    return GP_OK;
}

}  // namespace

CameraWidget* ToggleWidget(const Entry& e, int value, bool set) {
    CameraWidget* w = New(GP_WIDGET_TOGGLE, e);
    if (set)
        gp_widget_set_value(w, &value);
    return w;
}

// The device information's manufacturer as the family's bodies give it; programs tell
// the families by it, as ptp2 itself does where the extension is not named. The eos
// family's bodies are told by their own entries.
const char* Manufacturer(Kind kind) {
    switch (kind) {
        case Kind::kNikon:
            return "Nikon Corporation";
        case Kind::kSony:
            return "Sony Corporation";
        case Kind::kFuji:
            return "FUJIFILM";
        case Kind::kPanasonic:
            return "Panasonic";
        case Kind::kOlympus:
            return "OLYMPUS CORPORATION";
        default:
            return "Talbex";
    }
}

int RenderVirtual(const Entry& e, CameraWidget** out) {
    State& s = Body();
    switch (e.codec) {
        case Codec::kDeviceText: {
            std::string value;
            const std::string name = e.name;
            if (name == "serialnumber")
                value = DeviceSerial();
            else if (name == "manufacturer")
                value = Manufacturer(s.family->kind);
            else if (name == "cameramodel")
                value = s.family->model;
            else if (name == "deviceversion")
                value = s.family->version;
            else
                value =
                    s.family->vendorExtension != nullptr ? s.family->vendorExtension : Tr("None");
            *out = New(GP_WIDGET_TEXT, e);
            SetText(*out, value);
            return GP_OK;
        }
        case Codec::kViewfinderEos:
        case Codec::kViewfinderNikon:
            *out = ToggleWidget(e, s.liveView ? 1 : 0, true);
            return GP_OK;
        case Codec::kViewfinderPanasonic:
        case Codec::kAfDriveFuji:
            // ptp2 sets 2, so any write counts as a change (config.c around 2890, 8033).
            *out = ToggleWidget(e, 2, true);
            return GP_OK;
        case Codec::kAfDriveNikon:
        case Codec::kAfDriveEos:
            *out = ToggleWidget(e, 0, false);
            return GP_OK;
        case Codec::kRemoteRelease:
            *out = Radio(
                e,
                {"None", "Press Half", "Press Full", "Release Half", "Release Full", "Immediate",
                 "Press 1", "Press 2", "Press 3", "Release 1", "Release 2", "Release 3"},
                "None");
            return GP_OK;
        case Codec::kMfDriveNearFar3:
            *out =
                Radio(e, {"Near 1", "Near 2", "Near 3", "None", "Far 1", "Far 2", "Far 3"}, "None");
            return GP_OK;
        case Codec::kMfDriveNearFar2:
            *out = Radio(e, {"Near 1", "Near 2", "None", "Far 1", "Far 2"}, "None");
            return GP_OK;
        case Codec::kMfDriveRange:
            *out = New(GP_WIDGET_RANGE, e);
            gp_widget_set_range(*out, -32767.0f, 32767.0f, 1.0f);
            return GP_OK;
        case Codec::kEosZoom:
            *out = New(GP_WIDGET_TEXT, e);
            SetText(*out, "0");
            return GP_OK;
        case Codec::kEosZoomPosition:
            *out = New(GP_WIDGET_TEXT, e);
            SetText(*out, "0,0");
            return GP_OK;
        case Codec::kCaptureTarget:
            return RenderSettingRadio(e, "capturetarget", "sdram", kTargets, out);
        case Codec::kAutofocusSetting:
            return RenderSettingRadio(e, "autofocus", "on", kOnOff, out);
        default:
            return GP_ERROR;
    }
}

int PutVirtual(const Entry& e, CameraWidget* w) {
    State& s = Body();
    const bool reachesBody =
        e.codec != Codec::kCaptureTarget && e.codec != Codec::kAutofocusSetting;
    if (reachesBody && s.faults.Take("busy", "set", e.name))
        return GP_ERROR_CAMERA_BUSY;
    switch (e.codec) {
        case Codec::kDeviceText:
            return GP_ERROR_NOT_SUPPORTED;
        case Codec::kViewfinderEos:
        case Codec::kViewfinderNikon:
        case Codec::kViewfinderPanasonic:
            s.liveView = Toggle(w) != 0;
            return GP_OK;
        case Codec::kRemoteRelease: {
            // config.c around 7496: the written text against the translated ones only.
            const std::string v = Text(w);
            if (v == Tr("None") || v == Tr("Release Half") || v == Tr("Release Full") ||
                v == Tr("Release 1") || v == Tr("Release 2") || v == Tr("Release 3"))
                return GP_OK;
            if (v == Tr("Press Half") || v == Tr("Press 1")) {
                Autofocus();
                return GP_OK;
            }
            if (v == Tr("Press Full") || v == Tr("Immediate")) {
                Autofocus();
                ShootForEvents();
                return GP_OK;
            }
            if (v == Tr("Press 2") || v == Tr("Press 3")) {
                ShootForEvents();
                return GP_OK;
            }
            return GP_ERROR_NOT_SUPPORTED;
        }
        case Codec::kAfDriveNikon:
        case Codec::kAfDriveFuji:
            // Whatever the value written, an autofocus cycle (config.c around 7261, 2897).
            Autofocus();
            return GP_OK;
        case Codec::kAfDriveEos:
            if (Toggle(w) != 0) {
                Autofocus();
            } else {
                s.focusFound = false;
                Log("autofocus cancel");
            }
            return GP_OK;
        case Codec::kMfDriveNearFar3:
        case Codec::kMfDriveNearFar2:
            return PutNearFar(Text(w));
        case Codec::kMfDriveRange: {
            const float val = Float(w);
            // Nikon drives the lens only in live view (config.c around 7374).
            if (!s.liveView)
                return GP_ERROR;
            int steps = static_cast<int>(std::fabs(val));
            if (steps == 0)
                steps = 1;
            const int delta = std::max(1, steps / 10) * (val < 0 ? -1 : 1);
            if (!DriveFocus(delta, Printf("focus %s %d", val < 0 ? "near" : "far", steps)))
                return GP_ERROR_CAMERA_ERROR;  // "Nikon manual focus at limit."
            return GP_OK;
        }
        case Codec::kEosZoom: {
            int zoom = 0;
            if (std::sscanf(Text(w).c_str(), "%d", &zoom) != 1)
                return GP_ERROR;
            if (!s.liveView || (zoom != 1 && zoom != 5 && zoom != 10))
                return GP_ERROR;
            s.zoom = zoom;
            return GP_OK;
        }
        case Codec::kEosZoomPosition: {
            int x = 0, y = 0;
            if (std::sscanf(Text(w).c_str(), "%d,%d", &x, &y) != 2)
                return GP_ERROR;
            if (!s.liveView)
                return GP_ERROR;
            s.zoomPosition = Printf("%d,%d", x, y);
            return GP_OK;
        }
        case Codec::kCaptureTarget:
            PutSettingRadio(w, "capturetarget", kTargets);
            if (s.family->kind == Kind::kPanasonic)
                s.panasonicToMemory = Setting("capturetarget", "sdram") == "sdram";
            return GP_OK;
        case Codec::kAutofocusSetting:
            PutSettingRadio(w, "autofocus", kOnOff);
            return GP_OK;
        default:
            return GP_ERROR;
    }
}

// Sony's presses and focus are written through its control operations; the entry is a
// property only for ptp2 to find it (config.c around 8593-8680).
int PutSonyControl(const Entry& e, CameraWidget* w) {
    State& s = Body();
    if (s.faults.Take("busy", "set", e.name))
        return GP_ERROR_CAMERA_BUSY;
    switch (e.codec) {
        case Codec::kSonyAutofocus:
            if (Toggle(w) != 0)
                Autofocus();
            return GP_OK;
        case Codec::kSonyCapture:
            if (Toggle(w) != 0)
                ShootForEvents();
            return GP_OK;
        default: {
            const float val = Float(w);
            if (val != 0) {
                const int n = std::clamp(static_cast<int>(std::fabs(val)), 1, 7);
                DriveFocus((val < 0 ? -1 : 1) * n * 15,
                           Printf("focus %s %d", val < 0 ? "near" : "far", n));
            }
            return GP_OK;
        }
    }
}

}  // namespace tcam
