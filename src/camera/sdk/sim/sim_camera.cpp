// The camera's state, its scripting interface, its presence and its session.
#include "camera/sdk/sim/sim_camera.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "camera/sdk/sim/event_dispatcher.h"
#include "camera/sdk/sim/property_codes.h"

namespace talbex::sim {

SimCamera::SimCamera(CameraSettings settings, int index,
                     std::shared_ptr<EventDispatcher> dispatcher)
    : settings_(std::move(settings)),
      index_(index),
      dispatcher_(std::move(dispatcher)),
      frames_(settings_.liveViewSize),
      zoomAt_(ClampZoomPosition({(kEvfCoordinateSystem.width - kEvfZoomWidth) / 2,
                                 (kEvfCoordinateSystem.height - kEvfZoomHeight) / 2})),
      transferMs_(settings_.transferMs),
      pictureBytes_(settings_.pictureBytes) {
    texts_[kPropProductName] = settings_.model;
    texts_[kPropOwnerName] = settings_.owner;
    texts_[kPropFirmwareVersion] = settings_.firmware;
    texts_[kPropCurrentFolder] = settings_.currentFolder;
    texts_[kPropBodySerial] = settings_.serial;
    texts_[kPropLensName] = settings_.lens;
    texts_[kPropArtist] = settings_.artist;
    texts_[kPropCopyright] = settings_.copyright;

    values_[kPropBatteryLevel] = settings_.mainsPower && settings_.batteryLevel
                                     ? kBatteryLevelMains
                                     : settings_.batteryLevel;
    values_[kPropBatteryQuality] = settings_.batteryQuality;
    values_[kPropSaveTo] = 1;  // the card, until the program asks for the computer
    values_[kPropImageQuality] =
        settings_.imageQuality.value_or(settings_.legacy ? 0x00130000u : 0x0013FF0Fu);
    values_[kPropWhiteBalance] = 0;
    values_[kPropColorSpace] = settings_.colorSpace;
    values_[kPropShootingMode] = settings_.modeDial;
    values_[kPropDriveMode] = 0;
    values_[kPropIsoSpeed] = 0x48;
    values_[kPropMeteringMode] = 3;
    values_[kPropAfMode] = 0;
    // f/5.6, or the nearest the lens has.
    values_[kPropAv] =
        std::clamp<uint32_t>(0x30, settings_.widestAperture, settings_.narrowestAperture);
    values_[kPropTv] = 0x68;
    values_[kPropExposureCompensation] = 0;
    values_[kPropFlashCompensation] = 0;
    values_[kPropNoiseReduction] = 0;
    values_[kPropFlashOn] = 0;
    values_[kPropRedEye] = 0;
    values_[kPropAeMode] = settings_.modeDial;
    values_[kPropEvfOutputDevice] = 0;
    values_[kPropEvfMode] = 0;
    values_[kPropEvfDepthOfFieldPreview] = 0;
    values_[kPropEvfZoom] = 1;
    values_[kPropEvfAfMode] = 0;

    if (IsAutomaticMode(settings_.modeDial)) {
        // The dial stands on an automatic mode: the camera has set what it decides.
        for (SdkPropertyId id : {kPropIsoSpeed, kPropMeteringMode, kPropExposureCompensation})
            beforeAutomatic_[id] = *values_[id];
        values_[kPropIsoSpeed] = IsoCodesFor(settings_.modeDial).front();
        values_[kPropMeteringMode] = MeteringCodesFor(settings_.modeDial).front();
        values_[kPropExposureCompensation] = ExposureStepCodesFor(settings_.modeDial).front();
    }
    if (settings_.clock)
        clock_.emplace(*settings_.clock);
    shutterCount_ = settings_.shutterCount;
    batteryOnCharge_ = settings_.batteryLevel.value_or(0);
    for (const Fault& fault : settings_.faults) {
        if (fault.count > 0)
            faults_.push_back(fault);
    }
}

SimCamera::~SimCamera() = default;

// ---- Scripting ------------------------------------------------------------------------

void SimCamera::Unplug() {
    std::lock_guard lock(mutex_);
    if (attached_)
        DisconnectLocked();
}

void SimCamera::PlugIn() {
    std::lock_guard lock(mutex_);
    if (attached_)
        return;
    attached_ = true;
    ++generation_;
    handlers_ = NoHandlers();
    unplugAt_.reset();
    shutdownAt_.reset();
}

void SimCamera::ShutDown() {
    std::lock_guard lock(mutex_);
    if (!attached_)
        return;
    PostStateEventLocked(kStateEventShutdown, 0);
    DisconnectLocked();
}

void SimCamera::UnplugAfter(std::chrono::milliseconds delay) {
    {
        std::lock_guard lock(mutex_);
        unplugAt_ = Clock::now() + delay;
    }
    ScheduleTimedFaults();
}

void SimCamera::ShutDownAfter(std::chrono::milliseconds delay) {
    {
        std::lock_guard lock(mutex_);
        shutdownAt_ = Clock::now() + delay;
    }
    ScheduleTimedFaults();
}

void SimCamera::TurnModeDial(uint32_t code) {
    std::lock_guard lock(mutex_);
    values_[kPropShootingMode] = code;
    PostPropertyEventLocked(kPropertyEventPropertyChanged, kPropShootingMode);
    SetAeModeLocked(code);
}

void SimCamera::FailNext(Operation operation, uint32_t times, SdkError code,
                         std::optional<SdkPropertyId> property) {
    if (times == 0)
        return;
    std::lock_guard lock(mutex_);
    faults_.push_back(Fault{operation, property, times, code});
}

void SimCamera::SetTransferTime(std::chrono::milliseconds total) {
    std::lock_guard lock(mutex_);
    transferMs_ = static_cast<uint32_t>(std::max<int64_t>(0, total.count()));
}

void SimCamera::SetMainsPower(bool mains) {
    std::lock_guard lock(mutex_);
    auto& level = values_[kPropBatteryLevel];
    if (!level)
        return;
    if (mains && *level != kBatteryLevelMains) {
        batteryOnCharge_ = *level;
        level = kBatteryLevelMains;
    } else if (!mains && *level == kBatteryLevelMains) {
        level = batteryOnCharge_;
    } else {
        return;
    }
    PostPropertyEventLocked(kPropertyEventPropertyChanged, kPropBatteryLevel);
}

void SimCamera::SetPictureBytes(uint64_t bytes) {
    std::lock_guard lock(mutex_);
    pictureBytes_ = bytes;
}

// ---- Reading back ---------------------------------------------------------------------

bool SimCamera::IsAttached() {
    std::lock_guard lock(mutex_);
    ApplyDueFaultsLocked();
    return attached_;
}

bool SimCamera::SessionOpen() {
    std::lock_guard lock(mutex_);
    return sessions_ > 0;
}

bool SimCamera::ControlsLocked() {
    std::lock_guard lock(mutex_);
    return locked_;
}

std::optional<uint32_t> SimCamera::PropertyValue(SdkPropertyId property) {
    std::lock_guard lock(mutex_);
    auto it = values_.find(property);
    if (it == values_.end())
        return std::nullopt;
    return it->second;
}

std::optional<std::string> SimCamera::PropertyText(SdkPropertyId property) {
    std::lock_guard lock(mutex_);
    auto it = texts_.find(property);
    if (it == texts_.end())
        return std::nullopt;
    return it->second;
}

std::optional<std::vector<uint8_t>> SimCamera::PropertyBytes(SdkPropertyId property) {
    std::lock_guard lock(mutex_);
    SdkDataType type;
    uint32_t size;
    if (PropertySizeLocked(property, &type, &size) != kSdkOk)
        return std::nullopt;
    return PropertyBytesLocked(property);
}

std::optional<uint32_t> SimCamera::ShutterCount() {
    std::lock_guard lock(mutex_);
    return shutterCount_;
}

uint32_t SimCamera::PicturesTaken() {
    std::lock_guard lock(mutex_);
    return picturesTaken_;
}

std::string SimCamera::LastPictureName() {
    std::lock_guard lock(mutex_);
    return lastName_;
}

std::vector<uint8_t> SimCamera::LastPicture() {
    std::lock_guard lock(mutex_);
    return lastPicture_ ? *lastPicture_ : std::vector<uint8_t>{};
}

SdkCapacity SimCamera::Capacity() {
    std::lock_guard lock(mutex_);
    return capacity_;
}

int32_t SimCamera::LensPosition() {
    std::lock_guard lock(mutex_);
    return lensPosition_;
}

// ---- Presence and timed faults ----------------------------------------------------------

bool SimCamera::Present(uint64_t* generation) {
    std::lock_guard lock(mutex_);
    ApplyDueFaultsLocked();
    *generation = generation_;
    return attached_;
}

std::shared_ptr<SimCamera::Ref> SimCamera::MakeRef() {
    std::lock_guard lock(mutex_);
    return std::make_shared<Ref>(shared_from_this(), generation_);
}

void SimCamera::ArmTimedFaults(Clock::time_point epoch) {
    std::lock_guard lock(mutex_);
    if (armed_)
        return;
    armed_ = true;
    if (settings_.unplugAfterMs >= 0)
        unplugAt_ = epoch + std::chrono::milliseconds(settings_.unplugAfterMs);
    if (settings_.shutdownAfterMs >= 0)
        shutdownAt_ = epoch + std::chrono::milliseconds(settings_.shutdownAfterMs);
}

void SimCamera::ScheduleTimedFaults() {
    std::optional<Clock::time_point> due;
    {
        std::lock_guard lock(mutex_);
        if (unplugAt_)
            due = unplugAt_;
        if (shutdownAt_ && (!due || *shutdownAt_ < *due))
            due = shutdownAt_;
    }
    if (!due)
        return;
    std::weak_ptr<SimCamera> weak = weak_from_this();
    auto apply = [weak] {
        if (auto self = weak.lock()) {
            std::lock_guard lock(self->mutex_);
            self->ApplyDueFaultsLocked();
        }
    };
    // Both moments get a task; the one that finds nothing due does nothing.
    std::lock_guard lock(mutex_);
    if (unplugAt_)
        dispatcher_->PostAt(*unplugAt_, apply);
    if (shutdownAt_)
        dispatcher_->PostAt(*shutdownAt_, apply);
}

void SimCamera::ApplyDueFaultsLocked() {
    const auto now = Clock::now();
    if (shutdownAt_ && now >= *shutdownAt_) {
        shutdownAt_.reset();
        if (attached_) {
            PostStateEventLocked(kStateEventShutdown, 0);
            DisconnectLocked();
        }
    }
    if (unplugAt_ && now >= *unplugAt_) {
        unplugAt_.reset();
        if (attached_)
            DisconnectLocked();
    }
}

void SimCamera::DisconnectLocked() {
    attached_ = false;
    ++generation_;
    sessions_ = 0;
    SessionEndedLocked();
}

void SimCamera::OnLibraryClosed() {
    std::lock_guard lock(mutex_);
    sessions_ = 0;
    handlers_ = NoHandlers();
    SessionEndedLocked();
}

void SimCamera::SessionEndedLocked() {
    // Without a session the camera takes live view back to its own screen, frees its
    // controls and its shutter, and forgets what the host told it.
    locked_ = false;
    afRunning_ = false;
    shutterHeld_ = false;
    capacity_ = {};
    if (auto& device = values_[kPropEvfOutputDevice])
        *device &= ~kEvfOutputDeviceComputer;
    values_[kPropEvfDepthOfFieldPreview] = 0;
}

bool SimCamera::BusyLocked() const {
    return (settings_.busyWhileTransferring && transfers_ > 0) || Clock::now() < busyUntil_;
}

void SimCamera::AnnounceAllLocked() {
    std::set<SdkPropertyId> kept;
    for (const auto& [id, text] : texts_) {
        if (text)
            kept.insert(id);
    }
    for (const auto& [id, value] : values_) {
        if (value)
            kept.insert(id);
    }
    if (clock_)
        kept.insert(kPropDateTime);
    kept.insert(kPropEvfZoomPosition);
    for (SdkPropertyId id : kept) {
        PostPropertyEventLocked(kPropertyEventPropertyChanged, id);
        PostPropertyEventLocked(kPropertyEventPropertyDescChanged, id);
    }
}

SdkError SimCamera::EnterLocked(uint64_t generation, Operation operation,
                                std::optional<SdkPropertyId> property) {
    ApplyDueFaultsLocked();
    if (!attached_ || generation != generation_)
        return kSdkErrCommDisconnected;
    for (auto it = faults_.begin(); it != faults_.end(); ++it) {
        if (it->operation != operation)
            continue;
        if (it->property && (!property || *it->property != *property))
            continue;
        const SdkError code = it->code;
        if (--it->count == 0)
            faults_.erase(it);
        return code;
    }
    return kSdkOk;
}

SdkError SimCamera::CheckSessionLocked() const {
    return sessions_ > 0 ? kSdkOk : kSdkErrSessionNotOpen;
}

// ---- Device and session ---------------------------------------------------------------

SdkError SimCamera::GetDeviceInfo(const Ref& ref, SdkDeviceInfo* out) {
    std::lock_guard lock(mutex_);
    if (SdkError e = EnterLocked(ref.generation, Operation::GetDeviceInfo))
        return e;
    *out = SdkDeviceInfo{};
    std::snprintf(out->portName, sizeof out->portName, "usb:sim%d", index_ + 1);
    std::snprintf(out->deviceDescription, sizeof out->deviceDescription, "%s",
                  settings_.model ? settings_.model->c_str() : "SimCam");
    out->deviceSubType = settings_.legacy ? 0 : 1;
    return kSdkOk;
}

SdkError SimCamera::OpenSession(const Ref& ref) {
    std::lock_guard lock(mutex_);
    if (SdkError e = EnterLocked(ref.generation, Operation::OpenSession))
        return e;
    ++sessions_;
    // A current camera tells a new session everything it keeps; an older one waits to be
    // asked.
    if (!settings_.legacy)
        AnnounceAllLocked();
    return kSdkOk;
}

SdkError SimCamera::CloseSession(const Ref& ref) {
    std::lock_guard lock(mutex_);
    if (SdkError e = EnterLocked(ref.generation, Operation::CloseSession))
        return e;
    if (sessions_ == 0)
        return kSdkErrSessionNotOpen;
    if (--sessions_ == 0)
        SessionEndedLocked();
    return kSdkOk;
}

}  // namespace talbex::sim
