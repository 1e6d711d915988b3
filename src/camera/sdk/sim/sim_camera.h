// One simulated camera: its properties, pictures, live view and faults.
//
// The camera answers the SDK operations that SimBackend hands it, and offers tests (and
// anyone holding it) a scripting interface: unplug it, shut it down, turn its mode dial,
// make chosen operations busy or fail, slow its transfers, enlarge its pictures, and read
// back what it holds. Every member is thread-safe; events go out on the backend's event
// thread, never on the caller's. The members are defined by subject: sim_camera.cpp
// (state, scripting, presence, session), sim_camera_properties.cpp, _commands.cpp,
// _transfer.cpp, _live_view.cpp and _events.cpp.
//
//   auto backend = talbex::sim::InstallSimulatedCameras({talbex::sim::CameraSettings{}});
//   auto camera = backend->Camera(0);
//   camera->FailNext(talbex::sim::Operation::TakePicture, 2, kSdkErrDeviceBusy);
//   camera->TurnModeDial(1);
//   ... SdkInitialize(), SdkGetCameraList(), ...
//   EXPECT_EQ(camera->PicturesTaken(), 1u);
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "camera/sdk/sdk_backend.h"
#include "camera/sdk/sim/camera_clock.h"
#include "camera/sdk/sim/live_view.h"
#include "camera/sdk/sim/sim_settings.h"

namespace talbex::sim {

class EventDispatcher;

class SimCamera : public std::enable_shared_from_this<SimCamera> {
  public:
    using Clock = std::chrono::steady_clock;

    SimCamera(CameraSettings settings, int index, std::shared_ptr<EventDispatcher> dispatcher);
    ~SimCamera();

    // ---- Scripting --------------------------------------------------------------------

    /// The cable is pulled: the camera leaves the list, calls on references made before
    /// fail with kSdkErrCommDisconnected, and a transfer in progress fails part-way.
    void Unplug();
    /// Attached again (as a new device: old references stay dead, handlers are dropped).
    void PlugIn();
    /// Switched off: state event 0x301 goes to an open session, then the camera is gone
    /// as if unplugged.
    void ShutDown();
    void UnplugAfter(std::chrono::milliseconds delay);
    void ShutDownAfter(std::chrono::milliseconds delay);
    /// The user turns the mode dial (0x400, an AE-mode code); AE mode follows and the
    /// allowed Tv, Av, ISO, metering and compensation values change (in an automatic mode
    /// the camera sets the last three), each announced with its event.
    void TurnModeDial(uint32_t code);
    /// The next `times` calls of `operation` (on `property` only, when given) answer
    /// `code` without doing anything. Faults queue up in the order given.
    void FailNext(Operation operation, uint32_t times, SdkError code,
                  std::optional<SdkPropertyId> property = std::nullopt);
    void BusyNext(Operation operation, uint32_t times,
                  std::optional<SdkPropertyId> property = std::nullopt) {
        FailNext(operation, times, kSdkErrDeviceBusy, property);
    }
    /// How long a whole picture transfer takes (0: as fast as the stream takes it).
    void SetTransferTime(std::chrono::milliseconds total);
    /// The mains adapter is plugged in (the battery level reads kBatteryLevelMains) or
    /// pulled (the battery's own level again); announced with a property event.
    void SetMainsPower(bool mains);
    /// Pictures are padded to at least this many bytes (0: their natural size).
    void SetPictureBytes(uint64_t bytes);

    // ---- Reading back -----------------------------------------------------------------

    bool IsAttached();
    bool SessionOpen();
    bool ControlsLocked();
    /// Current value of a 32-bit property; nullopt when absent or not a 32-bit property.
    std::optional<uint32_t> PropertyValue(SdkPropertyId property);
    /// Current text of a text property; nullopt when absent or not a text property.
    std::optional<std::string> PropertyText(SdkPropertyId property);
    /// Raw bytes of any readable property, exactly as SdkGetPropertyData gives them.
    std::optional<std::vector<uint8_t>> PropertyBytes(SdkPropertyId property);
    std::optional<uint32_t> ShutterCount();
    uint32_t PicturesTaken();
    /// File name and bytes of the newest picture (empty before the first).
    std::string LastPictureName();
    std::vector<uint8_t> LastPicture();
    /// The capacity the host declared in the current session (all zero before it does).
    SdkCapacity Capacity();
    int32_t LensPosition();
    const CameraSettings& Settings() const { return settings_; }

    // ---- For SimBackend ---------------------------------------------------------------

    /// The reference a camera list hands out; valid while the camera stays attached.
    struct Ref : SdkObject {
        Ref(std::shared_ptr<SimCamera> camera, uint64_t generation)
            : camera(std::move(camera)), generation(generation) {}
        std::shared_ptr<SimCamera> camera;
        uint64_t generation;
    };
    /// A picture waiting in the camera for the host. Not changed after it is announced.
    struct Item : SdkObject {
        std::weak_ptr<SimCamera> camera;
        uint64_t generation = 0;
        std::string fileName;
        std::shared_ptr<const std::vector<uint8_t>> bytes;
        uint32_t format = 0;
        uint32_t dateTime = 0;
    };

    /// Attached and not yet due to leave; answers the generation references must carry.
    bool Present(uint64_t* generation);
    std::shared_ptr<Ref> MakeRef();
    /// Starts the clocks of unplug_after_ms / shutdown_after_ms (first SdkInitialize).
    void ArmTimedFaults(Clock::time_point epoch);
    /// Makes sure the event thread delivers a due shutdown even when nobody calls.
    void ScheduleTimedFaults();
    /// The library was closed: sessions end and handlers are forgotten.
    void OnLibraryClosed();

    SdkError GetDeviceInfo(const Ref& ref, SdkDeviceInfo* out);
    SdkError OpenSession(const Ref& ref);
    SdkError CloseSession(const Ref& ref);
    SdkError GetPropertySize(const Ref& ref, SdkPropertyId id, int32_t param, SdkDataType* type,
                             uint32_t* size);
    SdkError GetPropertyData(const Ref& ref, SdkPropertyId id, int32_t param, uint32_t size,
                             void* out);
    SdkError SetPropertyData(const Ref& ref, SdkPropertyId id, int32_t param, uint32_t size,
                             const void* data);
    SdkError GetPropertyDesc(const Ref& ref, SdkPropertyId id, SdkPropertyDesc* out);
    SdkError SendCommand(const Ref& ref, SdkCameraCommand command, int32_t param);
    SdkError SendStatusCommand(const Ref& ref, SdkStatusCommand command, int32_t param);
    SdkError SetCapacity(const Ref& ref, SdkCapacity capacity);
    SdkError GetDirectoryItemInfo(const Item& item, SdkDirectoryItemInfo* out);
    SdkError Download(const Item& item, uint64_t size, SdkStream& stream);
    SdkError DownloadComplete(const Item& item);
    SdkError DownloadEvfImage(const Ref& ref, SdkEvfImage& image);
    /// A handler of property, object or state events; its type names the kind.
    using AnyEventHandler =
        std::variant<SdkPropertyEventHandler, SdkObjectEventHandler, SdkStateEventHandler>;
    /// Registers the handler of one kind of event for `event` (one event, or the kind's
    /// "all"); a null handler of the kind removes it.
    SdkError SetEventHandler(const Ref& ref, uint32_t event, AnyEventHandler handler,
                             void* context);
    SdkError GetShutterCount(const Ref& ref, uint32_t* out);

  private:
    struct Registration {
        uint32_t filter = 0;
        AnyEventHandler handler;
        void* context = nullptr;
    };
    /// Property, object and state handlers, in this order.
    using Handlers = std::array<Registration, 3>;
    /// Calls the registered handler of an event's kind with its context.
    using Deliver = std::function<void(const AnyEventHandler&, void*)>;
    static Handlers NoHandlers();

    // All Locked members expect mutex_ to be held.
    void ApplyDueFaultsLocked();
    void DisconnectLocked();
    void SessionEndedLocked();
    /// Reference check, due faults, then a scripted fault for the operation.
    SdkError EnterLocked(uint64_t generation, Operation operation,
                         std::optional<SdkPropertyId> property = std::nullopt);
    SdkError CheckSessionLocked() const;
    /// After a shot (for the configured time) and while a picture is transferred.
    bool BusyLocked() const;
    /// Sends every property the camera keeps, value and description, to a new session.
    void AnnounceAllLocked();
    /// Whether the camera that made `item` is still there (due faults applied).
    SdkError StillAttached(const Item& item);
    SdkError PropertySizeLocked(SdkPropertyId id, SdkDataType* type, uint32_t* size);
    std::vector<uint8_t> PropertyBytesLocked(SdkPropertyId id);
    std::optional<std::vector<uint32_t>> AllowedLocked(SdkPropertyId id);
    SdkError WriteLocked(SdkPropertyId id, uint32_t size, const void* data);
    SdkError WriteTextLocked(SdkPropertyId id, uint32_t size, const void* data);
    SdkError WriteClockLocked(uint32_t size, const void* data);
    SdkError WriteZoomPositionLocked(uint32_t size, const void* data);
    SdkError WriteValueLocked(SdkPropertyId id, uint32_t size, const void* data);
    void EvfOutputChangedLocked(uint32_t before, uint32_t now);
    void EvfAfModeChangedLocked(uint32_t mode);
    void SetAeModeLocked(uint32_t code);
    /// Refuses a live-view write that comes out of the order the camera needs.
    SdkError EvfOrderLocked(SdkPropertyId id, uint32_t value);
    void SetValueLocked(SdkPropertyId id, uint32_t value);
    FocusState FocusLocked();
    SdkError TakePicture(std::unique_lock<std::mutex>& lock);
    /// Why a shot cannot be taken now, or 0.
    SdkError ShotRefusalLocked() const;
    void DrainBatteryLocked();
    void PostEventLocked(uint32_t event, Deliver deliver);
    void PostPropertyEventLocked(SdkPropertyEvent event, SdkPropertyId id);
    void PostStateEventLocked(SdkStateEvent event, uint32_t param);
    void PostObjectEventLocked(SdkObjectEvent event, std::shared_ptr<Item> item);
    double EvfPhaseLocked() const;
    Clock::duration FramePeriod() const;

    // Fixed at construction; read by any thread without the lock.
    const CameraSettings settings_;
    const int index_;
    const std::shared_ptr<EventDispatcher> dispatcher_;
    EvfFrameCache frames_;  // has its own lock: frames are drawn without holding mutex_

    // Everything below is guarded by mutex_, which is never held while a handler runs,
    // while a picture is drawn or while a transfer writes or waits.
    std::mutex mutex_;
    bool attached_ = true;
    uint64_t generation_ = 1;
    int sessions_ = 0;
    Handlers handlers_ = NoHandlers();
    std::map<SdkPropertyId, std::optional<std::string>> texts_;
    std::map<SdkPropertyId, std::optional<uint32_t>> values_;
    tagSdkPoint zoomAt_;
    std::optional<CameraClock> clock_;
    std::optional<uint32_t> shutterCount_;
    uint32_t nextNumber_ = 1;
    uint32_t picturesTaken_ = 0;
    std::string lastName_;
    std::shared_ptr<const std::vector<uint8_t>> lastPicture_;
    bool locked_ = false;
    SdkCapacity capacity_{};  // what the host declared in this session
    std::deque<Fault> faults_;
    uint32_t transferMs_;
    uint64_t pictureBytes_;
    bool armed_ = false;
    std::optional<Clock::time_point> unplugAt_;
    std::optional<Clock::time_point> shutdownAt_;
    Clock::time_point evfStartedAt_{};
    Clock::time_point nextFrameAt_{};  // live view has no new frame before this
    uint32_t transfers_ = 0;           // transfers in progress
    Clock::time_point busyUntil_{};    // busy after the last shot until this
    bool shutterHeld_ = false;         // fully pressed, not yet released
    uint32_t batteryOnCharge_ = 0;     // the battery's level while on the mains adapter
    // ISO, metering and exposure compensation the user had before an automatic mode.
    std::map<SdkPropertyId, uint32_t> beforeAutomatic_;
    int32_t lensPosition_ = 500;
    bool afRunning_ = false;
};

}  // namespace talbex::sim
