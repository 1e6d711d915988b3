#include "camera/property_commands.h"

#include <cstring>
#include <string>

#include "camera/command_result.h"
#include "camera/control_lock.h"
#include "camera/sdk/sdk.h"

namespace talbex::camera {

namespace {

uint32_t limitTo(uint32_t reported, size_t buffer) {
    return reported < buffer ? reported : static_cast<uint32_t>(buffer);
}

}  // namespace

SdkError GetPropertyCommand::readProperty(SdkPropertyId id) {
    if (id == kPropAllDisplayed)
        return forEachDisplayedProperty([this](SdkPropertyId each) { return readProperty(each); });

    SdkDataType type = 0;
    uint32_t size = 0;
    if (SdkError e = SdkGetPropertySize(camera(), id, 0, &type, &size))
        return e;
    CameraModel& model = *getModel();
    SdkError result = kSdkOk;
    switch (type) {
        case kDataTypeUInt32: {
            uint32_t value = 0;
            result = SdkGetPropertyData(camera(), id, 0, limitTo(size, sizeof value), &value);
            if (result == kSdkOk)
                model.setPropertyUInt32(id, value);
            break;
        }
        case kDataTypeString: {
            char text[256] = {};
            // The last byte stays zero whatever the camera sends.
            result = SdkGetPropertyData(camera(), id, 0, limitTo(size, sizeof text - 1), text);
            if (result == kSdkOk)
                model.setPropertyString(id, std::string(text, strnlen(text, sizeof text)));
            break;
        }
        case kDataTypeFocusInfo: {
            SdkFocusInfo info{};
            result = SdkGetPropertyData(camera(), id, 0, limitTo(size, sizeof info), &info);
            if (result == kSdkOk)
                model.setFocusInfo(info);
            break;
        }
        default:
            break;  // not kept; still announced
    }
    if (result != kSdkOk)
        return result;
    SdkPropertyId announced = id;
    notify("PropertyChanged", &announced);
    return kSdkOk;
}

bool GetPropertyCommand::execute() {
    SdkError result = withControlLock(getModel(), [this] { return readProperty(id_); });
    return finishRetryingBusy(result, isBusyLow16(result));
}

SdkError GetPropertyDescCommand::readDesc(SdkPropertyId id) {
    if (id == kPropAllDisplayed)
        return forEachDisplayedProperty([this](SdkPropertyId each) { return readDesc(each); });
    SdkPropertyDesc desc{};
    SdkError result = SdkGetPropertyDesc(camera(), id, &desc);
    if (result == kSdkOk) {
        getModel()->setPropertyDesc(id, desc);
        SdkPropertyId announced = id;
        notify("PropertyDescChanged", &announced);
    }
    return result;
}

bool GetPropertyDescCommand::execute() {
    SdkError result = withControlLock(getModel(), [this] { return readDesc(id_); });
    return finishRetryingBusy(result, isBusyLow16(result));
}

namespace {

uint32_t toWire(unsigned long value) {
    return static_cast<uint32_t>(value);
}
tagSdkPoint toWire(tagSdkPoint point) {
    return point;
}

}  // namespace

template <typename T>
bool SetPropertyCommand<T>::execute() {
    auto wire = toWire(value_);
    SdkError result = withControlLock(
        getModel(), [&] { return SdkSetPropertyData(camera(), id_, 0, sizeof wire, &wire); });
    return finishRetryingBusy(result, isBusyExactly(result));
}

template class SetPropertyCommand<unsigned long>;
template class SetPropertyCommand<tagSdkPoint>;

}  // namespace talbex::camera
