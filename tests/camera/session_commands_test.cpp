// Opening a session: newer cameras get the save target, the lock and the capacity; older
// ones the save target (under the lock) and every displayed value and description at once.
#include "camera/session_commands.h"
#include "command_fixture.h"

namespace talbex::camera {
namespace {

using SessionCommandsTest = CommandTest;

TEST_F(SessionCommandsTest, NewerCameraGetsSaveTargetLockCapacityUnlock) {
    EXPECT_TRUE(OpenSessionCommand(model.get()).execute());
    EXPECT_EQ(sdk->Calls(), (Lines{"OpenSession", "SetPropertyData 0xB param=0 size=4 value=0x2",
                                   "SendStatusCommand 0 param=0", "SetCapacity 0x7FFFFFFF 0x1000 1",
                                   "SendStatusCommand 1 param=0"}));
    EXPECT_TRUE(events.Events().empty());
}

TEST_F(SessionCommandsTest, NewerCameraWhoseSaveTargetFailsGetsNoLockNoCapacityOneError) {
    sdk->Answer("SetPropertyData 0xB", {0x7});
    EXPECT_TRUE(OpenSessionCommand(model.get()).execute());
    EXPECT_EQ(sdk->Calls(), (Lines{"OpenSession", "SetPropertyData 0xB param=0 size=4 value=0x2"}));
    EXPECT_EQ(events.Events(), (Lines{"error 0x7"}));
}

TEST_F(SessionCommandsTest, NewerCameraCapacityFailureStillUnlocksAndIsReported) {
    sdk->Answer("SetCapacity", {kSdkErrDeviceBusy});
    EXPECT_TRUE(OpenSessionCommand(model.get()).execute());
    EXPECT_EQ(sdk->Calls().back(), "SendStatusCommand 1 param=0");
    EXPECT_EQ(events.Events(), (Lines{"error 0x81"}));  // never busy for the session open
}

TEST_F(SessionCommandsTest, LegacyCameraReadsEverythingEvenWhenTheSessionFails) {
    UseCamera(true);
    sdk->Answer("OpenSession", {kSdkErrDeviceNotFound});
    sdk->SetUInt32(kPropAeMode, 1);
    sdk->Answer("GetPropertySize 0x406", {kSdkErrDeviceBusy});
    EXPECT_TRUE(OpenSessionCommand(model.get()).execute());
    EXPECT_EQ(sdk->Calls(),
              (Lines{"OpenSession", "SendStatusCommand 0 param=0", "GetPropertySize 0x436 param=0",
                     "GetPropertyData 0x436 param=0 size=4", "GetPropertySize 0x406 param=0",
                     "SendStatusCommand 1 param=0", "SendStatusCommand 0 param=0",
                     "GetPropertyDesc 0x436", "SendStatusCommand 1 param=0"}));
    // The reads send their own events (busy is not retried here); the open failure comes last.
    EXPECT_EQ(events.Events(),
              (Lines{"PropertyChanged 0x436", "DeviceBusy", "error 0x50", "error 0x80"}));
}

TEST_F(SessionCommandsTest, LegacyCameraSetsSaveTargetUnderTheLockWithoutCapacity) {
    UseCamera(true);
    sdk->Answer("GetPropertySize", {0x50});
    sdk->Answer("GetPropertyDesc", {0x50});
    EXPECT_TRUE(OpenSessionCommand(model.get()).execute());
    auto calls = sdk->Calls();
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(Lines(calls.begin() + 1, calls.begin() + 4),
              (Lines{"SendStatusCommand 0 param=0", "SetPropertyData 0xB param=0 size=4 value=0x2",
                     "SendStatusCommand 1 param=0"}));
    EXPECT_TRUE(sdk->Calls("SetCapacity").empty());
}

TEST_F(SessionCommandsTest, CloseSessionReportsAFailureAndFinishes) {
    EXPECT_TRUE(CloseSessionCommand(model.get()).execute());
    sdk->Answer("CloseSession", {kSdkErrDeviceBusy});
    EXPECT_TRUE(CloseSessionCommand(model.get()).execute());
    EXPECT_EQ(sdk->Calls(), (Lines{"CloseSession", "CloseSession"}));
    EXPECT_EQ(events.Events(), (Lines{"error 0x81"}));
}

}  // namespace
}  // namespace talbex::camera
