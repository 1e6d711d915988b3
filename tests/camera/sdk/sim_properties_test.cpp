// The simulated camera's properties: types, sizes, allowed values, refused writes and
// the events that answer accepted ones.
#include <cstring>
#include <thread>

#include "camera/sdk/sim/property_codes.h"
#include "sim_fixture.h"

namespace talbex::sim::testing {
namespace {

using PropertiesTest = SimCameraTest;

struct Expected {
    SdkPropertyId id;
    SdkDataType type;
    uint32_t size;  // 0: a text, sized by its content
};

TEST_F(PropertiesTest, EveryPropertyHasItsTypeAndSize) {
    Open();
    const Expected expected[] = {
        {kPropProductName, kDataTypeString, 0},
        {kPropOwnerName, kDataTypeString, 0},
        {kPropFirmwareVersion, kDataTypeString, 0},
        {kPropCurrentFolder, kDataTypeString, 0},
        {kPropBodySerial, kDataTypeString, 0},
        {kPropLensName, kDataTypeString, 0},
        {kPropArtist, kDataTypeString, 0},
        {kPropCopyright, kDataTypeString, 0},
        {kPropDateTime, kDataTypeTime, 28},
        {kPropBatteryLevel, kDataTypeUInt32, 4},
        {kPropBatteryQuality, kDataTypeUInt32, 4},
        {kPropSaveTo, kDataTypeUInt32, 4},
        {kPropImageQuality, kDataTypeUInt32, 4},
        {kPropWhiteBalance, kDataTypeUInt32, 4},
        {kPropColorSpace, kDataTypeUInt32, 4},
        {kPropShootingMode, kDataTypeUInt32, 4},
        {kPropDriveMode, kDataTypeUInt32, 4},
        {kPropIsoSpeed, kDataTypeUInt32, 4},
        {kPropMeteringMode, kDataTypeUInt32, 4},
        {kPropAfMode, kDataTypeUInt32, 4},
        {kPropAv, kDataTypeUInt32, 4},
        {kPropTv, kDataTypeUInt32, 4},
        {kPropExposureCompensation, kDataTypeUInt32, 4},
        {kPropFlashCompensation, kDataTypeUInt32, 4},
        {kPropNoiseReduction, kDataTypeUInt32, 4},
        {kPropFlashOn, kDataTypeUInt32, 4},
        {kPropRedEye, kDataTypeUInt32, 4},
        {kPropAeMode, kDataTypeUInt32, 4},
        {kPropEvfOutputDevice, kDataTypeUInt32, 4},
        {kPropEvfMode, kDataTypeUInt32, 4},
        {kPropEvfDepthOfFieldPreview, kDataTypeUInt32, 4},
        {kPropEvfZoom, kDataTypeUInt32, 4},
        {kPropEvfAfMode, kDataTypeUInt32, 4},
        {kPropEvfZoomPosition, kDataTypePoint, 8},
        {kPropFocusInfo, kDataTypeFocusInfo, 4120},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(::testing::Message() << "property 0x" << std::hex << e.id);
        SdkDataType type = 0;
        uint32_t size = 0;
        ASSERT_EQ(SdkGetPropertySize(camera_, e.id, 0, &type, &size), kSdkOk);
        EXPECT_EQ(type, e.type);
        if (e.size != 0) {
            EXPECT_EQ(size, e.size);
        } else {
            EXPECT_EQ(size, sim_->PropertyText(e.id)->size() + 1);
        }
        std::vector<uint8_t> data(size + 8, 0xEE);
        EXPECT_EQ(SdkGetPropertyData(camera_, e.id, 0, size, data.data()), kSdkOk);
        if (e.type == kDataTypeString) {
            EXPECT_EQ(data[size - 1], 0);  // the terminator is part of the size
        }
        EXPECT_EQ(data[size], 0xEE);  // nothing written past the size asked for
        EXPECT_EQ(SdkGetPropertyData(camera_, e.id, 0, size - 1, data.data()),
                  kSdkErrInvalidLength);
    }
    // The shutter count is not a property the library reads; the boundary has its own call.
    SdkDataType type;
    uint32_t size;
    EXPECT_EQ(SdkGetPropertySize(camera_, kPropShutterCount, 0, &type, &size),
              kSdkErrPropertyUnavailable);
    uint32_t count = 0;
    EXPECT_EQ(SdkGetShutterCount(camera_, &count), kSdkOk);
    EXPECT_EQ(count, 1520u);
}

TEST_F(PropertiesTest, DefaultIdentityIsUsable) {
    Open();
    char text[256] = {};
    uint32_t size = 0;
    SdkDataType type = 0;
    ASSERT_EQ(SdkGetPropertySize(camera_, kPropBodySerial, 0, &type, &size), kSdkOk);
    ASSERT_EQ(SdkGetPropertyData(camera_, kPropBodySerial, 0, size, text), kSdkOk);
    const std::string serial = text;
    EXPECT_EQ(serial.size(), 10u);
    EXPECT_EQ(serial.find_first_not_of("0123456789"), std::string::npos);
    EXPECT_EQ(ReadU32(kPropShootingMode), 3u);  // M: identification needs no message
    SdkDeviceInfo info{};
    ASSERT_EQ(SdkGetDeviceInfo(camera_, &info), kSdkOk);
    EXPECT_EQ(info.deviceSubType, 1u);
    EXPECT_STREQ(info.deviceDescription, "SimCam S1");
}

TEST_F(PropertiesTest, DescriptionsListWhatTheCameraAllows) {
    Open();
    SdkPropertyDesc desc{};
    // AE mode last: its last code is a scene mode in which Tv and Av are the camera's.
    const SdkPropertyId listed[] = {kPropAv,
                                    kPropTv,
                                    kPropIsoSpeed,
                                    kPropMeteringMode,
                                    kPropExposureCompensation,
                                    kPropImageQuality,
                                    kPropEvfAfMode,
                                    kPropDriveMode,
                                    kPropAfMode,
                                    kPropWhiteBalance,
                                    kPropColorSpace,
                                    kPropFlashOn,
                                    kPropRedEye,
                                    kPropNoiseReduction,
                                    kPropFlashCompensation,
                                    kPropEvfZoom,
                                    kPropSaveTo,
                                    kPropAeMode};
    for (SdkPropertyId id : listed) {
        SCOPED_TRACE(::testing::Message() << "property 0x" << std::hex << id);
        ASSERT_EQ(SdkGetPropertyDesc(camera_, id, &desc), kSdkOk);
        ASSERT_GT(desc.numElements, 0);
        ASSERT_LE(desc.numElements, 128);
        const uint32_t current = ReadU32(id);
        bool found = false;
        for (int i = 0; i < desc.numElements; ++i)
            found |= static_cast<uint32_t>(desc.propDesc[i]) == current;
        EXPECT_TRUE(found) << "the current value is one of the allowed ones";
        // Every listed value is taken; each write is answered.
        const auto last = static_cast<uint32_t>(desc.propDesc[desc.numElements - 1]);
        EXPECT_EQ(WriteU32(id, last), kSdkOk);
        EXPECT_TRUE(events_.WaitFor(kPropertyEventPropertyChanged, id));
        EXPECT_EQ(ReadU32(id), last);
    }
    // The codes come from the program's own tables: 1/500 exists in M, the test shot's
    // first image-quality choice does not (the program then tries the others).
    ASSERT_EQ(WriteU32(kPropAeMode, 3), kSdkOk);
    ASSERT_EQ(SdkGetPropertyDesc(camera_, kPropTv, &desc), kSdkOk);
    EXPECT_TRUE(Contains(Codes(desc.propDesc, desc.propDesc + desc.numElements), 0x80));
    ASSERT_EQ(SdkGetPropertyDesc(camera_, kPropImageQuality, &desc), kSdkOk);
    const Codes quality(desc.propDesc, desc.propDesc + desc.numElements);
    EXPECT_FALSE(Contains(quality, 0x0210FF0F));
    EXPECT_TRUE(Contains(quality, 0x0013FF0F));
    // Text properties have no list; the mode dial is read-only.
    ASSERT_EQ(SdkGetPropertyDesc(camera_, kPropOwnerName, &desc), kSdkOk);
    EXPECT_EQ(desc.numElements, 0);
    ASSERT_EQ(SdkGetPropertyDesc(camera_, kPropShootingMode, &desc), kSdkOk);
    EXPECT_EQ(desc.access, 0);
    EXPECT_EQ(SdkGetPropertyDesc(camera_, 0x9999, &desc), kSdkErrPropertyUnavailable);
}

TEST_F(PropertiesTest, RefusedWritesChangeNothingAndSendNoEvent) {
    Open();
    const uint32_t av = ReadU32(kPropAv);
    EXPECT_EQ(WriteU32(kPropAv, 0x08), kSdkErrInvalidValue);  // f/1.0: not this lens
    EXPECT_EQ(WriteU32(kPropImageQuality, 0x0210FF0F), kSdkErrInvalidValue);
    EXPECT_EQ(WriteU32(kPropExposureCompensation, 0xFFFFFFFD), kSdkErrInvalidValue);
    EXPECT_NE(WriteU32(kPropShootingMode, 1), kSdkOk);  // the dial is the user's
    EXPECT_NE(WriteU32(kPropBatteryLevel, 5), kSdkOk);
    const uint16_t small = 0x48;
    EXPECT_EQ(SdkSetPropertyData(camera_, kPropIsoSpeed, 0, sizeof small, &small),
              kSdkErrInvalidLength);
    EXPECT_NE(SdkSetPropertyData(camera_, kPropProductName, 0, 4, "abc"), kSdkOk);
    SdkFocusInfo focus{};
    EXPECT_NE(SdkSetPropertyData(camera_, kPropFocusInfo, 0, sizeof focus, &focus), kSdkOk);
    EXPECT_NE(WriteU32(0x9999, 1), kSdkOk);
    events_.Settle();
    EXPECT_EQ(events_.Count(), 0u);
    EXPECT_EQ(ReadU32(kPropAv), av);
    EXPECT_EQ(ReadU32(kPropShootingMode), 3u);
    EXPECT_EQ(ReadU32(kPropExposureCompensation), 0u);
    EXPECT_EQ(WriteU32(kPropExposureCompensation, 0xFD), kSdkOk);  // -1/3 as a byte
}

TEST_F(PropertiesTest, EventsComeOnTheBackendThreadNotTheCallers) {
    Open();
    ASSERT_EQ(WriteU32(kPropIsoSpeed, 0x50), kSdkOk);
    auto event = events_.WaitFor(kPropertyEventPropertyChanged, kPropIsoSpeed);
    ASSERT_TRUE(event);
    EXPECT_NE(event->thread, std::this_thread::get_id());
    EXPECT_EQ(event->kind, 0x100u);
    EXPECT_EQ(ReadU32(kPropIsoSpeed), 0x50u);
    EXPECT_EQ(sim_->PropertyValue(kPropIsoSpeed), 0x50u);
}

TEST_F(PropertiesTest, ExposureModeFollowsTheDialAndDecidesWhatTvAndAvAllow) {
    Open();
    // The AE mode offers only the dial's position: it never disagrees with the dial.
    SdkPropertyDesc desc{};
    ASSERT_EQ(SdkGetPropertyDesc(camera_, kPropAeMode, &desc), kSdkOk);
    EXPECT_EQ(Codes(desc.propDesc, desc.propDesc + desc.numElements), Codes{3});
    EXPECT_EQ(WriteU32(kPropAeMode, 2), kSdkErrInvalidValue);
    EXPECT_EQ(ReadU32(kPropAeMode), 3u);

    sim_->TurnModeDial(2);  // Av: the camera chooses Tv
    EXPECT_TRUE(events_.WaitFor(kPropertyEventPropertyChanged, kPropAeMode));
    EXPECT_TRUE(events_.WaitFor(kPropertyEventPropertyDescChanged, kPropTv));
    EXPECT_TRUE(events_.WaitFor(kPropertyEventPropertyDescChanged, kPropAv));
    ASSERT_EQ(SdkGetPropertyDesc(camera_, kPropTv, &desc), kSdkOk);
    EXPECT_EQ(desc.numElements, 0);
    EXPECT_EQ(WriteU32(kPropTv, 0x80), kSdkErrInvalidValue);
    EXPECT_EQ(WriteU32(kPropAv, 0x38), kSdkOk);
    EXPECT_EQ(ReadU32(kPropAeMode), 2u);

    events_.Clear();
    sim_->TurnModeDial(1);  // Tv on the dial
    EXPECT_TRUE(events_.WaitFor(kPropertyEventPropertyChanged, kPropShootingMode));
    EXPECT_TRUE(events_.WaitFor(kPropertyEventPropertyDescChanged, kPropTv));
    EXPECT_EQ(ReadU32(kPropShootingMode), 1u);
    EXPECT_EQ(ReadU32(kPropAeMode), 1u);
    ASSERT_EQ(SdkGetPropertyDesc(camera_, kPropTv, &desc), kSdkOk);
    const Codes tv(desc.propDesc, desc.propDesc + desc.numElements);
    EXPECT_TRUE(Contains(tv, 0x80));
    EXPECT_FALSE(Contains(tv, 0x0C)) << "bulb only in M";
    ASSERT_EQ(SdkGetPropertyDesc(camera_, kPropAv, &desc), kSdkOk);
    EXPECT_EQ(desc.numElements, 0);
}

TEST_F(PropertiesTest, FaceDetectionCannotMagnify) {
    Open();
    ASSERT_EQ(WriteU32(kPropEvfZoom, 5), kSdkOk);
    ASSERT_EQ(WriteU32(kPropEvfAfMode, 2), kSdkOk);
    EXPECT_TRUE(events_.WaitFor(kPropertyEventPropertyDescChanged, kPropEvfZoom));
    EXPECT_EQ(ReadU32(kPropEvfZoom), 1u);
    EXPECT_EQ(WriteU32(kPropEvfZoom, 5), kSdkErrInvalidValue);
    ASSERT_EQ(WriteU32(kPropEvfAfMode, 0), kSdkOk);
    EXPECT_EQ(WriteU32(kPropEvfZoom, 5), kSdkOk);
}

TEST_F(PropertiesTest, OwnerTextsAreWrittenWithTheirTerminator) {
    CameraSettings settings = SmallCamera();
    settings.artist.reset();
    Open({settings});
    ASSERT_EQ(SdkSetPropertyData(camera_, kPropOwnerName, 0, 4, "Ada"), kSdkOk);
    EXPECT_TRUE(events_.WaitFor(kPropertyEventPropertyChanged, kPropOwnerName));
    SdkDataType type;
    uint32_t size = 0;
    ASSERT_EQ(SdkGetPropertySize(camera_, kPropOwnerName, 0, &type, &size), kSdkOk);
    EXPECT_EQ(size, 4u);
    ASSERT_EQ(SdkSetPropertyData(camera_, kPropCopyright, 0, 1, ""), kSdkOk);
    EXPECT_EQ(sim_->PropertyText(kPropCopyright), "");
    // No terminator, or longer than the camera keeps: refused, the text stays.
    EXPECT_EQ(SdkSetPropertyData(camera_, kPropOwnerName, 0, 3, "Bob"), kSdkErrInvalidLength);
    const std::string tooLong(100, 'x');
    EXPECT_EQ(SdkSetPropertyData(camera_, kPropOwnerName, 0, 101, tooLong.c_str()),
              kSdkErrInvalidLength);
    EXPECT_EQ(sim_->PropertyText(kPropOwnerName), "Ada");
    // An absent artist can be neither read nor written.
    EXPECT_EQ(SdkGetPropertySize(camera_, kPropArtist, 0, &type, &size),
              kSdkErrPropertyUnavailable);
    EXPECT_NE(SdkSetPropertyData(camera_, kPropArtist, 0, 4, "Ada"), kSdkOk);
}

TEST_F(PropertiesTest, ClockRunsAndCanBeSet) {
    Open();
    SdkTime time{2024, 2, 29, 23, 59, 59, 850};
    ASSERT_EQ(SdkSetPropertyData(camera_, kPropDateTime, 0, sizeof time, &time), kSdkOk);
    EXPECT_TRUE(events_.WaitFor(kPropertyEventPropertyChanged, kPropDateTime));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    SdkTime now{};
    ASSERT_EQ(SdkGetPropertyData(camera_, kPropDateTime, 0, sizeof now, &now), kSdkOk);
    EXPECT_EQ(now.year, 2024u);
    EXPECT_EQ(now.month, 3u);
    EXPECT_EQ(now.day, 1u);
    EXPECT_EQ(now.hour, 0u);
    EXPECT_EQ(now.minute, 0u);
    EXPECT_EQ(now.second, 0u);
    SdkTime bad{2023, 2, 29, 12, 0, 0, 0};
    EXPECT_EQ(SdkSetPropertyData(camera_, kPropDateTime, 0, sizeof bad, &bad), kSdkErrInvalidValue);
    EXPECT_EQ(SdkSetPropertyData(camera_, kPropDateTime, 0, 24, &time), kSdkErrInvalidLength);
}

TEST_F(PropertiesTest, SaveTargetLockAndCapacity) {
    Open();
    EXPECT_EQ(WriteU32(kPropSaveTo, kSaveToHost), kSdkOk);
    EXPECT_EQ(WriteU32(kPropSaveTo, 7), kSdkErrInvalidValue);
    EXPECT_EQ(SdkSendStatusCommand(camera_, kStatusCommandUiLock, 0), kSdkOk);
    EXPECT_TRUE(sim_->ControlsLocked());
    EXPECT_EQ(SdkSendStatusCommand(camera_, kStatusCommandUiUnlock, 0), kSdkOk);
    EXPECT_FALSE(sim_->ControlsLocked());
    EXPECT_NE(SdkSendStatusCommand(camera_, 9, 0), kSdkOk);
    EXPECT_EQ(SdkSetCapacity(camera_, SdkCapacity{0x7FFFFFFF, 0x1000, 1}), kSdkOk);
    EXPECT_EQ(sim_->Capacity().bytesPerSector, 0x1000);
    EXPECT_NE(SdkSetCapacity(camera_, SdkCapacity{1, 0, 1}), kSdkOk);
    EXPECT_NE(SdkSendCommand(camera_, 0x999, 0), kSdkOk);
}

TEST_F(PropertiesTest, CameraWorkNeedsAnOpenSession) {
    Install();
    camera_ = CameraAt(0);
    ASSERT_NE(camera_, nullptr);
    SdkDeviceInfo info{};
    EXPECT_EQ(SdkGetDeviceInfo(camera_, &info), kSdkOk);
    uint32_t value = 0;
    EXPECT_EQ(SdkGetPropertyData(camera_, kPropAv, 0, 4, &value), kSdkErrSessionNotOpen);
    EXPECT_EQ(SdkSendCommand(camera_, kCameraCommandTakePicture, 0), kSdkErrSessionNotOpen);
    EXPECT_EQ(SdkCloseSession(camera_), kSdkErrSessionNotOpen);
    ASSERT_EQ(SdkOpenSession(camera_), kSdkOk);
    EXPECT_EQ(SdkGetPropertyData(camera_, kPropAv, 0, 4, &value), kSdkOk);
}

}  // namespace
}  // namespace talbex::sim::testing
