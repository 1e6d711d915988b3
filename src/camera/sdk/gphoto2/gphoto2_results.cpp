#include "camera/sdk/gphoto2/gphoto2_results.h"

#include <gphoto2/gphoto2-port-result.h>
#include <gphoto2/gphoto2-result.h>

namespace talbex::gphoto {

namespace {

constexpr ResultMapping kResults[] = {
    {GP_OK, kSdkOk, Failure::kNone},
    {GP_ERROR_CAMERA_BUSY, kSdkErrDeviceBusy, Failure::kRefused},
    {GP_ERROR_NOT_SUPPORTED, kSdkErrNotSupported, Failure::kRefused},
    {GP_ERROR_BAD_PARAMETERS, kSdkErrInvalidValue, Failure::kRefused},
    {GP_ERROR_FILE_NOT_FOUND, kSdkErrInvalidHandle, Failure::kRefused},
    {GP_ERROR_DIRECTORY_NOT_FOUND, kSdkErrInvalidHandle, Failure::kRefused},
    {GP_ERROR_CANCEL, kSdkErrInternal, Failure::kRefused},
    {GP_ERROR_NO_MEMORY, kSdkErrInternal, Failure::kRefused},
    {GP_ERROR_NO_SPACE, kSdkErrFileIo, Failure::kRefused},
    // libgphoto2's camera drivers answer every failed exchange with the camera (a
    // time-out, one garbled answer) with a plain I/O error: the camera may well still be
    // there, and asking again is the answer when it is.
    {GP_ERROR_IO, kSdkErrDeviceBusy, Failure::kUnclear},
    {GP_ERROR_IO_READ, kSdkErrDeviceBusy, Failure::kUnclear},
    {GP_ERROR_IO_WRITE, kSdkErrDeviceBusy, Failure::kUnclear},
    {GP_ERROR_IO_INIT, kSdkErrCommDisconnected, Failure::kLost},
    {GP_ERROR_IO_UPDATE, kSdkErrCommDisconnected, Failure::kLost},
    {GP_ERROR_IO_USB_CLEAR_HALT, kSdkErrCommDisconnected, Failure::kLost},
    {GP_ERROR_IO_USB_FIND, kSdkErrCommDisconnected, Failure::kLost},
    {GP_ERROR_TIMEOUT, kSdkErrDeviceBusy, Failure::kUnclear},
};

}  // namespace

ResultMapping MapResult(int result) {
    for (const ResultMapping& m : kResults)
        if (m.result == result)
            return m;
    if (result >= GP_OK)
        return {result, kSdkOk, Failure::kNone};
    return {result, kSdkErrInternal, Failure::kUnclear};
}

}  // namespace talbex::gphoto
