// The camera side of the protocol for the first camera of the camera library: it
// answers each operation an initiator sends, keeps the pictures the camera takes as
// objects in one storage (DCIM and the camera's current folder), and turns the camera's
// events into the protocol's events.
//
// It reaches the camera only through the camera boundary (sdk.h), so it serves
// whatever camera the library offers, the simulated one by default. Every member is
// thread-safe: each connection calls Handle from its own thread.
//
// As a Nikon body (ServedOptions::vendor) it also answers Nikon's operations
// (served_camera_nikon.cpp): pictures taken into the camera's memory, live view, focus
// drive. Its events go to each session's queue for Nikon's GetEvent, but for those of
// the card's pictures, which go to the event connections as a standard camera's do.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "camera/sdk/sdk.h"
#include "ptpip/polled_events.h"
#include "ptpip/ptp_datasets.h"
#include "ptpip/ptpip_packet.h"
#include "ptpip/served_properties.h"

namespace talbex::ptpip {

/// Where an operation's outgoing data phase goes. Each answer false when the
/// connection is gone.
class DataSink {
  public:
    virtual ~DataSink() = default;
    virtual bool Start(uint64_t totalLength) = 0;
    virtual bool Write(std::span<const uint8_t> bytes) = 0;
    virtual bool End(std::span<const uint8_t> bytes) = 0;
    /// True once the data can no longer go (the server stops, the client is too slow):
    /// the camera's transfer is cancelled rather than finished.
    virtual bool Abandoned() { return false; }
};

struct Reply {
    uint16_t code = 0;
    std::vector<uint32_t> params;
    /// The connection must be dropped (the camera vanished mid-transfer, or the data
    /// phase could not be completed).
    bool drop = false;
};

/// A connection's own state: its session, and the events kept for it to fetch.
struct SessionState {
    uint32_t session = 0;  // 0: none open
    std::shared_ptr<PolledEvents> polled;
};

/// What the served body offers of the standard.
struct ServedOptions {
    ServedVendor vendor = ServedVendor::kStandard;
    /// The properties served, by their settings names (served_properties.h,
    /// nikon_properties.cpp); nothing: all of the vendor's.
    std::optional<std::vector<std::string>> offered;
    std::string imageSize = "1600x1067";  // the image size property's value
};

class ServedCamera {
  public:
    using Options = ServedOptions;

    /// Opens the library and its first camera and keeps a session open on it.
    /// Answers null and a message when there is no camera, or when `options` names a
    /// property that cannot be served.
    static std::unique_ptr<ServedCamera> Open(std::string* error, Options options = {});
    ~ServedCamera();

    ServedCamera(const ServedCamera&) = delete;
    ServedCamera& operator=(const ServedCamera&) = delete;

    /// Answers one operation; `dataIn` is the initiator's data phase, if it had one.
    Reply Handle(SessionState& session, const OperationRequest& request,
                 std::span<const uint8_t> dataIn, DataSink& out);

    /// Receives every event: code, transaction, parameters. Called on the camera's
    /// event thread; must not call back into this object.
    using EventListener = std::function<void(uint16_t, uint32_t, std::vector<uint32_t>)>;
    void SetEventListener(EventListener listener);
    /// Told once when the camera vanished (unplugged or switched off).
    void SetGoneListener(std::function<void()> listener);
    bool Gone() const;

    std::string ModelName();
    std::string SerialNumber();

    /// The bytes of pictures the card holds at most: a shot that would not fit is answered
    /// "store full". Deleting pictures makes room again.
    static constexpr uint64_t kPictureBudget = 512ull << 20;
    void SetPictureBudget(uint64_t bytes);

  private:
    ServedCamera() = default;

    static constexpr uint32_t kDcimHandle = 1;
    static constexpr uint32_t kFolderHandle = 2;

    struct Stored {
        uint32_t parent = 0;
        bool folder = false;
        std::string name;
        SdkDirectoryItemRef item = nullptr;  // owned; pictures only
        uint32_t size = 0;
        std::string date;
        /// In the camera's memory, not on its card: no storage, in no folder listing.
        bool inMemory = false;
    };
    struct Inbox;

    ObjectInfo InfoOf(uint32_t handle, const Stored& stored) const;
    std::vector<uint32_t> Select(uint32_t storage, uint32_t format, uint32_t parent,
                                 uint16_t* error);
    Reply GetObject(uint32_t transaction, uint32_t handle, DataSink& out);
    Reply Delete(uint32_t handle);
    Reply Capture(uint32_t transaction);
    bool Nikon() const { return options_.vendor == ServedVendor::kNikon; }
    std::vector<uint16_t> OperationList() const;
    std::vector<uint16_t> EventList() const;
    /// Nikon's operations; kRespOperationNotSupported for any other.
    Reply HandleNikon(SessionState& session, const OperationRequest& request, DataSink& out);
    Reply CaptureIntoMemory(bool autofocus);
    Reply DeviceReady();
    Reply DeleteFromMemory(uint32_t handle);
    Reply SendPolledEvents(SessionState& session, DataSink& out);
    Reply StartLiveView();
    Reply EndLiveView();
    Reply LiveViewImage(DataSink& out);
    Reply AutofocusDrive();
    Reply ManualFocusDrive(uint32_t direction, uint32_t steps);
    /// True while live view goes to the computer; nullopt with `error` set when the
    /// camera does not say.
    std::optional<bool> InLiveView(SdkError* error);
    /// Releases the pictures in the camera's memory; answers their handles.
    std::vector<uint32_t> DropMemoryLocked(std::vector<SdkDirectoryItemRef>* released);
    StorageInfo CardInfo() const;
    uint64_t HeldBytesLocked() const;
    /// What the next picture is expected to take: the size of the newest one.
    uint64_t NextPictureLocked() const;
    Reply PropertyDesc(uint16_t code, bool valueOnly, DataSink& out);
    Reply SetProperty(uint16_t code, std::span<const uint8_t> data);
    std::vector<uint16_t> PropertyList();
    /// The served property of a standard code, when this body offers it.
    const ServedProperty* Offered(uint16_t ptpCode) const;
    std::string ReadText(SdkPropertyId id);
    /// Maps a boundary failure to a response; a vanished camera also ends the service.
    Reply Failure(SdkError error, uint16_t refused);
    void MarkGone();
    void RunEvents();
    void Emit(uint16_t code, uint32_t transaction, std::vector<uint32_t> params);
    void AddPicture(SdkDirectoryItemRef item);

    SdkCameraRef camera_ = nullptr;
    bool initialized_ = false;
    Options options_;                             // fixed once opened
    std::span<const ServedProperty> properties_;  // the vendor's; fixed once opened
    std::shared_ptr<Inbox> inbox_;
    std::thread events_;

    mutable std::mutex mutex_;
    std::map<uint32_t, Stored> objects_;
    uint32_t nextHandle_ = 3;
    std::optional<uint32_t> captureTransaction_;
    // Where the next pictures go: the camera's memory after a Nikon capture into it, else
    // the card. A shot is pending until its first picture has come.
    bool intoMemory_ = false;
    std::optional<std::chrono::steady_clock::time_point> shotSince_;
    uint32_t nextMemoryHandle_ = 0;
    // The last live-view frame sent, sent again while the camera has no newer one.
    std::shared_ptr<const std::vector<uint8_t>> lastFrame_;
    std::vector<std::weak_ptr<PolledEvents>> polled_;
    uint64_t pictureBudget_ = kPictureBudget;
    bool gone_ = false;
    EventListener eventListener_;
    std::function<void()> goneListener_;
};

}  // namespace talbex::ptpip
