// Panasonic's own routes: what its bodies show in entries of their own, or in the common
// entries with texts of their own. libgphoto2 reads these bodies through properties of
// their own (config.c around 8740–9570): the aperture as "5.6" or "4", the shutter speed as
// "1/125", "1/3.2", "2.5" or "bulb", the ISO as a bare number and the exposure compensation
// in thirds as "0.333333"; the common codecs read all of them.
#include "camera/sdk/gphoto2/families.h"

namespace talbex::gphoto {

namespace {

// config.c's panasonic_rmodetable around 9173 ("expmode"); the standard's exposure
// program, where a body shows it, has the same letters.
constexpr Label kExposureModes[] = {
    {"P", 0x00},
    {"A", 0x02},
    {"S", 0x01},
    {"M", 0x03},
};

// config.c's panasonic_wbtable around 8898 (its spelling "Flourescent" kept). The two
// tinted automatic settings are automatic, the four colour temperatures the windows' one.
// What "White set", "Black White" and the four presets stand for is not told: no code.
constexpr Label kWhiteBalance[] = {
    {"Automatic", 0x00},     {"Automatic Cool", 0x00}, {"Automatic Warm", 0x00},
    {"Daylight", 0x01},      {"Cloudy", 0x02},         {"Tungsten", 0x03},
    {"Flourescent", 0x04},   {"Flash", 0x05},          {"Shadow", 0x08},  // the windows' Shade
    {"Temperature 1", 0x09}, {"Temperature 2", 0x09},  {"Temperature 3", 0x09},
    {"Temperature 4", 0x09},
};

// config.c's panasonic_aftable around 9056 ("afmode"): AF_F switches between single and
// continuous by itself. The compact bodies' plain "AF" and the macro modes have no code.
constexpr Label kAfModes[] = {
    {"AF_S", 0}, {"AF_C", 1}, {"AF_F", 2}, {"MF", 3}, {"Manual", 3},
};

constexpr Route kRoutes[] = {
    {kPropAeMode, {"expmode", "expprogram"}, Codec::kLabels, kExposureModes, true},
    {kPropShootingMode, {"expmode", "expprogram"}, Codec::kLabels, kExposureModes, false},
    {kPropWhiteBalance, {"whitebalance", nullptr}, Codec::kLabels, kWhiteBalance, true},
    {kPropAfMode, {"afmode", "focusmode"}, Codec::kLabels, kAfModes, true},
    // The image format arrives as the body's own numbers (config.c around 9544), and
    // libgphoto2 2.5.30 says nothing of what they stand for: none is offered.
    {kPropImageQuality, {"imageformat", nullptr}, Codec::kLabels, {}, true},
    // Its put reads the choice's text and truncates it to thirds (config.c around 9367).
    {kPropExposureCompensation,
     {"exposurecompensation"},
     Codec::kExposureBias,
     {},
     true,
     Route::Put::kTruncates},
};

}  // namespace

std::span<const Route> PanasonicRoutes() {
    return kRoutes;
}

}  // namespace talbex::gphoto
