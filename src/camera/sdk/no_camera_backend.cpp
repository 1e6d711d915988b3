// The backend of a machine with no camera attached: an empty camera list.
#include "camera/sdk/sdk_backend.h"

namespace {

class CameraList : public SdkObject {};

class NoCameraBackend : public SdkBackend {
  public:
    SdkError GetCameraList(std::shared_ptr<SdkObject>* outList) override {
        *outList = std::make_shared<CameraList>();
        return kSdkOk;
    }
    SdkError GetChildCount(SdkObject& list, int32_t* outCount) override {
        if (dynamic_cast<CameraList*>(&list) == nullptr)
            return kSdkErrInvalidHandle;
        *outCount = 0;
        return kSdkOk;
    }
    SdkError GetChildAtIndex(SdkObject&, int32_t, std::shared_ptr<SdkObject>*) override {
        return kSdkErrInvalidIndex;
    }
    // No camera reference can exist, so every camera operation is a wrong handle.
    SdkError GetDeviceInfo(SdkObject&, SdkDeviceInfo*) override { return kSdkErrInvalidHandle; }
    SdkError OpenSession(SdkObject&) override { return kSdkErrInvalidHandle; }
    SdkError CloseSession(SdkObject&) override { return kSdkErrInvalidHandle; }
    SdkError GetPropertySize(SdkObject&, SdkPropertyId, int32_t, SdkDataType*, uint32_t*) override {
        return kSdkErrInvalidHandle;
    }
    SdkError GetPropertyData(SdkObject&, SdkPropertyId, int32_t, uint32_t, void*) override {
        return kSdkErrInvalidHandle;
    }
    SdkError SetPropertyData(SdkObject&, SdkPropertyId, int32_t, uint32_t, const void*) override {
        return kSdkErrInvalidHandle;
    }
    SdkError GetPropertyDesc(SdkObject&, SdkPropertyId, SdkPropertyDesc*) override {
        return kSdkErrInvalidHandle;
    }
    SdkError SendCommand(SdkObject&, SdkCameraCommand, int32_t) override {
        return kSdkErrInvalidHandle;
    }
    SdkError SendStatusCommand(SdkObject&, SdkStatusCommand, int32_t) override {
        return kSdkErrInvalidHandle;
    }
    SdkError SetCapacity(SdkObject&, SdkCapacity) override { return kSdkErrInvalidHandle; }
    SdkError GetDirectoryItemInfo(SdkObject&, SdkDirectoryItemInfo*) override {
        return kSdkErrInvalidHandle;
    }
    SdkError Download(SdkObject&, uint64_t, SdkStream&) override { return kSdkErrInvalidHandle; }
    SdkError DownloadComplete(SdkObject&) override { return kSdkErrInvalidHandle; }
    SdkError DownloadEvfImage(SdkObject&, SdkEvfImage&) override { return kSdkErrInvalidHandle; }
    SdkError SetPropertyEventHandler(SdkObject&, SdkPropertyEvent, SdkPropertyEventHandler,
                                     void*) override {
        return kSdkErrInvalidHandle;
    }
    SdkError SetObjectEventHandler(SdkObject&, SdkObjectEvent, SdkObjectEventHandler,
                                   void*) override {
        return kSdkErrInvalidHandle;
    }
    SdkError SetCameraStateEventHandler(SdkObject&, SdkStateEvent, SdkStateEventHandler,
                                        void*) override {
        return kSdkErrInvalidHandle;
    }
    SdkError GetShutterCount(SdkObject&, uint32_t*) override { return kSdkErrInvalidHandle; }
};

}  // namespace

std::shared_ptr<SdkBackend> MakeNoCameraBackend() {
    return std::make_shared<NoCameraBackend>();
}
