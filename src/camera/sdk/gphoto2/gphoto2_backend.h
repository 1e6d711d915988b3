// The camera boundary over libgphoto2: real cameras on USB (and network cameras on an
// explicit port), chosen with TALBEX_CAMERA=gphoto2 (every camera libgphoto2 detects)
// or TALBEX_CAMERA=gphoto2:PORT (the camera on one libgphoto2 port, for example
// usb:001,004 or ptpip:192.168.1.1).
//
// Each camera reference the list hands out is one opened libgphoto2 camera with its own
// context (camera_session.h). What a camera offers only through its maker's extensions
// (half and full shutter press, live-view focus and zoom) answers kSdkErrNotSupported.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "camera/sdk/sdk_backend.h"

namespace talbex::gphoto {

class Gphoto2Library;
class CameraSession;

class Gphoto2Backend : public SdkBackend {
  public:
    /// `port` empty: detect cameras; otherwise the one camera on that port.
    explicit Gphoto2Backend(std::string port);
    ~Gphoto2Backend() override;

    SdkError Initialize() override;
    void Terminate() override;

    SdkError GetCameraList(std::shared_ptr<SdkObject>* outList) override;
    SdkError GetChildCount(SdkObject& list, int32_t* outCount) override;
    SdkError GetChildAtIndex(SdkObject& list, int32_t index,
                             std::shared_ptr<SdkObject>* outChild) override;
    SdkError GetDeviceInfo(SdkObject& camera, SdkDeviceInfo* outInfo) override;
    SdkError OpenSession(SdkObject& camera) override;
    SdkError CloseSession(SdkObject& camera) override;
    SdkError GetPropertySize(SdkObject& ref, SdkPropertyId property, int32_t param,
                             SdkDataType* outType, uint32_t* outSize) override;
    SdkError GetPropertyData(SdkObject& ref, SdkPropertyId property, int32_t param, uint32_t size,
                             void* outData) override;
    SdkError SetPropertyData(SdkObject& ref, SdkPropertyId property, int32_t param, uint32_t size,
                             const void* data) override;
    SdkError GetPropertyDesc(SdkObject& ref, SdkPropertyId property,
                             SdkPropertyDesc* outDesc) override;
    SdkError SendCommand(SdkObject& camera, SdkCameraCommand command, int32_t param) override;
    SdkError SendStatusCommand(SdkObject& camera, SdkStatusCommand command, int32_t param) override;
    SdkError SetCapacity(SdkObject& camera, SdkCapacity capacity) override;
    SdkError GetDirectoryItemInfo(SdkObject& item, SdkDirectoryItemInfo* outInfo) override;
    SdkError Download(SdkObject& item, uint64_t size, SdkStream& stream) override;
    SdkError DownloadComplete(SdkObject& item) override;
    SdkError DownloadEvfImage(SdkObject& camera, SdkEvfImage& image) override;
    SdkError SetPropertyEventHandler(SdkObject& camera, SdkPropertyEvent event,
                                     SdkPropertyEventHandler handler, void* context) override;
    SdkError SetObjectEventHandler(SdkObject& camera, SdkObjectEvent event,
                                   SdkObjectEventHandler handler, void* context) override;
    SdkError SetCameraStateEventHandler(SdkObject& camera, SdkStateEvent event,
                                        SdkStateEventHandler handler, void* context) override;
    SdkError GetShutterCount(SdkObject& camera, uint32_t* outCount) override;

  private:
    std::shared_ptr<CameraSession> Open(const std::string& model, const std::string& port,
                                        SdkError* error);

    const std::string port_;
    const std::shared_ptr<Gphoto2Library> library_;
    std::mutex mutex_;
    std::vector<std::weak_ptr<CameraSession>> sessions_;  // to stop their events at the end
};

}  // namespace talbex::gphoto
