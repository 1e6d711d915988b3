// Olympus's own routes: what its bodies show in entries of their own, or in the common
// entries with texts of their own. Its aperture ("5.6", config.c around 5357), shutter
// speed ("1/250", "13/10", "60", "Bulb"; around 4603), ISO ("Auto", "200"; "Low" has no
// code; around 2767) and exposure compensation ("-0.3"; around 1642) are what the common
// codecs read, in the common entries "aperture", "shutterspeed", "iso" and
// "exposurecompensation".
#include "camera/sdk/gphoto2/families.h"

namespace talbex::gphoto {

namespace {

// config.c's olympus_whitebalance around 1502. The presets are white balances measured
// from a white card (the windows' Manual 1–4), "Custom" the chosen colour temperature.
constexpr Label kWhiteBalance[] = {
    {"Automatic", 0x00},   {"Daylight", 0x01}, {"Cloudy", 0x02},   {"Tungsten", 0x03},
    {"Fluorescent", 0x04}, {"Flash", 0x05},    {"Preset 1", 0x06}, {"Preset 2", 0x0F},
    {"Preset 3", 0x10},    {"Preset 4", 0x12}, {"Shade", 0x08},    {"Custom", 0x09},
};

// config.c's exposure_metering around 4267: ESP is Olympus's evaluative metering. The
// spot metering that keeps highlights or shadows has no code.
constexpr Label kMetering[] = {
    {"ESP", 3},
    {"Multi Spot", 3},
    {"Center Weighted", 5},
    {"Center Spot", 1},
};

// config.c's focusmodes around 5810: the standard's automatic focus is single AF, and
// S-AF+MF single AF that the ring may correct.
constexpr Label kFocusModes[] = {
    {"Automatic", 0},
    {"S-AF+MF", 0},
    {"C-AF", 1},
    {"Manual", 3},
};

// config.c's olympus_imageformat around 1528.
constexpr Label kImageFormats[] = {
    {"RAW", 0x0064FF0F},
    {"Large Fine JPEG", 0x0013FF0F},
    {"Large Normal JPEG", 0x0012FF0F},
    {"Medium Normal JPEG", 0x0112FF0F},
    {"Small Normal JPEG", 0x0212FF0F},
    {"Large Fine JPEG+RAW", 0x00640013},
    {"Large Normal JPEG+RAW", 0x00640012},
    {"Medium Normal JPEG+RAW", 0x00640112},
    {"Small Normal JPEG+RAW", 0x00640212},
};

constexpr Route kRoutes[] = {
    {kPropWhiteBalance, {"whitebalance", nullptr}, Codec::kLabels, kWhiteBalance, true},
    {kPropMeteringMode, {"exposuremetermode", nullptr}, Codec::kLabels, kMetering, true},
    {kPropAfMode, {"focusmode", nullptr}, Codec::kLabels, kFocusModes, true},
    {kPropImageQuality, {"imageformat", nullptr}, Codec::kLabels, kImageFormats, true},
    // Its times are kept in tenths, which its put does not bring back (config.c around 4665).
    {kPropTv, {"shutterspeed"}, Codec::kShutterSpeed, {}, true, Route::Put::kTenths},
};

}  // namespace

std::span<const Route> OlympusRoutes() {
    return kRoutes;
}

}  // namespace talbex::gphoto
