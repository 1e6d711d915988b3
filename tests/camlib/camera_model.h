// The test camera's model of a body as libgphoto2's ptp2 driver presents it: the camera's
// properties (what the body keeps, as its device information and property descriptions
// give them) and the configuration entries ptp2 builds on them (config.c's tables of
// name, label, property, getter and putter). One family of bodies is one table of each
// (family_*.cpp); the walk over them is config_walk.cpp, the getters and putters codecs.cpp.
#pragma once

#include <gphoto2/gphoto2-widget.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tcam {

enum class Type { kU8, kI8, kU16, kI16, kU32, kI32, kStr };
enum class Form { kNone, kEnum, kRange };

/// One property the body keeps. Listed properties are in the device information's list
/// (ptp2's have_prop, and its hex entries); the others are announced by the body's own
/// event data (the eos family) or reached by vendor operations (Panasonic).
struct Property {
    uint32_t code = 0;
    Type type = Type::kU16;
    Form form = Form::kNone;
    std::vector<int64_t> values;  // the enumeration, in the body's order
    int64_t min = 0, max = 0, step = 1;
    int64_t value = 0;
    std::string text;
    bool writable = true;
    bool listed = true;
    const char* description = nullptr;  // the hex entry's label; none: "PTP Property 0x%04x"
    size_t maxText = 0;                 // longest text the body takes (0: any)
    bool present = true;                // false while the body does not offer it (no lens)
};

/// A label table as ptp2's GENERIC tables keep them: label and value; labels pass through
/// the catalogue when shown and either form is taken back.
struct Choice {
    const char* label;
    int64_t value;
};
using Table = std::vector<Choice>;

enum class Section { kActions, kSettings, kStatus, kImage, kCapture };

/// How ptp2 reaches an entry: a property in the device information's list (errors of a
/// put go on to look for another entry of the name), a property the eos family announces
/// (errors return at once), or a virtual entry (an operation or a setting).
enum class Path { kListed, kAnnounced, kVirtual };

/// ptp2's getter and putter pairs this driver reproduces.
enum class Codec {
    kDeviceText,    // _get_PTP_*_STR: serialnumber, manufacturer, cameramodel, ...
    kText,          // _get_STR / _put_STR
    kInt,           // _get_INT / _put_INT
    kTable,         // _get_Generic*Table / _put_Generic*Table
    kFNumber,       // _get_FNumber: "f/%g"
    kExpTime,       // _get_ExpTime: "%0.4fs", Nikon's Bulb and Time
    kNikonShutter,  // _get_Nikon_ShutterSpeed: exact "x/y"
    kSonyShutter,   // _get_Sony_ShutterSpeed
    kOlympusShutter,
    kSonyIso,  // _get_Sony_ISO: "Auto ISO"
    kOlympusIso,
    kExpComp,  // _get_ExpCompensation: "%g" of 1/1000 EV
    kOlympusAperture,
    kBattery,  // _get_BatteryLevel
    kEosBattery,
    kSonyBattery,
    kShotCount,   // _get_Fuji_Totalcount
    kDateString,  // _get_STR_as_time
    kDateUtc,     // _get_UINT32_as_time
    kDateLocal,   // _get_UINT32_as_localtime
    kSyncTime,    // config.c around 7240: a toggle that sets the clock
    kViewfinderEos,
    kViewfinderNikon,
    kViewfinderPanasonic,
    kRemoteRelease,
    kAfDriveNikon,
    kAfDriveEos,
    kAfDriveFuji,
    kSonyAutofocus,
    kSonyCapture,
    kSonyManualFocus,
    kMfDriveNearFar3,  // eos and Olympus: Near/Far 1-3
    kMfDriveNearFar2,  // Panasonic: Near/Far 1-2
    kMfDriveRange,     // Nikon: steps
    kEosZoom,
    kEosZoomPosition,
    kCaptureTarget,     // _get_CaptureTarget: libgphoto2's lasting setting
    kAutofocusSetting,  // _get_Autofocus (Nikon): the same, "autofocus"
    kPanasonicFNumber,  // the Panasonic getters read the body through its own operations
    kPanasonicShutter,
    kPanasonicIso,
    kPanasonicExposure,
    kPanasonicWhiteBalance,
    kPanasonicAfMode,
    kPanasonicExpMode,
    kPanasonicImageFormat,
};

struct Entry {
    Section section;
    const char* name;
    const char* label;  // ptp2's label, shown through the catalogue
    Codec codec;
    Path path = Path::kVirtual;
    uint32_t property = 0;
    const Table* table = nullptr;
    bool putNone = false;  // ptp2's _put_None: read-only, a write is "not supported"
};

/// What a capture or a press did to the camera, for the caller to tell libgphoto2 once
/// the camera's lock is let go.
struct Announcement {
    enum class Kind { kAppend, kUpload } kind;
    std::string folder, name;
    std::vector<unsigned char> bytes;  // kUpload: handed to libgphoto2's file cache
};

}  // namespace tcam
