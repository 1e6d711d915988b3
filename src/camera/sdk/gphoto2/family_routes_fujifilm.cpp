// Fujifilm's own routes: what its bodies show in entries of their own, or in the common
// entries with texts of their own. Its aperture ("f/2", or Fujifilm's own "aperture"
// entry's "5.6"), shutter speed ("1/32000", "1/1.3s", "0.4s", "bulb"; the minutes "2m" have
// no code) and exposure compensation are what the common codecs read.
#include "camera/sdk/gphoto2/families.h"

namespace talbex::gphoto {

namespace {

// config.c's exposure_program_modes around 3736, the standard's values only: what Fujifilm
// bodies mean by the standard's "Action" is not told, so it has no code.
constexpr Label kExposurePrograms[] = {
    {"M", 0x03}, {"P", 0x00}, {"A", 0x02}, {"S", 0x01}, {"Portrait", 0x0C},
};

// The standard's exposure index as a number (config.c's _get_INT around 1087); the body's
// three automatic settings are the negative ones.
constexpr Label kIsoSpeeds[] = {{"-1", 0x00}, {"-2", 0x00}, {"-3", 0x00}};

// config.c's whitebalance around 1451: the standard's values and Fujifilm's. Its five
// fluorescent lamps are the windows' Fluorescent, its custom presets its Manual 1–5.
constexpr Label kWhiteBalance[] = {
    {"Automatic", 0x00},
    {"Daylight", 0x01},
    {"Tungsten", 0x03},
    {"Fluorescent", 0x04},
    {"Fluorescent Lamp 1", 0x04},
    {"Fluorescent Lamp 2", 0x04},
    {"Fluorescent Lamp 3", 0x04},
    {"Fluorescent Lamp 4", 0x04},
    {"Fluorescent Lamp 5", 0x04},
    {"Flash", 0x05},
    {"Manual", 0x06},
    {"Preset Custom 1", 0x06},
    {"Preset Custom 2", 0x0F},
    {"Preset Custom 3", 0x10},
    {"Preset Custom 4", 0x12},
    {"Preset Custom 5", 0x13},
    {"Shade", 0x08},
    {"Choose Color Temperature", 0x09},
};

// config.c's exposure_metering around 4267; "Average" has no code.
constexpr Label kMetering[] = {
    {"Multi Spot", 3},
    {"Center Weighted", 5},
    {"Center Spot", 1},
    {"Spot", 1},
};

// config.c's focusmodes around 5810.
constexpr Label kFocusModes[] = {
    {"Single-Servo AF", 0},
    {"Continuous-Servo AF", 1},
    {"Manual", 3},
};

// The standard's still capture mode (config.c's capture_mode around 4065), which comes
// first where a body has both, and Fujifilm's release mode (fuji_releasemode around
// 1541). The self-timer's delay is not told, and the mirror-up release has no code.
constexpr Label kReleaseModes[] = {
    {"Single Shot", 0x00},           {"Burst", 0x01},
    {"Single frame", 0x00},          {"Continuous low speed", 0x05},
    {"Continuous high speed", 0x04},
};

// config.c's fuji_imageformat around 1519. The picture size is an entry of its own, so a
// JPEG reads as the large one.
constexpr Label kImageFormats[] = {
    {"RAW", 0x0064FF0F},
    {"JPEG Fine", 0x0013FF0F},
    {"JPEG Normal", 0x0012FF0F},
    {"RAW + JPEG Fine", 0x00640013},
    {"RAW + JPEG Normal", 0x00640012},
};

constexpr Route kRoutes[] = {
    {kPropAeMode, {"expprogram", nullptr}, Codec::kLabels, kExposurePrograms, true},
    {kPropShootingMode, {"expprogram", nullptr}, Codec::kLabels, kExposurePrograms, false},
    {kPropIsoSpeed, {"iso", nullptr}, Codec::kIso, kIsoSpeeds, true},
    {kPropWhiteBalance, {"whitebalance", nullptr}, Codec::kLabels, kWhiteBalance, true},
    {kPropMeteringMode, {"exposuremetermode", nullptr}, Codec::kLabels, kMetering, true},
    {kPropAfMode, {"focusmode", nullptr}, Codec::kLabels, kFocusModes, true},
    {kPropDriveMode, {"capturemode", nullptr}, Codec::kLabels, kReleaseModes, true},
    {kPropImageQuality, {"imageformat", nullptr}, Codec::kLabels, kImageFormats, true},
};

}  // namespace

std::span<const Route> FujifilmRoutes() {
    return kRoutes;
}

}  // namespace talbex::gphoto
