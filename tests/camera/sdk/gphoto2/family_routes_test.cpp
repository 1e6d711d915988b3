// Each family's settings texts, as libgphoto2 2.5.30's ptp2 driver shows them, become the
// windows' codes; a code written back lands on the text the family's put function takes.
// Every case names the config.c lines its text comes from.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "camera/sdk/gphoto2/families.h"

namespace talbex::gphoto {
namespace {

constexpr std::optional<uint32_t> kNone = std::nullopt;

// A text a body shows in a list, in libgphoto2's order, and the code it stands for.
struct Shown {
    SdkPropertyId id;
    const char* text;
    std::optional<uint32_t> code;
};

// A code the program writes and the choice of the same list the session then writes: the
// first one that stands for the code.
struct Written {
    SdkPropertyId id;
    uint32_t code;
    const char* text;
};

const Family& FamilyNamed(const std::string& name) {
    for (const Family* family : Families())
        if (name == family->name)
            return *family;
    ADD_FAILURE() << name;
    return GenericFamily();
}

void ExpectFamily(const char* name, const std::vector<Shown>& shown,
                  const std::vector<Written>& written) {
    const Family& family = FamilyNamed(name);
    for (const Shown& s : shown) {
        const Route* route = FindRoute(family, s.id);
        ASSERT_NE(route, nullptr) << name << std::hex << " 0x" << s.id;
        EXPECT_EQ(CodeOfText(*route, s.text), s.code) << name << " \"" << s.text << "\"";
    }
    for (const Written& w : written) {
        const Route& route = *FindRoute(family, w.id);
        const char* chosen = nullptr;
        for (const Shown& s : shown)
            if (s.id == w.id && CodeOfText(route, s.text) == w.code) {
                chosen = s.text;
                break;
            }
        ASSERT_NE(chosen, nullptr) << name << std::hex << " 0x" << w.code;
        EXPECT_STREQ(chosen, w.text) << name << std::hex << " 0x" << w.code;
    }
}

TEST(FamilyRoutesTest, EosTextsBecomeTheWindowsCodes) {
    const Family& eos = FamilyNamed("eos");
    EXPECT_STREQ(FindRoute(eos, kPropAeMode)->entries[0], "autoexposuremode");
    EXPECT_STREQ(FindRoute(eos, kPropShootingMode)->entries[0], "autoexposuremodedial");
    ExpectFamily("eos",
                 {
                     {kPropAeMode, "TV", 0x01},  // config.c around 2056
                     {kPropAeMode, "Manual", 0x03},
                     {kPropAeMode, "Green", 0x09},
                     {kPropAeMode, "C2", kNone},
                     {kPropAeMode, "Auto", 0x16},
                     {kPropAeMode, "Unknown value 001a", 0x1A},  // a mode the table has no name for
                     {kPropAeMode, "Grainy B/W", kNone},
                     {kPropShootingMode, "Manual", 0x03},
                     {kPropWhiteBalance, "Auto", 0x00},  // config.c around 5895
                     {kPropWhiteBalance, "Manual", 0x06},
                     {kPropWhiteBalance, "Unknown 7", kNone},
                     {kPropWhiteBalance, "Shadow", 0x08},
                     {kPropWhiteBalance, "Custom Whitebalance: PC-1", 0x0A},
                     {kPropWhiteBalance, "AWB White", kNone},
                     {kPropMeteringMode, "Center-weighted", kNone},  // config.c around 2347
                     {kPropMeteringMode, "Evaluative", 3},
                     {kPropMeteringMode, "Center-weighted average", 5},
                     {kPropMeteringMode, "Multi spot", kNone},
                     {kPropAfMode, "AI Focus", 2},  // eos_focusmodes, around 5859
                     {kPropAfMode, "Manual", 3},
                     {kPropDriveMode, "Single", 0x00},  // config.c around 2748
                     {kPropDriveMode, "Single: Silent shooting", 0x06},
                     {kPropDriveMode, "Continuous timer", 0x07},
                     {kPropDriveMode, "Timer 10 sec", 0x10},
                     {kPropDriveMode, "Super high speed continuous shooting", kNone},
                     {kPropDriveMode, "Single silent", 0x06},
                     {kPropImageQuality, "RAW", 0x0064FF0F},  // config.c around 2674
                     {kPropImageQuality, "cRAW", 0x0063FF0F},
                     {kPropImageQuality, "Small Fine JPEG", 0x0213FF0F},
                     {kPropImageQuality, "Smaller JPEG", 0x0F13FF0F},
                     {kPropImageQuality, "sRAW + Medium Normal JPEG", 0x02640112},
                     {kPropImageQuality, "cRAW + Large Fine JPEG", 0x00630013},
                     {kPropImageQuality, "RAW + Tiny JPEG", 0x00641013},
                     {kPropColorSpace, "AdobeRGB", 2},  // config.c around 4196
                     {kPropAv, "5", 0x2D},              // config.c around 6019
                     {kPropAv, "implicit auto", kNone},
                     {kPropTv, "10.3", 0x1D},  // config.c around 2374
                     {kPropTv, "0.3", 0x45},
                     {kPropTv, "auto", kNone},
                     {kPropIsoSpeed, "Auto", 0x00},  // config.c around 2627
                     {kPropIsoSpeed, "64", 0x43},
                     {kPropIsoSpeed, "819200", 0xB0},
                     {kPropIsoSpeed, "Factory Default", kNone},
                     {kPropExposureCompensation, "4.6", 0x25},  // config.c around 5950
                     {kPropExposureCompensation, "-3.3", 0xE5},
                     {kPropExposureCompensation, "0.6", 0x05},
                 },
                 {
                     {kPropDriveMode, 0x06, "Single: Silent shooting"},
                     {kPropImageQuality, 0x0213FF0F, "Small Fine JPEG"},
                 });
}

TEST(FamilyRoutesTest, NikonTextsBecomeTheWindowsCodes) {
    ASSERT_STREQ(FamilyOf("Nikon Corporation", [](const char*) { return false; }).name, "nikon");
    ExpectFamily(
        "nikon",
        {
            {kPropImageQuality, "JPEG Basic",
             0x0011FF0F},  // nikon_d850_compression, config.c around 6702
            {kPropImageQuality, "JPEG Fine", 0x0013FF0F},
            {kPropImageQuality, "JPEG Fine*", 0x0013FF0F},
            {kPropImageQuality, "TIFF", kNone},
            {kPropImageQuality, "NEF (Raw)", 0x0064FF0F},
            {kPropImageQuality, "NEF+Fine", 0x00640013},
            {kPropImageQuality, "NEF+Fine*", 0x00640013},
            {kPropTv, "1/8000", 0xA0},  // _get_Nikon_ShutterSpeed, around 4517
            {kPropTv, "10/25", 0x43},
            {kPropTv, "10/13", 0x3B},
            {kPropTv, "13/10", 0x35},
            {kPropTv, "x 200", kNone},
            {kPropTv, "Time", kNone},
            {kPropAeMode, "M", 0x03},  // exposure_program_modes, around 3736
            {kPropAeMode, "Auto", 0x09},
            {kPropAeMode, "Automatic (No Flash)", 0x0F},
            {kPropAeMode, "Night Landscape", kNone},
            {kPropAeMode, "Children", 0x1A},
            {kPropAeMode, "U1", 0x07},
            {kPropAeMode, "Effects", kNone},  // nikon_d7100_exposure_program_modes, around 4004
            {kPropWhiteBalance, "Automatic", 0x00},  // whitebalance, around 1451
            {kPropWhiteBalance, "Preset", 0x06},
            {kPropWhiteBalance, "Natural light auto", kNone},
            {kPropMeteringMode, "Center Weighted", 5},  // exposure_metering, around 4267
            {kPropMeteringMode, "Multi Spot", 3},
            {kPropMeteringMode, "Unknown value 8010", kNone},
            {kPropAfMode, "AF-S", 0},  // nikon_afmode, around 2321
            {kPropAfMode, "AF-A", 2},
            {kPropAfMode, "MF (fixed)", 3},
            {kPropAfMode, "MF (selection)", 3},
            {kPropDriveMode, "Burst", 0x01},  // capture_mode, around 4065
            {kPropDriveMode, "Continuous Low Speed", 0x05},
            {kPropDriveMode, "Timer", kNone},
            {kPropDriveMode, "Quiet Release", 0x06},
            {kPropIsoSpeed, "50", 0x40},             // _get_INT, around 1087
            {kPropIsoSpeed, "ISO Auto 6400", 0x00},  // nikon_1_iso, around 3885
            {kPropIsoSpeed, "110", kNone},
            {kPropExposureCompensation, "-0.666", 0xFB},  // _get_ExpCompensation, around 1579
            {kPropExposureCompensation, "4.333", 0x23},
            {kPropColorSpace, "AdobeRGB", 2},  // nikon_colorspace, around 4190
        },
        {
            {kPropImageQuality, 0x0013FF0F, "JPEG Fine"},
            {kPropAfMode, 3, "MF (fixed)"},
            {kPropTv, 0xA0, "1/8000"},
        });
    EXPECT_STREQ(FindRoute(FamilyNamed("nikon"), kPropAfMode)->entries[0], "focusmode2");
}

TEST(FamilyRoutesTest, SonyTextsBecomeTheWindowsCodes) {
    ExpectFamily(
        "sony",
        {
            {kPropIsoSpeed, "Auto ISO", 0x00},  // _stringify_Sony_ISO, config.c around 2985
            {kPropIsoSpeed, "80000", 0x95},
            {kPropIsoSpeed, "100 Multi Frame Noise Reduction", kNone},
            {kPropIsoSpeed, "Auto ISO Multi Frame Noise Reduction+", kNone},
            {kPropMeteringMode, "Multi", 3},  // exposure_metering, around 4267
            {kPropMeteringMode, "Center", 5},
            {kPropMeteringMode, "Spot Standard", 1},
            {kPropMeteringMode, "Entire Screen Avg.", kNone},
            {kPropImageQuality, "RAW+JPEG (X.Fine)",
             0x00640014},  // compressionsetting, around 6737
            {kPropImageQuality, "RAW+JPEG (Fine)", 0x00640013},
            {kPropImageQuality, "Extra Fine", 0x0014FF0F},
            {kPropImageQuality, "Fine", 0x0013FF0F},
            {kPropImageQuality, "Standard", 0x0012FF0F},
            {kPropImageQuality, "HEIF (Fine)", kNone},
            {kPropAfMode, "Automatic", 0},  // focusmodes, around 5810
            {kPropAfMode, "AF-A", 2},
            {kPropAfMode, "DMF", 0},
            {kPropAfMode, "Manual", 3},
            {kPropAeMode, "M", 0x03},  // exposure_program_modes, around 3736
            {kPropAeMode, "Intelligent Auto", 0x09},
            {kPropAeMode, "Movie (M)", 0x14},
            {kPropAeMode, "Sweep Panorama", kNone},
            {kPropDriveMode, "Single Shot", 0x00},  // capture_mode, around 4065
            {kPropDriveMode, "Continuous Low Speed", 0x05},
            {kPropDriveMode, "Continuous Med Speed", kNone},
            {kPropDriveMode, "Selftimer 10s", 0x10},
            {kPropDriveMode, "Selftimer 5s", kNone},
            {kPropDriveMode, "Selftimer 10s 3 Pictures", 0x07},
            {kPropWhiteBalance, "Automatic", 0x00},  // whitebalance, around 1451
            {kPropWhiteBalance, "Fluorescent: Warm White", 0x04},
            {kPropWhiteBalance, "Underwater: Auto", kNone},
            {kPropWhiteBalance, "Choose Color Temperature", 0x09},
            {kPropWhiteBalance, "Preset 2", 0x0F},
            {kPropAv, "f/4.5", 0x2B},    // _get_Sony_FNumber, around 3382
            {kPropTv, "1/32000", 0xB0},  // _get_Sony_ShutterSpeed, around 5104
            {kPropTv, "1/12500", 0xA5},
            {kPropTv, "25/10", 0x2D},
            {kPropTv, "Bulb", 0x0C},
            {kPropTv, "65535/65535", kNone},           // a value it has none for, around 5157
            {kPropExposureCompensation, "0.3", 0x03},  // _get_ExpCompensation, around 1579
            {kPropExposureCompensation, "-4.7", 0xDB},
        },
        {
            {kPropWhiteBalance, 0x04, "Fluorescent: Warm White"},
            {kPropAfMode, 0, "Automatic"},
        });
}

TEST(FamilyRoutesTest, FujifilmTextsBecomeTheWindowsCodes) {
    ExpectFamily("fujifilm",
                 {
                     {kPropAfMode, "Manual", 3},  // focusmodes, config.c around 5810
                     {kPropAfMode, "Single-Servo AF", 0},
                     {kPropAfMode, "Continuous-Servo AF", 1},
                     {kPropImageQuality, "RAW", 0x0064FF0F},  // fuji_imageformat, around 1519
                     {kPropImageQuality, "JPEG Fine", 0x0013FF0F},
                     {kPropImageQuality, "RAW + JPEG Fine", 0x00640013},
                     {kPropDriveMode, "Single frame", 0x00},  // fuji_releasemode, around 1541
                     {kPropDriveMode, "Continuous low speed", 0x05},
                     {kPropDriveMode, "Continuous high speed", 0x04},
                     {kPropDriveMode, "Self-timer", kNone},
                     {kPropTv, "1/32000", 0xB0},  // fuji_new_shutterspeed, around 5675
                     {kPropTv, "1/13000", 0xA5},
                     {kPropTv, "0.4s", 0x43},
                     {kPropTv, "60s", kNone},
                     {kPropTv, "2m", kNone},
                     {kPropTv, "1/1.3s", 0x3B},  // fuji_shutterspeed, around 5614
                     {kPropTv, "bulb", 0x0C},
                     {kPropAv, "f/2", 0x18},       // _get_FNumber, around 3265
                     {kPropAv, "5.6", 0x30},       // fuji_aperture, around 6078
                     {kPropIsoSpeed, "80", 0x45},  // _get_INT, around 1087
                     {kPropIsoSpeed, "-1", 0x00},
                     {kPropWhiteBalance, "Automatic", 0x00},  // whitebalance, around 1451
                     {kPropWhiteBalance, "Fluorescent Lamp 2", 0x04},
                     {kPropWhiteBalance, "Shade", 0x08},
                     {kPropWhiteBalance, "Preset Custom 3", 0x10},
                     {kPropWhiteBalance, "Unknown value 0008", kNone},
                     {kPropMeteringMode, "Average", kNone},  // exposure_metering, around 4267
                     {kPropMeteringMode, "Multi Spot", 3},
                     {kPropMeteringMode, "Spot", 1},
                     {kPropAeMode, "A", 0x02},  // exposure_program_modes, around 3736
                     {kPropAeMode, "Action", kNone},
                 },
                 {
                     {kPropIsoSpeed, 0x00, "-1"},
                     {kPropWhiteBalance, 0x04, "Fluorescent Lamp 2"},
                 });
}

TEST(FamilyRoutesTest, PanasonicTextsBecomeTheWindowsCodes) {
    const Family& panasonic = FamilyNamed("panasonic");
    EXPECT_STREQ(FindRoute(panasonic, kPropAeMode)->entries[0], "expmode");
    EXPECT_STREQ(FindRoute(panasonic, kPropAfMode)->entries[0], "afmode");
    ExpectFamily(
        "panasonic",
        {
            {kPropWhiteBalance, "Automatic", 0x00},  // panasonic_wbtable, config.c around 8898
            {kPropWhiteBalance, "Flourescent", 0x04},
            {kPropWhiteBalance, "Shadow", 0x08},
            {kPropWhiteBalance, "Temperature 2", 0x09},
            {kPropWhiteBalance, "White set", kNone},
            {kPropWhiteBalance, "Unknown 0x8016", kNone},
            {kPropAfMode, "AF", kNone},  // panasonic_aftable, around 9056
            {kPropAfMode, "MF", 3},
            {kPropAfMode, "AF_S", 0},
            {kPropAfMode, "AF_C", 1},
            {kPropAfMode, "AF_F", 2},
            {kPropAeMode, "P", 0x00},  // panasonic_rmodetable, around 9173
            {kPropAeMode, "A", 0x02},
            {kPropAeMode, "M", 0x03},
            {kPropImageQuality, "0", kNone},  // _get_Panasonic_ImageFormat, around 9544
            {kPropImageQuality, "3", kNone},
            {kPropAv, "4", 0x28},      // _get_Panasonic_FNumber, around 9481
            {kPropTv, "1/125", 0x70},  // _get_Panasonic_Shutter, around 8771
            {kPropTv, "1/3.2", 0x45},
            {kPropTv, "2.5", 0x2D},
            {kPropTv, "bulb", 0x0C},
            {kPropIsoSpeed, "3200", 0x70},                  // _get_Panasonic_ISO, around 8863
            {kPropExposureCompensation, "0.333333", 0x03},  // _get_Panasonic_Exposure, around 9386
            {kPropExposureCompensation, "-1.666667", 0xF3},
        },
        {
            {kPropAeMode, 0x03, "M"},
        });
}

TEST(FamilyRoutesTest, OlympusTextsBecomeTheWindowsCodes) {
    ExpectFamily(
        "olympus",
        {
            {kPropMeteringMode, "ESP", 3},  // exposure_metering, config.c around 4267
            {kPropMeteringMode, "Center Weighted", 5},
            {kPropMeteringMode, "Center Spot", 1},
            {kPropMeteringMode, "Spot+Highlights", kNone},
            {kPropAfMode, "Automatic", 0},  // focusmodes, around 5810
            {kPropAfMode, "S-AF+MF", 0},
            {kPropAfMode, "C-AF", 1},
            {kPropImageQuality, "RAW", 0x0064FF0F},  // olympus_imageformat, around 1528
            {kPropImageQuality, "Large Fine JPEG", 0x0013FF0F},
            {kPropImageQuality, "Large Fine JPEG+RAW", 0x00640013},
            {kPropImageQuality, "Medium Normal JPEG+RAW", 0x00640112},
            {kPropWhiteBalance, "Automatic", 0x00},  // olympus_whitebalance, around 1502
            {kPropWhiteBalance, "Shade", 0x08},
            {kPropWhiteBalance, "Underwater", kNone},
            {kPropWhiteBalance, "Preset 4", 0x12},
            {kPropWhiteBalance, "Custom", 0x09},
            {kPropAv, "5.6", 0x30},  // _get_Olympus_Aperture, around 5357
            {kPropAv, "22.0", 0x50},
            {kPropTv, "1/250", 0x78},  // _get_Olympus_ShutterSpeed, around 4603
            {kPropTv, "13/10", 0x35},
            {kPropTv, "60", kNone},
            {kPropTv, "Composite", kNone},
            {kPropIsoSpeed, "Auto", 0x00},  // _get_Olympus_ISO, around 2767
            {kPropIsoSpeed, "Low", kNone},
            {kPropIsoSpeed, "25600", 0x88},
            {kPropExposureCompensation, "-0.3", 0xFD},  // _get_Olympus_ExpCompensation, around 1642
            {kPropExposureCompensation, "1.7", 0x0D},
        },
        {
            {kPropAfMode, 0, "Automatic"},
        });
}

}  // namespace
}  // namespace talbex::gphoto
