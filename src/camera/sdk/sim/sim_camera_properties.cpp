// The simulated camera's properties: their types and bytes, their allowed values, and
// writes checked against them and answered with property events.
#include <cstring>

#include "camera/sdk/sim/property_codes.h"
#include "camera/sdk/sim/sim_camera.h"

namespace talbex::sim {

namespace {

// Of the text properties, only the three the owner may edit are writable.
bool IsWritableText(SdkPropertyId id) {
    return id == kPropOwnerName || id == kPropArtist || id == kPropCopyright;
}

bool IsBatteryValue(SdkPropertyId id) {
    return id == kPropBatteryLevel || id == kPropBatteryQuality;
}

// 32-bit properties the program may not write.
bool IsReadOnlyValue(SdkPropertyId id) {
    return IsBatteryValue(id) || id == kPropShootingMode;
}

template <typename T>
std::vector<uint8_t> BytesOf(const T& value) {
    std::vector<uint8_t> bytes(sizeof(T));
    std::memcpy(bytes.data(), &value, sizeof(T));
    return bytes;
}

}  // namespace

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
            *size = sizeof(tagSdkPoint);
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
    // A busy camera answers for its identity and its battery, not for its settings.
    if (BusyLocked() && values_.count(id) != 0 && !IsBatteryValue(id))
        return kSdkErrDeviceBusy;
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
            return AeModeCodes();
        case kPropAeMode:
            // The mode dial decides; the program can only confirm it.
            return Codes{values_[kPropShootingMode].value_or(0)};
        case kPropDriveMode:
            return DriveModeCodes();
        case kPropIsoSpeed:
            return IsoCodesFor(aeMode);
        case kPropMeteringMode:
            return MeteringCodesFor(aeMode);
        case kPropAfMode:
            return AfModeCodes();
        case kPropAv:
            return AvCodesFor(aeMode, settings_.widestAperture, settings_.narrowestAperture);
        case kPropTv:
            return TvCodesFor(aeMode);
        case kPropExposureCompensation:
            return ExposureStepCodesFor(aeMode);
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
    if (settings_.legacy && !locked_)
        return kSdkErrControlsNotLocked;
    if (BusyLocked())
        return kSdkErrDeviceBusy;
    return WriteLocked(id, size, data);
}

SdkError SimCamera::WriteLocked(SdkPropertyId id, uint32_t size, const void* data) {
    SdkDataType type;
    uint32_t current;
    if (SdkError e = PropertySizeLocked(id, &type, &current))
        return e;
    if (texts_.count(id) != 0)
        return WriteTextLocked(id, size, data);
    if (id == kPropDateTime)
        return WriteClockLocked(size, data);
    if (id == kPropEvfZoomPosition)
        return WriteZoomPositionLocked(size, data);
    return WriteValueLocked(id, size, data);
}

SdkError SimCamera::WriteTextLocked(SdkPropertyId id, uint32_t size, const void* data) {
    if (!IsWritableText(id))
        return kSdkErrNotSupported;
    const auto* bytes = static_cast<const char*>(data);
    if (size == 0 || size > settings_.textLimit + 1 || bytes[size - 1] != '\0')
        return kSdkErrInvalidLength;
    texts_[id] = std::string(bytes);  // up to the first zero byte
    PostPropertyEventLocked(kPropertyEventPropertyChanged, id);
    return kSdkOk;
}

SdkError SimCamera::WriteClockLocked(uint32_t size, const void* data) {
    if (size != sizeof(SdkTime))
        return kSdkErrInvalidLength;
    SdkTime time;
    std::memcpy(&time, data, sizeof time);
    if (!IsValidTime(time))
        return kSdkErrInvalidValue;
    clock_->Set(time);
    PostPropertyEventLocked(kPropertyEventPropertyChanged, kPropDateTime);
    return kSdkOk;
}

SdkError SimCamera::WriteZoomPositionLocked(uint32_t size, const void* data) {
    if (size != sizeof(tagSdkPoint))
        return kSdkErrInvalidLength;
    tagSdkPoint at;
    std::memcpy(&at, data, sizeof at);
    // The camera keeps the zoom rectangle inside the picture.
    zoomAt_ = ClampZoomPosition(at);
    PostPropertyEventLocked(kPropertyEventPropertyChanged, kPropEvfZoomPosition);
    if (values_[kPropEvfAfMode] == 1u)
        PostPropertyEventLocked(kPropertyEventPropertyChanged, kPropFocusInfo);
    return kSdkOk;
}

SdkError SimCamera::WriteValueLocked(SdkPropertyId id, uint32_t size, const void* data) {
    if (values_.count(id) == 0 || IsReadOnlyValue(id))
        return kSdkErrNotSupported;
    if (size != sizeof(uint32_t))
        return kSdkErrInvalidLength;
    uint32_t value;
    std::memcpy(&value, data, sizeof value);
    auto allowed = AllowedLocked(id);
    if (!allowed || !Contains(*allowed, value))
        return kSdkErrInvalidValue;

    if (SdkError e = EvfOrderLocked(id, value))
        return e;

    const uint32_t before = values_[id].value_or(0);
    if (id == kPropAeMode) {
        SetAeModeLocked(value);
        return kSdkOk;
    }
    SetValueLocked(id, value);
    if (id == kPropEvfOutputDevice)
        EvfOutputChangedLocked(before, value);
    else if (id == kPropEvfAfMode && value != before)
        EvfAfModeChangedLocked(value);
    return kSdkOk;
}

void SimCamera::SetValueLocked(SdkPropertyId id, uint32_t value) {
    values_[id] = value;
    PostPropertyEventLocked(kPropertyEventPropertyChanged, id);
}

SdkError SimCamera::EvfOrderLocked(SdkPropertyId id, uint32_t value) {
    const bool toComputer =
        (values_[kPropEvfOutputDevice].value_or(0) & kEvfOutputDeviceComputer) != 0;
    switch (id) {
        case kPropEvfOutputDevice:
            // Live view goes to the computer only with live-view mode on, and ends only
            // after the depth-of-field preview.
            if ((value & kEvfOutputDeviceComputer) != 0 && values_[kPropEvfMode] == 0u)
                return kSdkErrNotSupported;
            if (toComputer && (value & kEvfOutputDeviceComputer) == 0 &&
                values_[kPropEvfDepthOfFieldPreview] != 0u)
                return kSdkErrNotSupported;
            return kSdkOk;
        case kPropEvfMode:
            return value == 0 && toComputer ? kSdkErrNotSupported : kSdkOk;
        case kPropEvfDepthOfFieldPreview:
            return value != 0 && !toComputer ? kSdkErrNotSupported : kSdkOk;
        default:
            return kSdkOk;
    }
}

void SimCamera::EvfOutputChangedLocked(uint32_t before, uint32_t now) {
    if ((now & kEvfOutputDeviceComputer) != 0 && (before & kEvfOutputDeviceComputer) == 0) {
        evfStartedAt_ = Clock::now();
        // The first frame takes the camera a frame's time.
        nextFrameAt_ = evfStartedAt_ + FramePeriod();
    } else if ((now & kEvfOutputDeviceComputer) == 0) {
        afRunning_ = false;
    }
}

void SimCamera::EvfAfModeChangedLocked(uint32_t mode) {
    // Face detection cannot magnify: the zoom's allowed values change with the mode.
    PostPropertyEventLocked(kPropertyEventPropertyDescChanged, kPropEvfZoom);
    if (!Contains(EvfZoomCodesFor(mode), values_[kPropEvfZoom].value_or(1))) {
        values_[kPropEvfZoom] = 1;
        PostPropertyEventLocked(kPropertyEventPropertyChanged, kPropEvfZoom);
    }
    PostPropertyEventLocked(kPropertyEventPropertyChanged, kPropFocusInfo);
}

void SimCamera::SetAeModeLocked(uint32_t code) {
    const bool wasAutomatic = IsAutomaticMode(values_[kPropAeMode].value_or(0));
    const bool automatic = IsAutomaticMode(code);
    SetValueLocked(kPropAeMode, code);
    PostPropertyEventLocked(kPropertyEventPropertyDescChanged, kPropAeMode);
    // What the program may choose depends on the exposure mode.
    for (SdkPropertyId id :
         {kPropTv, kPropAv, kPropIsoSpeed, kPropMeteringMode, kPropExposureCompensation})
        PostPropertyEventLocked(kPropertyEventPropertyDescChanged, id);
    const SdkPropertyId decided[] = {kPropIsoSpeed, kPropMeteringMode, kPropExposureCompensation};
    if (automatic && !wasAutomatic) {
        // The camera takes over; the user's choices come back with a creative mode.
        for (SdkPropertyId id : decided) {
            beforeAutomatic_[id] = values_[id].value_or(0);
            SetValueLocked(id, AllowedLocked(id)->front());
        }
    } else if (!automatic && wasAutomatic) {
        for (SdkPropertyId id : decided) {
            if (auto it = beforeAutomatic_.find(id); it != beforeAutomatic_.end())
                SetValueLocked(id, it->second);
        }
    }
}

}  // namespace talbex::sim
