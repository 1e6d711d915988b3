// The commander: every action name becomes the right command, camera events become
// actions, and "closing" ends the worker cleanly whatever is going on.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

#include "camera/camera_commander.h"
#include "camera/evf_data_set.h"
#include "platform/os/wait_pump.h"
#include "support/recording_observer.h"
#include "support/scripted_sdk.h"
#include "support/temp_folder.h"

namespace talbex::camera {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

class CameraCommanderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sdk = testing::ScriptedSdk::Install(1);
        model = createCameraModel(sdk->Camera(), sdk->DeviceInfo());
        model->addObserver(&events);
        Processor::Options options;
        options.retryPause = std::chrono::milliseconds(20);
        commander = std::make_unique<CameraCommander>(options);
        commander->setModel(model.get());
        ASSERT_EQ(commander->registerEventHandlers(sdk->Camera()), kSdkOk);
        commander->setStagingFolder(temp.path());
        sdk->ClearCalls();
    }
    void TearDown() override {
        fire("closing");
        testing::ScriptedSdk::Uninstall();  // no more events before the commander goes
        commander.reset();
        model.reset();
    }

    void fire(const std::string& action, void* arg = nullptr) {
        fireActionEvent(commander.get(), action, arg);
    }

    // Runs what the actions queued: starts the worker and waits until a "shutDown"
    // notification queued last has been delivered.
    void drain() {
        fire("shutDown");
        if (!commander->getProcessor().isRunning())
            commander->getProcessor().start();
        ASSERT_TRUE(events.WaitFor("shutDown"));
        events.Clear();
    }

    std::shared_ptr<testing::ScriptedSdk> sdk;
    std::unique_ptr<CameraModel> model;
    std::unique_ptr<CameraCommander> commander;
    testing::RecordingObserver events;
    const talbex::testing::TempFolder temp{"talbex-commander"};
    const fs::path folder{temp.path()};
};

TEST_F(CameraCommanderTest, EveryActionQueuesItsCommand) {
    struct Case {
        const char* action;
        uint32_t value;
        std::string call;
    };
    const Case cases[] = {
        {"opensession", 0, "OpenSession"},
        {"set_AEMode", 3, "SetPropertyData 0x436 param=0 size=4 value=0x3"},
        {"set_Av", 0x58, "SetPropertyData 0x405 param=0 size=4 value=0x58"},
        {"set_Tv", 0x60, "SetPropertyData 0x406 param=0 size=4 value=0x60"},
        {"set_ISOSpeed", 0x48, "SetPropertyData 0x402 param=0 size=4 value=0x48"},
        {"set_MeteringMode", 1, "SetPropertyData 0x403 param=0 size=4 value=0x1"},
        {"set_ExposureCompensation", 8, "SetPropertyData 0x407 param=0 size=4 value=0x8"},
        {"set_ImageQuality", 0x130F0F, "SetPropertyData 0x100 param=0 size=4 value=0x130F0F"},
        {"set_EvfAFMode", 2, "SetPropertyData 0x50E param=0 size=4 value=0x2"},
        {"pressingHalfway", 0, "SendCommand 0x4 param=0x1"},
        {"pressingCompletely", 0, "SendCommand 0x4 param=0x3"},
        {"pressingOff", 0, "SendCommand 0x4 param=0x0"},
        {"TakePicture", 0, "SendCommand 0x0 param=0x0"},
        {"get_Property", 0x405, "GetPropertySize 0x405 param=0"},
        {"get_PropertyDesc", 0x406, "GetPropertyDesc 0x406"},
        {"startEVF", 0, "SetPropertyData 0x501 param=0 size=4 value=0x1"},
        {"focus_Near1", 0, "SendCommand 0x103 param=0x1"},
        {"focus_Near2", 0, "SendCommand 0x103 param=0x2"},
        {"focus_Near3", 0, "SendCommand 0x103 param=0x3"},
        {"focus_Far1", 0, "SendCommand 0x103 param=0x8001"},
        {"focus_Far2", 0, "SendCommand 0x103 param=0x8002"},
        {"focus_Far3", 0, "SendCommand 0x103 param=0x8003"},
        {"zoom_Fit", 0, "SetPropertyData 0x507 param=0 size=4 value=0x1"},
        {"zoom_Zoom", 0, "SetPropertyData 0x507 param=0 size=4 value=0x5"},
        {"evfAFOn", 0, "SendCommand 0x102 param=0x1"},
        {"evfAFOff", 0, "SendCommand 0x102 param=0x0"},
    };
    for (const Case& c : cases) {
        sdk->ClearCalls();
        uint32_t value = c.value;
        fire(c.action, &value);
        value = 0xDEAD;  // the commander copied it already
        drain();
        auto calls = sdk->Calls();
        EXPECT_TRUE(std::find(calls.begin(), calls.end(), c.call) != calls.end())
            << c.action << " did not lead to " << c.call;
    }
}

TEST_F(CameraCommanderTest, CapacityRecordIsCopiedAndLiveViewCommandsFollowTheModel) {
    SdkCapacity capacity{100, 512, 1};
    fire("set_Capacity", &capacity);
    capacity.numberOfFreeClusters = 0;
    model->setPropertyUInt32(kPropEvfOutputDevice, 2);
    fire("endEVF");
    fire("downloadEVF");
    drain();
    EXPECT_EQ(sdk->Calls("SetCapacity"), (Lines{"SetCapacity 0x64 0x200 1"}));
    EXPECT_EQ(sdk->Calls("SetPropertyData"),
              (Lines{"SetPropertyData 0x500 param=0 size=4 value=0x0"}));
    EXPECT_EQ(sdk->Calls("DownloadEvfImage").size(), 1u);
}

TEST_F(CameraCommanderTest, FocusMovesStartFromTheZoomPositionAndStopAtZero) {
    model->setEvfZoomPosition({100, 50});
    fire("focus_Up");
    fire("focus_Left");
    fire("focus_Right");
    fire("focus_Down");
    model->setEvfZoomPosition({2147483600, 2147483600});
    fire("focus_Right");
    drain();
    EXPECT_EQ(sdk->Calls("SetPropertyData"),
              (Lines{"SetPropertyData 0x508 param=0 size=8 point=100,0",
                     "SetPropertyData 0x508 param=0 size=8 point=0,50",
                     "SetPropertyData 0x508 param=0 size=8 point=228,50",
                     "SetPropertyData 0x508 param=0 size=8 point=100,178",
                     "SetPropertyData 0x508 param=0 size=8 point=2147483647,2147483600"}));
}

TEST_F(CameraCommanderTest, UnknownNamesOtherCaseAndMissingValuesDoNothing) {
    uint32_t value = 0x58;
    fire("set_av", &value);
    fire("takepicture");
    fire("Closing");
    fire("");
    fire("set_Av", nullptr);
    fire("get_Property", nullptr);
    fire("get_PropertyDesc", nullptr);
    fire("set_Capacity", nullptr);
    fire("download", nullptr);
    drain();
    EXPECT_TRUE(sdk->Calls().empty());
    EXPECT_TRUE(events.Events().empty());
}

TEST_F(CameraCommanderTest, RunOpensTheSessionThenReadsTheProductName) {
    sdk->SetString(kPropProductName, "Model X");
    commander->run();
    ASSERT_TRUE(events.WaitFor("PropertyChanged 0x2"));
    auto calls = sdk->Calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls.front(), "OpenSession");
    EXPECT_EQ(calls.back(), "GetPropertyData 0x2 param=0 size=8");
    EXPECT_EQ(model->getProductName(), "Model X");
}

TEST_F(CameraCommanderTest, CameraEventsBecomeActions) {
    sdk->SetUInt32(kPropAv, 0x58);
    SdkPropertyDesc desc{};
    desc.numElements = 1;
    sdk->SetDesc(kPropTv, desc);
    commander->getProcessor().start();
    EXPECT_EQ(sdk->FirePropertyEvent(kPropertyEventPropertyChanged, kPropAv), kSdkOk);
    EXPECT_EQ(sdk->FirePropertyEvent(kPropertyEventPropertyDescChanged, kPropTv), kSdkOk);
    EXPECT_EQ(sdk->FirePropertyEvent(0x103, kPropAv), kSdkOk);
    EXPECT_EQ(sdk->FireStateEvent(kStateEventShutdown), kSdkOk);
    ASSERT_TRUE(events.WaitFor("shutDown"));
    // The camera's shutdown reaches the windows after the read queued before it.
    EXPECT_EQ(events.Events(),
              (Lines{"PropertyChanged 0x405", "PropertyDescChanged 0x406", "shutDown"}));
    EXPECT_EQ(model->getAv(), 0x58u);
}

TEST_F(CameraCommanderTest, PictureEventsTransferIntoTheStagingFolderOthersAreReleased) {
    commander->getProcessor().start();
    size_t before = SdkLiveReferenceCount();
    testing::ScriptedSdk::Picture other{"IMG_0000.JPG", {1, 2, 3}};
    EXPECT_EQ(sdk->FireObjectEvent(kObjectEventDirItemCreated, other), kSdkOk);
    EXPECT_EQ(sdk->Calls(), (Lines{"Release item:IMG_0000.JPG remaining=0"}));
    testing::ScriptedSdk::Picture picture{"IMG_0007.JPG", std::vector<unsigned char>(5000, 9)};
    EXPECT_EQ(sdk->FireObjectEvent(kObjectEventDirItemRequestTransfer, picture), kSdkOk);
    ASSERT_TRUE(events.WaitFor("DownloadComplete"));
    EXPECT_EQ(fs::file_size(folder / "IMG_0007.JPG"), 5000u);
    EXPECT_EQ(SdkLiveReferenceCount(), before);
}

TEST_F(CameraCommanderTest, ClosingWithNothingQueuedClosesTheSessionAndEndsTheWorker) {
    commander->run();
    ASSERT_TRUE(sdk->WaitForCall("GetPropertySize 0x2 param=0"));
    fire("closing");
    EXPECT_FALSE(commander->getProcessor().isRunning());
    EXPECT_EQ(sdk->Calls().back(), "CloseSession");
    fire("closing");  // a second close is harmless and closes nothing more
    EXPECT_EQ(sdk->Calls("CloseSession").size(), 1u);
}

TEST_F(CameraCommanderTest, TwoWindowsClosingAtOnceBothReturnAndCloseOnce) {
    commander->run();
    ASSERT_TRUE(sdk->WaitForCall("GetPropertySize 0x2 param=0"));
    std::thread other([&] { fire("closing"); });
    fire("closing");
    other.join();
    EXPECT_FALSE(commander->getProcessor().isRunning());
    EXPECT_EQ(sdk->Calls("CloseSession").size(), 1u);
}

TEST_F(CameraCommanderTest, ClosingMidCommandWhileEventsArriveRunsNothingAfterTheClose) {
    std::promise<void> inCommand;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> first{true};
    sdk->SetHook("SendCommand", [&] {
        if (first.exchange(false)) {
            inCommand.set_value();
            released.wait();
        }
    });
    sdk->SetUInt32(kPropAv, 0x58);
    commander->getProcessor().start();
    fire("TakePicture");
    inCommand.get_future().wait();

    // The camera keeps talking from its own thread while the window closes.
    std::atomic<bool> stopEvents{false};
    std::thread camera([&] {
        int n = 0;
        while (!stopEvents.load()) {
            sdk->FirePropertyEvent(kPropertyEventPropertyChanged, kPropAv);
            testing::ScriptedSdk::Picture picture{"IMG_" + std::to_string(n++) + ".JPG", {1}};
            sdk->FireObjectEvent(kObjectEventDirItemRequestTransfer, picture);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    commander->setClosingGrace(std::chrono::milliseconds(0));  // no picture waited for
    std::thread window([&] { fire("closing"); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    release.set_value();
    window.join();
    auto calls = sdk->Calls();
    stopEvents.store(true);
    camera.join();

    // Nothing queued behind the command in hand ran, not even a transfer (no grace was
    // left for one); the close came last.
    EXPECT_EQ(calls.front(), "SendCommand 0x0 param=0x0");
    auto close = std::find(calls.begin(), calls.end(), "CloseSession");
    ASSERT_NE(close, calls.end());
    for (auto it = calls.begin() + 1; it != calls.end(); ++it) {
        EXPECT_TRUE(it->rfind("Release item:", 0) == 0 || *it == "CloseSession") << *it;
    }
    EXPECT_TRUE(sdk->Calls("GetPropertySize").empty());
    EXPECT_TRUE(sdk->Calls("Download ").empty());
    // Transfers queued late are dropped with the commander and give their items back.
    size_t sessionObjects = 1;  // the camera
    commander.reset();
    EXPECT_EQ(SdkLiveReferenceCount(), sessionObjects);
    commander = std::make_unique<CameraCommander>();
}

TEST_F(CameraCommanderTest, ClosingFiredOnTheWorkerItselfEndsItWithoutWaitingForItself) {
    // An observer that closes straight from the notification, on the worker thread.
    events.SetReaction([&](ModelEvent* event) {
        if (event->type == "shutDown")
            fire("closing");
    });
    commander->getProcessor().start();
    fire("shutDown");
    uint32_t av = kPropAv;
    ASSERT_TRUE(sdk->WaitForCall("CloseSession"));
    fire("get_Property", &av);  // too late: never runs
    events.SetReaction({});
    commander.reset();  // joins the worker from here
    EXPECT_EQ(sdk->Calls(), (Lines{"CloseSession"}));
    commander = std::make_unique<CameraCommander>();
}

// A window thread with a message queue: other threads send it work and wait until done.
class FakeWindowThread {
  public:
    void Send(std::function<void()> work) {
        auto done = std::make_shared<std::promise<void>>();
        auto future = done->get_future();
        {
            std::lock_guard lock(mutex_);
            queue_.push_back([work, done] {
                work();
                done->set_value();
            });
        }
        future.wait();
    }
    // Serves every message queued so far; runs on the window thread.
    void Serve() {
        for (;;) {
            std::function<void()> message;
            {
                std::lock_guard lock(mutex_);
                if (queue_.empty())
                    return;
                message = std::move(queue_.front());
                queue_.pop_front();
            }
            message();
        }
    }

  private:
    std::mutex mutex_;
    std::deque<std::function<void()>> queue_;
};

TEST_F(CameraCommanderTest, ClosingWhileFramesAreHandedOverSynchronouslyDoesNotDeadlock) {
    model->setPropertyUInt32(kPropEvfOutputDevice, 2);
    FakeWindowThread window;
    std::atomic<int> drawn{0};
    // The live-view display: each frame is drawn on the window thread before the worker
    // goes on; afterwards it asks for the focus frames and the next frame.
    events.SetReaction([&](ModelEvent* event) {
        if (event->type != "EvfDataChanged")
            return;
        auto* data = static_cast<EvfDataSet*>(event->arg);
        window.Send([&, data] {
            uint64_t length = 0;
            SdkGetLength(data->stream, &length);
            if (length > 0)
                ++drawn;
        });
        uint32_t focus = kPropFocusInfo;
        fire("get_Property", &focus);
        fire("downloadEVF");
    });
    SdkFocusInfo info{};
    std::vector<unsigned char> bytes(sizeof info);
    sdk->SetRaw(kPropFocusInfo, kDataTypeFocusInfo, bytes, sizeof info);

    auto closed = std::async(std::launch::async, [&] {
        os::SetWaitPump([&] { window.Serve(); });
        commander->run();
        fire("downloadEVF");
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
        while (std::chrono::steady_clock::now() < until) {
            window.Serve();
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        fire("closing");
        os::SetWaitPump({});
    });
    if (closed.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        // The worker and the closing thread wait for each other; nothing can end them.
        std::fprintf(stderr, "closing never returned: deadlock\n");
        std::abort();
    }
    EXPECT_GT(drawn.load(), 5);
    EXPECT_EQ(sdk->Calls().back(), "CloseSession");
    EXPECT_EQ(SdkLiveReferenceCount(), 1u);  // only the camera: no frame left behind
}

}  // namespace
}  // namespace talbex::camera
