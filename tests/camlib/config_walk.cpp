#include "config_walk.h"

#include <gphoto2/gphoto2-result.h>

#include <cstring>
#include <string>

#include "camera_state.h"
#include "codecs.h"

namespace tcam {

namespace {

struct SectionInfo {
    Section section;
    const char* label;
    const char* name;
};

// ptp2's menus, in their order (config.c around 11023).
constexpr SectionInfo kSections[] = {
    {Section::kActions, "Camera Actions", "actions"},
    {Section::kSettings, "Camera Settings", "settings"},
    {Section::kStatus, "Camera Status Information", "status"},
    {Section::kImage, "Image Settings", "imgsettings"},
    {Section::kCapture, "Capture Settings", "capturesettings"},
};
constexpr char kOther[] = "Other PTP Device Properties";

const std::vector<Entry>& Entries() {
    return Body().family->entries;
}

// ptp2's have_prop / have_eos_prop: whether the body offers what the entry needs.
bool Present(const Entry& e) {
    if (e.path == Path::kVirtual)
        return e.property == 0 || FindProperty(e.property) != nullptr;
    const Property* p = FindProperty(e.property);
    if (p == nullptr || !p->present)
        return false;
    return e.path == Path::kListed ? p->listed : !p->listed;
}

bool ListsProperties() {
    for (const Property& p : Body().properties)
        if (p.listed)
            return true;
    return false;
}

std::vector<Property*> Listed() {
    std::vector<Property*> out;
    for (Property& p : Body().properties)
        if (p.listed && p.present)
            out.push_back(&p);
    return out;
}

}  // namespace

int GetTree(CameraWidget** window) {
    RefreshLive();
    gp_widget_new(GP_WIDGET_WINDOW, Tr("Camera and Driver Configuration"), window);
    gp_widget_set_name(*window, "main");
    for (const SectionInfo& s : kSections) {
        CameraWidget* section = nullptr;
        gp_widget_new(GP_WIDGET_SECTION, Tr(s.label), &section);
        gp_widget_set_name(section, s.name);
        gp_widget_append(*window, section);
        for (const Entry& e : Entries()) {
            CameraWidget* w = nullptr;
            if (e.section == s.section && Present(e) && Render(e, &w) == GP_OK && w != nullptr)
                gp_widget_append(section, w);
        }
    }
    if (!ListsProperties())
        return GP_OK;
    CameraWidget* other = nullptr;
    gp_widget_new(GP_WIDGET_SECTION, Tr(kOther), &other);
    gp_widget_set_name(other, "other");
    gp_widget_append(*window, other);
    for (Property* p : Listed()) {
        CameraWidget* w = nullptr;
        if (RenderHex(*p, &w) == GP_OK)
            gp_widget_append(other, w);
    }
    return GP_OK;
}

int ListNames(CameraList* list) {
    RefreshLive();
    gp_list_reset(list);
    for (const SectionInfo& s : kSections)
        for (const Entry& e : Entries())
            if (e.section == s.section && Present(e))
                gp_list_append(list, e.name, nullptr);
    for (Property* p : Listed())
        gp_list_append(list, HexName(*p).c_str(), nullptr);
    return GP_OK;
}

int GetOne(const char* name, CameraWidget** widget) {
    RefreshLive();
    *widget = nullptr;
    for (const SectionInfo& s : kSections)
        for (const Entry& e : Entries()) {
            if (e.section != s.section || !Present(e) || std::strcmp(e.name, name) != 0)
                continue;
            CameraWidget* w = nullptr;
            const int ret = Render(e, &w);
            if (e.path == Path::kVirtual) {
                // ptp2 hands over whatever the getter made, nothing when it failed.
                *widget = ret == GP_OK ? w : nullptr;
                return GP_OK;
            }
            if (ret != GP_OK)
                continue;  // a property whose getter failed: look for another entry
            *widget = w;
            return GP_OK;
        }
    if (!ListsProperties())
        return GP_OK;  // config.c around 11300: nothing found, and nothing said
    for (Property* p : Listed())
        if (HexName(*p) == name)
            return RenderHex(*p, widget);
    return GP_ERROR_BAD_PARAMETERS;
}

int SetOne(const char* name, CameraWidget* widget) {
    RefreshLive();
    for (const SectionInfo& s : kSections)
        for (const Entry& e : Entries()) {
            if (e.section != s.section || !Present(e) || std::strcmp(e.name, name) != 0)
                continue;
            const int ret = Put(e, widget);
            // A listed property that was not set makes ptp2 look for another entry of the
            // name, and at the end answer "not found" (config.c around 11640).
            if (e.path == Path::kListed && ret != GP_OK)
                continue;
            return ret;
        }
    if (!ListsProperties())
        return GP_OK;
    for (Property* p : Listed())
        if (HexName(*p) == name)
            return PutHex(*p, widget);
    return GP_ERROR_BAD_PARAMETERS;  // "Property '%s' not found."
}

int SetTree(CameraWidget* window) {
    RefreshLive();
    CameraWidget* root = nullptr;
    int ret = gp_widget_get_child_by_label(window, Tr("Camera and Driver Configuration"), &root);
    if (ret != GP_OK)
        return ret;
    for (const SectionInfo& s : kSections) {
        CameraWidget* section = nullptr;
        if (gp_widget_get_child_by_label(root, Tr(s.label), &section) != GP_OK)
            continue;
        for (const Entry& e : Entries()) {
            if (e.section != s.section)
                continue;
            // ptp2 finds the widget by its label: of two entries labelled alike the
            // first one's widget answers for both.
            CameraWidget* w = nullptr;
            if (gp_widget_get_child_by_label(section, Tr(e.label), &w) != GP_OK ||
                !gp_widget_changed(w) || !Present(e))
                continue;
            gp_widget_set_changed(w, 0);
            ret = Put(e, w);
            if (e.path == Path::kListed)
                continue;
            if (ret != GP_OK)
                return ret;
        }
    }
    if (!ListsProperties())
        return GP_OK;
    CameraWidget* other = nullptr;
    ret = gp_widget_get_child_by_label(root, Tr(kOther), &other);
    if (ret != GP_OK)
        return ret;
    for (Property* p : Listed()) {
        CameraWidget* w = nullptr;
        if (gp_widget_get_child_by_label(other, HexLabel(*p).c_str(), &w) != GP_OK ||
            !gp_widget_changed(w))
            continue;
        gp_widget_set_changed(w, 0);
        ret = PutHex(*p, w);
        if (ret != GP_OK)
            return ret;
    }
    return GP_OK;
}

void AnnounceProperty(uint32_t code) {
    State& s = Body();
    if (s.family == nullptr || !s.family->propertyEvents)
        return;
    const unsigned shown = code & 0xffff;
    if (code == 0xD1D3) {  // the eos family's focus information has its own text
        if (const Property* p = FindProperty(code))
            s.events.push_back({QueuedEvent::Kind::kText, "", "", "FocusInfo " + p->text, {}});
        return;
    }
    for (const SectionInfo& sec : kSections)
        for (const Entry& e : Entries()) {
            if (e.section != sec.section || e.property != code || e.path == Path::kVirtual ||
                !Present(e))
                continue;
            CameraWidget* w = nullptr;
            if (Render(e, &w, false) != GP_OK || w == nullptr)
                continue;
            CameraWidgetType type;
            gp_widget_get_type(w, &type);
            std::string content = "Unhandled type";
            if (type == GP_WIDGET_RANGE) {
                float f = 0;
                gp_widget_get_value(w, &f);
                content = Printf("%f", f);
            } else if (type == GP_WIDGET_RADIO || type == GP_WIDGET_MENU ||
                       type == GP_WIDGET_TEXT) {
                content = WidgetText(w);
            }
            gp_widget_free(w);
            s.events.push_back({QueuedEvent::Kind::kText,
                                "",
                                "",
                                Printf("PTP Property %04x changed, \"%s\" to \"%s\"", shown, e.name,
                                       content.c_str()),
                                {}});
            return;
        }
    s.events.push_back(
        {QueuedEvent::Kind::kText, "", "", Printf("PTP Property %04x changed", shown), {}});
}

}  // namespace tcam
