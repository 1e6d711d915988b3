// Reading and writing properties: call sequences, what reaches the model, and how busy
// and failure answers are told apart.
#include <cstring>

#include "camera/property_commands.h"
#include "command_fixture.h"

namespace talbex::camera {
namespace {

class PropertyCommandsTest : public CommandTest {
  protected:
    void ScriptDisplayedValues() {
        sdk->SetUInt32(kPropAeMode, 3);
        sdk->SetUInt32(kPropTv, 0x60);
        sdk->SetUInt32(kPropAv, 0x58);
        sdk->SetUInt32(kPropIsoSpeed, 0x48);
        sdk->SetUInt32(kPropMeteringMode, 3);
        sdk->SetUInt32(kPropExposureCompensation, 0);
        sdk->SetUInt32(kPropImageQuality, 0x130F0F);
    }
};

TEST_F(PropertyCommandsTest, ReadsAllDisplayedPropertiesInTheirOrder) {
    ScriptDisplayedValues();
    EXPECT_TRUE(GetPropertyCommand(model.get(), kPropAllDisplayed).execute());
    EXPECT_EQ(sdk->Calls("GetPropertySize"),
              (Lines{"GetPropertySize 0x436 param=0", "GetPropertySize 0x406 param=0",
                     "GetPropertySize 0x405 param=0", "GetPropertySize 0x402 param=0",
                     "GetPropertySize 0x403 param=0", "GetPropertySize 0x407 param=0",
                     "GetPropertySize 0x100 param=0"}));
    EXPECT_EQ(events.Events(),
              (Lines{"PropertyChanged 0x436", "PropertyChanged 0x406", "PropertyChanged 0x405",
                     "PropertyChanged 0x402", "PropertyChanged 0x403", "PropertyChanged 0x407",
                     "PropertyChanged 0x100"}));
    EXPECT_EQ(model->getAv(), 0x58u);
    EXPECT_EQ(model->getImageQuality(), 0x130F0Fu);
    EXPECT_TRUE(sdk->Calls("SendStatusCommand").empty());  // no control lock on newer cameras
}

TEST_F(PropertyCommandsTest, BusyInTheMiddleStopsTheReadAndRunsItAgainFromTheStart) {
    ScriptDisplayedValues();
    sdk->Answer("GetPropertyData 0x405", {kSdkErrDeviceBusy});
    GetPropertyCommand command(model.get(), kPropAllDisplayed);
    EXPECT_FALSE(command.execute());
    EXPECT_EQ(events.Events(),
              (Lines{"PropertyChanged 0x436", "PropertyChanged 0x406", "DeviceBusy"}));
    EXPECT_TRUE(sdk->Calls("GetPropertySize 0x402").empty());
    events.Clear();
    EXPECT_TRUE(command.execute());
    EXPECT_EQ(events.Events().front(), "PropertyChanged 0x436");
    EXPECT_EQ(events.Events().size(), 7u);
}

TEST_F(PropertyCommandsTest, ReadsTakeBusyFromTheLow16BitsWritesOnlyFromTheExactCode) {
    sdk->SetUInt32(kPropAv, 0x58);
    sdk->Answer("GetPropertySize 0x405", {0x10081});
    EXPECT_FALSE(GetPropertyCommand(model.get(), kPropAv).execute());
    sdk->Answer("GetPropertyDesc 0x405", {0x20081});
    EXPECT_FALSE(GetPropertyDescCommand(model.get(), kPropAv).execute());
    EXPECT_EQ(events.Events(), (Lines{"DeviceBusy", "DeviceBusy"}));

    events.Clear();
    sdk->Answer("SetPropertyData 0x405", {0x10081, kSdkErrDeviceBusy});
    SetPropertyCommand<unsigned long> write(model.get(), kPropAv, 0x58);
    EXPECT_TRUE(write.execute());
    EXPECT_FALSE(write.execute());
    EXPECT_EQ(events.Events(), (Lines{"error 0x10081", "DeviceBusy"}));
}

TEST_F(PropertyCommandsTest, FailedReadSendsErrorAndNoChange) {
    sdk->SetUInt32(kPropTv, 0x60);
    sdk->Answer("GetPropertyData 0x406", {kSdkErrCommDisconnected});
    EXPECT_TRUE(GetPropertyCommand(model.get(), kPropTv).execute());
    EXPECT_EQ(events.Events(), (Lines{"error 0xC1"}));
    EXPECT_EQ(model->getTv(), 0u);
}

TEST_F(PropertyCommandsTest, OtherTypesAndStringsAreAnnouncedButOnlyTheProductNameIsKept) {
    sdk->SetRaw(kPropWhiteBalance, kDataTypeInt32, {1, 0, 0, 0}, 4);
    sdk->SetString(kPropOwnerName, "owner");
    sdk->SetString(kPropProductName, "Model X");
    EXPECT_TRUE(GetPropertyCommand(model.get(), kPropWhiteBalance).execute());
    EXPECT_TRUE(GetPropertyCommand(model.get(), kPropOwnerName).execute());
    EXPECT_TRUE(GetPropertyCommand(model.get(), kPropProductName).execute());
    EXPECT_EQ(sdk->Calls("GetPropertyData"),
              (Lines{"GetPropertyData 0x4 param=0 size=6", "GetPropertyData 0x2 param=0 size=8"}));
    EXPECT_EQ(events.Events(),
              (Lines{"PropertyChanged 0x106", "PropertyChanged 0x4", "PropertyChanged 0x2"}));
    EXPECT_EQ(model->getProductName(), "Model X");
}

TEST_F(PropertyCommandsTest, ReportedSizesNeverExceedTheBuffers) {
    // A camera that claims more than the record holds, and more frames than it has.
    SdkFocusInfo info{};
    info.pointNumber = 4000;
    std::vector<unsigned char> bytes(sizeof info);
    std::memcpy(bytes.data(), &info, sizeof info);
    sdk->SetRaw(kPropFocusInfo, kDataTypeFocusInfo, bytes, 100000);
    sdk->SetRaw(kPropProductName, kDataTypeString, std::vector<unsigned char>(600, 'x'), 600);
    sdk->SetRaw(kPropAv, kDataTypeUInt32, std::vector<unsigned char>(64, 0x11), 64);
    EXPECT_TRUE(GetPropertyCommand(model.get(), kPropFocusInfo).execute());
    EXPECT_TRUE(GetPropertyCommand(model.get(), kPropProductName).execute());
    EXPECT_TRUE(GetPropertyCommand(model.get(), kPropAv).execute());
    EXPECT_EQ(sdk->Calls("GetPropertyData"), (Lines{"GetPropertyData 0x104 param=0 size=4120",
                                                    "GetPropertyData 0x2 param=0 size=255",
                                                    "GetPropertyData 0x405 param=0 size=4"}));
    EXPECT_EQ(model->getFocusInfo().pointNumber, kMaxFocusPoints);
    EXPECT_EQ(model->getProductName(), std::string(255, 'x'));
    EXPECT_EQ(model->getAv(), 0x11111111u);
}

TEST_F(PropertyCommandsTest, DescriptionsAreStoredAndAnnounced) {
    SdkPropertyDesc desc{};
    desc.numElements = 2;
    desc.propDesc[0] = 0x58;
    desc.propDesc[1] = 0x60;
    sdk->SetDesc(kPropAv, desc);
    EXPECT_TRUE(GetPropertyDescCommand(model.get(), kPropAv).execute());
    EXPECT_EQ(model->getPropertyDesc(kPropAv).propDesc[1], 0x60);
    EXPECT_EQ(events.Events(), (Lines{"PropertyDescChanged 0x405"}));

    // For all displayed properties the first failure ends the read with "error".
    events.Clear();
    sdk->ClearCalls();
    sdk->SetDesc(kPropAeMode, desc);
    EXPECT_TRUE(GetPropertyDescCommand(model.get(), kPropAllDisplayed).execute());
    EXPECT_EQ(sdk->Calls(), (Lines{"GetPropertyDesc 0x436", "GetPropertyDesc 0x406"}));
    EXPECT_EQ(events.Events(), (Lines{"PropertyDescChanged 0x436", "error 0x50"}));
}

TEST_F(PropertyCommandsTest, WritesSendTheValueAndLeaveTheModelAlone) {
    EXPECT_TRUE(SetPropertyCommand<unsigned long>(model.get(), kPropAv, 0x58).execute());
    EXPECT_TRUE(
        SetPropertyCommand<tagSdkPoint>(model.get(), kPropEvfZoomPosition, {100, 0}).execute());
    EXPECT_EQ(sdk->Calls(), (Lines{"SetPropertyData 0x405 param=0 size=4 value=0x58",
                                   "SetPropertyData 0x508 param=0 size=8 point=100,0"}));
    EXPECT_TRUE(events.Events().empty());
    EXPECT_EQ(model->getAv(), 0u);
}

TEST_F(PropertyCommandsTest, LegacyCameraLocksItsControlsAroundReadsAndWrites) {
    UseCamera(true);
    sdk->SetUInt32(kPropAv, 0x58);
    EXPECT_TRUE(GetPropertyCommand(model.get(), kPropAv).execute());
    EXPECT_TRUE(SetPropertyCommand<unsigned long>(model.get(), kPropTv, 0x60).execute());
    EXPECT_EQ(sdk->Calls(), (Lines{"SendStatusCommand 0 param=0", "GetPropertySize 0x405 param=0",
                                   "GetPropertyData 0x405 param=0 size=4",
                                   "SendStatusCommand 1 param=0", "SendStatusCommand 0 param=0",
                                   "SetPropertyData 0x406 param=0 size=4 value=0x60",
                                   "SendStatusCommand 1 param=0"}));
}

TEST_F(PropertyCommandsTest, LegacyLockAnsweredBusyTouchesNothingAndRunsAgain) {
    UseCamera(true);
    sdk->SetUInt32(kPropAv, 0x58);
    sdk->Answer("SendStatusCommand 0", {kSdkErrDeviceBusy, kSdkErrDeviceBusy, 0x7});
    EXPECT_FALSE(GetPropertyCommand(model.get(), kPropAv).execute());
    EXPECT_FALSE(SetPropertyCommand<unsigned long>(model.get(), kPropAv, 1).execute());
    EXPECT_TRUE(SetPropertyCommand<unsigned long>(model.get(), kPropAv, 1).execute());
    EXPECT_EQ(sdk->Calls(), (Lines{"SendStatusCommand 0 param=0", "SendStatusCommand 0 param=0",
                                   "SendStatusCommand 0 param=0"}));
    EXPECT_EQ(events.Events(), (Lines{"DeviceBusy", "DeviceBusy", "error 0x7"}));
}

}  // namespace
}  // namespace talbex::camera
