// A Panasonic body, as libgphoto2 2.5.30 presents one whose device information lists no
// properties: every setting is a virtual entry read through the vendor's own operations
// (config.c, entries of vendor Panasonic with property 0), so the body has no battery,
// clock, owner, artist or copyright entry, no hex entries, and ptp2 answers GP_OK with
// nothing for a name it does not know (around 11298).
//  - actions: manualfocusdrive Near/Far 1-2 (around 10446, 7626-7670), viewfinder (ptp2
//    shows 2 so any write counts, around 10450 and 8033); no autofocus drive;
//  - settings: capturetarget, libgphoto2's lasting setting, also sent to the body (around
//    10561 and 9744);
//  - image: imageformat as bare numbers (around 9544), iso as bare numbers (around 8863);
//  - capture: exposurecompensation "%f" (around 9386), whitebalance "Flourescent" and
//    "Shadow" (around 8902), afmode and expmode from untranslated tables, named by their
//    index (around 9087 and 9181; an unknown expmode text is written as "P"), f-number as
//    bare numbers (around 9481), shutterspeed (around 8771).
// Pictures: library.c's camera_panasonic_capture (around 5319): announced by their own
// names, in the camera's memory (folder "/store_00000000") or on the card as the capture
// target says; a delete really deletes either.
#include "family_builders.h"

namespace tcam {

const Family& PanasonicFamily() {
    static const Family family = [] {
        Family f{"panasonic",
                 Kind::kPanasonic,
                 "Talbex Test P1",
                 "1.2",
                 "Panasonic",
                 "XS2718281",
                 "P101%04d.JPG",
                 false,
                 {},
                 {},
                 {}};
        const int64_t second = 0x80000000LL;
        f.properties = {
            Unlisted(
                Enum(0x2000021, Type::kU32, {0xFFFFFFFF, 200, 400, 800, 1600, 3200, 6400}, 400)),
            Unlisted(Enum(0x2000031, Type::kU32,
                          {second | 2000, second | 1000, 2000, 4000, 8000, 15000, 30000, 60000,
                           125000, 250000, 500000, 1000000, 4000000},
                          125000)),
            Unlisted(Enum(0x2000041, Type::kU32, {28, 35, 40, 56, 80, 110, 160}, 56)),
            Unlisted(Enum(0x2000051, Type::kU32,
                          {0x0002, 0x0004, 0x8008, 0x0006, 0x0005, 0x0007, 0x800F, 0x8009},
                          0x0002)),
            Unlisted(Enum(0x2000061, Type::kU32,
                          {0x8009, 0x8006, 0x8003, 0x8002, 0x8001, 0, 1, 2, 3, 6, 9}, 0)),
            Unlisted(Enum(0x2000071, Type::kU32, {4, 5, 6, 3}, 4)),
            Unlisted(Enum(0x6000011, Type::kU32, {0, 1, 2, 3}, 3)),
            Unlisted(Enum(0x20000A2, Type::kU32, {1, 2, 3, 4}, 2)),
        };
        auto& e = f.entries;
        e.push_back(Virtual(Section::kActions, "manualfocusdrive", "Drive Panasonic Manual focus",
                            Codec::kMfDriveNearFar2));
        e.push_back(Virtual(Section::kActions, "viewfinder", "Panasonic Viewfinder",
                            Codec::kViewfinderPanasonic));
        e.push_back(
            Virtual(Section::kSettings, "capturetarget", "Capture Target", Codec::kCaptureTarget));
        AddDeviceTexts(&e);
        e.push_back(Virtual(Section::kImage, "imageformat", "Image Format",
                            Codec::kPanasonicImageFormat, 0x20000A2));
        e.push_back(Virtual(Section::kImage, "iso", "ISO Speed", Codec::kPanasonicIso, 0x2000021));
        e.push_back(Virtual(Section::kCapture, "exposurecompensation", "Exposure Compensation",
                            Codec::kPanasonicExposure, 0x2000061));
        e.push_back(Virtual(Section::kCapture, "whitebalance", "White Balance",
                            Codec::kPanasonicWhiteBalance, 0x2000051));
        e.push_back(
            Virtual(Section::kCapture, "afmode", "AF Mode", Codec::kPanasonicAfMode, 0x2000071));
        e.push_back(
            Virtual(Section::kCapture, "expmode", "Exp mode", Codec::kPanasonicExpMode, 0x6000011));
        e.push_back(Virtual(Section::kCapture, "f-number", "F-Number", Codec::kPanasonicFNumber,
                            0x2000041));
        e.push_back(Virtual(Section::kCapture, "shutterspeed", "Shutter Speed",
                            Codec::kPanasonicShutter, 0x2000031));
        return f;
    }();
    return family;
}

}  // namespace tcam
