// Shooting and pictures: the picture command, and a picture's information, its transfer
// and what becomes of it on the camera afterwards.
#include <gphoto2/gphoto2-file.h>
#include <gphoto2/gphoto2-result.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "camera/sdk/gphoto2/camera_session.h"

namespace talbex::gphoto {

namespace {

constexpr uint32_t kJpegFormat = 0x3801;

}  // namespace

SdkError CameraSession::Command(SdkCameraCommand command, int32_t param) {
    if (Gone())
        return kSdkErrCommDisconnected;
    std::lock_guard lock(cameraMutex_);
    ScopedCLocale locale;
    switch (command) {
        case kCameraCommandTakePicture:
            return CaptureLocked();
        case kCameraCommandPressShutterButton:
            return PressShutterLocked(param);
        case kCameraCommandDoEvfAf:
            if (param != 0 && param != 1)
                return kSdkErrInvalidParameter;
            return SetControlLocked(Control::kAutofocusDrive, "", static_cast<float>(param));
        case kCameraCommandDriveLensEvf:
            return DriveFocusLocked(static_cast<uint32_t>(param));
        default:
            return kSdkErrNotSupported;
    }
}

SdkError CameraSession::CaptureLocked() {
    // The picture is announced by the camera's "file added" event; a driver that can
    // only capture and wait gives its path here instead.
    int result = gp_camera_trigger_capture(camera_, context_);
    if (result == GP_ERROR_NOT_SUPPORTED) {
        CameraFilePath path{};
        result = gp_camera_capture(camera_, GP_CAPTURE_IMAGE, &path, context_);
        if (result == GP_OK)
            Post(Event{Event::Kind::kPicture, path.folder, path.name, 0});
    }
    return OutcomeLocked(result, kSdkErrTakePictureFailed);
}

SdkError CameraSession::PictureInfo(const CameraPicture& picture, SdkDirectoryItemInfo* out) {
    if (Gone())
        return kSdkErrCommDisconnected;
    std::lock_guard lock(cameraMutex_);
    ScopedCLocale locale;
    CameraFileInfo info{};
    const int result = gp_camera_file_get_info(camera_, picture.folder.c_str(),
                                               picture.name.c_str(), &info, context_);
    if (result != GP_OK)
        return OutcomeLocked(result);
    *out = SdkDirectoryItemInfo{};
    if (info.file.fields & GP_FILE_INFO_SIZE)
        out->size = static_cast<uint32_t>(std::min<uint64_t>(info.file.size, UINT32_MAX));
    if ((info.file.fields & GP_FILE_INFO_TYPE) && std::strcmp(info.file.type, GP_MIME_JPEG) == 0)
        out->format = kJpegFormat;
    if (info.file.fields & GP_FILE_INFO_MTIME)
        out->dateTime = static_cast<uint32_t>(info.file.mtime);
    std::snprintf(out->fileName, sizeof out->fileName, "%s", picture.name.c_str());
    return kSdkOk;
}

SdkError CameraSession::Download(const CameraPicture& picture, uint64_t size, SdkStream& stream) {
    if (Gone())
        return kSdkErrCommDisconnected;
    // libgphoto2 hands the picture over part by part; each part goes straight into the
    // program's stream, with progress as it grows.
    struct Sink {
        SdkStream& stream;
        uint64_t size;
        uint64_t written = 0;
        uint32_t reported = 0;
        bool cancelled = false;
        SdkError error = kSdkOk;

        static int Size(void* priv, uint64_t* out) {
            *out = static_cast<Sink*>(priv)->written;
            return GP_OK;
        }
        static int Read(void*, unsigned char*, uint64_t*) { return GP_ERROR_NOT_SUPPORTED; }
        static int Write(void* priv, unsigned char* data, uint64_t* length) {
            auto* s = static_cast<Sink*>(priv);
            if (SdkError e = s->stream.Write(data, *length)) {
                s->error = e;
                return GP_ERROR_CANCEL;
            }
            s->written += *length;
            const auto percent = static_cast<uint32_t>(
                s->size == 0 ? 100 : std::min<uint64_t>(100, s->written * 100 / s->size));
            if (percent != s->reported) {
                s->reported = percent;
                if (s->stream.ReportProgress(percent)) {
                    s->cancelled = true;
                    return GP_ERROR_CANCEL;
                }
            }
            return GP_OK;
        }
    } sink{stream, size};
    CameraFileHandler handler{&Sink::Size, &Sink::Read, &Sink::Write};

    std::lock_guard lock(cameraMutex_);
    ScopedCLocale locale;
    if (stream.ReportProgress(0))
        return kSdkErrInternal;  // cancelled by the receiver
    CameraFile* file = nullptr;
    if (gp_file_new_from_handler(&file, &handler, &sink) != GP_OK)
        return kSdkErrInternal;
    int result;
    {
        // libgphoto2's driver keeps a few bytes for good when the camera answers busy.
        ScopedForeignAllocations foreign;
        result = gp_camera_file_get(camera_, picture.folder.c_str(), picture.name.c_str(),
                                    GP_FILE_TYPE_NORMAL, file, context_);
    }
    gp_file_unref(file);
    if (sink.error != kSdkOk)
        return sink.error;
    if (sink.cancelled)
        return kSdkErrInternal;
    if (result != GP_OK)
        return OutcomeLocked(result);
    if (sink.reported != 100)
        stream.ReportProgress(100);
    return kSdkOk;
}

SdkError CameraSession::DownloadComplete(const CameraPicture& picture) {
    if (Gone())
        return kSdkErrCommDisconnected;
    std::lock_guard lock(cameraMutex_);
    ScopedCLocale locale;
    // A picture meant for the computer alone leaves the card once it has arrived.
    if (saveTo_ != kSaveToHost)
        return kSdkOk;
    const int result =
        gp_camera_file_delete(camera_, picture.folder.c_str(), picture.name.c_str(), context_);
    const SdkError e = OutcomeLocked(result);
    return e == kSdkErrCommDisconnected ? e : kSdkOk;
}

}  // namespace talbex::gphoto
