#include "camera/sdk/sim/sim_camera.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <thread>

#include "camera/sdk/sim/event_dispatcher.h"
#include "camera/sdk/sim/exif_block.h"
#include "camera/sdk/sim/property_codes.h"
#include "camera/sdk/sim/scene.h"

namespace talbex::sim {

namespace {

constexpr int kPictureQuality = 88;
constexpr uint32_t kPictureFormatJpeg = 0x3801;
constexpr uint32_t kEvfBitComputer = kEvfOutputDeviceComputer;
constexpr uint32_t kShutterButtonCompletelyNonAf = 2;

// Of the text properties, only the three the owner may edit are writable.
bool IsWritableText(SdkPropertyId id) {
    return id == kPropOwnerName || id == kPropArtist || id == kPropCopyright;
}

// 32-bit properties the program may not write.
bool IsReadOnlyValue(SdkPropertyId id) {
    return id == kPropBatteryLevel || id == kPropBatteryQuality || id == kPropShootingMode;
}

uint16_t IsoSpeed(uint32_t code) {
    if (code < 0x48)
        return 100;  // automatic: the camera chose the base speed
    return static_cast<uint16_t>(std::lround(100 * std::pow(2.0, (code - 0x48) / 8.0)));
}

// A handler registered for `filter` (one event, or the kind's "all") wants `event`.
bool Wants(uint32_t filter, uint32_t all, uint32_t event) {
    return filter == all || filter == event;
}

template <typename T>
std::vector<uint8_t> BytesOf(const T& value) {
    std::vector<uint8_t> bytes(sizeof(T));
    std::memcpy(bytes.data(), &value, sizeof(T));
    return bytes;
}

}  // namespace

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

    values_[kPropBatteryLevel] = settings_.batteryLevel;
    values_[kPropBatteryQuality] = settings_.batteryQuality;
    values_[kPropSaveTo] = 1;  // the card, until the program asks for the computer
    values_[kPropImageQuality] = settings_.legacy ? 0x00130000u : 0x0013FF0Fu;
    values_[kPropWhiteBalance] = 0;
    values_[kPropColorSpace] = 1;
    values_[kPropShootingMode] = settings_.modeDial;
    values_[kPropDriveMode] = 0;
    values_[kPropIsoSpeed] = 0x48;
    values_[kPropMeteringMode] = 3;
    values_[kPropAfMode] = 0;
    values_[kPropAv] = 0x30;
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

    if (settings_.clock)
        clock_.emplace(*settings_.clock);
    shutterCount_ = settings_.shutterCount;
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
    handlers_ = {};
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

void SimCamera::SetPictureBytes(uint64_t bytes) {
    std::lock_guard lock(mutex_);
    pictureBytes_ = bytes;
}

void SimCamera::MakePropertyAbsent(SdkPropertyId property) {
    std::lock_guard lock(mutex_);
    if (auto it = texts_.find(property); it != texts_.end())
        it->second.reset();
    if (auto it = values_.find(property); it != values_.end())
        it->second.reset();
    if (property == kPropDateTime)
        clock_.reset();
    if (property == kPropShutterCount)
        shutterCount_.reset();
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
    locked_ = false;
    afRunning_ = false;
    if (auto& device = values_[kPropEvfOutputDevice])
        *device &= ~kEvfBitComputer;
}

void SimCamera::OnLibraryClosed() {
    std::lock_guard lock(mutex_);
    sessions_ = 0;
    handlers_ = {};
    locked_ = false;
    afRunning_ = false;
    if (auto& device = values_[kPropEvfOutputDevice])
        *device &= ~kEvfBitComputer;
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
    return kSdkOk;
}

SdkError SimCamera::CloseSession(const Ref& ref) {
    std::lock_guard lock(mutex_);
    if (SdkError e = EnterLocked(ref.generation, Operation::CloseSession))
        return e;
    if (sessions_ == 0)
        return kSdkErrSessionNotOpen;
    if (--sessions_ == 0) {
        // Without a session the camera takes live view back to its own screen.
        locked_ = false;
        afRunning_ = false;
        if (auto& device = values_[kPropEvfOutputDevice])
            *device &= ~kEvfBitComputer;
    }
    return kSdkOk;
}

// ---- Properties -----------------------------------------------------------------------

SdkError SimCamera::PropertySizeLocked(SdkPropertyId id, SdkDataType* type, uint32_t* size) {
    if (auto it = texts_.find(id); it != texts_.end()) {
        if (!it->second)
            return kSdkErrPropertyUnavailable;
        *type = kDataTypeString;
        *size = static_cast<uint32_t>(it->second->size() + 1);
        return kSdkOk;
    }
    if (auto it = values_.find(id); it != values_.end()) {
        if (!it->second)
            return kSdkErrPropertyUnavailable;
        *type = kDataTypeUInt32;
        *size = sizeof(uint32_t);
        return kSdkOk;
    }
    switch (id) {
        case kPropDateTime:
            if (!clock_)
                return kSdkErrPropertyUnavailable;
            *type = kDataTypeTime;
            *size = sizeof(SdkTime);
            return kSdkOk;
        case kPropEvfZoomPosition:
            *type = kDataTypePoint;
            *size = sizeof(tagEdsPoint);
            return kSdkOk;
        case kPropFocusInfo:
            *type = kDataTypeFocusInfo;
            *size = sizeof(SdkFocusInfo);
            return kSdkOk;
        default:
            // Includes the shutter count, which the camera keeps outside its properties.
            return kSdkErrPropertyUnavailable;
    }
}

std::vector<uint8_t> SimCamera::PropertyBytesLocked(SdkPropertyId id) {
    if (auto it = texts_.find(id); it != texts_.end()) {
        std::vector<uint8_t> bytes(it->second->begin(), it->second->end());
        bytes.push_back(0);
        return bytes;
    }
    if (auto it = values_.find(id); it != values_.end())
        return BytesOf(*it->second);
    switch (id) {
        case kPropDateTime:
            return BytesOf(clock_->Now());
        case kPropEvfZoomPosition:
            return BytesOf(zoomAt_);
        case kPropFocusInfo:
            return BytesOf(BuildFocusInfo(FocusLocked(), settings_.liveViewSize));
        default:
            return {};
    }
}

SdkError SimCamera::GetPropertySize(const Ref& ref, SdkPropertyId id, int32_t /*param*/,
                                    SdkDataType* type, uint32_t* size) {
    std::lock_guard lock(mutex_);
    if (SdkError e = EnterLocked(ref.generation, Operation::GetPropertySize, id))
        return e;
    if (SdkError e = CheckSessionLocked())
        return e;
    return PropertySizeLocked(id, type, size);
}

SdkError SimCamera::GetPropertyData(const Ref& ref, SdkPropertyId id, int32_t /*param*/,
                                    uint32_t size, void* out) {
    std::lock_guard lock(mutex_);
    if (SdkError e = EnterLocked(ref.generation, Operation::GetPropertyData, id))
        return e;
    if (SdkError e = CheckSessionLocked())
        return e;
    SdkDataType type;
    uint32_t needed;
    if (SdkError e = PropertySizeLocked(id, &type, &needed))
        return e;
    if (size < needed)
        return kSdkErrInvalidLength;
    const std::vector<uint8_t> bytes = PropertyBytesLocked(id);
    std::memcpy(out, bytes.data(), bytes.size());
    return kSdkOk;
}

std::optional<std::vector<uint32_t>> SimCamera::AllowedLocked(SdkPropertyId id) {
    const uint32_t aeMode = values_[kPropAeMode].value_or(0);
    switch (id) {
        case kPropSaveTo:
            return SaveToCodes();
        case kPropImageQuality:
            return ImageQualityCodes(settings_.legacy);
        case kPropWhiteBalance:
            return WhiteBalanceCodes();
        case kPropColorSpace:
            return ColorSpaceCodes();
        case kPropShootingMode:
        case kPropAeMode:
            return AeModeCodes();
        case kPropDriveMode:
            return DriveModeCodes();
        case kPropIsoSpeed:
            return IsoCodes();
        case kPropMeteringMode:
            return MeteringCodes();
        case kPropAfMode:
            return AfModeCodes();
        case kPropAv:
            return AvCodesFor(aeMode);
        case kPropTv:
            return TvCodesFor(aeMode);
        case kPropExposureCompensation:
        case kPropFlashCompensation:
            return ExposureStepCodes();
        case kPropNoiseReduction:
            return NoiseReductionCodes();
        case kPropFlashOn:
        case kPropRedEye:
            return OffOnCodes();
        case kPropEvfOutputDevice:
            return Codes{0, 1, 2, 3};
        case kPropEvfMode:
        case kPropEvfDepthOfFieldPreview:
            return EvfModeCodes();
        case kPropEvfZoom:
            return EvfZoomCodesFor(values_[kPropEvfAfMode].value_or(0));
        case kPropEvfAfMode:
            return EvfAfModeCodes();
        default:
            return std::nullopt;
    }
}

SdkError SimCamera::GetPropertyDesc(const Ref& ref, SdkPropertyId id, SdkPropertyDesc* out) {
    std::lock_guard lock(mutex_);
    if (SdkError e = EnterLocked(ref.generation, Operation::GetPropertyDesc, id))
        return e;
    if (SdkError e = CheckSessionLocked())
        return e;
    SdkDataType type;
    uint32_t size;
    if (SdkError e = PropertySizeLocked(id, &type, &size))
        return e;
    *out = SdkPropertyDesc{};
    const bool writable = IsWritableText(id) || id == kPropDateTime || id == kPropEvfZoomPosition ||
                          (values_.count(id) != 0 && !IsReadOnlyValue(id));
    out->access = writable ? 1 : 0;
    if (auto allowed = AllowedLocked(id)) {
        out->form = 1;  // a list of values
        const size_t n = std::min<size_t>(allowed->size(), 128);
        out->numElements = static_cast<int32_t>(n);
        for (size_t i = 0; i < n; ++i)
            out->propDesc[i] = static_cast<int32_t>((*allowed)[i]);
    }
    return kSdkOk;
}

SdkError SimCamera::SetPropertyData(const Ref& ref, SdkPropertyId id, int32_t /*param*/,
                                    uint32_t size, const void* data) {
    std::lock_guard lock(mutex_);
    if (SdkError e = EnterLocked(ref.generation, Operation::SetPropertyData, id))
        return e;
    if (SdkError e = CheckSessionLocked())
        return e;
    return WriteLocked(id, size, data);
}

SdkError SimCamera::WriteLocked(SdkPropertyId id, uint32_t size, const void* data) {
    SdkDataType type;
    uint32_t current;
    if (SdkError e = PropertySizeLocked(id, &type, &current))
        return e;

    if (texts_.count(id) != 0) {
        if (!IsWritableText(id))
            return kSdkErrNotSupported;
        const auto* bytes = static_cast<const char*>(data);
        if (size == 0 || size > kMaxCameraText + 1 || bytes[size - 1] != '\0')
            return kSdkErrInvalidLength;
        texts_[id] = std::string(bytes);  // up to the first zero byte
        PostPropertyEventLocked(kPropertyEventPropertyChanged, id);
        return kSdkOk;
    }

    if (id == kPropDateTime) {
        if (size != sizeof(SdkTime))
            return kSdkErrInvalidLength;
        SdkTime time;
        std::memcpy(&time, data, sizeof time);
        if (!IsValidTime(time))
            return kSdkErrInvalidValue;
        clock_->Set(time);
        PostPropertyEventLocked(kPropertyEventPropertyChanged, id);
        return kSdkOk;
    }

    if (id == kPropEvfZoomPosition) {
        if (size != sizeof(tagEdsPoint))
            return kSdkErrInvalidLength;
        tagEdsPoint at;
        std::memcpy(&at, data, sizeof at);
        // The camera keeps the zoom rectangle inside the picture.
        zoomAt_ = ClampZoomPosition(at);
        PostPropertyEventLocked(kPropertyEventPropertyChanged, id);
        if (values_[kPropEvfAfMode] == 1u)
            PostPropertyEventLocked(kPropertyEventPropertyChanged, kPropFocusInfo);
        return kSdkOk;
    }

    if (values_.count(id) == 0 || IsReadOnlyValue(id))
        return kSdkErrNotSupported;
    if (size != sizeof(uint32_t))
        return kSdkErrInvalidLength;
    uint32_t value;
    std::memcpy(&value, data, sizeof value);
    auto allowed = AllowedLocked(id);
    if (!allowed || !Contains(*allowed, value))
        return kSdkErrInvalidValue;

    const uint32_t before = values_[id].value_or(0);
    if (id == kPropAeMode) {
        SetAeModeLocked(value);
        return kSdkOk;
    }
    values_[id] = value;
    PostPropertyEventLocked(kPropertyEventPropertyChanged, id);

    if (id == kPropEvfOutputDevice) {
        if ((value & kEvfBitComputer) != 0 && (before & kEvfBitComputer) == 0) {
            evfStartedAt_ = Clock::now();
            evfFrameReady_ = false;
        } else if ((value & kEvfBitComputer) == 0) {
            afRunning_ = false;
        }
    } else if (id == kPropEvfAfMode && value != before) {
        // Face detection cannot magnify: the zoom's allowed values change with the mode.
        PostPropertyEventLocked(kPropertyEventPropertyDescChanged, kPropEvfZoom);
        if (!Contains(EvfZoomCodesFor(value), values_[kPropEvfZoom].value_or(1))) {
            values_[kPropEvfZoom] = 1;
            PostPropertyEventLocked(kPropertyEventPropertyChanged, kPropEvfZoom);
        }
        PostPropertyEventLocked(kPropertyEventPropertyChanged, kPropFocusInfo);
    }
    return kSdkOk;
}

void SimCamera::SetAeModeLocked(uint32_t code) {
    values_[kPropAeMode] = code;
    PostPropertyEventLocked(kPropertyEventPropertyChanged, kPropAeMode);
    // What the program may choose for Tv and Av depends on the exposure mode.
    PostPropertyEventLocked(kPropertyEventPropertyDescChanged, kPropTv);
    PostPropertyEventLocked(kPropertyEventPropertyDescChanged, kPropAv);
}

// ---- Commands -------------------------------------------------------------------------

FocusState SimCamera::FocusLocked() {
    FocusState state;
    state.evfAfMode = values_[kPropEvfAfMode].value_or(0);
    state.lensPosition = lensPosition_;
    state.afRunning = afRunning_;
    state.zoomAt = zoomAt_;
    state.phase = EvfPhaseLocked();
    return state;
}

double SimCamera::EvfPhaseLocked() const {
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - evfStartedAt_);
    const int64_t frame = elapsed.count() * kEvfFramesPerSecond / 1000;
    return static_cast<double>(frame % kEvfCycleFrames) / kEvfCycleFrames;
}

SdkError SimCamera::SendCommand(const Ref& ref, SdkCameraCommand command, int32_t param) {
    std::unique_lock lock(mutex_);
    Operation operation;
    switch (command) {
        case kCameraCommandTakePicture:
            operation = Operation::TakePicture;
            break;
        case kCameraCommandPressShutterButton:
            operation = Operation::PressShutter;
            break;
        case kCameraCommandDoEvfAf:
            operation = Operation::DoEvfAf;
            break;
        case kCameraCommandDriveLensEvf:
            operation = Operation::DriveLens;
            break;
        default:
            ApplyDueFaultsLocked();
            if (!attached_ || ref.generation != generation_)
                return kSdkErrCommDisconnected;
            return kSdkErrNotSupported;
    }
    if (SdkError e = EnterLocked(ref.generation, operation))
        return e;
    if (SdkError e = CheckSessionLocked())
        return e;
    const bool liveView = (values_[kPropEvfOutputDevice].value_or(0) & kEvfBitComputer) != 0;

    switch (command) {
        case kCameraCommandTakePicture:
            return TakePicture(lock);
        case kCameraCommandPressShutterButton:
            switch (static_cast<uint32_t>(param)) {
                case kShutterButtonOff:
                    return kSdkOk;
                case kShutterButtonHalfway:
                    // Autofocus on the chosen point, as a half press does.
                    lensPosition_ = AutofocusTarget(FocusLocked());
                    PostPropertyEventLocked(kPropertyEventPropertyChanged, kPropFocusInfo);
                    return kSdkOk;
                case kShutterButtonCompletely:
                    lensPosition_ = AutofocusTarget(FocusLocked());
                    return TakePicture(lock);
                case kShutterButtonCompletelyNonAf:
                    return TakePicture(lock);
                default:
                    return kSdkErrInvalidParameter;
            }
        case kCameraCommandDoEvfAf:
            if (param != 0 && param != 1)
                return kSdkErrInvalidParameter;
            if (!liveView)
                return kSdkErrNotSupported;
            afRunning_ = param == 1;
            if (afRunning_)
                lensPosition_ = AutofocusTarget(FocusLocked());
            PostPropertyEventLocked(kPropertyEventPropertyChanged, kPropFocusInfo);
            return kSdkOk;
        default: {  // drive the lens
            const int32_t travel = LensDriveTravel(param);
            if (travel == 0)
                return kSdkErrInvalidParameter;
            if (!liveView)
                return kSdkErrNotSupported;
            lensPosition_ = std::clamp(lensPosition_ + travel, 0, 1000);
            PostPropertyEventLocked(kPropertyEventPropertyChanged, kPropFocusInfo);
            return kSdkOk;
        }
    }
}

SdkError SimCamera::TakePicture(std::unique_lock<std::mutex>& lock) {
    // Claim the number and gather what the picture carries, then draw it unlocked.
    const uint32_t number = nextNumber_;
    nextNumber_ = nextNumber_ >= 9999 ? 1 : nextNumber_ + 1;
    char name[32];
    std::snprintf(name, sizeof name, "IMG_%04u.JPG", number);
    ExifContent exif;
    exif.bigEndian = settings_.exifBigEndian;
    exif.make = "SimCam";
    exif.model = texts_[kPropProductName].value_or("SimCam");
    exif.firmware = texts_[kPropFirmwareVersion].value_or("");
    exif.dateTime = clock_ ? clock_->Now() : CameraSettings::LocalTimeNow();
    exif.width = static_cast<uint32_t>(settings_.pictureSize.width);
    exif.height = static_cast<uint32_t>(settings_.pictureSize.height);
    exif.iso = IsoSpeed(values_[kPropIsoSpeed].value_or(0));
    exif.bodySerial = settings_.ResolvedBodySerial();
    exif.makerNoteSerial = settings_.ResolvedMakerNoteSerial();
    const uint64_t padTo = pictureBytes_;
    const bool toHost = (values_[kPropSaveTo].value_or(1) & kSaveToHost) != 0;
    const uint64_t generation = generation_;
    const SdkTime when = exif.dateTime;

    lock.unlock();
    const double phase = std::fmod(number * 0.137, 1.0);
    const RgbImage image =
        RenderScene(settings_.pictureSize.width, settings_.pictureSize.height, phase);
    const std::vector<uint8_t> jpeg = EncodeJpeg(image, kPictureQuality);
    auto bytes = std::make_shared<const std::vector<uint8_t>>(
        AssemblePicture(jpeg, BuildExifSegment(exif), padTo));
    lock.lock();

    if (bytes->empty())
        return kSdkErrTakePictureFailed;
    if (!attached_ || generation != generation_)
        return kSdkErrCommDisconnected;
    ++picturesTaken_;
    if (shutterCount_)
        ++*shutterCount_;
    lastName_ = name;
    lastPicture_ = bytes;
    if (toHost) {
        auto item = std::make_shared<Item>();
        item->camera = weak_from_this();
        item->generation = generation_;
        item->fileName = name;
        item->bytes = bytes;
        item->dateTime = static_cast<uint32_t>(TimeToMilliseconds(when) / 1000);
        PostObjectEventLocked(kObjectEventDirItemRequestTransfer, std::move(item));
    }
    return kSdkOk;
}

SdkError SimCamera::SendStatusCommand(const Ref& ref, SdkStatusCommand command, int32_t) {
    std::lock_guard lock(mutex_);
    if (SdkError e = EnterLocked(ref.generation, Operation::StatusCommand))
        return e;
    if (SdkError e = CheckSessionLocked())
        return e;
    if (command == kStatusCommandUiLock) {
        locked_ = true;
        return kSdkOk;
    }
    if (command == kStatusCommandUiUnlock) {
        locked_ = false;
        return kSdkOk;
    }
    return kSdkErrNotSupported;
}

SdkError SimCamera::SetCapacity(const Ref& ref, SdkCapacity capacity) {
    std::lock_guard lock(mutex_);
    if (SdkError e = EnterLocked(ref.generation, Operation::SetCapacity))
        return e;
    if (SdkError e = CheckSessionLocked())
        return e;
    if (capacity.bytesPerSector <= 0 || capacity.numberOfFreeClusters < 0)
        return kSdkErrInvalidParameter;
    capacity_ = capacity;
    return kSdkOk;
}

SdkError SimCamera::GetShutterCount(const Ref& ref, uint32_t* out) {
    std::lock_guard lock(mutex_);
    if (SdkError e = EnterLocked(ref.generation, Operation::GetShutterCount))
        return e;
    if (!shutterCount_)
        return kSdkErrPropertyUnavailable;
    *out = *shutterCount_;
    return kSdkOk;
}

// ---- Transfers ------------------------------------------------------------------------

SdkError SimCamera::GetDirectoryItemInfo(const Item& item, SdkDirectoryItemInfo* out) {
    std::lock_guard lock(mutex_);
    if (SdkError e = EnterLocked(item.generation, Operation::GetDirectoryItemInfo))
        return e;
    *out = SdkDirectoryItemInfo{};
    out->size = static_cast<uint32_t>(std::min<uint64_t>(item.bytes->size(), UINT32_MAX));
    out->format = kPictureFormatJpeg;
    out->dateTime = item.dateTime;
    std::snprintf(out->fileName, sizeof out->fileName, "%s", item.fileName.c_str());
    return kSdkOk;
}

SdkError SimCamera::Download(const Item& item, uint64_t size, SdkStream& stream) {
    uint32_t transferMs;
    {
        std::lock_guard lock(mutex_);
        if (SdkError e = EnterLocked(item.generation, Operation::Download))
            return e;
        transferMs = transferMs_;
    }
    const std::vector<uint8_t>& bytes = *item.bytes;
    if (size != bytes.size())
        return kSdkErrInvalidLength;
    // About sixteen progress steps a picture; chunks of up to 4 MiB keep a large
    // transfer close to the speed of one plain write.
    const uint64_t chunk = std::clamp<uint64_t>(size / 16, 1024, 4 * 1024 * 1024);
    const auto started = Clock::now();
    if (stream.ReportProgress(0))
        return kSdkErrInternal;  // cancelled by the receiver
    uint32_t reported = 0;
    for (uint64_t done = 0; done < size;) {
        {
            std::lock_guard lock(mutex_);
            ApplyDueFaultsLocked();
            if (!attached_ || item.generation != generation_)
                return kSdkErrCommDisconnected;
        }
        const uint64_t n = std::min(chunk, size - done);
        if (SdkError e = stream.Write(bytes.data() + done, n))
            return e;
        done += n;
        if (transferMs > 0) {
            // The cable's pace: the transfer ends transferMs after it began.
            std::this_thread::sleep_until(
                started +
                std::chrono::milliseconds(transferMs * done / std::max<uint64_t>(size, 1)));
        }
        const auto percent = static_cast<uint32_t>(done * 100 / size);
        if (percent != reported) {
            reported = percent;
            if (stream.ReportProgress(percent))
                return kSdkErrInternal;
        }
    }
    if (reported != 100)
        stream.ReportProgress(100);
    return kSdkOk;
}

SdkError SimCamera::DownloadComplete(const Item& item) {
    std::lock_guard lock(mutex_);
    return EnterLocked(item.generation, Operation::DownloadComplete);
}

// ---- Live view ------------------------------------------------------------------------

SdkError SimCamera::DownloadEvfImage(const Ref& ref, SdkEvfImage& image) {
    int index;
    bool zoomed;
    tagEdsPoint zoomAt;
    {
        std::lock_guard lock(mutex_);
        if (SdkError e = EnterLocked(ref.generation, Operation::DownloadEvfImage))
            return e;
        if (SdkError e = CheckSessionLocked())
            return e;
        if ((values_[kPropEvfOutputDevice].value_or(0) & kEvfBitComputer) == 0)
            return kSdkErrObjectNotReady;
        if (!evfFrameReady_) {
            // The first frame after live view starts takes the camera a moment.
            evfFrameReady_ = true;
            return kSdkErrObjectNotReady;
        }
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - evfStartedAt_);
        index = static_cast<int>(elapsed.count() * kEvfFramesPerSecond / 1000 % kEvfCycleFrames);
        zoomed = values_[kPropEvfZoom].value_or(1) != 1;
        zoomAt = zoomAt_;
    }
    std::shared_ptr<const EvfFrame> frame = frames_.Frame(index, zoomed, zoomAt);
    if (!frame || frame->jpeg.empty())
        return kSdkErrInternal;
    image.stream->Truncate();
    if (SdkError e = image.stream->Write(frame->jpeg.data(), frame->jpeg.size()))
        return e;
    image.zoom = zoomed ? 5 : 1;
    image.zoomRect = {zoomAt.x, zoomAt.y, kEvfZoomWidth, kEvfZoomHeight};
    image.imagePosition = zoomed ? zoomAt : tagEdsPoint{0, 0};
    image.histogram = frame->histogram;
    image.coordinateSystem = kEvfCoordinateSystem;
    return kSdkOk;
}

// ---- Events ---------------------------------------------------------------------------

SdkError SimCamera::SetPropertyEventHandler(const Ref& ref, SdkPropertyEvent event,
                                            SdkPropertyEventHandler handler, void* context) {
    std::lock_guard lock(mutex_);
    if (!attached_ || ref.generation != generation_)
        return kSdkErrCommDisconnected;
    if ((event & 0xFFFFFF00u) != kPropertyEventAll)
        return kSdkErrInvalidParameter;
    handlers_.propertyFilter = event;
    handlers_.property = handler;
    handlers_.propertyContext = context;
    return kSdkOk;
}

SdkError SimCamera::SetObjectEventHandler(const Ref& ref, SdkObjectEvent event,
                                          SdkObjectEventHandler handler, void* context) {
    std::lock_guard lock(mutex_);
    if (!attached_ || ref.generation != generation_)
        return kSdkErrCommDisconnected;
    if ((event & 0xFFFFFF00u) != kObjectEventAll)
        return kSdkErrInvalidParameter;
    handlers_.objectFilter = event;
    handlers_.object = handler;
    handlers_.objectContext = context;
    return kSdkOk;
}

SdkError SimCamera::SetCameraStateEventHandler(const Ref& ref, SdkStateEvent event,
                                               SdkStateEventHandler handler, void* context) {
    std::lock_guard lock(mutex_);
    if (!attached_ || ref.generation != generation_)
        return kSdkErrCommDisconnected;
    if ((event & 0xFFFFFF00u) != kStateEventAll)
        return kSdkErrInvalidParameter;
    handlers_.stateFilter = event;
    handlers_.state = handler;
    handlers_.stateContext = context;
    return kSdkOk;
}

// Events reach only an open session; the handler is looked up when the event goes out,
// so a handler removed meanwhile is not called.
void SimCamera::PostPropertyEventLocked(SdkPropertyEvent event, SdkPropertyId id) {
    if (sessions_ == 0)
        return;
    std::weak_ptr<SimCamera> weak = weak_from_this();
    dispatcher_->Post([weak, event, id] {
        auto self = weak.lock();
        if (!self)
            return;
        SdkPropertyEventHandler handler;
        void* context;
        {
            std::lock_guard lock(self->mutex_);
            if (Wants(self->handlers_.propertyFilter, kPropertyEventAll, event))
                handler = self->handlers_.property;
            else
                handler = nullptr;
            context = self->handlers_.propertyContext;
        }
        if (handler)
            handler(event, id, 0, context);
    });
}

void SimCamera::PostStateEventLocked(SdkStateEvent event, uint32_t param) {
    if (sessions_ == 0)
        return;
    std::weak_ptr<SimCamera> weak = weak_from_this();
    dispatcher_->Post([weak, event, param] {
        auto self = weak.lock();
        if (!self)
            return;
        SdkStateEventHandler handler;
        void* context;
        {
            std::lock_guard lock(self->mutex_);
            if (Wants(self->handlers_.stateFilter, kStateEventAll, event))
                handler = self->handlers_.state;
            else
                handler = nullptr;
            context = self->handlers_.stateContext;
        }
        if (handler)
            handler(event, param, context);
    });
}

void SimCamera::PostObjectEventLocked(SdkObjectEvent event, std::shared_ptr<Item> item) {
    if (sessions_ == 0)
        return;
    std::weak_ptr<SimCamera> weak = weak_from_this();
    dispatcher_->Post([weak, event, item] {
        auto self = weak.lock();
        if (!self)
            return;
        SdkObjectEventHandler handler;
        void* context;
        {
            std::lock_guard lock(self->mutex_);
            if (Wants(self->handlers_.objectFilter, kObjectEventAll, event))
                handler = self->handlers_.object;
            else
                handler = nullptr;
            context = self->handlers_.objectContext;
        }
        if (!handler)
            return;
        // The receiver owns this reference and releases it.
        SdkBaseRef ref = SdkRegisterObject(item);
        if (ref != nullptr)
            handler(event, ref, context);
    });
}

}  // namespace talbex::sim
