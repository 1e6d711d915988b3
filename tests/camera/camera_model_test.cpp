// The model keeps only what it knows and never lets a record's count exceed its array.
#include <gtest/gtest.h>

#include "camera/camera_model.h"
#include "camera/current_model.h"

namespace talbex::camera {
namespace {

TEST(CameraModelTest, DeviceSubtypeChoosesTheProtocolAndBecomesCurrent) {
    SdkDeviceInfo info{};
    info.deviceSubType = 0;
    auto legacy = createCameraModel(nullptr, info);
    EXPECT_TRUE(legacy->isLegacy());
    EXPECT_EQ(currentModel, legacy.get());
    info.deviceSubType = 1;
    auto current = createCameraModel(nullptr, info);
    EXPECT_FALSE(current->isLegacy());
    EXPECT_EQ(currentModel, current.get());
    current.reset();
    EXPECT_EQ(currentModel, nullptr);  // never left pointing at a deleted model
    legacy.reset();
    EXPECT_EQ(currentModel, nullptr);
}

TEST(CameraModelTest, KeepsOnlyItsOwnProperties) {
    CameraModel model(nullptr);
    model.setPropertyUInt32(kPropAv, 0x58);
    model.setPropertyUInt32(kPropEvfOutputDevice, 3);
    model.setPropertyUInt32(kPropAfMode, 9);  // not kept
    EXPECT_EQ(model.getAv(), 0x58u);
    EXPECT_EQ(model.getEvfOutputDevice(), 3u);
    EXPECT_EQ(model.getAEMode(), 0u);
    EXPECT_EQ(model.getTv(), 0u);

    model.setPropertyString(kPropProductName, "Model X");
    model.setPropertyString(kPropOwnerName, "someone");
    EXPECT_EQ(model.getProductName(), "Model X");
    model.setPropertyString(kPropProductName, std::string(300, 'n'));
    EXPECT_EQ(model.getProductName().size(), 255u);

    SdkPropertyDesc desc{};
    desc.numElements = 2;
    desc.propDesc[0] = 0x30;
    desc.propDesc[1] = 0x38;
    model.setPropertyDesc(kPropAv, desc);
    model.setPropertyDesc(kPropAfMode, desc);  // not described
    EXPECT_EQ(model.getPropertyDesc(kPropAv).propDesc[1], 0x38);
    EXPECT_EQ(model.getPropertyDesc(kPropAfMode).numElements, 0);
    desc.numElements = 0;
    model.setPropertyDesc(kPropTv, desc);
    EXPECT_EQ(model.getPropertyDesc(kPropTv).numElements, 0);
}

TEST(CameraModelTest, CountsBeyondTheArraysAreCutToTheArrays) {
    CameraModel model(nullptr);
    SdkFocusInfo info{};
    info.pointNumber = 5000;
    info.focusPoint[127].selected = 1;
    model.setFocusInfo(info);
    EXPECT_EQ(model.getFocusInfo().pointNumber, kMaxFocusPoints);
    EXPECT_EQ(model.getFocusInfo().focusPoint[127].selected, 1u);
    info.pointNumber = 3;
    model.setFocusInfo(info);
    EXPECT_EQ(model.getFocusInfo().pointNumber, 3u);

    SdkPropertyDesc desc{};
    desc.numElements = 1000;
    model.setPropertyDesc(kPropIsoSpeed, desc);
    EXPECT_EQ(model.getPropertyDesc(kPropIsoSpeed).numElements, 128);
    desc.numElements = -4;
    model.setPropertyDesc(kPropIsoSpeed, desc);
    EXPECT_EQ(model.getPropertyDesc(kPropIsoSpeed).numElements, 0);
}

}  // namespace
}  // namespace talbex::camera
