// The built-in simulated camera as the SDK boundary's backend: the cameras attached, the
// camera list, and the event thread their events go out on.
//
// Tests build one from code and install it:
//   auto backend = talbex::sim::InstallSimulatedCameras({settingsA, settingsB});
//   ASSERT_EQ(SdkInitialize(), kSdkOk);
//   backend->Camera(0)->Unplug();
//   ...
//   SdkTerminate(); SdkUseBackend(nullptr);
// The cameras keep their state (picture numbers, shutter count, clock) across
// SdkInitialize / SdkTerminate, as a real camera does.
#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "camera/sdk/sdk_backend.h"
#include "camera/sdk/sim/sim_camera.h"
#include "camera/sdk/sim/sim_settings.h"

namespace talbex::sim {

class EventDispatcher;

class SimBackend : public SdkBackend {
  public:
    explicit SimBackend(std::vector<CameraSettings> cameras);
    ~SimBackend() override;

    /// Camera `index` in the order attached (including unplugged ones); null when none.
    std::shared_ptr<SimCamera> Camera(size_t index);
    size_t CameraCount();
    /// Attaches one more camera (it joins the end of the list).
    std::shared_ptr<SimCamera> Attach(CameraSettings settings);

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
    std::vector<std::shared_ptr<SimCamera>> Cameras();

    const std::shared_ptr<EventDispatcher> dispatcher_;
    std::mutex mutex_;
    std::vector<std::shared_ptr<SimCamera>> cameras_;
    std::optional<std::chrono::steady_clock::time_point> epoch_;
};

/// Makes a backend of these cameras and installs it for the next SdkInitialize.
std::shared_ptr<SimBackend> InstallSimulatedCameras(std::vector<CameraSettings> cameras);

}  // namespace talbex::sim
