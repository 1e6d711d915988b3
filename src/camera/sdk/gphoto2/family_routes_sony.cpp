// Sony's own routes: what its bodies show in entries of their own, or in the common
// entries with texts of their own. Its aperture ("f/5.6"), shutter speed ("1/32000",
// "25/10", "Bulb"), ISO ("Auto ISO", "100") and exposure compensation ("-0.3", "4.7") are
// what the common codecs read; the noise-reducing ISO settings ("100 Multi Frame Noise
// Reduction") are settings of their own, with no code.
#include "camera/sdk/gphoto2/families.h"

namespace talbex::gphoto {

namespace {

// config.c's exposure_program_modes around 3736: the standard's values and Sony's. The
// automatic modes are the windows' Auto, the movie modes its Movies; the scenes the
// windows do not know ("Sunset", "Hand-held Twilight", "Sweep Panorama") have no code.
constexpr Label kExposurePrograms[] = {
    {"M", 0x03},
    {"P", 0x00},
    {"A", 0x02},
    {"S", 0x01},
    {"Action", 0x0B},
    {"Portrait", 0x0C},
    {"Intelligent Auto", 0x09},
    {"Superior Auto", 0x09},
    {"Intelligent Auto Flash Off", 0x0F},
    {"Sports Action", 0x0B},
    {"Macro", 0x0E},
    {"Landscape", 0x0D},
    {"Night Portrait", 0x0A},
    {"Movie (P)", 0x14},
    {"Movie (A)", 0x14},
    {"Movie (S)", 0x14},
    {"Movie (M)", 0x14},
    {"Movie (Scene)", 0x14},
};

// config.c's whitebalance around 1451. The four fluorescent lamps are the windows'
// Fluorescent, the registered presets its Manual 1–3.
constexpr Label kWhiteBalance[] = {
    {"Automatic", 0x00},
    {"Daylight", 0x01},
    {"Cloudy", 0x02},
    {"Tungsten", 0x03},
    {"Fluorescent", 0x04},
    {"Fluorescent: Warm White", 0x04},
    {"Fluorescent: Cold White", 0x04},
    {"Fluorescent: Day White", 0x04},
    {"Fluorescent: Daylight", 0x04},
    {"Flash", 0x05},
    {"Manual", 0x06},
    {"Preset", 0x06},
    {"Preset 1", 0x06},
    {"Preset 2", 0x0F},
    {"Preset 3", 0x10},
    {"Shade", 0x08},
    {"Choose Color Temperature", 0x09},
};

// config.c's exposure_metering around 4267; "Entire Screen Avg." and "Highlight" have no
// code.
constexpr Label kMetering[] = {
    {"Multi", 3},      {"Center", 5},          {"Spot Standard", 1}, {"Spot Large", 1},
    {"Multi Spot", 3}, {"Center Weighted", 5}, {"Center Spot", 1},
};

// config.c's focusmodes around 5810: the standard's automatic focus is Sony's single AF;
// direct manual focus is single AF that the ring may correct.
constexpr Label kFocusModes[] = {
    {"Automatic", 0}, {"AF-C", 1}, {"AF-A", 2}, {"DMF", 0}, {"Manual", 3},
};

// config.c's capture_mode around 4065. Burst is the high continuous speed, Hi+ the
// fastest; the middle speed, the 5 s timer and the brackets have no code.
constexpr Label kCaptureModes[] = {
    {"Single Shot", 0x00},
    {"Burst", 0x01},
    {"Continuous Hi+ Speed", 0x04},
    {"Continuous Low Speed", 0x05},
    {"Selftimer 10s", 0x10},
    {"Selftimer 2s", 0x11},
    {"Selftimer 10s 3 Pictures", 0x07},
    {"Selftimer 10s 5 Pictures", 0x07},
};

// config.c's compressionsetting around 6737 and the QX models' table around 6767. The
// picture size is an entry of its own, so a JPEG reads as the large one; Light is the
// step below normal, Extra Fine the step above fine. HEIF has no code.
constexpr Label kQualities[] = {
    {"Light", 0x0011FF0F},
    {"Standard", 0x0012FF0F},
    {"Fine", 0x0013FF0F},
    {"Extra Fine", 0x0014FF0F},
    {"RAW", 0x0064FF0F},
    {"RAW+JPEG (Light)", 0x00640011},
    {"RAW+JPEG (Std)", 0x00640012},
    {"RAW+JPEG (Fine)", 0x00640013},
    {"RAW+JPEG (X.Fine)", 0x00640014},
    {"RAW+JPEG", 0x00640013},
};

constexpr Route kRoutes[] = {
    {kPropAeMode, {"expprogram", nullptr}, Codec::kLabels, kExposurePrograms, true},
    {kPropShootingMode, {"expprogram", nullptr}, Codec::kLabels, kExposurePrograms, false},
    {kPropWhiteBalance, {"whitebalance", nullptr}, Codec::kLabels, kWhiteBalance, true},
    {kPropMeteringMode, {"exposuremetermode", nullptr}, Codec::kLabels, kMetering, true},
    {kPropAfMode, {"focusmode", nullptr}, Codec::kLabels, kFocusModes, true},
    {kPropDriveMode, {"capturemode", nullptr}, Codec::kLabels, kCaptureModes, true},
    {kPropImageQuality, {"imagequality", nullptr}, Codec::kLabels, kQualities, true},
};

}  // namespace

std::span<const Route> SonyRoutes() {
    return kRoutes;
}

}  // namespace talbex::gphoto
