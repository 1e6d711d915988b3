// A camera that answers "busy" a thousand times in a row to one property read, connected
// as a window connects it: the read is asked again until the value arrives, and closing
// the connection in the middle of the busy answers ends it at once.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "camera/camera_commander.h"
#include "camera/sdk/sdk.h"
#include "camera/sdk/sim/sim_backend.h"
#include "support/recording_observer.h"
#include "support/temp_folder.h"

namespace talbex::faults {
namespace {

using namespace std::chrono_literals;

class BusyCamera : public ::testing::Test {
  protected:
    void Connect(camera::Processor::Options options) {
        backend_ = sim::InstallSimulatedCameras({sim::CameraSettings{}});
        ASSERT_EQ(SdkInitialize(), kSdkOk);
        SdkCameraListRef list = nullptr;
        ASSERT_EQ(SdkGetCameraList(&list), kSdkOk);
        ASSERT_EQ(SdkGetChildAtIndex(list, 0, &camera_), kSdkOk);
        SdkRelease(list);
        SdkDeviceInfo info{};
        ASSERT_EQ(SdkGetDeviceInfo(camera_, &info), kSdkOk);
        model_ = camera::createCameraModel(camera_, info);
        model_->addObserver(&events_);
        commander_ = std::make_unique<camera::CameraCommander>(options);
        commander_->setModel(model_.get());
        commander_->setStagingFolder(staging_.path());
        ASSERT_EQ(commander_->registerEventHandlers(camera_), kSdkOk);
        commander_->run();
        ASSERT_TRUE(events_.WaitFor("PropertyChanged 0x2"));
        events_.Clear();
    }
    void TearDown() override {
        if (commander_)
            camera::fireActionEvent(commander_.get(), "closing", nullptr);
        if (camera_ != nullptr)
            SdkRelease(camera_);
        SdkTerminate();
        SdkUseBackend(nullptr);
        commander_.reset();
        model_.reset();
    }

    void ReadIso() {
        uint32_t iso = kPropIsoSpeed;
        camera::fireActionEvent(commander_.get(), "get_Property", &iso);
    }

    talbex::testing::TempFolder staging_{"talbex-busy"};
    std::shared_ptr<sim::SimBackend> backend_;
    SdkCameraRef camera_ = nullptr;
    std::unique_ptr<camera::CameraModel> model_;
    std::unique_ptr<camera::CameraCommander> commander_;
    talbex::testing::RecordingObserver events_;
};

TEST_F(BusyCamera, AThousandBusyAnswersThenTheValueArrives) {
    // The pause between tries is the program's 500 ms in use; short here, same flow.
    Connect({.retryPause = 1ms});
    backend_->Camera(0)->BusyNext(sim::Operation::GetPropertyData, 1000, kPropIsoSpeed);
    ReadIso();
    // The session's opening announcement may bring a value of 0x402 at any time; the
    // read's own comes after the last busy answer.
    ASSERT_TRUE(events_.WaitFor("DeviceBusy", 1000, 60s));
    ASSERT_TRUE(events_.WaitForAfter("DeviceBusy", 1000, "PropertyChanged 0x402"));
    EXPECT_EQ(events_.Events("DeviceBusy").size(), 1000u);
    EXPECT_TRUE(events_.Events("error").empty());
    EXPECT_EQ(model_->getIsoSpeed(), backend_->Camera(0)->PropertyValue(kPropIsoSpeed));
}

TEST_F(BusyCamera, ClosingInTheMiddleOfTheBusyAnswersEndsAtOnce) {
    Connect({});
    backend_->Camera(0)->BusyNext(sim::Operation::GetPropertyData, 1000, kPropIsoSpeed);
    ReadIso();
    ASSERT_TRUE(events_.WaitFor("DeviceBusy", 2, 5s));
    const auto start = std::chrono::steady_clock::now();
    camera::fireActionEvent(commander_.get(), "closing", nullptr);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);  // not the 500 s of tries left
    EXPECT_FALSE(backend_->Camera(0)->SessionOpen());
    EXPECT_FALSE(commander_->getProcessor().isRunning());
}

}  // namespace
}  // namespace talbex::faults
