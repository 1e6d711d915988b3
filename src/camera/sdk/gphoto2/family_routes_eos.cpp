// The eos… family's own routes: what its bodies show in entries of their own, or in the
// common entries with texts of their own. Its aperture, shutter speed, ISO and exposure
// compensation are numbers the common codecs read ("5.6", "1/125", "10.3", "Auto", "4.6"),
// in the common entries "aperture", "shutterspeed", "iso" and "exposurecompensation".
#include "camera/sdk/gphoto2/families.h"

namespace talbex::gphoto {

namespace {

// The exposure mode (config.c's table around 2056). The body numbers its modes as the
// windows do, so the modes libgphoto2 has no name for keep their code: its "Unknown value
// 001a" is the body's mode 0x1A. The standard's letters serve a body that shows the
// standard's exposure program instead.
constexpr Label kExposureModes[] = {
    {"P", 0x00},
    {"TV", 0x01},
    {"AV", 0x02},
    {"Manual", 0x03},
    {"Bulb", 0x04},
    {"A_DEP", 0x05},
    {"DEP", 0x06},
    {"Custom", 0x07},  // camera settings registered
    {"Lock", 0x08},
    {"Green", 0x09},  // full auto
    {"Night Portrait", 0x0A},
    {"Sports", 0x0B},
    {"Portrait", 0x0C},
    {"Landscape", 0x0D},
    {"Closeup", 0x0E},
    {"Flash Off", 0x0F},
    {"Creative Auto", 0x13},
    {"Movie", 0x14},
    {"Unknown value 0015", 0x15},  // photo in movie
    {"Auto", 0x16},                // scene intelligent auto
    {"HDR Backlight Control", 0x18},
    {"Unknown value 001a", 0x1A},  // children
    {"Food", 0x1B},
    {"Unknown value 001c", 0x1C},  // candlelight portraits
    {"M", 0x03},
    {"A", 0x02},
    {"S", 0x01},
};

// config.c's white balance table around 5895: the body's numbers are the windows' codes.
constexpr Label kWhiteBalance[] = {
    {"Auto", 0x00},
    {"Daylight", 0x01},
    {"Cloudy", 0x02},
    {"Tungsten", 0x03},
    {"Fluorescent", 0x04},
    {"Flash", 0x05},
    {"Manual", 0x06},
    {"Shadow", 0x08},  // the windows' Shade
    {"Color Temperature", 0x09},
    {"Custom Whitebalance: PC-1", 0x0A},
    {"Custom Whitebalance: PC-2", 0x0B},
    {"Custom Whitebalance: PC-3", 0x0C},
    {"Manual 2", 0x0F},
    {"Manual 3", 0x10},
    {"Manual 4", 0x12},
    {"Manual 5", 0x13},
    {"Custom Whitebalance: PC-4", 0x14},
    {"Custom Whitebalance: PC-5", 0x15},
};

// config.c's metering table around 2347. Its "Center-weighted" (0) is not the
// center-weighted average (5), and "Average" and "Multi spot" have no code.
constexpr Label kMetering[] = {
    {"Spot", 1},
    {"Evaluative", 3},
    {"Partial", 4},
    {"Center-weighted average", 5},
};

// config.c's eos_focusmodes around 5859.
constexpr Label kFocusModes[] = {
    {"One Shot", 0},
    {"AI Servo", 1},
    {"AI Focus", 2},
    {"Manual", 3},
};

// config.c's drive table around 2748; the super high speed and silent continuous modes
// have no code.
constexpr Label kDriveModes[] = {
    {"Single", 0x00},
    {"Continuous", 0x01},
    {"Video", 0x02},
    {"Continuous high speed", 0x04},
    {"Continuous low speed", 0x05},
    {"Single: Silent shooting", 0x06},
    {"Single silent", 0x06},
    {"Continuous timer", 0x07},
    {"Timer 10 sec", 0x10},
    {"Timer 2 sec", 0x11},
};

// config.c's image format table around 2674 (the body's own numbers are packed
// otherwise, ptp-pack.c around 1675). "Smaller" and "Tiny" are the second and third small
// sizes; the body's first small size and its older small size share one text, the small
// size's code.
constexpr Label kImageFormats[] = {
    {"RAW", 0x0064FF0F},
    {"mRAW", 0x0164FF0F},
    {"sRAW", 0x0264FF0F},
    {"cRAW", 0x0063FF0F},
    {"Large Fine JPEG", 0x0013FF0F},
    {"Large Normal JPEG", 0x0012FF0F},
    {"Medium Fine JPEG", 0x0113FF0F},
    {"Medium Normal JPEG", 0x0112FF0F},
    {"Small Fine JPEG", 0x0213FF0F},
    {"Small Normal JPEG", 0x0212FF0F},
    {"Smaller JPEG", 0x0F13FF0F},
    {"Tiny JPEG", 0x1013FF0F},
    {"RAW + Large Fine JPEG", 0x00640013},
    {"mRAW + Large Fine JPEG", 0x01640013},
    {"sRAW + Large Fine JPEG", 0x02640013},
    {"cRAW + Large Fine JPEG", 0x00630013},
    {"RAW + Medium Fine JPEG", 0x00640113},
    {"mRAW + Medium Fine JPEG", 0x01640113},
    {"sRAW + Medium Fine JPEG", 0x02640113},
    {"cRAW + Medium Fine JPEG", 0x00630113},
    {"RAW + Small Fine JPEG", 0x00640213},
    {"mRAW + Small Fine JPEG", 0x01640213},
    {"sRAW + Small Fine JPEG", 0x02640213},
    {"cRAW + Small Fine JPEG", 0x00630213},
    {"RAW + Large Normal JPEG", 0x00640012},
    {"mRAW + Large Normal JPEG", 0x01640012},
    {"sRAW + Large Normal JPEG", 0x02640012},
    {"cRAW + Large Normal JPEG", 0x00630012},
    {"RAW + Medium Normal JPEG", 0x00640112},
    {"mRAW + Medium Normal JPEG", 0x01640112},
    {"sRAW + Medium Normal JPEG", 0x02640112},
    {"cRAW + Medium Normal JPEG", 0x00630112},
    {"RAW + Small Normal JPEG", 0x00640212},
    {"mRAW + Small Normal JPEG", 0x01640212},
    {"sRAW + Small Normal JPEG", 0x02640212},
    {"cRAW + Small Normal JPEG", 0x00630212},
    {"RAW + Smaller JPEG", 0x00640F13},
    {"mRAW + Smaller JPEG", 0x01640F13},
    {"sRAW + Smaller JPEG", 0x02640F13},
    {"cRAW + Smaller JPEG", 0x00630F13},
    {"RAW + Tiny JPEG", 0x00641013},
    {"mRAW + Tiny JPEG", 0x01641013},
    {"sRAW + Tiny JPEG", 0x02641013},
};

// Entries of config.c's camera_status_menu, camera_settings_menu, image_settings_menu and
// capture_settings_menu for the family.
constexpr Route kRoutes[] = {
    // The device information's serial is 32 hexadecimal characters; the body's own
    // serial is an entry of its own (config.c's camera_status_menu).
    {kPropBodySerial, {"eosserialnumber", "serialnumber"}, Codec::kText, {}, false},
    // Its "datetime" goes through libgphoto2's own time-zone conversion (config.c around
    // 7191–7240); the UTC entry does not.
    {kPropDateTime, {"datetimeutc", "datetime"}, Codec::kDateTime, {}, true},
    // No standard exposure program: the mode is the body's, and the mode dial, where the
    // body has one, is the shooting mode.
    {kPropAeMode, {"autoexposuremode", "expprogram"}, Codec::kLabels, kExposureModes, true},
    {kPropShootingMode,
     {"autoexposuremodedial", "autoexposuremode", "expprogram"},
     Codec::kLabels,
     kExposureModes,
     false},
    {kPropWhiteBalance, {"whitebalance", nullptr}, Codec::kLabels, kWhiteBalance, true},
    {kPropMeteringMode, {"meteringmode", nullptr}, Codec::kLabels, kMetering, true},
    {kPropAfMode, {"focusmode", nullptr}, Codec::kLabels, kFocusModes, true},
    {kPropDriveMode, {"drivemode", nullptr}, Codec::kLabels, kDriveModes, true},
    // Bodies with two card slots may keep a format per card instead.
    {kPropImageQuality,
     {"imageformat", "imageformatsd", "imageformatcf"},
     Codec::kLabels,
     kImageFormats,
     true},
};

}  // namespace

std::span<const Route> EosRoutes() {
    return kRoutes;
}

}  // namespace talbex::gphoto
