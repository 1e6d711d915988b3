#include "camera/sdk/gphoto2/gphoto2_backend.h"

#include <csignal>
#include <cstdio>

#include "camera/sdk/gphoto2/camera_session.h"
#include "camera/sdk/gphoto2/gphoto2_library.h"
#include "camera/sdk/gphoto2/lasting_settings.h"
#include "camera/sdk/gphoto2/network_presence.h"

namespace talbex::gphoto {

namespace {

// libgphoto2 names the driver of network cameras that speak the standard protocol.
constexpr char kNetworkCameraModel[] = "PTP/IP Camera";

class CameraList : public SdkObject {
  public:
    struct Camera {
        std::string model;
        std::string port;
    };
    std::vector<Camera> cameras;  // fixed once made
};

// A camera the list handed out: its driver and port, the handlers its events go to, and
// its session while one is open. Any thread.
class CameraRef : public SdkObject {
  public:
    CameraRef(std::string model, std::string port)
        : model(std::move(model)), port(std::move(port)) {}
    ~CameraRef() override {
        if (auto s = Session(nullptr))
            s->StopEvents();
    }

    /// The open session, or null with what calls answer without one.
    std::shared_ptr<CameraSession> Session(SdkError* answer) {
        std::lock_guard lock(mutex);
        if (!session && answer != nullptr)
            *answer = withoutSession;
        return session;
    }

    const std::string model;
    const std::string port;
    const std::shared_ptr<EventSubscriptions> subscriptions =
        std::make_shared<EventSubscriptions>();
    std::mutex mutex;
    std::shared_ptr<CameraSession> session;           // under mutex
    SdkError withoutSession = kSdkErrSessionNotOpen;  // under mutex: why there is none
};

template <typename Call>
SdkError WithRef(SdkObject& object, Call call) {
    auto* ref = dynamic_cast<CameraRef*>(&object);
    return ref != nullptr ? call(*ref) : kSdkErrInvalidHandle;
}

// A call that needs the camera open: answered by its session.
template <typename Call>
SdkError WithCamera(SdkObject& object, Call call) {
    return WithRef(object, [&](CameraRef& ref) {
        SdkError answer = kSdkOk;
        const std::shared_ptr<CameraSession> session = ref.Session(&answer);
        return session ? call(*session) : answer;
    });
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

template <typename One, typename Handler>
SdkError Subscribe(EventSubscriptions& subscriptions, One& one, uint32_t all, uint32_t event,
                   Handler handler, void* context) {
    if ((event & 0xFFFFFF00u) != all)
        return kSdkErrInvalidParameter;
    std::lock_guard lock(subscriptions.mutex);
    one = {event, handler, context};
    return kSdkOk;
}

}  // namespace

Gphoto2Backend::Gphoto2Backend(std::string model, std::string port)
    : model_(std::move(model)),
      port_(std::move(port)),
      library_(std::make_shared<Gphoto2Library>()) {}

Gphoto2Backend::~Gphoto2Backend() = default;

bool Gphoto2Backend::KnowsModel(const std::string& model) {
    return Gphoto2Library::KnowsModel(model);
}

SdkError Gphoto2Backend::Initialize() {
    // A network camera that drops its connection must not end the program with SIGPIPE
    // while libgphoto2 writes to it.
    std::signal(SIGPIPE, SIG_IGN);
    // What a run that ended abruptly left changed in libgphoto2's lasting settings goes
    // back before anything else: other programs read it whether a camera is here or not.
    {
        const std::unique_lock global = library_->TakeGlobalLock();
        if (global.owns_lock())
            LastingCaptureTarget::RecoverFromEarlierRun();
    }
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

SdkError Gphoto2Backend::GetCameraList(std::shared_ptr<SdkObject>* outList) {
    auto list = std::make_shared<CameraList>();
    const auto detected = port_.empty() || !IsNetworkPort(port_)
                              ? library_->Detect()
                              : std::vector<std::pair<std::string, std::string>>{};
    if (port_.empty()) {
        for (const auto& [model, port] : detected)
            list->cameras.push_back({model, port});
    } else if (IsNetworkPort(port_)) {
        // Detection cannot see network cameras: one that takes a connection is there.
        if (NetworkCameraAnswers(port_))
            list->cameras.push_back({model_.empty() ? kNetworkCameraModel : model_, port_});
    } else {
        for (const auto& [model, port] : detected)
            if (port == port_)
                list->cameras.push_back({model_.empty() ? model : model_, port_});
    }
    *outList = std::move(list);
    return kSdkOk;
}

SdkError Gphoto2Backend::GetChildCount(SdkObject& object, int32_t* outCount) {
    auto* list = dynamic_cast<CameraList*>(&object);
    if (list == nullptr)
        return kSdkErrInvalidHandle;
    *outCount = static_cast<int32_t>(list->cameras.size());
    return kSdkOk;
}

SdkError Gphoto2Backend::GetChildAtIndex(SdkObject& object, int32_t index,
                                         std::shared_ptr<SdkObject>* outChild) {
    auto* list = dynamic_cast<CameraList*>(&object);
    if (list == nullptr)
        return kSdkErrInvalidHandle;
    if (index < 0 || static_cast<size_t>(index) >= list->cameras.size())
        return kSdkErrInvalidIndex;
    const CameraList::Camera& camera = list->cameras[static_cast<size_t>(index)];
    *outChild = std::make_shared<CameraRef>(camera.model, camera.port);
    return kSdkOk;
}

SdkError Gphoto2Backend::GetDeviceInfo(SdkObject& camera, SdkDeviceInfo* outInfo) {
    return WithRef(camera, [&](CameraRef& ref) {
        SdkError answer = kSdkOk;
        const std::shared_ptr<CameraSession> session = ref.Session(&answer);
        if (session && session->Gone())
            return kSdkErrCommDisconnected;
        *outInfo = SdkDeviceInfo{};
        std::snprintf(outInfo->portName, sizeof outInfo->portName, "%s", ref.port.c_str());
        // The camera's own name once it is open; the driver's until then.
        const std::string& model = session ? session->ModelName() : ref.model;
        std::snprintf(outInfo->deviceDescription, sizeof outInfo->deviceDescription, "%s",
                      model.c_str());
        outInfo->deviceSubType = 1;  // the current protocol: never the older one
        return kSdkOk;
    });
}

SdkError Gphoto2Backend::OpenSession(SdkObject& camera) {
    return WithRef(camera, [&](CameraRef& ref) {
        if (ref.Session(nullptr))
            return kSdkOk;
        SdkError error = kSdkOk;
        auto session =
            CameraSession::Open(library_, ref.model, ref.port, ref.subscriptions, &error);
        std::lock_guard lock(ref.mutex);
        if (!session) {
            ref.withoutSession = error;
            return error;
        }
        if (ref.session) {
            session->StopEvents();  // another thread opened it meanwhile
            return kSdkOk;
        }
        ref.session = session;
        std::lock_guard sessions(mutex_);
        std::erase_if(sessions_, [](const auto& weak) { return weak.expired(); });
        sessions_.push_back(session);
        return kSdkOk;
    });
}

SdkError Gphoto2Backend::CloseSession(SdkObject& camera) {
    return WithRef(camera, [&](CameraRef& ref) {
        std::shared_ptr<CameraSession> session;
        {
            std::lock_guard lock(ref.mutex);
            session.swap(ref.session);
            ref.withoutSession = kSdkErrSessionNotOpen;
        }
        if (!session)
            return kSdkErrSessionNotOpen;
        const SdkError answer = session->Present();
        session->Leave();
        return answer;  // the camera closes with the session's last reference
    });
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
    return WithRef(camera, [&](CameraRef& ref) {
        return Subscribe(*ref.subscriptions, ref.subscriptions->property, kPropertyEventAll, event,
                         handler, context);
    });
}

SdkError Gphoto2Backend::SetObjectEventHandler(SdkObject& camera, SdkObjectEvent event,
                                               SdkObjectEventHandler handler, void* context) {
    return WithRef(camera, [&](CameraRef& ref) {
        return Subscribe(*ref.subscriptions, ref.subscriptions->object, kObjectEventAll, event,
                         handler, context);
    });
}

SdkError Gphoto2Backend::SetCameraStateEventHandler(SdkObject& camera, SdkStateEvent event,
                                                    SdkStateEventHandler handler, void* context) {
    return WithRef(camera, [&](CameraRef& ref) {
        return Subscribe(*ref.subscriptions, ref.subscriptions->state, kStateEventAll, event,
                         handler, context);
    });
}

SdkError Gphoto2Backend::GetShutterCount(SdkObject& camera, uint32_t* outCount) {
    return WithCamera(camera, [&](CameraSession& s) { return s.ShutterCount(outCount); });
}

}  // namespace talbex::gphoto
