// A Fujifilm body, as libgphoto2 2.5.30 presents it (the properties library.c's
// fixup_cached_deviceinfo adds to its list, around 393, included):
//  - actions: autofocusdrive only (config.c around 10440; ptp2 shows 2 so any write counts,
//    and every write runs an autofocus cycle, around 2886-2930); no manual focus drive;
//  - settings: datetime (the standard's), copyright (0xD215, around 10543);
//  - status: the device texts, batterylevel, lensname (0xD36D, around 10494), shuttercounter
//    (0xD310, the count in the upper half, around 1075);
//  - image: imageformat "JPEG Fine", ... (0xD018, around 1519), iso (_get_INT of a signed
//    32-bit value, around 10592), whitebalance with the Fujifilm rows;
//  - capture: exposurecompensation, f-number, focusmode "Single-Servo AF", ... (around
//    5818), expprogram (read-only), capturemode "Single frame", ... (0xD201, around 1542),
//    exposuremetermode, shutterspeed from its own table (around 5680-5748).
// Pictures: library.c's camera_fuji_capture (around 5107) leaves them on the card and
// reads them at once; its event wait (around 6915) announces every file on the card it
// has not seen in this session, those already there when the session opened included.
#include "family_builders.h"

namespace tcam {

const Family& FujiFamily() {
    static const Table whiteBalance = Join({kWhiteBalanceRows,
                                            {{"Fluorescent Lamp 1", 0x8001},
                                             {"Fluorescent Lamp 2", 0x8002},
                                             {"Fluorescent Lamp 3", 0x8003},
                                             {"Fluorescent Lamp 4", 0x8004},
                                             {"Fluorescent Lamp 5", 0x8005},
                                             {"Shade", 0x8006},
                                             {"Choose Color Temperature", 0x8007},
                                             {"Preset Custom 1", 0x8008}}});
    static const Table focus =
        Join({kFocusModeRows, {{"Single-Servo AF", 0x8001}, {"Continuous-Servo AF", 0x8002}}});
    static const Table program = kExposureProgramRows;
    static const Table drive = {{"Single frame", 1},
                                {"Continuous low speed", 2},
                                {"Continuous high speed", 3},
                                {"Self-timer", 4},
                                {"Mup Mirror up", 5}};
    static const Table metering = Join({kMeteringRows, {{"Spot", 0x8001}}});
    static const Table format = {{"RAW", 1},
                                 {"JPEG Fine", 2},
                                 {"JPEG Normal", 3},
                                 {"RAW + JPEG Fine", 4},
                                 {"RAW + JPEG Normal", 5}};
    static const Table speeds = {
        {"1s", 1000000}, {"1/2", 500000}, {"1/4", 250000}, {"1/8", 125000}, {"1/15", 62500},
        {"1/30", 31250}, {"1/60", 15625}, {"1/125", 7812}, {"1/250", 3906}, {"1/500", 1953},
        {"1/1000", 976}, {"1/2000", 488}, {"1/4000", 244},
    };
    static const Family family = [] {
        Family f{"fuji",
                 Kind::kFuji,
                 "Talbex Test F1",
                 "2.10",
                 "fujifilm.co.jp: 1.0;",
                 "93B12345",
                 "DSCF%04d.JPG",
                 true,
                 {},
                 {},
                 {}};
        f.properties = {
            Range(0x5001, Type::kU8, 0, 100, 1, 70, false, "Battery Level"),
            Enum(0x5005, Type::kU16, {2, 4, 0x8006, 6, 0x8001, 7}, 2, true, "White Balance"),
            Enum(0x5007, Type::kU16, {200, 280, 400, 560, 800, 1100, 1600}, 560, true, "F-Number"),
            Enum(0x500A, Type::kU16, {1, 0x8001, 0x8002}, 0x8001, true, "Focus Mode"),
            Enum(0x500B, Type::kU16, {3, 2, 0x8001, 1}, 3, true, "Exposure Metering Mode"),
            Enum(0x500D, Type::kU32,
                 {1000000, 500000, 250000, 125000, 62500, 31250, 15625, 7812, 3906, 1953, 976, 488,
                  244},
                 7812, true, "Exposure Time"),
            Enum(0x500E, Type::kU16, {1, 2, 3, 4}, 3, false, "Exposure Program Mode"),
            Enum(0x500F, Type::kI32, {200, 400, 800, 1600, 3200, 6400, 12800}, 400, true,
                 "Exposure Index (film speed ISO)"),
            Enum(0x5010, Type::kI16,
                 {-2000, -1667, -1333, -1000, -667, -333, 0, 333, 667, 1000, 1333, 1667, 2000}, 0,
                 true, "Exposure Bias Compensation"),
            Text(0x5011, "", true, "Date & Time"),
            Enum(0xD018, Type::kU16, {1, 2, 3, 4, 5}, 2, true, "Quality"),
            Enum(0xD201, Type::kU16, {1, 2, 3, 4}, 1, true, "ReleaseMode"),
            Value(0xD209, Type::kU16, 2, false, "AFStatus"),
            Value(0xD212, Type::kU16, 1, false, "CurrentState"),
            Text(0xD215, "", true, "Copyright", 32),
            Value(0xD310, Type::kU32, 2718LL << 16, false, "TotalShotCount"),
            Text(0xD36D, "TEST 23mm F2 / 71234567", false, "LensNameAndSerial"),
        };
        auto& e = f.entries;
        e.push_back(Virtual(Section::kActions, "autofocusdrive", "Drive Fuji Autofocus",
                            Codec::kAfDriveFuji));
        e.push_back(Listed(Section::kSettings, "datetime", "Camera Date and Time",
                           Codec::kDateString, 0x5011));
        e.push_back(Listed(Section::kSettings, "copyright", "Copyright", Codec::kText, 0xD215));
        AddDeviceTexts(&e);
        e.push_back(
            Listed(Section::kStatus, "batterylevel", "Battery Level", Codec::kBattery, 0x5001));
        e.push_back(Listed(Section::kStatus, "lensname", "Lens Name", Codec::kText, 0xD36D));
        e.push_back(Listed(Section::kStatus, "shuttercounter", "Shutter Counter", Codec::kShotCount,
                           0xD310));
        e.push_back(
            Listed(Section::kImage, "imageformat", "Image Format", Codec::kTable, 0xD018, &format));
        e.push_back(Listed(Section::kImage, "iso", "ISO Speed", Codec::kInt, 0x500F));
        e.push_back(Listed(Section::kImage, "whitebalance", "WhiteBalance", Codec::kTable, 0x5005,
                           &whiteBalance));
        e.push_back(Listed(Section::kCapture, "exposurecompensation", "Exposure Compensation",
                           Codec::kExpComp, 0x5010));
        e.push_back(Listed(Section::kCapture, "f-number", "F-Number", Codec::kFNumber, 0x5007));
        e.push_back(
            Listed(Section::kCapture, "focusmode", "Focus Mode", Codec::kTable, 0x500A, &focus));
        e.push_back(Listed(Section::kCapture, "expprogram", "Exposure Program", Codec::kTable,
                           0x500E, &program));
        e.push_back(Listed(Section::kCapture, "capturemode", "Still Capture Mode", Codec::kTable,
                           0xD201, &drive));
        e.push_back(Listed(Section::kCapture, "exposuremetermode", "Exposure Metering Mode",
                           Codec::kTable, 0x500B, &metering));
        e.push_back(Listed(Section::kCapture, "shutterspeed", "Shutter Speed", Codec::kTable,
                           0x500D, &speeds));
        return f;
    }();
    return family;
}

}  // namespace tcam
