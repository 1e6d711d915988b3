// Nikon's own routes: what its bodies show in entries of their own, or in the common
// entries with texts of their own. Its aperture ("f/5.6"), ISO ("100", Nikon 1's "ISO Auto
// 6400") and exposure compensation ("-0.666", up to ±5) are what the common codecs read.
#include "camera/sdk/gphoto2/families.h"

namespace talbex::gphoto {

namespace {

// The standard's exposure program with Nikon's values (config.c's exposure_program_modes
// around 3736 and the per-model tables around 4004 and 4023), and Nikon 1's own
// (around 4040). The user modes U1–U3 are registered settings; scenes the windows do not
// know ("Night Landscape", "Scene", "Effects") have no code.
constexpr Label kExposurePrograms[] = {
    {"M", 0x03},
    {"P", 0x00},
    {"A", 0x02},
    {"S", 0x01},
    {"Action", 0x0B},
    {"Auto", 0x09},
    {"Portrait", 0x0C},
    {"Landscape", 0x0D},
    {"Macro", 0x0E},
    {"Sports", 0x0B},
    {"Night Portrait", 0x0A},
    {"Children", 0x1A},
    {"Automatic (No Flash)", 0x0F},
    {"No Flash", 0x0F},
    {"U1", 0x07},
    {"U2", 0x07},
    {"U3", 0x07},
};

// config.c's whitebalance around 1451 (the standard's values and Nikon's) and Nikon 1's
// around 3923. "Preset" is the white balance measured from a white card.
constexpr Label kWhiteBalance[] = {
    {"Automatic", 0x00},
    {"Auto", 0x00},
    {"Daylight", 0x01},
    {"Cloudy", 0x02},
    {"Tungsten", 0x03},
    {"Fluorescent", 0x04},
    {"Flash", 0x05},
    {"Preset", 0x06},
    {"Manual", 0x06},
    {"Shade", 0x08},
    {"Color Temperature", 0x09},
};

// config.c's exposure_metering around 4267: matrix metering is the standard's multi-spot.
constexpr Label kMetering[] = {
    {"Multi Spot", 3},
    {"Center Weighted", 5},
    {"Center Spot", 1},
};

// config.c's nikon_afmode around 2321 ("focusmode2"), then the standard's focus mode
// with Nikon's values (focusmodes around 5810), read-only on many bodies.
constexpr Label kFocusModes[] = {
    {"AF-S", 0}, {"AF-C", 1}, {"AF-A", 2}, {"MF (fixed)", 3}, {"MF (selection)", 3}, {"Manual", 3},
};

// config.c's capture_mode around 4065. The timer's delay is a setting of its own, so
// "Timer" has no code of the windows' timers.
constexpr Label kCaptureModes[] = {
    {"Single Shot", 0x00},
    {"Burst", 0x01},
    {"Continuous Low Speed", 0x05},
    {"Quiet Release", 0x06},
};

// Image quality (config.c's compression tables around 6660–6765, one per body; "*" marks
// the optimal-quality variant of the same compression). The picture size is an entry of
// its own on these bodies, so a JPEG reads as the large one. Basic JPEG is a step below
// normal; TIFF has no code.
constexpr Label kQualities[] = {
    {"JPEG Basic", 0x0011FF0F},   {"JPEG Basic*", 0x0011FF0F}, {"JPEG Normal", 0x0012FF0F},
    {"JPEG Normal*", 0x0012FF0F}, {"JPEG Fine", 0x0013FF0F},   {"JPEG Fine*", 0x0013FF0F},
    {"NEF (Raw)", 0x0064FF0F},    {"NEF+Basic", 0x00640011},   {"NEF+Basic*", 0x00640011},
    {"NEF+Normal", 0x00640012},   {"NEF+Normal*", 0x00640012}, {"NEF+Fine", 0x00640013},
    {"NEF+Fine*", 0x00640013},
};

constexpr Route kRoutes[] = {
    // The standard's exposure time prints as "%0.4fs", so the fastest speeds collapse
    // onto one another; Nikon's own entry gives the exact fraction ("1/8000", "13/10").
    {kPropTv, {"shutterspeed2", "shutterspeed"}, Codec::kShutterSpeed, {}, true},
    // Nikon 1 bodies keep theirs in entries of their own.
    {kPropAeMode, {"expprogram", "expprogram2"}, Codec::kLabels, kExposurePrograms, true},
    {kPropShootingMode, {"expprogram", "expprogram2"}, Codec::kLabels, kExposurePrograms, false},
    {kPropWhiteBalance, {"whitebalance", nullptr}, Codec::kLabels, kWhiteBalance, true},
    {kPropMeteringMode, {"exposuremetermode", nullptr}, Codec::kLabels, kMetering, true},
    {kPropAfMode, {"focusmode2", "focusmode"}, Codec::kLabels, kFocusModes, true},
    {kPropDriveMode, {"capturemode", nullptr}, Codec::kLabels, kCaptureModes, true},
    {kPropImageQuality, {"imagequality", "imagequality2"}, Codec::kLabels, kQualities, true},
};

}  // namespace

std::span<const Route> NikonRoutes() {
    return kRoutes;
}

}  // namespace talbex::gphoto
