// The test camera's one state and its one lock, the family it presents and the
// environment that chooses them.
//
// libgphoto2 calls a camera from one thread at a time, but the program's event thread and
// window thread take turns, so every entry point takes the lock. Nothing calls back into
// libgphoto2's file system while holding it: that calls the driver's listing again.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "camera_model.h"
#include "faults.h"

namespace tcam {

/// How a family takes pictures, hands them over and shows live view: each follows its
/// own capture, event and preview code in ptp2's library.c.
enum class Kind { kEos, kNikon, kSony, kFuji, kPanasonic, kOlympus, kGeneric };

struct Family {
    const char* id;
    Kind kind;
    const char* model;
    const char* version;
    const char* vendorExtension;  // the device information's extension text
    const char* defaultSerial;    // the body's serial
    const char* pictureName;      // printf format of the camera's own file names
    bool propertyEvents;          // ptp2 announces changed properties in its event wait
    std::vector<Property> properties;
    std::vector<Entry> entries;  // in ptp2's menu order
    /// Properties that hold one setting twice, their enumerations in step (Nikon's two
    /// shutter speeds): writing one moves the other to the value at the same place.
    std::vector<std::pair<uint32_t, uint32_t>> links;
};

const Family& EosFamily();
const Family& NikonFamily();
const Family& SonyFamily();
const Family& FujiFamily();
const Family& PanasonicFamily();
const Family& OlympusFamily();
const Family& GenericFamily();
/// The family TALBEX_TEST_CAMERA_FAMILY names; null when unset (the classic camera).
const Family* ChosenFamily();

struct Picture {
    std::string name;
    std::vector<unsigned char> bytes;
};

/// What the camera's event wait hands over next.
struct QueuedEvent {
    enum class Kind { kFile, kMemoryPicture, kText, kCaptureComplete } kind;
    std::string folder, name, text;
    std::vector<unsigned char> bytes;
};

inline constexpr char kCardFolder[] = "/store_00010001/DCIM/100TEST";
/// Where a picture held in the camera's memory (Panasonic) is found: ptp2 names the folder
/// after the object's storage, 0 there.
inline constexpr char kMemoryFolder[] = "/store_00000000";

struct State {
    const Family* family = nullptr;
    std::vector<Property> properties;
    std::string bodySerial;
    std::string exifSerial;
    int number = 0;                       // the camera's last picture number
    std::map<std::string, Picture> card;  // kCardFolder
    std::map<std::string, Picture> memory;
    std::set<std::string> seen;  // card files this session has been told of (Fuji)
    std::deque<QueuedEvent> events;
    int captureCount = 0;  // ptp2's capcnt: "capt0000.jpg", ... per session
    bool liveView = false;
    int focus = 500;  // the lens position the frames show, 0 near to 1000 far
    int zoom = 1;
    std::string zoomPosition = "0,0";
    bool focusFound = false;
    int64_t clockOffset = 0;  // the camera's UTC clock minus the computer's
    bool panasonicToMemory = false;
    bool lensOff = false;
    std::string lensName;  // the lens's name while it is off
    Faults faults;
    std::string faultError;  // why TALBEX_TEST_CAMERA_FAULTS was not understood
    // The classic camera's widget values and pictures not yet announced.
    std::map<std::string, std::string> classicValues;
    std::vector<std::string> classicAdded;
    std::string setup;  // the environment it was set up from
    bool ready = false;
};

std::mutex& Lock();
/// The state, set up on first use from the environment; under Lock().
State& Body();
/// Sets the state up again when the environment describes another body.
void Renew();
/// A new session: ptp2's per-session counters start again.
void OpenSession();

Property* FindProperty(uint32_t code);
/// Refreshes the properties that follow the running clock and the lens.
void RefreshLive();
/// The camera's UTC time now.
int64_t CameraUtc();
void SetCameraUtc(int64_t utc);

/// One line to the file TALBEX_TEST_CAMERA_LOG names.
void Log(const std::string& line);
/// Text through libgphoto2's own catalogue, as ptp2's _() does.
const char* Tr(const char* msgid);
std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace tcam
