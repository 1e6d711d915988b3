#include "camera/sdk/gphoto2/gphoto2_backend.h"

#include <csignal>

#include "camera/sdk/gphoto2/camera_session.h"
#include "camera/sdk/gphoto2/gphoto2_library.h"

namespace talbex::gphoto {

namespace {

// libgphoto2 names the driver of network cameras that speak the standard protocol.
constexpr char kNetworkCameraModel[] = "PTP/IP Camera";

class CameraList : public SdkObject {
  public:
    struct Camera {
        std::string model;
        std::string port;
        std::shared_ptr<CameraSession> opened;  // already opened to see it is there
    };
    std::mutex mutex;
    std::vector<Camera> cameras;
};

class CameraRef : public SdkObject {
  public:
    explicit CameraRef(std::shared_ptr<CameraSession> session) : session(std::move(session)) {}
    const std::shared_ptr<CameraSession> session;
};

template <typename Call>
SdkError WithCamera(SdkObject& object, Call call) {
    auto* ref = dynamic_cast<CameraRef*>(&object);
    return ref != nullptr ? call(*ref->session) : kSdkErrInvalidHandle;
}

// A picture answers for the camera that took it; a camera already closed fails it.
template <typename Call>
SdkError WithPicture(SdkObject& object, Call call) {
    auto* picture = dynamic_cast<CameraPicture*>(&object);
    if (picture == nullptr)
        return kSdkErrInvalidHandle;
    auto session = picture->session.lock();
    return session ? call(*session, *picture) : kSdkErrCommDisconnected;
}

}  // namespace

Gphoto2Backend::Gphoto2Backend(std::string port)
    : port_(std::move(port)), library_(std::make_shared<Gphoto2Library>()) {}

Gphoto2Backend::~Gphoto2Backend() = default;

SdkError Gphoto2Backend::Initialize() {
    // A network camera that drops its connection must not end the program with SIGPIPE
    // while libgphoto2 writes to it.
    std::signal(SIGPIPE, SIG_IGN);
    return kSdkOk;
}

void Gphoto2Backend::Terminate() {
    std::vector<std::weak_ptr<CameraSession>> sessions;
    {
        std::lock_guard lock(mutex_);
        sessions.swap(sessions_);
    }
    for (auto& weak : sessions)
        if (auto session = weak.lock())
            session->StopEvents();
}

std::shared_ptr<CameraSession> Gphoto2Backend::Open(const std::string& model,
                                                    const std::string& port, SdkError* error) {
    auto session = CameraSession::Open(library_, model, port, error);
    if (session) {
        std::lock_guard lock(mutex_);
        std::erase_if(sessions_, [](const auto& weak) { return weak.expired(); });
        sessions_.push_back(session);
    }
    return session;
}

SdkError Gphoto2Backend::GetCameraList(std::shared_ptr<SdkObject>* outList) {
    auto list = std::make_shared<CameraList>();
    if (port_.empty()) {
        for (auto& [model, port] : library_->Detect())
            list->cameras.push_back({model, port, nullptr});
    } else {
        // A camera on a given port is there when it can be opened; the opened camera is
        // the one the list then hands out, so it is not opened twice.
        const std::string model = port_.rfind("ptpip:", 0) == 0 ? kNetworkCameraModel : "";
        SdkError error;
        if (auto session = Open(model, port_, &error))
            list->cameras.push_back({model, port_, session});
    }
    *outList = std::move(list);
    return kSdkOk;
}

SdkError Gphoto2Backend::GetChildCount(SdkObject& object, int32_t* outCount) {
    auto* list = dynamic_cast<CameraList*>(&object);
    if (list == nullptr)
        return kSdkErrInvalidHandle;
    std::lock_guard lock(list->mutex);
    *outCount = static_cast<int32_t>(list->cameras.size());
    return kSdkOk;
}

SdkError Gphoto2Backend::GetChildAtIndex(SdkObject& object, int32_t index,
                                         std::shared_ptr<SdkObject>* outChild) {
    auto* list = dynamic_cast<CameraList*>(&object);
    if (list == nullptr)
        return kSdkErrInvalidHandle;
    CameraList::Camera camera;
    {
        std::lock_guard lock(list->mutex);
        if (index < 0 || static_cast<size_t>(index) >= list->cameras.size())
            return kSdkErrInvalidIndex;
        auto& entry = list->cameras[static_cast<size_t>(index)];
        camera = entry;
        entry.opened.reset();  // handed out once; a second child opens its own
    }
    SdkError error = kSdkOk;
    auto session = camera.opened ? camera.opened : Open(camera.model, camera.port, &error);
    if (!session)
        return error;
    *outChild = std::make_shared<CameraRef>(std::move(session));
    return kSdkOk;
}

SdkError Gphoto2Backend::GetDeviceInfo(SdkObject& camera, SdkDeviceInfo* outInfo) {
    return WithCamera(camera, [&](CameraSession& s) { return s.DeviceInfo(outInfo); });
}

SdkError Gphoto2Backend::OpenSession(SdkObject& camera) {
    // The camera was opened with its reference; a session is only a check it is there.
    return WithCamera(camera, [&](CameraSession& s) { return s.Present(); });
}

SdkError Gphoto2Backend::CloseSession(SdkObject& camera) {
    return WithCamera(camera, [&](CameraSession& s) { return s.Present(); });
}

SdkError Gphoto2Backend::GetPropertySize(SdkObject& ref, SdkPropertyId property, int32_t,
                                         SdkDataType* outType, uint32_t* outSize) {
    return WithCamera(ref,
                      [&](CameraSession& s) { return s.PropertySize(property, outType, outSize); });
}

SdkError Gphoto2Backend::GetPropertyData(SdkObject& ref, SdkPropertyId property, int32_t,
                                         uint32_t size, void* outData) {
    return WithCamera(ref,
                      [&](CameraSession& s) { return s.PropertyData(property, size, outData); });
}

SdkError Gphoto2Backend::SetPropertyData(SdkObject& ref, SdkPropertyId property, int32_t,
                                         uint32_t size, const void* data) {
    return WithCamera(ref, [&](CameraSession& s) { return s.SetProperty(property, size, data); });
}

SdkError Gphoto2Backend::GetPropertyDesc(SdkObject& ref, SdkPropertyId property,
                                         SdkPropertyDesc* outDesc) {
    return WithCamera(ref, [&](CameraSession& s) { return s.PropertyDesc(property, outDesc); });
}

SdkError Gphoto2Backend::SendCommand(SdkObject& camera, SdkCameraCommand command, int32_t param) {
    return WithCamera(camera, [&](CameraSession& s) { return s.Command(command, param); });
}

SdkError Gphoto2Backend::SendStatusCommand(SdkObject& camera, SdkStatusCommand command, int32_t) {
    // Only cameras of the older protocol lock their own controls; these never do.
    return WithCamera(camera, [&](CameraSession& s) {
        if (command != kStatusCommandUiLock && command != kStatusCommandUiUnlock)
            return kSdkErrNotSupported;
        return s.Present();
    });
}

SdkError Gphoto2Backend::SetCapacity(SdkObject& camera, SdkCapacity capacity) {
    // The computer's room for pictures: the camera is not told, it sends what it takes.
    return WithCamera(camera, [&](CameraSession& s) {
        if (capacity.bytesPerSector <= 0 || capacity.numberOfFreeClusters < 0)
            return kSdkErrInvalidParameter;
        return s.Present();
    });
}

SdkError Gphoto2Backend::GetDirectoryItemInfo(SdkObject& item, SdkDirectoryItemInfo* outInfo) {
    return WithPicture(
        item, [&](CameraSession& s, const CameraPicture& p) { return s.PictureInfo(p, outInfo); });
}

SdkError Gphoto2Backend::Download(SdkObject& item, uint64_t size, SdkStream& stream) {
    return WithPicture(item, [&](CameraSession& s, const CameraPicture& p) {
        return s.Download(p, size, stream);
    });
}

SdkError Gphoto2Backend::DownloadComplete(SdkObject& item) {
    return WithPicture(
        item, [&](CameraSession& s, const CameraPicture& p) { return s.DownloadComplete(p); });
}

SdkError Gphoto2Backend::DownloadEvfImage(SdkObject& camera, SdkEvfImage& image) {
    return WithCamera(camera, [&](CameraSession& s) { return s.EvfImage(image); });
}

SdkError Gphoto2Backend::SetPropertyEventHandler(SdkObject& camera, SdkPropertyEvent event,
                                                 SdkPropertyEventHandler handler, void* context) {
    return WithCamera(
        camera, [&](CameraSession& s) { return s.SetPropertyHandler(event, handler, context); });
}

SdkError Gphoto2Backend::SetObjectEventHandler(SdkObject& camera, SdkObjectEvent event,
                                               SdkObjectEventHandler handler, void* context) {
    return WithCamera(
        camera, [&](CameraSession& s) { return s.SetObjectHandler(event, handler, context); });
}

SdkError Gphoto2Backend::SetCameraStateEventHandler(SdkObject& camera, SdkStateEvent event,
                                                    SdkStateEventHandler handler, void* context) {
    return WithCamera(camera,
                      [&](CameraSession& s) { return s.SetStateHandler(event, handler, context); });
}

SdkError Gphoto2Backend::GetShutterCount(SdkObject& camera, uint32_t* outCount) {
    return WithCamera(camera, [&](CameraSession& s) { return s.ShutterCount(outCount); });
}

}  // namespace talbex::gphoto
