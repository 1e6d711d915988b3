#include "camera/sdk/sim/sim_backend.h"

#include "camera/sdk/sim/event_dispatcher.h"

namespace talbex::sim {

namespace {

/// A snapshot of the cameras attached when the list was asked for.
class CameraList : public SdkObject {
  public:
    std::vector<std::shared_ptr<SimCamera::Ref>> cameras;
};

// Calls `call` with the object as a camera reference; other kinds of object are refused.
template <typename Call>
SdkError WithCamera(SdkObject& object, Call call) {
    auto* ref = dynamic_cast<SimCamera::Ref*>(&object);
    return ref != nullptr ? call(*ref) : kSdkErrInvalidHandle;
}

// A picture's item answers for the camera that took it; a camera that is gone fails it.
template <typename Call>
SdkError WithItem(SdkObject& object, Call call) {
    auto* item = dynamic_cast<SimCamera::Item*>(&object);
    if (item == nullptr)
        return kSdkErrInvalidHandle;
    auto camera = item->camera.lock();
    return camera ? call(*camera, *item) : kSdkErrCommDisconnected;
}

}  // namespace

SimBackend::SimBackend(std::vector<CameraSettings> cameras)
    : dispatcher_(std::make_shared<EventDispatcher>()) {
    for (auto& settings : cameras)
        Attach(std::move(settings));
}

SimBackend::~SimBackend() {
    dispatcher_->Stop();
}

std::shared_ptr<SimCamera> SimBackend::Camera(size_t index) {
    std::lock_guard lock(mutex_);
    return index < cameras_.size() ? cameras_[index] : nullptr;
}

size_t SimBackend::CameraCount() {
    std::lock_guard lock(mutex_);
    return cameras_.size();
}

std::shared_ptr<SimCamera> SimBackend::Attach(CameraSettings settings) {
    std::shared_ptr<SimCamera> camera;
    std::optional<std::chrono::steady_clock::time_point> epoch;
    {
        std::lock_guard lock(mutex_);
        camera = std::make_shared<SimCamera>(std::move(settings), static_cast<int>(cameras_.size()),
                                             dispatcher_);
        cameras_.push_back(camera);
        epoch = epoch_;
    }
    if (epoch) {
        camera->ArmTimedFaults(std::chrono::steady_clock::now());
        camera->ScheduleTimedFaults();
    }
    return camera;
}

std::vector<std::shared_ptr<SimCamera>> SimBackend::Cameras() {
    std::lock_guard lock(mutex_);
    return cameras_;
}

SdkError SimBackend::Initialize() {
    dispatcher_->Start();
    std::chrono::steady_clock::time_point epoch;
    {
        std::lock_guard lock(mutex_);
        if (!epoch_)
            epoch_ = std::chrono::steady_clock::now();
        epoch = *epoch_;
    }
    for (const auto& camera : Cameras()) {
        camera->ArmTimedFaults(epoch);
        camera->ScheduleTimedFaults();
    }
    return kSdkOk;
}

void SimBackend::Terminate() {
    dispatcher_->Stop();
    for (const auto& camera : Cameras())
        camera->OnLibraryClosed();
}

SdkError SimBackend::GetCameraList(std::shared_ptr<SdkObject>* outList) {
    auto list = std::make_shared<CameraList>();
    for (const auto& camera : Cameras()) {
        uint64_t generation;
        if (camera->Present(&generation))
            list->cameras.push_back(std::make_shared<SimCamera::Ref>(camera, generation));
    }
    *outList = std::move(list);
    return kSdkOk;
}

SdkError SimBackend::GetChildCount(SdkObject& list, int32_t* outCount) {
    auto* cameras = dynamic_cast<CameraList*>(&list);
    if (cameras == nullptr)
        return kSdkErrInvalidHandle;
    *outCount = static_cast<int32_t>(cameras->cameras.size());
    return kSdkOk;
}

SdkError SimBackend::GetChildAtIndex(SdkObject& list, int32_t index,
                                     std::shared_ptr<SdkObject>* outChild) {
    auto* cameras = dynamic_cast<CameraList*>(&list);
    if (cameras == nullptr)
        return kSdkErrInvalidHandle;
    if (index < 0 || static_cast<size_t>(index) >= cameras->cameras.size())
        return kSdkErrInvalidIndex;
    // Each reference is its own object, so releasing one leaves the others usable.
    const auto& ref = cameras->cameras[static_cast<size_t>(index)];
    *outChild = std::make_shared<SimCamera::Ref>(ref->camera, ref->generation);
    return kSdkOk;
}

SdkError SimBackend::GetDeviceInfo(SdkObject& camera, SdkDeviceInfo* outInfo) {
    return WithCamera(camera,
                      [&](SimCamera::Ref& ref) { return ref.camera->GetDeviceInfo(ref, outInfo); });
}

SdkError SimBackend::OpenSession(SdkObject& camera) {
    return WithCamera(camera, [&](SimCamera::Ref& ref) { return ref.camera->OpenSession(ref); });
}

SdkError SimBackend::CloseSession(SdkObject& camera) {
    return WithCamera(camera, [&](SimCamera::Ref& ref) { return ref.camera->CloseSession(ref); });
}

SdkError SimBackend::GetPropertySize(SdkObject& object, SdkPropertyId property, int32_t param,
                                     SdkDataType* outType, uint32_t* outSize) {
    return WithCamera(object, [&](SimCamera::Ref& ref) {
        return ref.camera->GetPropertySize(ref, property, param, outType, outSize);
    });
}

SdkError SimBackend::GetPropertyData(SdkObject& object, SdkPropertyId property, int32_t param,
                                     uint32_t size, void* outData) {
    return WithCamera(object, [&](SimCamera::Ref& ref) {
        return ref.camera->GetPropertyData(ref, property, param, size, outData);
    });
}

SdkError SimBackend::SetPropertyData(SdkObject& object, SdkPropertyId property, int32_t param,
                                     uint32_t size, const void* data) {
    return WithCamera(object, [&](SimCamera::Ref& ref) {
        return ref.camera->SetPropertyData(ref, property, param, size, data);
    });
}

SdkError SimBackend::GetPropertyDesc(SdkObject& object, SdkPropertyId property,
                                     SdkPropertyDesc* outDesc) {
    return WithCamera(object, [&](SimCamera::Ref& ref) {
        return ref.camera->GetPropertyDesc(ref, property, outDesc);
    });
}

SdkError SimBackend::SendCommand(SdkObject& camera, SdkCameraCommand command, int32_t param) {
    return WithCamera(
        camera, [&](SimCamera::Ref& ref) { return ref.camera->SendCommand(ref, command, param); });
}

SdkError SimBackend::SendStatusCommand(SdkObject& camera, SdkStatusCommand command, int32_t param) {
    return WithCamera(camera, [&](SimCamera::Ref& ref) {
        return ref.camera->SendStatusCommand(ref, command, param);
    });
}

SdkError SimBackend::SetCapacity(SdkObject& camera, SdkCapacity capacity) {
    return WithCamera(camera,
                      [&](SimCamera::Ref& ref) { return ref.camera->SetCapacity(ref, capacity); });
}

SdkError SimBackend::DownloadEvfImage(SdkObject& camera, SdkEvfImage& image) {
    return WithCamera(
        camera, [&](SimCamera::Ref& ref) { return ref.camera->DownloadEvfImage(ref, image); });
}

SdkError SimBackend::SetPropertyEventHandler(SdkObject& camera, SdkPropertyEvent event,
                                             SdkPropertyEventHandler handler, void* context) {
    return WithCamera(camera, [&](SimCamera::Ref& ref) {
        return ref.camera->SetEventHandler(ref, event, handler, context);
    });
}

SdkError SimBackend::SetObjectEventHandler(SdkObject& camera, SdkObjectEvent event,
                                           SdkObjectEventHandler handler, void* context) {
    return WithCamera(camera, [&](SimCamera::Ref& ref) {
        return ref.camera->SetEventHandler(ref, event, handler, context);
    });
}

SdkError SimBackend::SetCameraStateEventHandler(SdkObject& camera, SdkStateEvent event,
                                                SdkStateEventHandler handler, void* context) {
    return WithCamera(camera, [&](SimCamera::Ref& ref) {
        return ref.camera->SetEventHandler(ref, event, handler, context);
    });
}

SdkError SimBackend::GetShutterCount(SdkObject& camera, uint32_t* outCount) {
    return WithCamera(
        camera, [&](SimCamera::Ref& ref) { return ref.camera->GetShutterCount(ref, outCount); });
}

SdkError SimBackend::GetDirectoryItemInfo(SdkObject& object, SdkDirectoryItemInfo* outInfo) {
    return WithItem(object, [&](SimCamera& camera, SimCamera::Item& item) {
        return camera.GetDirectoryItemInfo(item, outInfo);
    });
}

SdkError SimBackend::Download(SdkObject& object, uint64_t size, SdkStream& stream) {
    return WithItem(object, [&](SimCamera& camera, SimCamera::Item& item) {
        return camera.Download(item, size, stream);
    });
}

SdkError SimBackend::DownloadComplete(SdkObject& object) {
    return WithItem(object, [&](SimCamera& camera, SimCamera::Item& item) {
        return camera.DownloadComplete(item);
    });
}

std::shared_ptr<SimBackend> InstallSimulatedCameras(std::vector<CameraSettings> cameras) {
    auto backend = std::make_shared<SimBackend>(std::move(cameras));
    SdkUseBackend(backend);
    return backend;
}

}  // namespace talbex::sim
