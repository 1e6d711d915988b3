// The camera's date/time property (0x06): seven 32-bit values, year to milliseconds. The
// windows read and write it directly from the window thread.
#pragma once

#include <optional>

#include "camera/sdk/sdk_types.h"
#include "platform/os/local_time.h"

namespace talbex::info {

/// The camera's clock, when both the size and the data read succeed and the camera
/// gives a record of the expected size.
std::optional<SdkTime> ReadCameraTime(SdkCameraRef camera);

/// Sets the camera's clock: the property's size first, then the record with that size.
/// A camera that gives another size for the record is refused before anything is sent.
SdkError WriteCameraTime(SdkCameraRef camera, const SdkTime& time);

/// The record of a local time, milliseconds included.
SdkTime ToCameraTime(const os::LocalTime& time);

}  // namespace talbex::info
