#include "sim_picture.h"

#include <gtest/gtest.h>

#include "camera/sdk/sdk.h"
#include "camera/sdk/sdk_backend.h"
#include "camera/sdk/sim/sim_backend.h"

namespace talbex::testing {

std::vector<uint8_t> TakeSimulatedPicture(const sim::CameraSettings& settings) {
    auto backend = sim::InstallSimulatedCameras({settings});
    std::vector<uint8_t> picture;
    EXPECT_EQ(SdkInitialize(), kSdkOk);
    SdkCameraListRef list = nullptr;
    SdkCameraRef camera = nullptr;
    EXPECT_EQ(SdkGetCameraList(&list), kSdkOk);
    EXPECT_EQ(SdkGetChildAtIndex(list, 0, &camera), kSdkOk);
    SdkRelease(list);
    if (camera != nullptr) {
        EXPECT_EQ(SdkOpenSession(camera), kSdkOk);
        EXPECT_EQ(SdkSendCommand(camera, kCameraCommandTakePicture, 0), kSdkOk);
        picture = backend->Camera(0)->LastPicture();
        SdkCloseSession(camera);
        SdkRelease(camera);
    }
    SdkTerminate();
    SdkUseBackend(nullptr);
    return picture;
}

}  // namespace talbex::testing
