// Shooting and pictures: the picture command, and a picture's information, its transfer
// and what becomes of it on the camera afterwards.
#include <gphoto2/gphoto2-file.h>
#include <gphoto2/gphoto2-result.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "camera/sdk/gphoto2/camera_session.h"
#include "camera/sdk/gphoto2/lasting_settings.h"
#include "platform/os/diagnostics.h"
#include "platform/os/file_io.h"
#include "platform/os/file_move.h"
#include "platform/os/program_directory.h"

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
            return ActLocked(Control::kAutofocus, param == 1);
        case kCameraCommandDriveLensEvf:
            return DriveFocusLocked(static_cast<uint32_t>(param));
        default:
            return kSdkErrNotSupported;
    }
}

SdkError CameraSession::CaptureLocked() {
    AimCaptureTargetLocked();
    // The picture is announced by the camera's "file added" event; a driver that can
    // only capture and wait gives its path here instead.
    int result = ForeignCall([&] { return gp_camera_trigger_capture(camera_, context_); });
    if (result == GP_ERROR_NOT_SUPPORTED) {
        CameraFilePath path{};
        result = ForeignCall(
            [&] { return gp_camera_capture(camera_, GP_CAPTURE_IMAGE, &path, context_); });
        if (result == GP_OK) {
            if (std::strcmp(path.folder, "/") == 0)
                unconfirmed_.emplace_back(path.folder, path.name);
            Post(Event{Event::Kind::kPicture, path.folder, path.name, 0});
        }
    }
    if (result == GP_OK)
        ExpectPicture();
    return OutcomeLocked(result, kSdkErrTakePictureFailed);
}

void CameraSession::AimCaptureTargetLocked() {
    std::unique_ptr<Entry> entry;
    const ControlUse* use = nullptr;
    if (ReadControlLocked(Control::kCaptureTarget, &entry, &use) != kSdkOk)
        return;
    const char* wanted = use->choices[saveTo_ == kSaveToHost ? 0 : 1];
    const char* now = nullptr;
    if (wanted == nullptr || (gp_widget_get_value(entry->widget, &now) == GP_OK && now != nullptr &&
                              std::strcmp(now, wanted) == 0))
        return;
    if (!targetBefore_) {
        targetBefore_ = now != nullptr ? now : "";
        LastingCaptureTarget::Keep();
    }
    if (SetControlLocked(Control::kCaptureTarget, wanted, 0) != kSdkOk)
        os::Diagnostic(
            "the camera refused the capture target \"%s\"; its pictures land where it "
            "puts them\n",
            wanted);
}

void CameraSession::PutBackCaptureTargetLocked() {
    if (targetBefore_) {
        if (!Gone() && !targetBefore_->empty() &&
            SetControlLocked(Control::kCaptureTarget, *targetBefore_, 0) != kSdkOk)
            os::Diagnostic("the camera's capture target could not be put back to \"%s\"\n",
                           targetBefore_->c_str());
        targetBefore_.reset();
    }
    // Writing the camera's target back writes libgphoto2's lasting setting too; what the
    // user had there (or that there was none) is what counts.
    LastingCaptureTarget::PutBack();
}

void CameraSession::RescueHandedOverLocked() {
    if (unconfirmed_.empty())
        return;
    const std::string folder = os::ProgramDirectory() + "incoming/";
    for (const auto& [cameraFolder, name] : unconfirmed_) {
        CameraFile* file = nullptr;
        if (gp_file_new(&file) != GP_OK)
            continue;
        const char* data = nullptr;
        unsigned long size = 0;
        // libgphoto2 keeps what it handed over in its own store, camera or no camera.
        const bool read = gp_camera_file_get(camera_, cameraFolder.c_str(), name.c_str(),
                                             GP_FILE_TYPE_NORMAL, file, context_) == GP_OK &&
                          gp_file_get_data_and_size(file, &data, &size) == GP_OK && size > 0;
        std::string error = "it could not be read from libgphoto2";
        bool kept = false;
        std::string path;
        if (read) {
            ::mkdir(folder.c_str(), 0700);
            for (int n = 0; n < 1000 && !kept; ++n) {
                path = folder + os::NumberedName(name, n);
                kept = os::CreateNewFile(path, std::string_view(data, size), &error, 0600);
                if (!kept && ::access(path.c_str(), F_OK) != 0)
                    break;  // not a name clash: no other name does better
            }
        }
        if (kept)
            os::Diagnostic(
                "%s, which the camera had handed over but the program never received, "
                "is kept as %s\n",
                name.c_str(), path.c_str());
        else
            os::Diagnostic("%s, which the camera had handed over, is lost: %s\n", name.c_str(),
                           error.c_str());
        gp_file_unref(file);
    }
    unconfirmed_.clear();
}

SdkError CameraSession::PictureInfo(const CameraPicture& picture, SdkDirectoryItemInfo* out) {
    if (Gone())
        return kSdkErrCommDisconnected;
    std::lock_guard lock(cameraMutex_);
    ScopedCLocale locale;
    CameraFileInfo info{};
    int result = ForeignCall([&] {
        return gp_camera_file_get_info(camera_, picture.folder.c_str(), picture.name.c_str(), &info,
                                       context_);
    });
    if (result != GP_OK && picture.handedOver) {
        // libgphoto2 keeps no information on what it handed over from the camera's memory
        // (its folder "/" is no folder of the camera's): the picture itself tells it.
        CameraFile* file = nullptr;
        const char* data = nullptr;
        unsigned long size = 0;
        if (gp_file_new(&file) == GP_OK) {
            result = gp_camera_file_get(camera_, picture.folder.c_str(), picture.name.c_str(),
                                        GP_FILE_TYPE_NORMAL, file, context_);
            if (result == GP_OK && gp_file_get_data_and_size(file, &data, &size) == GP_OK) {
                info = CameraFileInfo{};
                info.file.fields = GP_FILE_INFO_SIZE;
                info.file.size = size;
                if (size >= 2 && static_cast<unsigned char>(data[0]) == 0xFF &&
                    static_cast<unsigned char>(data[1]) == 0xD8) {
                    info.file.fields =
                        static_cast<CameraFileInfoFields>(info.file.fields | GP_FILE_INFO_TYPE);
                    std::snprintf(info.file.type, sizeof info.file.type, "%s", GP_MIME_JPEG);
                }
            }
            gp_file_unref(file);
        }
    }
    if (result != GP_OK)
        return OutcomeLocked(result);
    *out = SdkDirectoryItemInfo{};
    // What only the program holds from now on is marked so.
    out->option = picture.handedOver ? kItemOptionHandedOver : 0;
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
    std::lock_guard lock(cameraMutex_);
    // A handed-over picture is the program's now; one on a card stays there: the card may
    // hold pictures the user took outside this session under names a camera announces
    // again, and a copy there is never the one to lose.
    std::erase(unconfirmed_, std::make_pair(picture.folder, picture.name));
    return Gone() ? kSdkErrCommDisconnected : kSdkOk;
}

}  // namespace talbex::gphoto
