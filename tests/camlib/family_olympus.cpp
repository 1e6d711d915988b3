// An Olympus body of the line libgphoto2 2.5.30 drives with its own operations (the
// "OMD" vendor id it assigns, library.c around 388), as 2.5.30 presents it:
//  - actions: manualfocusdrive Near/Far 1-3 (config.c around 10445, 7674-7720); no
//    autofocus drive, no viewfinder entry;
//  - settings: datetime (the standard's);
//  - status: the device texts, batterylevel;
//  - image: imageformat "Large Fine JPEG+RAW", ... (0xD00D, around 1528), iso with "Auto"
//    and "Low" (0xD007, around 2767), whitebalance from its own table (0xD01E, around 1503);
//  - capture: exposurecompensation (0xD008, around 1642), focusmode "S-AF+MF", "C-AF"
//    (0xD003, around 5821), expprogram (the standard's), exposuremetermode "ESP", ...
//    (0xD004, labelled "Focus Metering Mode" by ptp2, around 10727 and 4273), aperture
//    "%.1f" (0xD002, around 5357), shutterspeed (0xD01C, around 4603).
// Pictures: library.c's camera_olympus_omd_capture (around 5411) and its event wait
// (around 7070): onto the card, announced by their own names. Preview around 3852.
#include "family_builders.h"

namespace tcam {

const Family& OlympusFamily() {
    static const Table whiteBalance = {
        {"Automatic", 0x0001},  {"Daylight", 0x0002}, {"Shade", 0x0003},
        {"Cloudy", 0x0004},     {"Tungsten", 0x0005}, {"Fluorescent", 0x0006},
        {"Underwater", 0x0007}, {"Flash", 0x0008},    {"Preset 1", 0x0009},
        {"Preset 2", 0x000a},   {"Preset 3", 0x000b}, {"Preset 4", 0x000c},
        {"Custom", 0x000d}};
    static const Table focus = Join({kFocusModeRows, {{"C-AF", 0x8002}, {"S-AF+MF", 0x8001}}});
    static const Table program = kExposureProgramRows;
    static const Table metering = Join(
        {kMeteringRows, {{"ESP", 0x8001}, {"Spot+Highlights", 0x8011}, {"Spot+Shadows", 0x8012}}});
    static const Table format = {{"RAW", 0x020},
                                 {"Large Fine JPEG", 0x101},
                                 {"Large Normal JPEG", 0x102},
                                 {"Medium Normal JPEG", 0x103},
                                 {"Small Normal JPEG", 0x104},
                                 {"Large Fine JPEG+RAW", 0x121},
                                 {"Large Normal JPEG+RAW", 0x122},
                                 {"Medium Normal JPEG+RAW", 0x123},
                                 {"Small Normal JPEG+RAW", 0x124}};
    static const Family family = [] {
        Family f{"olympus",
                 Kind::kOlympus,
                 "Talbex Test O1",
                 "1.0",
                 nullptr,
                 "BHJ502718",
                 "P101%04d.JPG",
                 true,
                 {},
                 {},
                 {}};
        auto speed = [](int num, int den) { return (static_cast<int64_t>(num) << 16) | den; };
        f.properties = {
            Range(0x5001, Type::kU8, 0, 100, 1, 60, false, "Battery Level"),
            Enum(0x500E, Type::kU16, {1, 2, 3, 4}, 2, false, "Exposure Program Mode"),
            Text(0x5011, "", true, "Date & Time"),
            Enum(0xD002, Type::kU16, {28, 35, 40, 56, 80, 110, 160, 220}, 56),
            Enum(0xD003, Type::kU16, {2, 0x8001, 0x8002, 1}, 2),
            Enum(0xD004, Type::kU16, {0x8001, 2, 4, 0x8011, 0x8012}, 0x8001),
            Enum(0xD007, Type::kU16, {0xffff, 0xfffd, 200, 400, 800, 1600, 3200, 6400}, 0xffff),
            Enum(
                0xD008, Type::kU16,
                {static_cast<uint16_t>(-2000), static_cast<uint16_t>(-1000),
                 static_cast<uint16_t>(-700), static_cast<uint16_t>(-300), 0, 300, 700, 1000, 2000},
                0),
            Enum(0xD00D, Type::kU16, {0x101, 0x102, 0x103, 0x020, 0x121}, 0x101),
            Enum(0xD01C, Type::kU32,
                 {0xfffffffc, speed(600, 10), speed(10, 10), speed(10, 20), speed(10, 40),
                  speed(10, 80), speed(10, 150), speed(10, 300), speed(10, 600), speed(10, 1250),
                  speed(10, 2500), speed(10, 5000), speed(10, 10000), speed(10, 40000)},
                 speed(10, 1250)),
            Enum(0xD01E, Type::kU16, {1, 2, 3, 4, 5, 6, 8}, 1),
        };
        auto& e = f.entries;
        e.push_back(Virtual(Section::kActions, "manualfocusdrive", "Drive Olympus OMD Manual focus",
                            Codec::kMfDriveNearFar3));
        e.push_back(Listed(Section::kSettings, "datetime", "Camera Date and Time",
                           Codec::kDateString, 0x5011));
        AddDeviceTexts(&e);
        e.push_back(
            Listed(Section::kStatus, "batterylevel", "Battery Level", Codec::kBattery, 0x5001));
        e.push_back(
            Listed(Section::kImage, "imageformat", "Image Format", Codec::kTable, 0xD00D, &format));
        e.push_back(Listed(Section::kImage, "iso", "ISO Speed", Codec::kOlympusIso, 0xD007));
        e.push_back(Listed(Section::kImage, "whitebalance", "WhiteBalance", Codec::kTable, 0xD01E,
                           &whiteBalance));
        e.push_back(Listed(Section::kCapture, "exposurecompensation", "Exposure Compensation",
                           Codec::kExpComp, 0xD008));
        e.push_back(
            Listed(Section::kCapture, "focusmode", "Focus Mode", Codec::kTable, 0xD003, &focus));
        e.push_back(Listed(Section::kCapture, "expprogram", "Exposure Program", Codec::kTable,
                           0x500E, &program));
        e.push_back(Listed(Section::kCapture, "exposuremetermode", "Focus Metering Mode",
                           Codec::kTable, 0xD004, &metering));
        e.push_back(
            Listed(Section::kCapture, "aperture", "Aperture", Codec::kOlympusAperture, 0xD002));
        e.push_back(Listed(Section::kCapture, "shutterspeed", "Shutter Speed",
                           Codec::kOlympusShutter, 0xD01C));
        return f;
    }();
    return family;
}

}  // namespace tcam
