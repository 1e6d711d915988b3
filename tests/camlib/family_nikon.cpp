// A Nikon body with the vendor's third capture operation (InitiateCaptureRecInMedia), as
// libgphoto2 2.5.30 presents one that no model-specific menu names:
//  - actions: autofocusdrive (config.c around 10439; any write starts an autofocus cycle,
//    _put_Nikon_AFDrive around 7261), manualfocusdrive as a range of steps (10441,
//    _put_Nikon_MFDrive around 7374, only in live view), viewfinder (10451, around 8061);
//  - settings: datetime (the standard's, around 10518), artist and copyright (10539,
//    10545), the virtual capturetarget and autofocus kept in libgphoto2's lasting
//    settings (10558-10559, around 9726 and 9878);
//  - status: the device texts, batterylevel (10476), lensname through the short lens
//    table, "Unknown value 00a3" otherwise (10492, table around 6311);
//  - image: iso (_get_INT, 10595), whitebalance with the Nikon rows (around 1451);
//  - capture: exposurecompensation, f-number, imagequality ("JPEG Fine", "NEF (Raw)",
//    "NEF+Fine", around 6702), focusmode (AF-S, AF-C, AF-A), expprogram (read-only: the
//    dial), capturemode, exposuremetermode, shutterspeed as "%0.4fs" (_get_ExpTime around
//    3434, where 1/3200 to 1/8000 fall on 0.0001-0.0003 s) and the exact shutterspeed2
//    (around 4517).
// Pictures: library.c's camera_nikon_capture (around 4029) and its event wait (around
// 6703): into the camera's memory they arrive as "/capt0000.jpg", already read; onto the
// card by their own names. Preview around 3575.
#include "family_builders.h"

namespace tcam {

namespace {

struct Speed {
    int num, den;
};

// The body's speeds, longest first; the standard's property holds each in 1/10000 s.
constexpr Speed kSpeeds[] = {
    {30, 1},   {15, 1},   {8, 1},    {4, 1},    {2, 1},    {1, 1},    {1, 2},   {1, 4},
    {1, 8},    {1, 15},   {1, 30},   {1, 60},   {1, 125},  {1, 250},  {1, 500}, {1, 1000},
    {1, 2000}, {1, 3200}, {1, 4000}, {1, 5000}, {1, 6400}, {1, 8000},
};

}  // namespace

const Family& NikonFamily() {
    static const Table whiteBalance = Join({kWhiteBalanceRows,
                                            {{"Cloudy", 0x8010},
                                             {"Shade", 0x8011},
                                             {"Color Temperature", 0x8012},
                                             {"Preset", 0x8013},
                                             {"Off", 0x8014},
                                             {"Natural light auto", 0x8016}}});
    static const Table focus =
        Join({kFocusModeRows, {{"AF-S", 0x8010}, {"AF-C", 0x8011}, {"AF-A", 0x8012}}});
    static const Table program = Join({kExposureProgramRows,
                                       {{"Auto", 0x8010},
                                        {"Portrait", 0x8011},
                                        {"Landscape", 0x8012},
                                        {"Macro", 0x8013},
                                        {"Sports", 0x8014},
                                        {"Night Portrait", 0x8015},
                                        {"Night Landscape", 0x8016},
                                        {"Children", 0x8017},
                                        {"Automatic (No Flash)", 0x8018},
                                        {"U1", 0x8050},
                                        {"U2", 0x8051},
                                        {"U3", 0x8052}}});
    static const Table drive = Join({kCaptureModeRows,
                                     {{"Continuous Low Speed", 0x8010},
                                      {"Timer", 0x8011},
                                      {"Mirror Up", 0x8012},
                                      {"Remote", 0x8013},
                                      {"Quick Response Remote", 0x8014},
                                      {"Delayed Remote", 0x8015},
                                      {"Quiet Release", 0x8016},
                                      {"Continuous Quiet Release", 0x8018}}});
    static const Table metering = kMeteringRows;
    static const Table quality = {{"JPEG Basic", 0x00}, {"JPEG Normal", 0x01}, {"JPEG Fine", 0x02},
                                  {"NEF (Raw)", 0x04},  {"NEF+Basic", 0x05},   {"NEF+Normal", 0x06},
                                  {"NEF+Fine", 0x07}};
    static const Table lens = {{"Unknown", 0}};
    static const Family family = [] {
        Family f{"nikon",
                 Kind::kNikon,
                 "Talbex Test N1",
                 "V1.00",
                 "microsoft.com: 1.0",
                 "3012345",
                 "DSC_%04d.JPG",
                 true,
                 {},
                 {},
                 {}};
        std::vector<int64_t> times, exact;
        for (const Speed& s : kSpeeds) {
            times.push_back((10000LL * s.num + s.den / 2) / s.den);
            exact.push_back((static_cast<int64_t>(s.num) << 16) | s.den);
        }
        times.push_back(0xffffffff);  // Bulb
        exact.push_back(0xffffffff);
        f.properties = {
            Range(0x5001, Type::kU8, 0, 100, 1, 90, false, "Battery Level"),
            Enum(0x5004, Type::kU8, {0, 1, 2, 4, 5, 6, 7}, 2, true, "Compression Setting"),
            Enum(0x5005, Type::kU16, {2, 4, 5, 6, 7, 0x8010, 0x8011, 0x8012, 0x8013}, 2, true,
                 "White Balance"),
            Enum(0x5007, Type::kU16,
                 {280, 320, 350, 400, 450, 500, 560, 630, 710, 800, 900, 1000, 1100, 1300, 1400,
                  1600, 1800, 2000, 2200},
                 560, true, "F-Number"),
            Enum(0x500A, Type::kU16, {1, 0x8010, 0x8011, 0x8012}, 0x8010, true, "Focus Mode"),
            Enum(0x500B, Type::kU16, {2, 3, 4}, 3, true, "Exposure Metering Mode"),
            Enum(0x500D, Type::kU32, times, 80, true, "Exposure Time"),
            Enum(0x500E, Type::kU16, {1, 2, 3, 4, 0x8010}, 1, false, "Exposure Program Mode"),
            Enum(0x500F, Type::kU16, {100, 200, 400, 800, 1600, 3200, 6400}, 400, true,
                 "Exposure Index (film speed ISO)"),
            Enum(0x5010, Type::kI16,
                 {-3000, -2667, -2333, -2000, -1667, -1333, -1000, -667, -333, 0, 333, 667, 1000,
                  1333, 1667, 2000, 2333, 2667, 3000},
                 0, true, "Exposure Bias Compensation"),
            Text(0x5011, "", true, "Date & Time"),
            Enum(0x5013, Type::kU16, {1, 2, 0x8010, 0x8011, 0x8016}, 1, true, "Still Capture Mode"),
            Text(0xD072, "", true, "Artist Name", 36),
            Text(0xD073, "", true, "Copyright Information", 54),
            Value(0xD0E0, Type::kU8, 0xa3, false, "Lens ID"),
            Enum(0xD100, Type::kU32, exact, (1LL << 16) | 125, true, "Nikon Exposure Time"),
            Value(0xD1A2, Type::kU8, 0, false, "Live View Status"),
        };
        auto& e = f.entries;
        e.push_back(Virtual(Section::kActions, "autofocusdrive", "Drive Nikon DSLR Autofocus",
                            Codec::kAfDriveNikon));
        e.push_back(Virtual(Section::kActions, "manualfocusdrive", "Drive Nikon DSLR Manual focus",
                            Codec::kMfDriveRange));
        e.push_back(
            Virtual(Section::kActions, "viewfinder", "Nikon Viewfinder", Codec::kViewfinderNikon));
        e.push_back(Listed(Section::kSettings, "datetime", "Camera Date and Time",
                           Codec::kDateString, 0x5011));
        e.push_back(Listed(Section::kSettings, "artist", "Artist", Codec::kText, 0xD072));
        e.push_back(Listed(Section::kSettings, "copyright", "Copyright", Codec::kText, 0xD073));
        e.push_back(
            Virtual(Section::kSettings, "capturetarget", "Capture Target", Codec::kCaptureTarget));
        e.push_back(
            Virtual(Section::kSettings, "autofocus", "Autofocus", Codec::kAutofocusSetting));
        AddDeviceTexts(&e);
        e.push_back(
            Listed(Section::kStatus, "batterylevel", "Battery Level", Codec::kBattery, 0x5001));
        e.push_back(
            Listed(Section::kStatus, "lensname", "Lens Name", Codec::kTable, 0xD0E0, &lens));
        e.push_back(Listed(Section::kImage, "iso", "ISO Speed", Codec::kInt, 0x500F));
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
        e.push_back(
            Listed(Section::kCapture, "shutterspeed", "Shutter Speed", Codec::kExpTime, 0x500D));
        e.push_back(Listed(Section::kCapture, "shutterspeed2", "Shutter Speed 2",
                           Codec::kNikonShutter, 0xD100));
        f.links = {{0x500D, 0xD100}};
        return f;
    }();
    return family;
}

}  // namespace tcam
