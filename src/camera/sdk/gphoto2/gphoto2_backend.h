// The camera boundary over libgphoto2: real cameras on USB (and network cameras on an
// explicit port), the program's default; --camera gphoto2:PORT (or TALBEX_CAMERA) names
// the camera on one libgphoto2 port, for example usb:001,004 or ptpip:192.168.1.1, and
// gphoto2:MODEL@PORT also the driver to use there.
//
// The camera list and the device information come from libgphoto2's detection and
// abilities without opening the camera (a network camera counts as there when it takes a
// connection); the camera is opened (camera_session.h) at the session open and closed at
// the session close, so a program that only looks whether a camera is there never wakes
// or holds it. A property or control the camera does not have answers
// kSdkErrNotSupported; a camera another program holds answers kSdkErrDeviceHeld to the
// session open, and to every call until a session opens.
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
    /// `port` empty: detect cameras; otherwise the one camera on that port, with the
    /// driver of `model` (empty: as detected; on a network port the standard's driver).
    Gphoto2Backend(std::string model, std::string port);
    ~Gphoto2Backend() override;

    /// True when libgphoto2 has a driver for the camera model `model` (a camera setting
    /// is checked with it at start).
    static bool KnowsModel(const std::string& model);

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
    const std::string model_;
    const std::string port_;
    const std::shared_ptr<Gphoto2Library> library_;
    std::mutex mutex_;
    std::vector<std::weak_ptr<CameraSession>> sessions_;  // to stop their events at the end
};

}  // namespace talbex::gphoto
