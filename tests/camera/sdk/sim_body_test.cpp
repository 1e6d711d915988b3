// The simulated camera behaves as a camera body does: it announces what it keeps to a new
// session, is busy after a shot and during transfers, holds a fully pressed shutter,
// offers what its mode dial and lens allow, makes RAW files, paces live view, keeps the
// order live view needs, reports its battery, and refuses a session set up badly.
#include <future>
#include <thread>

#include "camera/sdk/sim/property_codes.h"
#include "sim_fixture.h"

namespace talbex::sim::testing {
namespace {

using namespace std::chrono_literals;

class BodyTest : public SimCameraTest {
  protected:
    // Pictures announced at the end of a test are on their way to the log: let them
    // arrive, so the log gives their references back.
    void TearDown() override {
        events_.Settle();
        SimCameraTest::TearDown();
    }

    Codes Allowed(SdkPropertyId id) {
        SdkPropertyDesc desc{};
        EXPECT_EQ(SdkGetPropertyDesc(camera_, id, &desc), kSdkOk);
        return Codes(desc.propDesc, desc.propDesc + desc.numElements);
    }
    SdkError Shoot() { return SdkSendCommand(camera_, kCameraCommandTakePicture, 0); }
    SdkError Press(uint32_t state) {
        return SdkSendCommand(camera_, kCameraCommandPressShutterButton,
                              static_cast<int32_t>(state));
    }
    SdkError ReadU32Result(SdkPropertyId id) {
        uint32_t value = 0;
        return SdkGetPropertyData(camera_, id, 0, sizeof value, &value);
    }
    SdkError SetClock() {
        SdkTime time{2024, 5, 6, 7, 8, 9, 0};
        return SdkSetPropertyData(camera_, kPropDateTime, 0, sizeof time, &time);
    }
    void SendToComputer() {
        ASSERT_EQ(WriteU32(kPropSaveTo, kSaveToHost), kSdkOk);
        ASSERT_EQ(SdkSetCapacity(camera_, SdkCapacity{0x7FFFFFFF, 0x1000, 1}), kSdkOk);
    }
    // The names and bytes of the pictures one shot sends; `count` are expected.
    std::vector<std::pair<std::string, std::vector<uint8_t>>> ShotFiles(size_t count) {
        std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
        events_.Clear();
        EXPECT_EQ(Shoot(), kSdkOk);
        for (size_t i = 0; i < count; ++i) {
            SdkDirectoryItemRef item = events_.TakeObject(kObjectEventDirItemRequestTransfer);
            if (item == nullptr)
                break;
            SdkDirectoryItemInfo info{};
            EXPECT_EQ(SdkGetDirectoryItemInfo(item, &info), kSdkOk);
            std::vector<uint32_t> progress;
            files.emplace_back(info.fileName, Transfer(item, &progress));
            SdkRelease(item);
        }
        return files;
    }
};

TEST_F(BodyTest, ANewSessionHearsEveryPropertyTheCameraKeepsOnlyFromACurrentCamera) {
    for (bool legacy : {false, true}) {
        SCOPED_TRACE(legacy);
        CameraSettings settings = SmallCamera();
        settings.legacy = legacy;
        settings.artist.reset();
        Install({settings});
        camera_ = CameraAt(0);
        events_.Register(camera_);  // before the session, as the program does
        ASSERT_EQ(SdkOpenSession(camera_), kSdkOk);
        events_.Settle();
        for (SdkPropertyId id :
             {kPropProductName, kPropDateTime, kPropImageQuality, kPropAeMode, kPropAv,
              kPropEvfOutputDevice, kPropEvfMode, kPropEvfDepthOfFieldPreview, kPropEvfAfMode}) {
            EXPECT_EQ(events_.Has(kPropertyEventPropertyChanged, id), !legacy) << std::hex << id;
            EXPECT_EQ(events_.Has(kPropertyEventPropertyDescChanged, id), !legacy) << id;
        }
        EXPECT_FALSE(events_.Has(kPropertyEventPropertyChanged, kPropArtist)) << "absent";
        events_.Clear();
        SdkCloseSession(camera_);
        SdkRelease(camera_);
        camera_ = nullptr;
        SdkTerminate();
    }
}

TEST_F(BodyTest, BusyAfterAShotAndWhileAPictureIsTransferred) {
    CameraSettings settings = SmallCamera();
    settings.busyAfterShotMs = 300;
    settings.transferMs = 300;
    Open({settings});
    SdkDirectoryItemRef item = TakePicture();
    ASSERT_NE(item, nullptr);
    const auto busy = [&] {
        return std::vector<SdkError>{WriteU32(kPropIsoSpeed, 0x50), ReadU32Result(kPropIsoSpeed),
                                     SetClock(), Shoot()};
    };
    const std::vector<SdkError> allBusy(4, kSdkErrDeviceBusy);
    EXPECT_EQ(busy(), allBusy) << "just after the shot";
    EXPECT_EQ(ReadU32Result(kPropBatteryLevel), kSdkOk) << "the camera still tells its state";
    SdkDataType type = 0;
    uint32_t size = 0;
    char name[32] = {};
    ASSERT_EQ(SdkGetPropertySize(camera_, kPropProductName, 0, &type, &size), kSdkOk);
    EXPECT_EQ(SdkGetPropertyData(camera_, kPropProductName, 0, size, name), kSdkOk);
    std::this_thread::sleep_for(350ms);
    EXPECT_EQ(WriteU32(kPropIsoSpeed, 0x50), kSdkOk) << "the shot's busy time is over";

    std::vector<uint32_t> progress;
    auto transfer = std::async(std::launch::async, [&] { return Transfer(item, &progress); });
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(busy(), allBusy) << "during the transfer";
    EXPECT_FALSE(transfer.get().empty());
    SdkRelease(item);
    EXPECT_EQ(SetClock(), kSdkOk);
    EXPECT_EQ(ReadU32Result(kPropIsoSpeed), kSdkOk);
}

TEST_F(BodyTest, AFullPressHoldsTheShutterUntilItIsReleased) {
    Open();
    SendToComputer();
    EXPECT_EQ(Press(kShutterButtonCompletely), kSdkOk);
    EXPECT_EQ(Press(kShutterButtonCompletely), kSdkErrDeviceBusy);
    EXPECT_EQ(Shoot(), kSdkErrDeviceBusy);
    EXPECT_EQ(sim_->PicturesTaken(), 1u);
    EXPECT_EQ(Press(kShutterButtonOff), kSdkOk);
    EXPECT_EQ(Press(kShutterButtonCompletely), kSdkOk);
    EXPECT_EQ(Press(kShutterButtonHalfway), kSdkOk) << "back to half: released";
    EXPECT_EQ(Shoot(), kSdkOk);
    EXPECT_EQ(sim_->PicturesTaken(), 3u);
}

TEST_F(BodyTest, TheDialAndTheLensDecideWhatTheProgramMayChoose) {
    CameraSettings settings = SmallCamera();
    settings.widestAperture = 0x28;     // f/4
    settings.narrowestAperture = 0x50;  // f/22
    Open({settings});
    const Codes av = Allowed(kPropAv);
    ASSERT_FALSE(av.empty());
    EXPECT_EQ(av.front(), 0x28u);
    EXPECT_EQ(av.back(), 0x50u);
    EXPECT_EQ(WriteU32(kPropAv, 0x20), kSdkErrInvalidValue) << "wider than the lens";
    ASSERT_EQ(WriteU32(kPropIsoSpeed, 0x58), kSdkOk);
    ASSERT_EQ(WriteU32(kPropExposureCompensation, 0x08), kSdkOk);

    sim_->TurnModeDial(9);  // full auto: the camera decides ISO, metering and compensation
    EXPECT_TRUE(events_.WaitFor(kPropertyEventPropertyDescChanged, kPropIsoSpeed));
    EXPECT_TRUE(events_.WaitFor(kPropertyEventPropertyChanged, kPropIsoSpeed));
    const struct {
        SdkPropertyId id;
        uint32_t fixed, refused, user;
    } decided[] = {{kPropIsoSpeed, 0x00, 0x58, 0x58},
                   {kPropMeteringMode, 3, 1, 3},
                   {kPropExposureCompensation, 0x00, 0x08, 0x08}};
    for (const auto& d : decided) {
        EXPECT_EQ(Allowed(d.id), Codes{d.fixed}) << std::hex << d.id;
        EXPECT_EQ(ReadU32(d.id), d.fixed);
        EXPECT_EQ(WriteU32(d.id, d.refused), kSdkErrInvalidValue);
    }
    EXPECT_EQ(ReadU32(kPropAeMode), 9u);
    EXPECT_TRUE(Allowed(kPropAv).empty());
    sim_->TurnModeDial(3);  // back to M: the user's choices return
    for (const auto& d : decided)
        EXPECT_EQ(ReadU32(d.id), d.user) << std::hex << d.id;
}

TEST_F(BodyTest, RawAndAdobeRgbShotsMakeTheirOwnFiles) {
    const struct {
        uint32_t quality;
        uint32_t colorSpace;
        bool legacy;
        std::vector<std::string> names;
    } cases[] = {
        {0x0064FF0F, 1, false, {"IMG_0001.RAW"}},
        {0x00640013, 1, false, {"IMG_0001.RAW", "IMG_0001.JPG"}},
        {0x0013FF0F, 2, false, {"_MG_0001.JPG"}},
        {0x00240013, 2, true, {"_MG_0001.RAW", "_MG_0001.JPG"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.names.back());
        CameraSettings settings = SmallCamera();
        settings.imageQuality = c.quality;
        settings.colorSpace = c.colorSpace;
        settings.legacy = c.legacy;
        Open({settings});
        if (c.legacy) {
            ASSERT_EQ(SdkSendStatusCommand(camera_, kStatusCommandUiLock, 0), kSdkOk);
        }
        SendToComputer();
        std::vector<std::string> names;
        for (const auto& [name, bytes] : ShotFiles(c.names.size())) {
            names.push_back(name);
            const std::string text(bytes.begin(), bytes.end());
            if (name.ends_with(".JPG")) {
                EXPECT_TRUE(DecodeJpeg(bytes.data(), bytes.size()).ok);
            } else {
                // A TIFF structure with the picture's data, then the sensor's pixels.
                EXPECT_EQ(text.substr(0, 4), std::string("II*\0", 4));
                EXPECT_NE(text.find("2718281828"), std::string::npos) << "the body serial";
                EXPECT_GT(bytes.size(), 320u * 214u * 3u);
            }
        }
        EXPECT_EQ(names, c.names);
        EXPECT_EQ(sim_->PicturesTaken(), 1u) << "one shot";
        TearDown();
    }
}

TEST_F(BodyTest, LiveViewIsPacedAndKeepsTheOrderTheCameraNeeds) {
    CameraSettings settings = SmallCamera();
    settings.liveViewFps = 10;
    Open({settings});
    // The output goes to the computer only with live-view mode on.
    EXPECT_EQ(WriteU32(kPropEvfOutputDevice, kEvfOutputDeviceComputer), kSdkErrNotSupported);
    EXPECT_EQ(WriteU32(kPropEvfDepthOfFieldPreview, 1), kSdkErrNotSupported) << "not in live view";
    StartLiveView();
    EXPECT_EQ(WriteU32(kPropEvfMode, 0), kSdkErrNotSupported) << "while it streams";

    SdkStreamRef stream = nullptr;
    SdkEvfImageRef image = nullptr;
    ASSERT_EQ(SdkCreateMemoryStream(0, &stream), kSdkOk);
    ASSERT_EQ(SdkCreateEvfImageRef(stream, &image), kSdkOk);
    EXPECT_EQ(SdkDownloadEvfImage(camera_, image), kSdkErrObjectNotReady) << "the first frame";
    for (int frame = 0; frame < 3; ++frame) {
        std::this_thread::sleep_for(110ms);
        EXPECT_EQ(SdkDownloadEvfImage(camera_, image), kSdkOk) << frame;
        EXPECT_EQ(SdkDownloadEvfImage(camera_, image), kSdkErrObjectNotReady)
            << "asked again within the frame period";
    }
    SdkRelease(image);
    SdkRelease(stream);

    // The depth-of-field preview must be off before live view ends.
    ASSERT_EQ(WriteU32(kPropEvfDepthOfFieldPreview, 1), kSdkOk);
    EXPECT_EQ(WriteU32(kPropEvfOutputDevice, 0), kSdkErrNotSupported);
    ASSERT_EQ(WriteU32(kPropEvfDepthOfFieldPreview, 0), kSdkOk);
    EXPECT_EQ(WriteU32(kPropEvfOutputDevice, 0), kSdkOk);
    EXPECT_EQ(WriteU32(kPropEvfMode, 0), kSdkOk);
}

TEST_F(BodyTest, BatteryOnTheMainsOrDrainingAndALimitOnTheOwnerTexts) {
    CameraSettings settings = SmallCamera();
    settings.batteryLevel = 100;
    settings.batteryDrainPerShot = 40;
    settings.mainsPower = true;
    settings.textLimit = 31;
    Open({settings});
    EXPECT_EQ(ReadU32(kPropBatteryLevel), kBatteryLevelMains);
    SendToComputer();
    ASSERT_EQ(Shoot(), kSdkOk);
    EXPECT_EQ(ReadU32(kPropBatteryLevel), kBatteryLevelMains) << "the mains never drain";
    sim_->SetMainsPower(false);
    EXPECT_TRUE(events_.WaitFor(kPropertyEventPropertyChanged, kPropBatteryLevel));
    EXPECT_EQ(ReadU32(kPropBatteryLevel), 100u);
    for (uint32_t left : {60u, 20u, 0u}) {
        ASSERT_EQ(Shoot(), kSdkOk);
        EXPECT_EQ(ReadU32(kPropBatteryLevel), left);
    }
    EXPECT_EQ(Shoot(), kSdkErrTakePictureFailed) << "an empty battery takes no picture";

    const std::string fits(31, 'a');
    const std::string tooLong(32, 'a');
    EXPECT_EQ(SdkSetPropertyData(camera_, kPropArtist, 0, 32, fits.c_str()), kSdkOk);
    EXPECT_EQ(SdkSetPropertyData(camera_, kPropArtist, 0, 33, tooLong.c_str()),
              kSdkErrInvalidLength);
    EXPECT_EQ(sim_->PropertyText(kPropArtist), fits);
}

TEST_F(BodyTest, ASessionSetUpBadlyIsRefused) {
    // A current camera shoots to the computer only after the host declared its room,
    // in each session.
    Open();
    ASSERT_EQ(WriteU32(kPropSaveTo, kSaveToHost), kSdkOk);
    EXPECT_EQ(Shoot(), kSdkErrNoHostCapacity);
    ASSERT_EQ(WriteU32(kPropSaveTo, 1), kSdkOk);
    EXPECT_EQ(Shoot(), kSdkOk) << "to its own card it needs nothing";
    SendToComputer();
    EXPECT_EQ(Shoot(), kSdkOk);
    ASSERT_EQ(SdkCloseSession(camera_), kSdkOk);
    ASSERT_EQ(SdkOpenSession(camera_), kSdkOk);
    EXPECT_EQ(Shoot(), kSdkErrNoHostCapacity) << "a new session declares it again";
    TearDown();

    // An older camera takes writes and shots only while its controls are locked.
    CameraSettings legacy = SmallCamera();
    legacy.legacy = true;
    Open({legacy});
    EXPECT_EQ(WriteU32(kPropSaveTo, kSaveToHost), kSdkErrControlsNotLocked);
    EXPECT_EQ(Shoot(), kSdkErrControlsNotLocked);
    EXPECT_EQ(Press(kShutterButtonHalfway), kSdkOk) << "focusing is no shot";
    // The shutter button is the body's own: pressed from the computer it needs no lock.
    EXPECT_EQ(Press(kShutterButtonCompletely), kSdkOk);
    EXPECT_EQ(Press(kShutterButtonOff), kSdkOk);
    EXPECT_EQ(sim_->PicturesTaken(), 1u);
    ASSERT_EQ(SdkSendStatusCommand(camera_, kStatusCommandUiLock, 0), kSdkOk);
    EXPECT_EQ(WriteU32(kPropSaveTo, kSaveToHost), kSdkOk);
    EXPECT_EQ(Shoot(), kSdkOk);
    EXPECT_EQ(sim_->PicturesTaken(), 2u);
}

}  // namespace
}  // namespace talbex::sim::testing
