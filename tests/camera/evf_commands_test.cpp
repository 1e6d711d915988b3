// Live view: switching on and off, frames with their zoom data, lens and autofocus.
#include <chrono>

#include "camera/evf_commands.h"
#include "camera/evf_data_set.h"
#include "command_fixture.h"

namespace talbex::camera {
namespace {

using EvfCommandsTest = CommandTest;
using namespace std::chrono_literals;

TEST_F(EvfCommandsTest, StartWritesTheModeOnlyWhenOffThenAddsTheComputer) {
    model->setPropertyUInt32(kPropEvfOutputDevice, 1);
    EXPECT_TRUE(StartEvfCommand(model.get()).execute());
    model->setPropertyUInt32(kPropEvfMode, 1);
    EXPECT_TRUE(StartEvfCommand(model.get()).execute());
    EXPECT_EQ(sdk->Calls(), (Lines{"SetPropertyData 0x501 param=0 size=4 value=0x1",
                                   "SetPropertyData 0x500 param=0 size=4 value=0x3",
                                   "SetPropertyData 0x500 param=0 size=4 value=0x3"}));
}

TEST_F(EvfCommandsTest, StartStopsAtAFailedModeWriteAndRetriesOnlyBusy) {
    sdk->Answer("SetPropertyData 0x501", {kSdkErrDeviceBusy, 0x7});
    EXPECT_FALSE(StartEvfCommand(model.get()).execute());
    EXPECT_TRUE(StartEvfCommand(model.get()).execute());
    EXPECT_TRUE(sdk->Calls("SetPropertyData 0x500").empty());
    EXPECT_EQ(events.Events(), (Lines{"DeviceBusy", "error 0x7"}));
}

TEST_F(EvfCommandsTest, EndWithoutTheComputerBitDoesNothing) {
    model->setPropertyUInt32(kPropEvfOutputDevice, 1);
    EXPECT_TRUE(EndEvfCommand(model.get()).execute());
    EXPECT_TRUE(DownloadEvfCommand(model.get()).execute());
    EXPECT_TRUE(sdk->Calls().empty());
    EXPECT_TRUE(events.Events().empty());
}

TEST_F(EvfCommandsTest, EndWithDepthOfFieldPreviewTurnsItOffWaitsThenClearsTheBit) {
    model->setPropertyUInt32(kPropEvfOutputDevice, 3);
    model->setPropertyUInt32(kPropEvfDepthOfFieldPreview, 1);
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(EndEvfCommand(model.get()).execute());
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(495));
    EXPECT_EQ(sdk->Calls(), (Lines{"SetPropertyData 0x504 param=0 size=4 value=0x0",
                                   "SetPropertyData 0x500 param=0 size=4 value=0x1"}));
}

TEST_F(EvfCommandsTest, EndRunsAgainAfterAnyFailure) {
    model->setPropertyUInt32(kPropEvfOutputDevice, 2);
    model->setPropertyUInt32(kPropEvfDepthOfFieldPreview, 1);
    sdk->Answer("SetPropertyData 0x504", {0x7});
    sdk->Answer("SetPropertyData 0x500", {kSdkErrDeviceBusy});
    EXPECT_FALSE(EndEvfCommand(model.get()).execute());
    model->setPropertyUInt32(kPropEvfDepthOfFieldPreview, 0);
    EXPECT_FALSE(EndEvfCommand(model.get()).execute());
    EXPECT_TRUE(EndEvfCommand(model.get()).execute());
    EXPECT_EQ(sdk->Calls(), (Lines{"SetPropertyData 0x504 param=0 size=4 value=0x0",
                                   "SetPropertyData 0x500 param=0 size=4 value=0x0",
                                   "SetPropertyData 0x500 param=0 size=4 value=0x0"}));
    EXPECT_EQ(events.Events(), (Lines{"error 0x7", "DeviceBusy"}));
}

TEST_F(EvfCommandsTest, FrameIsReadInOrderStoredAndHandedOverThenReleased) {
    model->setPropertyUInt32(kPropEvfOutputDevice, 2);
    testing::ScriptedSdk::Frame frame;
    frame.jpeg = {0xFF, 0xD8, 1, 2, 3, 0xFF, 0xD9};
    frame.zoom = 5;
    frame.zoomRect = {1200, 800, 640, 426};
    frame.imagePosition = {10, 20};
    frame.histogramFirst = 77;
    frame.coordinateSystem = {6000, 4000};
    sdk->SetFrame(frame);
    std::vector<unsigned char> seen;
    EvfDataSet copy{};
    events.SetReaction([&](ModelEvent* event) {
        auto* data = static_cast<EvfDataSet*>(event->arg);
        const void* bytes = nullptr;
        uint64_t length = 0;
        ASSERT_EQ(SdkGetPointer(data->stream, &bytes), kSdkOk);
        ASSERT_EQ(SdkGetLength(data->stream, &length), kSdkOk);
        auto* p = static_cast<const unsigned char*>(bytes);
        seen.assign(p, p + length);
        copy = *data;
    });
    size_t before = SdkLiveReferenceCount();
    EXPECT_TRUE(DownloadEvfCommand(model.get()).execute());
    EXPECT_EQ(
        sdk->Calls(),
        (Lines{"CreateMemoryStream 0x200000", "CreateEvfImageRef memorystream",
               "DownloadEvfImage evfimage", "GetEvfImagePropertyData 0x507 size=4",
               "GetEvfImagePropertyData 0x50B size=8", "GetEvfImagePropertyData 0x50A size=4096",
               "GetEvfImagePropertyData 0x541 size=16", "GetEvfImagePropertyData 0x540 size=8",
               "GetPointer memorystream", "GetLength memorystream",
               "Release memorystream remaining=0", "Release evfimage remaining=0"}));
    EXPECT_EQ(events.Events(), (Lines{"EvfDataChanged zoom=5"}));
    EXPECT_EQ(seen, frame.jpeg);
    EXPECT_EQ(copy.zoomRect.width, 640);
    EXPECT_EQ(copy.imagePosition.y, 20);
    EXPECT_EQ(copy.histogram[0], 77u);
    EXPECT_EQ(copy.coordinateSystem.width, 6000);
    EXPECT_EQ(model->getEvfZoom(), 5u);
    EXPECT_EQ(model->getEvfZoomPosition().x, 1200);
    EXPECT_EQ(model->getEvfZoomPosition().y, 800);
    EXPECT_EQ(model->getEvfZoomRect().height, 426);
    EXPECT_EQ(SdkLiveReferenceCount(), before);
}

TEST_F(EvfCommandsTest, FailedFrameFieldReadsLeaveZeros) {
    model->setPropertyUInt32(kPropEvfOutputDevice, 2);
    testing::ScriptedSdk::Frame frame;
    frame.zoom = 5;
    frame.zoomRect = {1, 2, 3, 4};
    sdk->SetFrame(frame);
    sdk->Answer("GetEvfImagePropertyData 0x507", {0x7});
    sdk->Answer("GetEvfImagePropertyData 0x541", {0x7});
    EXPECT_TRUE(DownloadEvfCommand(model.get()).execute());
    EXPECT_EQ(events.Events(), (Lines{"EvfDataChanged zoom=0"}));
    EXPECT_EQ(model->getEvfZoomRect().width, 0);
}

TEST_F(EvfCommandsTest, FrameNotReadyIsSilentBusyIsToldOtherFailuresFinish) {
    model->setPropertyUInt32(kPropEvfOutputDevice, 2);
    sdk->Answer("DownloadEvfImage", {kSdkErrObjectNotReady, kSdkErrDeviceBusy, 0x10081});
    size_t before = SdkLiveReferenceCount();
    DownloadEvfCommand command(model.get());
    // Not ready: asked again after about a frame's time; busy: after the processor's pause.
    EXPECT_FALSE(command.execute());
    EXPECT_LE(command.takeRetryPause().value_or(std::chrono::seconds(1)), 10ms);
    EXPECT_FALSE(command.execute());
    EXPECT_EQ(command.takeRetryPause(), std::nullopt);
    EXPECT_TRUE(command.execute());
    EXPECT_EQ(events.Events(), (Lines{"DeviceBusy", "error 0x10081"}));
    EXPECT_EQ(sdk->Calls("Release").size(), 6u);
    EXPECT_EQ(SdkLiveReferenceCount(), before);
}

TEST_F(EvfCommandsTest, FailedImageReferenceReleasesTheStream) {
    model->setPropertyUInt32(kPropEvfOutputDevice, 2);
    sdk->Answer("CreateEvfImageRef", {0x2});
    EXPECT_TRUE(DownloadEvfCommand(model.get()).execute());
    EXPECT_EQ(sdk->Calls(), (Lines{"CreateMemoryStream 0x200000", "CreateEvfImageRef memorystream",
                                   "Release memorystream remaining=0"}));
    EXPECT_EQ(events.Events(), (Lines{"error 0x2"}));
}

TEST_F(EvfCommandsTest, LensAndAutofocusAreSentOnceWhateverTheAnswer) {
    sdk->Answer("SendCommand", {kSdkErrDeviceBusy, 0x7});
    EXPECT_TRUE(DriveLensCommand(model.get(), 0x8002).execute());
    EXPECT_TRUE(DoEvfAFCommand(model.get(), 1).execute());
    EXPECT_TRUE(DoEvfAFCommand(model.get(), 0).execute());
    EXPECT_EQ(sdk->Calls(), (Lines{"SendCommand 0x103 param=0x8002", "SendCommand 0x102 param=0x1",
                                   "SendCommand 0x102 param=0x0"}));
    EXPECT_EQ(events.Events(), (Lines{"DeviceBusy", "error 0x7"}));
}

}  // namespace
}  // namespace talbex::camera
