// Faults of the simulated camera: busy answers and failures on chosen operations, unplug
// and shutdown (now, after a delay, in the middle of a transfer), several cameras, the
// older protocol, and references that are null, released or of the wrong kind.
#include <atomic>
#include <thread>

#include "sim_fixture.h"

namespace talbex::sim::testing {
namespace {

using FaultTest = SimCameraTest;

int32_t CameraCount() {
    SdkCameraListRef list = nullptr;
    int32_t count = -1;
    EXPECT_EQ(SdkGetCameraList(&list), kSdkOk);
    EXPECT_EQ(SdkGetChildCount(list, &count), kSdkOk);
    SdkRelease(list);
    return count;
}

TEST_F(FaultTest, BusyAndFailuresAnswerTheGivenNumberOfTimes) {
    Open();
    ASSERT_EQ(WriteU32(kPropSaveTo, kSaveToHost), kSdkOk);
    ASSERT_EQ(SdkSetCapacity(camera_, SdkCapacity{0x7FFFFFFF, 0x1000, 1}), kSdkOk);
    sim_->BusyNext(Operation::TakePicture, 2);
    EXPECT_EQ(SdkSendCommand(camera_, kCameraCommandTakePicture, 0), kSdkErrDeviceBusy);
    EXPECT_EQ(SdkSendCommand(camera_, kCameraCommandTakePicture, 0), kSdkErrDeviceBusy);
    EXPECT_EQ(sim_->PicturesTaken(), 0u) << "a busy camera takes no picture";
    EXPECT_EQ(SdkSendCommand(camera_, kCameraCommandTakePicture, 0), kSdkOk);
    EXPECT_EQ(sim_->PicturesTaken(), 1u);

    // Limited to one property: reading Av fails once, Tv is not touched by it.
    sim_->FailNext(Operation::GetPropertyData, 1, kSdkErrFileIo, kPropAv);
    uint32_t value = 0;
    EXPECT_EQ(SdkGetPropertyData(camera_, kPropTv, 0, 4, &value), kSdkOk);
    EXPECT_EQ(SdkGetPropertyData(camera_, kPropAv, 0, 4, &value), kSdkErrFileIo);
    EXPECT_EQ(SdkGetPropertyData(camera_, kPropAv, 0, 4, &value), kSdkOk);

    // A busy write changes nothing and sends no event.
    sim_->BusyNext(Operation::SetPropertyData, 1);
    events_.Clear();
    EXPECT_EQ(WriteU32(kPropIsoSpeed, 0x58), kSdkErrDeviceBusy);
    EXPECT_EQ(ReadU32(kPropIsoSpeed), 0x48u);
    events_.Settle();
    EXPECT_FALSE(events_.Has(kPropertyEventPropertyChanged, kPropIsoSpeed));
}

TEST_F(FaultTest, FaultsFromTheSettingsAndOnOtherOperations) {
    CameraSettings settings = SmallCamera();
    settings.faults = {{Operation::OpenSession, std::nullopt, 1, kSdkErrDeviceBusy},
                       {Operation::Download, std::nullopt, 1, kSdkErrFileIo},
                       {Operation::DownloadEvfImage, std::nullopt, 1, kSdkErrDeviceBusy}};
    Install({settings});
    camera_ = CameraAt(0);
    EXPECT_EQ(SdkOpenSession(camera_), kSdkErrDeviceBusy);
    ASSERT_EQ(SdkOpenSession(camera_), kSdkOk);
    events_.Register(camera_);
    SdkDirectoryItemRef item = TakePicture();
    ASSERT_NE(item, nullptr);
    SdkStreamRef stream = nullptr;
    ASSERT_EQ(SdkCreateMemoryStream(0, &stream), kSdkOk);
    SdkDirectoryItemInfo info{};
    ASSERT_EQ(SdkGetDirectoryItemInfo(item, &info), kSdkOk);
    EXPECT_EQ(SdkDownload(item, info.size, stream), kSdkErrFileIo);
    EXPECT_EQ(SdkDownload(item, info.size, stream), kSdkOk) << "only once";
    SdkRelease(stream);
    SdkRelease(item);
    StartLiveView();
    ASSERT_EQ(SdkCreateMemoryStream(0, &stream), kSdkOk);
    SdkEvfImageRef image = nullptr;
    ASSERT_EQ(SdkCreateEvfImageRef(stream, &image), kSdkOk);
    EXPECT_EQ(SdkDownloadEvfImage(camera_, image), kSdkErrDeviceBusy);
    SdkRelease(image);
    SdkRelease(stream);
}

TEST_F(FaultTest, UnpluggedCameraLeavesTheListAndItsReferencesFail) {
    Open();
    EXPECT_EQ(CameraCount(), 1);
    sim_->Unplug();
    EXPECT_EQ(CameraCount(), 0);
    uint32_t value = 0;
    EXPECT_EQ(SdkGetPropertyData(camera_, kPropAv, 0, 4, &value), kSdkErrCommDisconnected);
    EXPECT_EQ(SdkSendCommand(camera_, kCameraCommandTakePicture, 0), kSdkErrCommDisconnected);
    SdkDeviceInfo info{};
    EXPECT_EQ(SdkGetDeviceInfo(camera_, &info), kSdkErrCommDisconnected);
    EXPECT_EQ(SdkCloseSession(camera_), kSdkErrCommDisconnected);

    sim_->PlugIn();
    EXPECT_EQ(CameraCount(), 1);
    EXPECT_EQ(SdkOpenSession(camera_), kSdkErrCommDisconnected) << "an old reference stays dead";
    SdkCameraRef again = CameraAt(0);
    EXPECT_EQ(SdkOpenSession(again), kSdkOk);
    EXPECT_EQ(SdkGetPropertyData(again, kPropAv, 0, 4, &value), kSdkOk);
    SdkCloseSession(again);
    SdkRelease(again);
}

struct UnplugAt {
    std::shared_ptr<SimCamera> camera;
    std::vector<uint32_t> progress;
};

SdkError UnplugAtAThird(uint32_t percent, void* context, bool* cancel) {
    auto* state = static_cast<UnplugAt*>(context);
    state->progress.push_back(percent);
    if (percent >= 30)
        state->camera->Unplug();
    *cancel = false;
    return kSdkOk;
}

TEST_F(FaultTest, UnplugInTheMiddleOfATransferFailsItPartWay) {
    CameraSettings settings = SmallCamera();
    settings.transferMs = 100;
    Open({settings});
    SdkDirectoryItemRef item = TakePicture();
    ASSERT_NE(item, nullptr);
    SdkDirectoryItemInfo info{};
    ASSERT_EQ(SdkGetDirectoryItemInfo(item, &info), kSdkOk);
    SdkStreamRef stream = nullptr;
    ASSERT_EQ(SdkCreateMemoryStream(0, &stream), kSdkOk);
    UnplugAt state{sim_, {}};
    ASSERT_EQ(SdkSetProgressCallback(stream, UnplugAtAThird, kProgressPeriodically, &state),
              kSdkOk);
    EXPECT_EQ(SdkDownload(item, info.size, stream), kSdkErrCommDisconnected);
    uint64_t length = 0;
    ASSERT_EQ(SdkGetLength(stream, &length), kSdkOk);
    EXPECT_GT(length, 0u);
    EXPECT_LT(length, info.size);
    EXPECT_LT(state.progress.back(), 100u);
    EXPECT_EQ(SdkDownloadComplete(item), kSdkErrCommDisconnected);
    EXPECT_EQ(SdkGetDirectoryItemInfo(item, &info), kSdkErrCommDisconnected);
    SdkRelease(stream);
    SdkRelease(item);
}

TEST_F(FaultTest, ShutdownSendsTheStateEventAndTheCameraIsGone) {
    Open();
    sim_->ShutDown();
    auto event = events_.WaitFor(kStateEventShutdown, 0);
    ASSERT_TRUE(event);
    EXPECT_NE(event->thread, std::this_thread::get_id());
    EXPECT_EQ(CameraCount(), 0);
    EXPECT_EQ(SdkSendCommand(camera_, kCameraCommandTakePicture, 0), kSdkErrCommDisconnected);
}

TEST_F(FaultTest, DelayedShutdownAndUnplugHappenWithoutAnyCall) {
    // Later than the session's announcements take to settle.
    CameraSettings first = SmallCamera();
    first.shutdownAfterMs = 600;
    CameraSettings second = SmallCamera();
    second.unplugAfterMs = 500;
    Open({first, second});
    EXPECT_EQ(CameraCount(), 2);
    EXPECT_TRUE(events_.WaitFor(kStateEventShutdown, 0)) << "delivered by the event thread";
    EXPECT_EQ(CameraCount(), 0);

    // Scripted delays work the same way.
    auto third = backend_->Attach(CameraSettings{});
    EXPECT_EQ(CameraCount(), 1);
    third->UnplugAfter(std::chrono::milliseconds(30));
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_FALSE(third->IsAttached());
}

// The event thread waits for a planned unplug that has not come when the library closes;
// closing drops the plan under it (the address sanitizer sees a wait on freed memory).
TEST_F(FaultTest, LibraryClosesWhileAPlannedUnplugIsStillAhead) {
    CameraSettings settings = SmallCamera();
    settings.unplugAfterMs = 60000;
    Open({settings});
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the thread is waiting
    SdkCloseSession(camera_);
    SdkRelease(camera_);
    camera_ = nullptr;
    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(SdkTerminate(), kSdkOk);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
    EXPECT_TRUE(sim_->IsAttached());
    ASSERT_EQ(SdkInitialize(), kSdkOk) << "and the library opens again";
}

TEST_F(FaultTest, SeveralCamerasAreListedInOrderAndStandApart) {
    CameraSettings a = SmallCamera();
    a.model = "SimCam A";
    CameraSettings b = SmallCamera();
    b.model = "SimCam B";
    b.legacy = true;
    b.shutterCount.reset();
    Open({a, b});
    SdkCameraRef second = CameraAt(1);
    ASSERT_NE(second, nullptr);
    SdkDeviceInfo info{};
    ASSERT_EQ(SdkGetDeviceInfo(camera_, &info), kSdkOk);
    EXPECT_STREQ(info.deviceDescription, "SimCam A");
    EXPECT_EQ(info.deviceSubType, 1u);
    ASSERT_EQ(SdkGetDeviceInfo(second, &info), kSdkOk);
    EXPECT_STREQ(info.deviceDescription, "SimCam B");
    EXPECT_EQ(info.deviceSubType, 0u) << "legacy protocol";
    uint32_t count = 0;
    EXPECT_EQ(SdkGetShutterCount(second, &count), kSdkErrPropertyUnavailable);
    ASSERT_EQ(SdkOpenSession(second), kSdkOk);
    ASSERT_EQ(SdkSendStatusCommand(second, kStatusCommandUiLock, 0), kSdkOk);
    // The older protocol has the older image-quality codes.
    SdkPropertyDesc desc{};
    ASSERT_EQ(SdkGetPropertyDesc(second, kPropImageQuality, &desc), kSdkOk);
    EXPECT_EQ(static_cast<uint32_t>(desc.propDesc[0]), 0x00240000u);
    uint32_t quality = 0x0013FF0F;
    EXPECT_EQ(SdkSetPropertyData(second, kPropImageQuality, 0, 4, &quality), kSdkErrInvalidValue);

    backend_->Camera(1)->Unplug();
    EXPECT_EQ(CameraCount(), 1);
    EXPECT_EQ(ReadU32(kPropAv), 0x30u) << "the first camera is not affected";
    SdkRelease(second);
    SdkCameraRef other = nullptr;
    SdkCameraListRef list = nullptr;
    ASSERT_EQ(SdkGetCameraList(&list), kSdkOk);
    EXPECT_EQ(SdkGetChildAtIndex(list, 1, &other), kSdkErrInvalidIndex);
    EXPECT_EQ(SdkGetChildAtIndex(list, -1, &other), kSdkErrInvalidIndex);
    SdkRelease(list);
}

TEST_F(FaultTest, NullReleasedAndWrongReferencesAreAnsweredWithAnError) {
    Open();
    SdkDirectoryItemRef item = TakePicture();
    ASSERT_NE(item, nullptr);
    SdkStreamRef stream = nullptr;
    ASSERT_EQ(SdkCreateMemoryStream(0, &stream), kSdkOk);
    uint32_t value = 0;
    SdkDirectoryItemInfo info{};
    // A stream is not a camera, a camera is not an item.
    EXPECT_EQ(SdkGetPropertyData(stream, kPropAv, 0, 4, &value), kSdkErrInvalidHandle);
    EXPECT_EQ(SdkSendCommand(stream, kCameraCommandTakePicture, 0), kSdkErrInvalidHandle);
    EXPECT_EQ(SdkGetDirectoryItemInfo(camera_, &info), kSdkErrInvalidHandle);
    EXPECT_EQ(SdkDownload(item, 10, camera_), kSdkErrInvalidHandle);
    // Released references.
    SdkRelease(item);
    EXPECT_EQ(SdkGetDirectoryItemInfo(item, &info), kSdkErrInvalidHandle);
    EXPECT_EQ(SdkDownload(item, 10, stream), kSdkErrInvalidHandle);
    EXPECT_EQ(SdkDownloadComplete(item), kSdkErrInvalidHandle);
    SdkRelease(stream);
    SdkCameraRef camera = camera_;
    SdkCloseSession(camera_);
    SdkRelease(camera_);
    camera_ = nullptr;
    EXPECT_EQ(SdkOpenSession(camera), kSdkErrInvalidHandle);
    EXPECT_EQ(SdkGetPropertyData(camera, kPropAv, 0, 4, &value), kSdkErrInvalidHandle);
    EXPECT_EQ(SdkSetPropertyEventHandler(camera, kPropertyEventAll, nullptr, nullptr),
              kSdkErrInvalidHandle);
    // Null references and null out-pointers.
    EXPECT_EQ(SdkSendCommand(nullptr, kCameraCommandTakePicture, 0), kSdkErrInvalidHandle);
    EXPECT_EQ(SdkDownloadEvfImage(nullptr, nullptr), kSdkErrInvalidHandle);
    EXPECT_EQ(SdkGetShutterCount(nullptr, &value), kSdkErrInvalidHandle);
    EXPECT_NE(SdkGetCameraList(nullptr), kSdkOk);
}

TEST_F(FaultTest, NoEventsAfterTheLibraryIsClosed) {
    Open();
    SdkCloseSession(camera_);
    SdkRelease(camera_);
    camera_ = nullptr;
    events_.Clear();
    ASSERT_EQ(SdkTerminate(), kSdkOk);
    sim_->TurnModeDial(2);
    sim_->ShutDown();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(events_.Count(), 0u);
    EXPECT_EQ(sim_->PropertyValue(kPropShootingMode), 2u) << "the dial turned all the same";
}

// Two threads call the camera at once while its events flow (run under the thread
// sanitizer): the window thread's direct calls and the worker's commands.
TEST_F(FaultTest, CallsFromSeveralThreadsAtOnce) {
    Open();
    ASSERT_EQ(WriteU32(kPropSaveTo, kSaveToHost), kSdkOk);
    ASSERT_EQ(SdkSetCapacity(camera_, SdkCapacity{0x7FFFFFFF, 0x1000, 1}), kSdkOk);
    StartLiveView();
    std::atomic<int> failures{0};
    auto worker = [&](int id) {
        SdkStreamRef stream = nullptr;
        SdkEvfImageRef image = nullptr;
        SdkCreateMemoryStream(0, &stream);
        SdkCreateEvfImageRef(stream, &image);
        for (int i = 0; i < 20; ++i) {
            uint32_t iso = (i + id) % 2 ? 0x50 : 0x58;
            if (SdkSetPropertyData(camera_, kPropIsoSpeed, 0, 4, &iso) != kSdkOk)
                ++failures;
            SdkFocusInfo focus;
            if (SdkGetPropertyData(camera_, kPropFocusInfo, 0, sizeof focus, &focus) != kSdkOk)
                ++failures;
            const SdkError frame = SdkDownloadEvfImage(camera_, image);
            if (frame != kSdkOk && frame != kSdkErrObjectNotReady)
                ++failures;
            if (i % 10 == 0 && SdkSendCommand(camera_, kCameraCommandTakePicture, 0) != kSdkOk)
                ++failures;
        }
        SdkRelease(image);
        SdkRelease(stream);
    };
    std::thread a(worker, 0), b(worker, 1);
    sim_->TurnModeDial(1);
    a.join();
    b.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(sim_->PicturesTaken(), 4u);
    events_.Settle();
}

}  // namespace
}  // namespace talbex::sim::testing
