// A Sony body driven through its control operations (SetControlDeviceB), as libgphoto2
// 2.5.30 presents it:
//  - actions: autofocus (the half press), manualfocus (a range of -7 to 7) and capture (the
//    full press), config.c around 10425-10427 and 8582-8680;
//  - settings: capturetarget, the body's own property 0xD222 with the untranslated choices
//    "sdram", "card", "card+sdram" in the body's order 1, 17, 16 (around 10562 and 9778,
//    ptp.h's note at 0xD222); a written "Internal RAM" is no choice of it and is refused.
//    No clock: the body lists no date and time;
//  - status: the device texts (its serial zero-padded to 32 digits), batterylevel (0xD218,
//    around 7093);
//  - image: iso with "Auto ISO" (0xD21E, around 2985-3084), whitebalance with the Sony rows;
//  - capture: exposurecompensation (around 10651), f-number (10688), imagequality
//    "Standard", "Fine", "Extra Fine", ... (around 6749), focusmode, expprogram (the dial:
//    read-only), capturemode, exposuremetermode "Multi", "Center", "Spot Standard", ...
//    (around 4276), shutterspeed (0xD20D, around 5104).
// Pictures: library.c's camera_sony_capture (around 4774) and its event wait (around 6790)
// hand over only the picture in the body's memory, as "/capt0000.jpg"; a copy on the card
// stays there under the body's own name and is never announced.
#include "family_builders.h"

namespace tcam {

const Family& SonyFamily() {
    static const Table whiteBalance = Join({kWhiteBalanceRows,
                                            {{"Shade", 0x8011},
                                             {"Cloudy", 0x8010},
                                             {"Fluorescent: Warm White", 0x8001},
                                             {"Fluorescent: Cold White", 0x8002},
                                             {"Fluorescent: Day White", 0x8003},
                                             {"Fluorescent: Daylight", 0x8004},
                                             {"Choose Color Temperature", 0x8012},
                                             {"Preset 1", 0x8020},
                                             {"Preset 2", 0x8021},
                                             {"Preset 3", 0x8022},
                                             {"Preset", 0x8023},
                                             {"Underwater: Auto", 0x8030}}});
    static const Table focus =
        Join({kFocusModeRows, {{"AF-A", 0x8005}, {"AF-C", 0x8004}, {"DMF", 0x8006}}});
    static const Table program = Join({kExposureProgramRows,
                                       {{"Intelligent Auto", 0x8000},
                                        {"Superior Auto", 0x8001},
                                        {"Movie (P)", 0x8050},
                                        {"Movie (A)", 0x8051},
                                        {"Movie (S)", 0x8052},
                                        {"Movie (M)", 0x8053},
                                        {"Sports Action", 0x8011},
                                        {"Macro", 0x8015},
                                        {"Landscape", 0x8014},
                                        {"Sunset", 0x8012},
                                        {"Night Scene", 0x8013},
                                        {"Night Portrait", 0x8017}}});
    static const Table drive = Join({kCaptureModeRows,
                                     {{"Continuous Low Speed", 0x8012},
                                      {"Selftimer 2s", 0x8005},
                                      {"Selftimer 5s", 0x8003},
                                      {"Selftimer 10s", 0x8004},
                                      {"Continuous Hi+ Speed", 0x8010},
                                      {"Continuous Med Speed", 0x8015}}});
    static const Table metering = Join({kMeteringRows,
                                        {{"Multi", 0x8001},
                                         {"Center", 0x8002},
                                         {"Entire Screen Avg.", 0x8003},
                                         {"Spot Standard", 0x8004},
                                         {"Spot Large", 0x8005},
                                         {"Highlight", 0x8006}}});
    static const Table quality = {{"Light", 0x01},
                                  {"Standard", 0x02},
                                  {"Fine", 0x03},
                                  {"Extra Fine", 0x04},
                                  {"RAW", 0x10},
                                  {"RAW+JPEG (Light)", 0x11},
                                  {"RAW+JPEG (Std)", 0x12},
                                  {"RAW+JPEG (Fine)", 0x13},
                                  {"RAW+JPEG (X.Fine)", 0x14}};
    static const Table target = {{"sdram", 0x0001}, {"card", 0x0010}, {"card+sdram", 0x0011}};
    static const Family family = [] {
        Family f{"sony",
                 Kind::kSony,
                 "Talbex Test S1",
                 "1.00",
                 "Sony PTP Extensions",
                 "3141592",
                 "DSC%05d.JPG",
                 true,
                 {},
                 {},
                 {}};
        auto speed = [](int num, int den) { return (static_cast<int64_t>(num) << 16) | den; };
        f.properties = {
            Enum(0x5004, Type::kU8, {0x02, 0x03, 0x04, 0x10, 0x13}, 0x04, true,
                 "Compression Setting"),
            Enum(0x5005, Type::kU16, {2, 4, 0x8011, 0x8010, 6, 5, 7}, 2, true, "White Balance"),
            Enum(0x5007, Type::kU16, {280, 350, 400, 560, 800, 1100, 1600, 2200}, 400, true,
                 "F-Number"),
            Enum(0x500A, Type::kU16, {2, 0x8004, 0x8005, 0x8006, 1}, 2, true, "Focus Mode"),
            Enum(0x500B, Type::kU16, {0x8001, 0x8002, 0x8003, 0x8004, 0x8005, 0x8006}, 0x8001, true,
                 "Exposure Metering Mode"),
            Enum(0x500E, Type::kU16, {1, 2, 3, 4, 0x8000}, 1, false, "Exposure Program Mode"),
            Enum(0x5010, Type::kI16,
                 {-3000, -2000, -1000, -700, -300, 0, 300, 700, 1000, 2000, 3000}, 0, true,
                 "Exposure Bias Compensation"),
            Enum(0x5013, Type::kU16, {1, 2, 0x8012, 0x8004, 0x8005}, 1, true, "Still Capture Mode"),
            Enum(0xD20D, Type::kU32,
                 {speed(300, 10), speed(10, 10), speed(1, 2), speed(1, 4), speed(1, 15),
                  speed(1, 30), speed(1, 60), speed(1, 125), speed(1, 250), speed(1, 500),
                  speed(1, 1000), speed(1, 4000)},
                 speed(1, 125), true, "Shutter speed"),
            Enum(0xD218, Type::kI8, {-1, 0, 25, 50, 75, 100}, 75, false, "Battery Level"),
            Enum(0xD21E, Type::kU32, {0x00ffffff, 100, 200, 400, 800, 1600, 3200, 6400}, 0x00ffffff,
                 true, "ISO"),
            Enum(0xD222, Type::kU16, {0x0001, 0x0011, 0x0010}, 0x0011, true, "Capture Target"),
            Value(0xD2C1, Type::kU16, 1, true, "Autofocus"),
            Value(0xD2C2, Type::kU16, 1, true, "Capture"),
            Value(0xD2D1, Type::kU16, 0, true, "Near Far"),
        };
        auto& e = f.entries;
        e.push_back(
            Listed(Section::kActions, "autofocus", "Auto-Focus", Codec::kSonyAutofocus, 0xD2C1));
        e.push_back(Listed(Section::kActions, "manualfocus", "Manual-Focus",
                           Codec::kSonyManualFocus, 0xD2D1));
        e.push_back(Listed(Section::kActions, "capture", "Capture", Codec::kSonyCapture, 0xD2C2));
        e.push_back(Listed(Section::kSettings, "capturetarget", "Capture Target", Codec::kTable,
                           0xD222, &target));
        AddDeviceTexts(&e);
        e.push_back(
            Listed(Section::kStatus, "batterylevel", "Battery Level", Codec::kSonyBattery, 0xD218));
        e.push_back(Listed(Section::kImage, "iso", "ISO Speed", Codec::kSonyIso, 0xD21E));
        e.push_back(Listed(Section::kImage, "whitebalance", "WhiteBalance", Codec::kTable, 0x5005,
                           &whiteBalance));
        e.push_back(Listed(Section::kCapture, "exposurecompensation", "Exposure Compensation",
                           Codec::kExpComp, 0x5010));
        e.push_back(Listed(Section::kCapture, "f-number", "F-Number", Codec::kFNumber, 0x5007));
        e.push_back(Listed(Section::kCapture, "imagequality", "Image Quality", Codec::kTable,
                           0x5004, &quality));
        e.push_back(
            Listed(Section::kCapture, "focusmode", "Focus Mode", Codec::kTable, 0x500A, &focus));
        e.push_back(Listed(Section::kCapture, "expprogram", "Exposure Program", Codec::kTable,
                           0x500E, &program));
        e.push_back(Listed(Section::kCapture, "capturemode", "Still Capture Mode", Codec::kTable,
                           0x5013, &drive));
        e.push_back(Listed(Section::kCapture, "exposuremetermode", "Exposure Metering Mode",
                           Codec::kTable, 0x500B, &metering));
        e.push_back(Listed(Section::kCapture, "shutterspeed", "Shutter Speed", Codec::kSonyShutter,
                           0xD20D));
        return f;
    }();
    return family;
}

}  // namespace tcam
