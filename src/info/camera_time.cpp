#include "info/camera_time.h"

#include "camera/sdk/sdk.h"

namespace talbex::info {

std::optional<SdkTime> ReadCameraTime(SdkCameraRef camera) {
    SdkDataType type = 0;
    uint32_t size = 0;
    if (SdkGetPropertySize(camera, kPropDateTime, 0, &type, &size) != kSdkOk ||
        size != sizeof(SdkTime))
        return std::nullopt;
    SdkTime time{};
    if (SdkGetPropertyData(camera, kPropDateTime, 0, sizeof time, &time) != kSdkOk)
        return std::nullopt;
    return time;
}

SdkError WriteCameraTime(SdkCameraRef camera, const SdkTime& time) {
    SdkDataType type = 0;
    uint32_t size = 0;
    if (SdkError e = SdkGetPropertySize(camera, kPropDateTime, 0, &type, &size))
        return e;
    // Sending more bytes than the record holds would read past it.
    if (size != sizeof time)
        return kSdkErrInvalidLength;
    return SdkSetPropertyData(camera, kPropDateTime, 0, size, &time);
}

SdkTime ToCameraTime(const os::LocalTime& t) {
    return SdkTime{static_cast<uint32_t>(t.year),       static_cast<uint32_t>(t.month),
                   static_cast<uint32_t>(t.day),        static_cast<uint32_t>(t.hour),
                   static_cast<uint32_t>(t.minute),     static_cast<uint32_t>(t.second),
                   static_cast<uint32_t>(t.millisecond)};
}

}  // namespace talbex::info
