#include "camera/sdk/gphoto2/families.h"

#include <algorithm>
#include <cctype>

namespace talbex::gphoto {

namespace {

bool ContainsWord(std::string_view text, std::string_view word) {
    auto lower = [](unsigned char c) { return static_cast<char>(std::tolower(c)); };
    return std::search(text.begin(), text.end(), word.begin(), word.end(),
                       [&](char a, char b) { return lower(a) == lower(b); }) != text.end();
}

// The bodies libgphoto2 serves with its eos… widgets (config.c's camera_actions_menu and
// camera_settings_menu): the remote release's presses and releases (config.c around
// 7509–7540), autofocus on and off, Near/Far 1–3 focus steps, the live-view zoom and its
// place, the autofocus points, and a capture target that is also the camera's own
// destination (config.c around 320–365).
constexpr const char* kEosMarkers[] = {"eosremoterelease", "eosserialnumber", "eoszoom"};
constexpr ControlUse kEosControls[] = {
    {Control::kViewfinder, "viewfinder"},
    {Control::kHalfPress, "eosremoterelease", {"Press Half", "Release Half"}},
    {Control::kFullPress, "eosremoterelease", {"Press Full", "Release Full"}},
    {Control::kAutofocus, "autofocusdrive"},
    {Control::kFocusDrive, "manualfocusdrive"},
    {Control::kZoom, "eoszoom"},
    {Control::kZoomPosition, "eoszoomposition"},
    {Control::kCaptureTarget, "capturetarget", {"Internal RAM", "Memory card"}},
    {Control::kFocusInfo, "focusinfo"},
};

// Nikon (config.c around 7254–7400): autofocusdrive runs one autofocus cycle at every set,
// whatever the value; manualfocusdrive is a range of signed steps; capturetarget is
// libgphoto2's own setting, read when it takes a picture.
constexpr const char* kNikonMakers[] = {"nikon"};
constexpr ControlUse kNikonControls[] = {
    {Control::kViewfinder, "viewfinder"},
    {Control::kHalfPress, "autofocusdrive", {}, {}, true},
    {Control::kAutofocus, "autofocusdrive", {}, {}, true},
    {Control::kFocusDrive, "manualfocusdrive", {}, {10, 100, 1000}},
    {Control::kCaptureTarget, "capturetarget", {"Internal RAM", "Memory card"}},
};

// Sony (config.c around 8582–8680): autofocus and capture are toggles that press (1) and
// release (0) the button half way and fully; manualfocus a range of -7 to 7 steps; the
// capture target is the camera's own property with untranslated choices (around 9778).
constexpr const char* kSonyMakers[] = {"sony"};
constexpr ControlUse kSonyControls[] = {
    {Control::kHalfPress, "autofocus"},
    {Control::kFullPress, "capture"},
    {Control::kAutofocus, "autofocus"},
    {Control::kFocusDrive, "manualfocus", {}, {1, 3, 7}},
    {Control::kCaptureTarget, "capturetarget", {"sdram", "card+sdram"}},
};

// Fujifilm (config.c around 2886–2930): autofocusdrive focuses and lets go at every set;
// no focus drive, no capture target.
constexpr const char* kFujifilmMakers[] = {"fujifilm"};
constexpr ControlUse kFujifilmControls[] = {
    {Control::kHalfPress, "autofocusdrive", {}, {}, true},
    {Control::kAutofocus, "autofocusdrive", {}, {}, true},
};

// Panasonic (config.c around 7626–7670 and its viewfinder): Near/Far 1–2 focus steps.
constexpr const char* kPanasonicMakers[] = {"panasonic"};
constexpr ControlUse kPanasonicControls[] = {
    {Control::kViewfinder, "viewfinder"},
    {Control::kFocusDrive, "manualfocusdrive"},
    {Control::kCaptureTarget, "capturetarget", {"Internal RAM", "Memory card"}},
};

// Olympus (config.c around 7674–7720): Near/Far 1–3 focus steps, nothing else.
constexpr const char* kOlympusMakers[] = {"olympus"};
constexpr ControlUse kOlympusControls[] = {
    {Control::kFocusDrive, "manualfocusdrive"},
};

// Bodies of the standard alone: live view only where libgphoto2 can preview them.
constexpr ControlUse kGenericControls[] = {
    {Control::kViewfinder, "viewfinder"},
};

const Family kEos{"eos", {}, kEosMarkers, {}, kEosControls};
const Family kNikon{"nikon", kNikonMakers, {}, {}, kNikonControls};
const Family kSony{"sony", kSonyMakers, {}, {}, kSonyControls, SerialForm::kZeroPadded};
const Family kFujifilm{"fujifilm",        kFujifilmMakers,      {},  {},
                       kFujifilmControls, SerialForm::kAsGiven, true};
const Family kPanasonic{"panasonic", kPanasonicMakers, {}, {}, kPanasonicControls};
const Family kOlympus{"olympus", kOlympusMakers, {}, {}, kOlympusControls};
const Family kGeneric{"generic", {}, {}, {}, kGenericControls};

// Routes are bound on first use: their tables live in other files.
const std::array<Family, 7>& AllFamilies() {
    static const std::array<Family, 7> families = [] {
        std::array<Family, 7> f = {kEos, kNikon, kSony, kFujifilm, kPanasonic, kOlympus, kGeneric};
        f[0].routes = EosRoutes();
        f[1].routes = NikonRoutes();
        f[2].routes = SonyRoutes();
        f[3].routes = FujifilmRoutes();
        f[4].routes = PanasonicRoutes();
        f[5].routes = OlympusRoutes();
        return f;
    }();
    return families;
}

constexpr uint32_t kFar = 0x8000;

std::optional<uint32_t> StepSize(uint32_t step) {
    const uint32_t size = step & ~kFar;
    if (size < 1 || size > 3 || (step & ~(kFar | 3u)) != 0)
        return std::nullopt;
    return size;
}

}  // namespace

std::span<const Family* const> Families() {
    static const std::array<const Family*, 7> pointers = [] {
        std::array<const Family*, 7> p{};
        for (size_t i = 0; i < p.size(); ++i)
            p[i] = &AllFamilies()[i];
        return p;
    }();
    return pointers;
}

const Family& GenericFamily() {
    return AllFamilies().back();
}

const Family& FamilyOf(std::string_view manufacturer,
                       const std::function<bool(const char*)>& hasEntry) {
    // The manufacturer's name first: looking for an entry asks the camera.
    for (const Family* family : Families())
        for (const char* word : family->makers)
            if (ContainsWord(manufacturer, word))
                return *family;
    for (const Family* family : Families())
        for (const char* entry : family->markers)
            if (hasEntry(entry))
                return *family;
    return GenericFamily();
}

const Route* FindRoute(const Family& family, SdkPropertyId id) {
    for (const Route& r : family.routes)
        if (r.id == id)
            return &r;
    return FindRoute(id);
}

std::vector<SdkPropertyId> PropertiesOfEntry(const Family& family, std::string_view name) {
    std::vector<SdkPropertyId> ids;
    for (const Route& common : Routes()) {
        const Route* route = FindRoute(family, common.id);
        for (const char* entry : route->entries)
            if (entry != nullptr && name == entry)
                ids.push_back(route->id);
    }
    // Properties only the family has.
    for (const Route& own : family.routes)
        if (FindRoute(own.id) == nullptr)
            for (const char* entry : own.entries)
                if (entry != nullptr && name == entry)
                    ids.push_back(own.id);
    return ids;
}

const ControlUse* FindControl(const Family& family, Control control) {
    for (const ControlUse& use : family.controls)
        if (use.control == control)
            return &use;
    return nullptr;
}

std::string NormalisedSerial(const Family& family, std::string_view serial) {
    std::string text(serial);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.pop_back();
    if (family.serial == SerialForm::kZeroPadded &&
        text.find_first_not_of("0123456789") == std::string::npos) {
        const size_t first = text.find_first_not_of('0');
        text = first == std::string::npos ? std::string() : text.substr(first);
    }
    return text;
}

std::optional<std::string> FocusChoiceOf(uint32_t step) {
    const auto size = StepSize(step);
    if (!size)
        return std::nullopt;
    return std::string((step & kFar) != 0 ? "Far " : "Near ") + std::to_string(*size);
}

std::optional<float> FocusRangeValueOf(uint32_t step, const std::array<float, 3>& steps) {
    const auto size = StepSize(step);
    if (!size)
        return std::nullopt;
    const float magnitude = steps[*size - 1];
    return (step & kFar) != 0 ? magnitude : -magnitude;
}

}  // namespace talbex::gphoto
