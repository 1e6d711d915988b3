// A body libgphoto2 2.5.30 serves as plain PTP (the standard's properties only, as the
// newer bodies 2.5.30 does not know yet are served): config.c's vendor-neutral rows,
// entries whose vendor is 0 in camera_status_menu (around 10464), camera_settings_menu
// (datetime, around 10518), image_settings_menu (iso, whitebalance, around 10593-10614)
// and capture_settings_menu (around 10653-10752); artist, copyright and the friendly name
// only as the hex entries "501e", "501f", "d402" (around 11318). Pictures go to the card:
// library.c's standard capture (around 5680) and ObjectAdded in its event wait (around
// 7150). No live view: a preview answers "not supported" (around 3940).
#include "family_builders.h"

namespace tcam {

const Family& GenericFamily() {
    static const Table whiteBalance = kWhiteBalanceRows;
    static const Table focus = kFocusModeRows;
    static const Table program = kExposureProgramRows;
    static const Table drive = kCaptureModeRows;
    static const Table metering = kMeteringRows;
    static const Family family = [] {
        Family f{"generic",
                 Kind::kGeneric,
                 "Talbex Test G1",
                 "1.0",
                 "microsoft.com: 1.0",
                 "TBX000271",
                 "TBX_%04d.JPG",
                 true,
                 {},
                 {},
                 {}};
        f.properties = {
            Range(0x5001, Type::kU8, 0, 100, 1, 80, false, "Battery Level"),
            Enum(0x5005, Type::kU16, {2, 4, 6, 5, 7, 1}, 2, true, "White Balance"),
            Enum(0x5007, Type::kU16, {280, 400, 560, 800, 1100, 1600}, 560, true, "F-Number"),
            Enum(0x500A, Type::kU16, {2, 1}, 2, true, "Focus Mode"),
            Enum(0x500B, Type::kU16, {2, 3, 4}, 3, true, "Exposure Metering Mode"),
            Enum(0x500D, Type::kU32, {10000, 5000, 2500, 1250, 333, 167, 80, 40, 20, 10}, 80, true,
                 "Exposure Time"),
            Enum(0x500E, Type::kU16, {1, 2, 3, 4}, 2, false, "Exposure Program Mode"),
            Enum(0x500F, Type::kU16, {100, 200, 400, 800, 1600}, 400, true,
                 "Exposure Index (film speed ISO)"),
            Enum(0x5010, Type::kI16, {-2000, -1000, -667, -333, 0, 333, 667, 1000, 2000}, 0, true,
                 "Exposure Bias Compensation"),
            Text(0x5011, "", true, "Date & Time"),
            Enum(0x5013, Type::kU16, {1, 2, 3}, 1, true, "Still Capture Mode"),
            Text(0x501E, "", true, "Artist", 32),
            Text(0x501F, "", true, "Copyright Info", 32),
            Text(0xD402, "Talbex G1", true, "Friendly Device Name", 32),
        };
        auto& e = f.entries;
        e.push_back(Listed(Section::kSettings, "datetime", "Camera Date and Time",
                           Codec::kDateString, 0x5011));
        AddDeviceTexts(&e);
        e.push_back(
            Listed(Section::kStatus, "batterylevel", "Battery Level", Codec::kBattery, 0x5001));
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
                           0x5013, &drive));
        e.push_back(Listed(Section::kCapture, "exposuremetermode", "Exposure Metering Mode",
                           Codec::kTable, 0x500B, &metering));
        e.push_back(
            Listed(Section::kCapture, "shutterspeed", "Shutter Speed", Codec::kExpTime, 0x500D));
        return f;
    }();
    return family;
}

}  // namespace tcam
