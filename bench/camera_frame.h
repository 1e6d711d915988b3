// What the drawing benchmarks draw: one 1024 x 680 live-view frame from the simulated
// camera in live-view mode, as the window gets it.
#pragma once

#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "camera/sdk/sdk.h"
#include "camera/sdk/sdk_backend.h"
#include "camera/sdk/sim/sim_backend.h"

namespace talbex::bench {

/// The JPEG bytes of one frame; empty when the camera sent none.
inline std::vector<uint8_t> CameraFrame() {
    auto backend = sim::InstallSimulatedCameras({sim::CameraSettings{}});
    std::vector<uint8_t> jpeg;
    if (SdkInitialize() != kSdkOk)
        return jpeg;
    SdkCameraListRef list = nullptr;
    SdkCameraRef camera = nullptr;
    SdkGetCameraList(&list);
    SdkGetChildAtIndex(list, 0, &camera);
    SdkRelease(list);
    SdkOpenSession(camera);
    // The camera sends live view only in live-view mode, to the computer.
    const uint32_t on = 1;
    SdkSetPropertyData(camera, kPropEvfMode, 0, sizeof on, &on);
    uint32_t device = kEvfOutputDeviceComputer;
    SdkSetPropertyData(camera, kPropEvfOutputDevice, 0, sizeof device, &device);
    for (int attempt = 0; attempt < 200 && jpeg.empty(); ++attempt) {
        SdkStreamRef stream = nullptr;
        SdkEvfImageRef image = nullptr;
        SdkCreateMemoryStream(0, &stream);
        SdkCreateEvfImageRef(stream, &image);
        if (SdkDownloadEvfImage(camera, image) == kSdkOk) {
            const void* bytes = nullptr;
            uint64_t length = 0;
            SdkGetPointer(stream, &bytes);
            SdkGetLength(stream, &length);
            const auto* p = static_cast<const uint8_t*>(bytes);
            jpeg.assign(p, p + length);
        }
        SdkRelease(image);
        SdkRelease(stream);
        if (jpeg.empty())
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    SdkCloseSession(camera);
    SdkRelease(camera);
    SdkTerminate();
    SdkUseBackend(nullptr);
    return jpeg;
}

}  // namespace talbex::bench
