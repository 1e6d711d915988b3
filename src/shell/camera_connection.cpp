#include "shell/camera_connection.h"

#include <vector>

#include "camera/sdk/sdk.h"
#include "platform/os/diagnostics.h"

namespace talbex::shell {

std::optional<std::string> ReadTextProperty(SdkCameraRef camera, SdkPropertyId id) {
    SdkDataType type = 0;
    uint32_t size = 0;
    if (SdkGetPropertySize(camera, id, 0, &type, &size) != kSdkOk || size == 0 || size > 4096)
        return std::nullopt;
    std::vector<char> text(size + 1, '\0');
    if (SdkGetPropertyData(camera, id, 0, size, text.data()) != kSdkOk)
        return std::nullopt;
    return std::string(text.data());  // up to the first zero
}

SdkError ReadUInt32(SdkCameraRef camera, SdkPropertyId id, uint32_t* out) {
    SdkDataType type = 0;
    uint32_t size = 0;
    if (SdkError e = SdkGetPropertySize(camera, id, 0, &type, &size))
        return e;
    if (size != sizeof(uint32_t))
        return kSdkErrInvalidLength;
    return SdkGetPropertyData(camera, id, 0, sizeof *out, out);
}

std::optional<uint32_t> ReadUInt32Property(SdkCameraRef camera, SdkPropertyId id) {
    uint32_t value = 0;
    if (ReadUInt32(camera, id, &value) != kSdkOk)
        return std::nullopt;
    return value;
}

SdkError WriteUInt32Property(SdkCameraRef camera, SdkPropertyId id, uint32_t value) {
    SdkDataType type = 0;
    uint32_t size = 0;
    if (SdkError e = SdkGetPropertySize(camera, id, 0, &type, &size))
        return e;
    if (size != sizeof value)
        return kSdkErrInvalidLength;
    return SdkSetPropertyData(camera, id, 0, size, &value);
}

std::optional<uint32_t> ShutterCountLookup(SdkCameraRef camera) {
    uint32_t count = 0;
    if (SdkGetShutterCount(camera, &count) != kSdkOk)
        return std::nullopt;
    return count;
}

SdkError CameraConnection::OpenFirstCamera() {
    SdkError e = SdkInitialize();
    if (e != kSdkOk)
        return e;
    sdkOpen_ = true;
    SdkCameraListRef list = nullptr;
    int32_t count = 0;
    SdkDeviceInfo info{};
    e = SdkGetCameraList(&list);
    if (e == kSdkOk)
        e = SdkGetChildCount(list, &count);
    if (e == kSdkOk && count == 0)
        e = kSdkErrDeviceNotFound;
    if (e == kSdkOk)
        e = SdkGetChildAtIndex(list, 0, &cameraRef_);
    if (e == kSdkOk)
        e = SdkGetDeviceInfo(cameraRef_, &info);
    if (e == kSdkOk && cameraRef_ == nullptr)
        e = kSdkErrDeviceNotFound;
    if (list != nullptr)
        SdkRelease(list);
    if (e != kSdkOk)
        return e;
    model_ = camera::createCameraModel(cameraRef_, info);
    return model_ ? kSdkOk : kSdkErrDeviceNotFound;
}

SdkError CameraConnection::CreateCommander(const std::string& stagingFolder) {
    if (!model_)
        return kSdkErrDeviceNotFound;
    commander_ = std::make_unique<camera::CameraCommander>();
    commander_->setModel(model_.get());
    commander_->setStagingFolder(stagingFolder);
    return kSdkOk;
}

SdkError CameraConnection::RegisterEventHandlers() {
    if (!commander_)
        return kSdkErrDeviceNotFound;
    return commander_->registerEventHandlers(cameraRef_);
}

SdkError CameraConnection::RegisterCommander(const std::string& stagingFolder) {
    if (SdkError e = CreateCommander(stagingFolder))
        return e;
    return RegisterEventHandlers();
}

void CameraConnection::Run() {
    if (!commander_ || running_)
        return;
    actions_.addActionListener(commander_.get());
    running_ = true;
    commander_->run();
}

void CameraConnection::FireClosing() {
    if (!running_)
        return;
    running_ = false;
    actions_.fireActionEvent("closing", nullptr);
}

void CameraConnection::Close() {
    FireClosing();
    if (commander_ && !commander_->workerEnded())
        AbandonWorker();
    if (cameraRef_ != nullptr) {
        SdkRelease(cameraRef_);
        cameraRef_ = nullptr;
    }
    // Terminating first stops the events, so no handler can reach the commander below.
    if (sdkOpen_) {
        SdkTerminate();
        sdkOpen_ = false;
    }
    model_.reset();
    commander_.reset();
    actions_ = camera::ActionSource();
}

void CameraConnection::AbandonWorker() {
    os::Diagnostic(
        "the camera did not answer while its connection closed; its worker is left to end "
        "by itself\n");
    // Its late notifications reach no window, and its commands no camera: the camera
    // reference is released below, and its address could name another camera later.
    model_->forgetObservers();
    model_->forgetCamera();
    commander_->getProcessor().setCloseCommand(nullptr);
    camera::CameraCommander* commander = commander_.release();
    camera::CameraModel* model = model_.release();
    auto drop = [commander, model] {
        delete commander;  // its worker's own processor: the worker ends right after
        delete model;
    };
    if (!commander->getProcessor().abandon(drop)) {
        commander->getProcessor().join();  // it ended meanwhile
        drop();
    }
}

}  // namespace talbex::shell
