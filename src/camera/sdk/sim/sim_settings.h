// What one simulated camera is: its identity, its picture and live-view formats, and the
// faults it shows. Built in code (tests) or read from a settings file (settings_file.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "camera/sdk/sdk_types.h"

namespace talbex::sim {

/// The camera operations a fault can be attached to.
enum class Operation {
    GetDeviceInfo,
    OpenSession,
    CloseSession,
    GetPropertySize,
    GetPropertyData,
    SetPropertyData,
    GetPropertyDesc,
    TakePicture,    // command 0
    PressShutter,   // command 4 (any button state)
    DoEvfAf,        // command 0x102
    DriveLens,      // command 0x103
    StatusCommand,  // lock / unlock the camera's own controls
    SetCapacity,
    GetDirectoryItemInfo,
    Download,
    DownloadComplete,
    DownloadEvfImage,
    GetShutterCount,
};

/// Settings-file name of an operation ("take_picture", "download", ...).
std::string_view OperationName(Operation operation);
/// The operation of a settings-file name; nullopt when there is none.
std::optional<Operation> OperationFromName(std::string_view name);

/// The next `count` calls of `operation` (limited to one property when `property` is set)
/// answer `code` instead of doing their work.
struct Fault {
    Operation operation = Operation::TakePicture;
    std::optional<SdkPropertyId> property;
    uint32_t count = 1;
    SdkError code = kSdkErrDeviceBusy;
};

struct CameraSettings {
    // Identity. nullopt makes the property unreadable ("absent" in a settings file).
    std::optional<std::string> model = "SimCam S1";
    std::optional<std::string> lens = "SIM 24-70mm f/2.8";
    std::optional<std::string> serial = "2718281828";
    std::optional<std::string> owner = "";
    std::optional<std::string> artist = "";
    std::optional<std::string> copyright = "";
    std::optional<std::string> firmware = "1.2.0";
    std::optional<std::string> currentFolder = "100SIMCM";
    std::optional<uint32_t> shutterCount = 1520;  // nullopt: the camera keeps no count
    std::optional<uint32_t> batteryLevel = 100;
    std::optional<uint32_t> batteryQuality = 3;
    /// On the mains adapter the battery level reads kBatteryLevelMains and never drains.
    bool mainsPower = false;
    /// Percent of battery level each picture takes; an empty battery takes no picture.
    uint32_t batteryDrainPerShot = 0;
    /// Longest owner, artist or copyright text (without its terminating zero) the camera
    /// takes in a write; longer ones are refused.
    uint32_t textLimit = 99;
    /// The camera's clock when the camera is made; nullopt makes 0x06 unreadable.
    std::optional<SdkTime> clock = LocalTimeNow();
    /// Device sub-type 0: the older protocol (and the older image-quality codes).
    bool legacy = false;
    /// The mode dial (0x400), an AE-mode code; 3 is M. The AE mode (0x436) follows it.
    uint32_t modeDial = 3;
    /// The lens's widest and narrowest aperture, as Av codes: the apertures offered.
    uint32_t widestAperture = 0x20;     // f/2.8
    uint32_t narrowestAperture = 0x58;  // f/32
    /// Image quality (0x100) at start; unset: large fine JPEG of the camera's protocol.
    /// A RAW quality makes a RAW file, RAW and JPEG qualities make both.
    std::optional<uint32_t> imageQuality;
    /// Colour space (0x10D) at start: 1 sRGB, 2 Adobe RGB (file names start with "_").
    uint32_t colorSpace = 1;

    // Pictures.
    SdkSize liveViewSize{1024, 680};
    SdkSize pictureSize{1600, 1067};
    /// Pictures are padded with comment segments to at least this many bytes (0: no padding).
    uint64_t pictureBytes = 0;
    /// TIFF byte order of the EXIF block: false "II" (little-endian), true "MM".
    bool exifBigEndian = false;
    /// The maker note's serial (tag 0x000C). Unset: the serial property when it is a
    /// number that fits 32 bits, else 420001234. Set to nullopt: no such tag.
    std::optional<std::optional<uint32_t>> makerNoteSerial;
    /// The body serial text (tag 0xA431). Unset: the maker-note serial as ten digits, else
    /// the serial property. Set to nullopt: no such tag.
    std::optional<std::optional<std::string>> exifBodySerial;

    /// The standard properties `talbex sim-serve` serves of this camera, by name
    /// (battery_level, image_size, f_number, ...); nothing: all of them.
    std::optional<std::vector<std::string>> servedProperties;
    /// How `talbex sim-serve` presents this camera: as a standard camera, or as a body
    /// speaking Nikon's extension of the standard.
    enum class Vendor { kStandard, kNikon };
    Vendor vendor = Vendor::kStandard;

    // Faults.
    std::vector<Fault> faults;
    /// Milliseconds from the first SdkInitialize to an unplug / a shutdown; -1: never.
    int64_t unplugAfterMs = -1;
    int64_t shutdownAfterMs = -1;
    /// Time a whole picture transfer takes (spread over its chunks); 0: as fast as it goes.
    uint32_t transferMs = 0;
    /// How long the camera stays busy after a shot: writes, reads of settings and another
    /// shot answer busy.
    uint32_t busyAfterShotMs = 0;
    /// Busy in the same way while a picture is transferred, as camera bodies are.
    bool busyWhileTransferring = true;
    /// Live-view frames a second: a frame asked for sooner after the last one is not ready.
    uint32_t liveViewFps = 30;

    /// The maker-note serial and body serial text that pictures carry.
    std::optional<uint32_t> ResolvedMakerNoteSerial() const;
    std::optional<std::string> ResolvedBodySerial() const;

    static SdkTime LocalTimeNow();
};

/// Longest text (without its terminating zero) the camera keeps in a text property.
inline constexpr size_t kMaxCameraText = 99;

/// Battery level (0x08) of a camera on the mains adapter.
inline constexpr uint32_t kBatteryLevelMains = 0xFFFFFFFF;

/// What is wrong with a camera's settings as a whole ("" when nothing): values that are
/// fine alone but not together (an image quality of the other protocol, a lens whose
/// widest aperture is narrower than its narrowest).
std::string CheckSettings(const CameraSettings& settings);

}  // namespace talbex::sim
