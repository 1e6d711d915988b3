// Whole conversations with the built-in simulated camera, connected as a window does:
// the session opens, values arrive, settings change, pictures land in the staging
// folder, live view streams and ends, and the camera shuts down.

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <thread>

#include "camera/camera_commander.h"
#include "camera/evf_data_set.h"
#include "camera/sdk/sdk.h"
#include "camera/sdk/sim/sim_backend.h"
#include "platform/os/quit_request.h"
#include "support/recording_observer.h"
#include "support/temp_folder.h"

namespace talbex::camera {
namespace {

namespace fs = std::filesystem;

class SimFlowsTest : public ::testing::Test {
  protected:
    virtual sim::CameraSettings Settings() const { return {}; }

    void SetUp() override {
        os::ClearQuitRequest();
        backend = sim::InstallSimulatedCameras({Settings()});
        ASSERT_EQ(SdkInitialize(), kSdkOk);
        SdkCameraListRef list = nullptr;
        ASSERT_EQ(SdkGetCameraList(&list), kSdkOk);
        ASSERT_EQ(SdkGetChildAtIndex(list, 0, &camera), kSdkOk);
        SdkDeviceInfo info{};
        ASSERT_EQ(SdkGetDeviceInfo(camera, &info), kSdkOk);
        SdkRelease(list);
        model = createCameraModel(camera, info);
        model->addObserver(&events);
        commander = std::make_unique<CameraCommander>();
        commander->setModel(model.get());
        ASSERT_EQ(commander->registerEventHandlers(camera), kSdkOk);
        staging = folder.path();
        commander->setStagingFolder(staging.string());
        commander->run();
        ASSERT_TRUE(events.WaitFor("PropertyChanged 0x2"));
    }
    void TearDown() override {
        fireActionEvent(commander.get(), "closing", nullptr);
        if (camera != nullptr)
            SdkRelease(camera);
        SdkTerminate();
        SdkUseBackend(nullptr);
        commander.reset();
        model.reset();
        os::ClearQuitRequest();
        events.Clear();
    }

    void fire(const std::string& action, void* arg = nullptr) {
        fireActionEvent(commander.get(), action, arg);
    }

    // Events from before a change may still be on their way: wait for the state itself.
    template <typename Predicate>
    static bool WaitUntil(Predicate done) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

    std::shared_ptr<sim::SimBackend> backend;
    SdkCameraRef camera = nullptr;
    std::unique_ptr<CameraModel> model;
    std::unique_ptr<CameraCommander> commander;
    testing::RecordingObserver events;
    talbex::testing::TempFolder folder{"talbex-flow"};
    fs::path staging;
};

TEST_F(SimFlowsTest, OpensTheSessionAndReadsEveryValueAndDescription) {
    auto sim = backend->Camera(0);
    EXPECT_TRUE(sim->SessionOpen());
    EXPECT_EQ(sim->PropertyValue(kPropSaveTo), kSaveToHost);
    EXPECT_EQ(model->getProductName(), "SimCam S1");
    uint32_t all = kPropAllDisplayed;
    fire("get_Property", &all);
    fire("get_PropertyDesc", &all);
    // The session's announcement of 0x100 comes too; the reads have ended at the second.
    ASSERT_TRUE(events.WaitFor("PropertyDescChanged 0x100", 2));
    EXPECT_EQ(model->getAEMode(), sim->PropertyValue(kPropAeMode));
    EXPECT_EQ(model->getAv(), sim->PropertyValue(kPropAv));
    EXPECT_EQ(model->getTv(), sim->PropertyValue(kPropTv));
    EXPECT_EQ(model->getIsoSpeed(), sim->PropertyValue(kPropIsoSpeed));
    EXPECT_EQ(model->getImageQuality(), sim->PropertyValue(kPropImageQuality));
    EXPECT_GT(model->getPropertyDesc(kPropAv).numElements, 1);
    EXPECT_GT(model->getPropertyDesc(kPropIsoSpeed).numElements, 1);
    EXPECT_TRUE(events.Events("error").empty());
}

// The windows fill their lists from the model: what the camera announces when the session
// opens reaches the model without anyone asking, live-view properties included.
TEST_F(SimFlowsTest, TheSessionsAnnouncementsFillTheModel) {
    auto sim = backend->Camera(0);
    ASSERT_TRUE(WaitUntil([&] {
        return model->getAEMode() == sim->PropertyValue(kPropAeMode) &&
               model->getAv() == sim->PropertyValue(kPropAv) &&
               model->getTv() == sim->PropertyValue(kPropTv) &&
               model->getImageQuality() == sim->PropertyValue(kPropImageQuality) &&
               model->getPropertyDesc(kPropEvfAfMode).numElements > 0;
    }));
    for (SdkPropertyId id : {kPropAeMode, kPropAv, kPropTv, kPropIsoSpeed, kPropMeteringMode,
                             kPropExposureCompensation, kPropImageQuality, kPropEvfAfMode})
        EXPECT_GT(model->getPropertyDesc(id).numElements, 0) << std::hex << id;
    for (const char* line : {"PropertyChanged 0x500", "PropertyChanged 0x501",
                             "PropertyChanged 0x504", "PropertyChanged 0x50E"})
        EXPECT_TRUE(events.WaitFor(line)) << line;
    EXPECT_TRUE(events.Events("error").empty());
}

TEST_F(SimFlowsTest, ChangedSettingComesBackAsPropertyChanged) {
    uint32_t av = kPropAv;
    fire("get_PropertyDesc", &av);
    fire("get_Property", &av);
    // The session's announcement of 0x405 comes too; the reads have ended at the second.
    ASSERT_TRUE(events.WaitFor("PropertyChanged 0x405", 2));
    SdkPropertyDesc desc = model->getPropertyDesc(kPropAv);
    ASSERT_GT(desc.numElements, 1);
    uint32_t wanted = static_cast<uint32_t>(desc.propDesc[0]) == model->getAv()
                          ? static_cast<uint32_t>(desc.propDesc[1])
                          : static_cast<uint32_t>(desc.propDesc[0]);
    events.Clear();
    fire("set_Av", &wanted);
    ASSERT_TRUE(events.WaitFor("PropertyChanged 0x405"));
    EXPECT_TRUE(WaitUntil([&] { return model->getAv() == wanted; }));
    EXPECT_EQ(backend->Camera(0)->PropertyValue(kPropAv), wanted);
}

TEST_F(SimFlowsTest, PictureIsTransferredIntoTheStagingFolder) {
    backend->Camera(0)->SetPictureBytes(2 << 20);
    std::mutex mutex;
    std::vector<std::string> landed;
    commander->setPictureLanded([&](const std::string& path) {
        std::lock_guard lock(mutex);
        landed.push_back(path);
    });
    fire("TakePicture");
    ASSERT_TRUE(events.WaitFor("DownloadComplete"));
    auto lines = events.Events();
    auto start = std::find(lines.begin(), lines.end(), "DownloadStart");
    ASSERT_NE(start, lines.end());
    EXPECT_GE(events.Events("ProgressReport").size(), 2u);
    EXPECT_EQ(events.Events("ProgressReport").back(), "ProgressReport 100");
    EXPECT_EQ(lines.back(), "DownloadComplete 0");

    auto sim = backend->Camera(0);
    fs::path file = staging / sim->LastPictureName();
    ASSERT_TRUE(fs::exists(file)) << file;
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(bytes, sim->LastPicture());
    EXPECT_EQ(SdkLiveReferenceCount(), 1u);  // only the camera
    std::lock_guard lock(mutex);
    EXPECT_EQ(landed, std::vector<std::string>{file.string()});
}

// Closing while a picture is on the cable lets it arrive; a ten-minute one is cancelled
// once the grace is over, or at once when the program has been asked to quit, and no
// half picture stays behind.
TEST_F(SimFlowsTest, ClosingLetsATransferFinishWithinItsGraceUnlessTheProgramQuits) {
    struct Case {
        std::chrono::milliseconds transfer, grace;
        bool quit, arrives;
        std::chrono::milliseconds atLeast, below;  // how long "closing" takes
    };
    using std::chrono::milliseconds;
    const Case cases[] = {
        {milliseconds(1500), CameraCommander::kDefaultClosingGrace, false, true, milliseconds(500),
         milliseconds(5000)},
        {milliseconds(600000), milliseconds(300), false, false, milliseconds(300),
         milliseconds(2000)},
        {milliseconds(600000), CameraCommander::kDefaultClosingGrace, true, false, milliseconds(0),
         milliseconds(2000)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.transfer.count()) + " ms, quit " + std::to_string(c.quit));
        if (&c != &cases[0]) {  // a fresh camera, connection and staging folder for each
            TearDown();
            for (const auto& entry : fs::directory_iterator(staging))
                fs::remove_all(entry.path());
            SetUp();
        }
        backend->Camera(0)->SetTransferTime(c.transfer);
        commander->setClosingGrace(c.grace);
        fire("TakePicture");
        ASSERT_TRUE(events.WaitFor("ProgressReport"));
        if (c.quit)
            os::RequestQuit();
        const auto started = std::chrono::steady_clock::now();
        fire("closing");
        const auto took = std::chrono::steady_clock::now() - started;
        EXPECT_GE(took, c.atLeast);
        EXPECT_LT(took, c.below);
        EXPECT_FALSE(commander->getProcessor().isRunning());
        EXPECT_FALSE(backend->Camera(0)->SessionOpen()) << "the session close still ran";
        if (c.arrives) {
            EXPECT_EQ(events.Events("DownloadComplete").size(), 1u);
            EXPECT_TRUE(fs::exists(staging / backend->Camera(0)->LastPictureName()));
        } else {
            EXPECT_TRUE(events.Events("DownloadComplete").empty());
            EXPECT_EQ(events.Events("error"), std::vector<std::string>{"error 0x5"});
            EXPECT_TRUE(fs::is_empty(staging));
        }
    }
}

TEST_F(SimFlowsTest, LiveViewStreamsFramesAndEndsWithDepthOfFieldPreviewOn) {
    std::atomic<int> frames{0};
    std::atomic<bool> jpeg{true};
    events.SetReaction([&](ModelEvent* event) {
        if (event->type != "EvfDataChanged")
            return;
        auto* data = static_cast<EvfDataSet*>(event->arg);
        const void* bytes = nullptr;
        uint64_t length = 0;
        SdkGetPointer(data->stream, &bytes);
        SdkGetLength(data->stream, &length);
        auto* p = static_cast<const uint8_t*>(bytes);
        if (length < 4 || p[0] != 0xFF || p[1] != 0xD8)
            jpeg = false;
        // As the live-view display does: ask for the next frame after each one.
        if (++frames < 5)
            fire("downloadEVF");
    });
    fire("startEVF");
    ASSERT_TRUE(
        WaitUntil([&] { return (model->getEvfOutputDevice() & kEvfOutputDeviceComputer) != 0; }));
    fire("downloadEVF");
    ASSERT_TRUE(events.WaitFor("EvfDataChanged", 5));
    EXPECT_TRUE(jpeg.load());
    EXPECT_EQ(model->getEvfZoom(), 1u);

    // The window sets the preview directly; the camera's event brings it into the model.
    uint32_t on = 1;
    ASSERT_EQ(SdkSetPropertyData(camera, kPropEvfDepthOfFieldPreview, 0, 4, &on), kSdkOk);
    ASSERT_TRUE(WaitUntil([&] { return model->getEvfDepthOfFieldPreview() == 1; }));
    events.Clear();
    fire("endEVF");
    ASSERT_TRUE(
        WaitUntil([&] { return (model->getEvfOutputDevice() & kEvfOutputDeviceComputer) == 0; }));
    auto sim = backend->Camera(0);
    EXPECT_EQ(sim->PropertyValue(kPropEvfDepthOfFieldPreview), 0u);
    EXPECT_EQ(sim->PropertyValue(kPropEvfOutputDevice).value_or(2) & kEvfOutputDeviceComputer, 0u);
    EXPECT_TRUE(events.Events("error").empty());
    events.SetReaction({});
}

TEST_F(SimFlowsTest, CameraShutdownReachesTheWindowsAndClosingStillEnds) {
    backend->Camera(0)->ShutDown();
    ASSERT_TRUE(events.WaitFor("shutDown"));
    fire("closing");  // the session close fails on a camera that is gone; nothing hangs
    EXPECT_FALSE(commander->getProcessor().isRunning());
    EXPECT_FALSE(backend->Camera(0)->SessionOpen());
}

// An older camera takes writes and pictures only under its control lock, and RAW with
// JPEG makes two files: the session open and the shot must bring both to the computer.
class OlderCameraFlowsTest : public SimFlowsTest {
  protected:
    sim::CameraSettings Settings() const override {
        sim::CameraSettings settings;
        settings.legacy = true;
        settings.imageQuality = 0x00240013;  // RAW and a large fine JPEG
        return settings;
    }
};

TEST_F(OlderCameraFlowsTest, RawAndJpegOfOneShotBothLand) {
    auto sim = backend->Camera(0);
    ASSERT_TRUE(WaitUntil([&] { return sim->PropertyValue(kPropSaveTo) == kSaveToHost; }));
    fire("TakePicture");
    ASSERT_TRUE(events.WaitFor("DownloadComplete", 2));
    EXPECT_TRUE(fs::exists(staging / "IMG_0001.RAW"));
    EXPECT_TRUE(fs::exists(staging / "IMG_0001.JPG"));
    EXPECT_TRUE(events.Events("error").empty());
    EXPECT_FALSE(sim->ControlsLocked()) << "unlocked after each command";
}

// Closing while the RAW file comes lets the JPEG announced with it come too.
TEST_F(OlderCameraFlowsTest, ClosingBringsInEveryFileOfTheShotAlreadyAnnounced) {
    auto sim = backend->Camera(0);
    ASSERT_TRUE(WaitUntil([&] { return sim->PropertyValue(kPropSaveTo) == kSaveToHost; }));
    sim->SetTransferTime(std::chrono::milliseconds(800));
    fire("TakePicture");
    ASSERT_TRUE(events.WaitFor("ProgressReport"));
    fire("closing");
    EXPECT_EQ(events.Events("DownloadComplete").size(), 2u);
    EXPECT_TRUE(fs::exists(staging / "IMG_0001.RAW"));
    EXPECT_TRUE(fs::exists(staging / "IMG_0001.JPG"));
}

// The shutter button takes no lock, and the camera needs none for it.
TEST_F(OlderCameraFlowsTest, AFullPressTakesAPictureThatLands) {
    ASSERT_TRUE(
        WaitUntil([&] { return backend->Camera(0)->PropertyValue(kPropSaveTo) == kSaveToHost; }));
    fire("pressingCompletely");
    fire("pressingOff");
    ASSERT_TRUE(events.WaitFor("DownloadComplete", 2));
    EXPECT_TRUE(fs::exists(staging / "IMG_0001.JPG"));
    EXPECT_TRUE(events.Events("error").empty());
}

}  // namespace
}  // namespace talbex::camera
