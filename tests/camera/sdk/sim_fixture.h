// Shared by the simulated-camera tests: a camera opened through the SDK boundary, a log
// of the events it delivers (with the thread they came on), JPEG decoding and a small
// TIFF walker that looks where the program's EXIF reader looks.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "camera/sdk/sdk.h"
#include "camera/sdk/sim/sim_backend.h"

namespace talbex::sim::testing {

struct LoggedEvent {
    uint32_t kind;  // 0x100 property, 0x200 object, 0x300 state
    uint32_t event;
    uint32_t value;  // property id or state parameter
    SdkBaseRef object = nullptr;
    std::thread::id thread;
};

/// Collects events from the backend's thread; tests wait for them with a short bound.
class EventLog {
  public:
    ~EventLog();
    void Register(SdkCameraRef camera);
    /// Waits (at most 2 s) until an event matching the predicate is logged; answers it.
    std::optional<LoggedEvent> WaitFor(uint32_t event, uint32_t value);
    std::optional<LoggedEvent> WaitForEvent(uint32_t event);
    /// Waits for an object event and hands its reference (and the count it holds) over.
    SdkBaseRef TakeObject(uint32_t event);
    /// True when such an event was logged (no waiting).
    bool Has(uint32_t event, uint32_t value);
    /// Waits until the event thread has nothing more in hand for a moment.
    void Settle();
    size_t Count();
    void Clear();

  private:
    static SdkError OnProperty(SdkPropertyEvent event, SdkPropertyId id, uint32_t, void* ctx);
    static SdkError OnObject(SdkObjectEvent event, SdkBaseRef object, void* ctx);
    static SdkError OnState(SdkStateEvent event, uint32_t param, void* ctx);
    void Add(LoggedEvent e);

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<LoggedEvent> events_;
};

/// A camera with small pictures and frames, for tests where their size does not matter
/// (drawing them is what takes time under the sanitizers).
CameraSettings SmallCamera();

class SimCameraTest : public ::testing::Test {
  protected:
    void TearDown() override;

    /// Installs these cameras and initialises the library.
    void Install(std::vector<CameraSettings> cameras = {SmallCamera()});
    /// Installs, then opens the first camera with a session and the event log registered.
    void Open(std::vector<CameraSettings> cameras = {SmallCamera()});
    SdkCameraRef CameraAt(int index);

    uint32_t ReadU32(SdkPropertyId id);
    /// Live view to the computer, in the order the camera needs (mode on, then output).
    void StartLiveView();
    SdkError WriteU32(SdkPropertyId id, uint32_t value);
    /// Takes a picture with the session sending pictures to the computer; answers the
    /// directory item of its 0x208 event (owned by the caller) or null.
    SdkDirectoryItemRef TakePicture();
    std::vector<uint8_t> Transfer(SdkDirectoryItemRef item, std::vector<uint32_t>* progress);

    std::shared_ptr<SimBackend> backend_;
    std::shared_ptr<SimCamera> sim_;
    SdkCameraRef camera_ = nullptr;
    EventLog events_;
};

struct DecodedJpeg {
    bool ok = false;
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};
DecodedJpeg DecodeJpeg(const uint8_t* data, size_t size);

/// What a TIFF walk of the APP1 segment right after SOI finds.
struct ExifFindings {
    bool app1AfterSoi = false;
    bool exifHeader = false;
    bool littleEndian = false;
    std::optional<uint32_t> exifIfd;
    std::optional<uint32_t> makerNoteIfd;
    std::optional<std::string> bodySerial;  // tag 0xA431, type 2, text at the offset
    uint16_t bodySerialType = 0;
    std::optional<uint32_t> makerSerial;  // tag 0x000C, type 4, count 1
    uint16_t makerSerialType = 0;
    uint32_t makerSerialCount = 0;
};
ExifFindings WalkExif(const std::vector<uint8_t>& file);

std::vector<uint8_t> ReadFile(const std::string& path);

}  // namespace talbex::sim::testing
