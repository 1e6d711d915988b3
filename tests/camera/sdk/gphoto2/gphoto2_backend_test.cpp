// The libgphoto2 backend end to end: real libgphoto2 code over PTP/IP on loopback to the
// simulated camera served by `talbex sim-serve`.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <ctime>
#include <fstream>
#include <thread>

#include "controls/property_label_tables.h"
#include "served_camera_fixture.h"
#include "support/temp_folder.h"

namespace talbex::gphoto::testing {
namespace {

constexpr uint32_t kAvF8 = 0x38;
constexpr uint32_t kAvF56 = 0x30;

std::string LabelOf(std::span<const controls::PropertyLabel> table, uint32_t code) {
    for (const auto& entry : table)
        if (entry.code == code)
            return entry.label;
    return "";
}

// Receives a picture into `path`, recording the progress reported on the way.
struct Transfer {
    std::vector<uint32_t> progress;
    std::function<void(uint32_t)> onProgress;

    static SdkError Report(uint32_t percent, void* context, bool*) {
        auto* t = static_cast<Transfer*>(context);
        t->progress.push_back(percent);
        if (t->onProgress)
            t->onProgress(percent);
        return kSdkOk;
    }

    SdkError Run(SdkBaseRef item, const std::string& path, SdkDirectoryItemInfo* info) {
        if (SdkError e = SdkGetDirectoryItemInfo(item, info))
            return e;
        SdkStreamRef stream = nullptr;
        if (SdkError e =
                SdkCreateFileStream(path.c_str(), kFileCreateAlways, kAccessReadWrite, &stream))
            return e;
        SdkSetProgressCallback(stream, &Report, kProgressPeriodically, this);
        SdkError e = SdkDownload(item, info->size, stream);
        if (e == kSdkOk)
            e = SdkDownloadComplete(item);
        SdkRelease(stream);
        return e;
    }
};

TEST_F(ServedCameraTest, IdentifiesTheServedCamera) {
    Serve(
        "[camera]\nowner = \"Jane Doe\"\nartist = Ann\ncopyright = \"(c) Ann\"\n"
        "battery_level = 77\nclock = 2024-05-06 07:08:09\n");
    SdkDeviceInfo info{};
    ASSERT_EQ(SdkGetDeviceInfo(camera_, &info), kSdkOk);
    EXPECT_STREQ(info.deviceDescription, "SimCam S1");
    EXPECT_EQ(info.deviceSubType, 1u);

    const struct {
        SdkPropertyId id;
        const char* text;
    } texts[] = {
        {kPropProductName, "SimCam S1"},
        {kPropBodySerial, "2718281828"},
        {kPropFirmwareVersion, "1.2.0"},
        {kPropOwnerName, "Jane Doe"},
        {kPropArtist, "Ann"},
        {kPropCopyright, "(c) Ann"},
    };
    for (const auto& t : texts)
        EXPECT_EQ(ReadText(t.id), t.text) << std::hex << t.id;
    EXPECT_EQ(ReadValue(kPropBatteryLevel), 77u);

    SdkTime clock{};
    ASSERT_EQ(SdkGetPropertyData(camera_, kPropDateTime, 0, sizeof clock, &clock), kSdkOk);
    EXPECT_EQ(clock.year, 2024u);
    EXPECT_EQ(clock.month, 5u);
    EXPECT_EQ(clock.day, 6u);
    EXPECT_EQ(clock.hour, 7u);
    EXPECT_LE(clock.minute * 60 + clock.second, 8 * 60 + 9 + 30u);  // the clock runs

    // What a camera of the standard protocol does not have.
    SdkDataType type;
    uint32_t size;
    EXPECT_EQ(SdkGetPropertySize(camera_, kPropLensName, 0, &type, &size), kSdkErrNotSupported);
    uint32_t count;
    EXPECT_EQ(SdkGetShutterCount(camera_, &count), kSdkErrPropertyUnavailable);
}

TEST_F(ServedCameraTest, OwnerAndClockWritesReachTheCamera) {
    Serve();
    ASSERT_EQ(WriteText(kPropOwnerName, "李明 Li Ming"), kSdkOk);
    EXPECT_EQ(ReadText(kPropOwnerName), "李明 Li Ming");
    EXPECT_TRUE(events_.WaitFor([](const SeenEvent& e) {
        return e.event == kPropertyEventPropertyChanged && e.value == kPropOwnerName;
    }));
    EXPECT_EQ(WriteText(kPropOwnerName, std::string(300, 'x')), kSdkErrInvalidLength);

    const SdkTime set{2030, 1, 2, 3, 4, 5, 0};
    ASSERT_EQ(SdkSetPropertyData(camera_, kPropDateTime, 0, sizeof set, &set), kSdkOk);
    SdkTime read{};
    ASSERT_EQ(SdkGetPropertyData(camera_, kPropDateTime, 0, sizeof read, &read), kSdkOk);
    EXPECT_EQ(read.year, 2030u);
    EXPECT_EQ(read.day, 2u);
    EXPECT_EQ(read.hour, 3u);
    EXPECT_LE(read.minute * 60 + read.second, 4 * 60 + 5 + 10u);
    const SdkTime invalid{2030, 13, 2, 3, 4, 5, 0};
    EXPECT_EQ(SdkSetPropertyData(camera_, kPropDateTime, 0, sizeof invalid, &invalid),
              kSdkErrInvalidValue);
}

TEST_F(ServedCameraTest, SettingChangesAndRefusedValues) {
    Serve();  // the mode dial stands on M: every aperture of the lens is offered
    SdkPropertyDesc desc{};
    ASSERT_EQ(SdkGetPropertyDesc(camera_, kPropAv, &desc), kSdkOk);
    const std::vector<int32_t> offered(desc.propDesc, desc.propDesc + desc.numElements);
    EXPECT_NE(std::find(offered.begin(), offered.end(), kAvF8), offered.end());
    EXPECT_EQ(offered.front(), 0x20);  // f/2.8, the lens's widest

    ASSERT_EQ(WriteValue(kPropAv, kAvF8), kSdkOk);
    EXPECT_EQ(ReadValue(kPropAv), kAvF8);
    EXPECT_EQ(LabelOf(controls::AvLabels(), *ReadValue(kPropAv)), "8");
    EXPECT_TRUE(events_.WaitFor([](const SeenEvent& e) {
        return e.event == kPropertyEventPropertyChanged && e.value == kPropAv;
    }));

    const struct {
        SdkPropertyId id;
        uint32_t code;
        const char* label;
    } settings[] = {
        {kPropTv, 0x70, "1/125"},
        {kPropIsoSpeed, 0x58, "400"},
        {kPropMeteringMode, 5, "Center-Weighted Average"},
    };
    const auto labels = [](SdkPropertyId id) {
        switch (id) {
            case kPropTv:
                return controls::TvLabels();
            case kPropIsoSpeed:
                return controls::IsoSpeedLabels();
            default:
                return controls::MeteringModeLabels();
        }
    };
    for (const auto& s : settings) {
        ASSERT_EQ(WriteValue(s.id, s.code), kSdkOk) << std::hex << s.id;
        auto read = ReadValue(s.id);
        ASSERT_TRUE(read) << std::hex << s.id;
        EXPECT_EQ(LabelOf(labels(s.id), *read), s.label) << std::hex << s.id;
    }
    ASSERT_EQ(WriteValue(kPropExposureCompensation, 0xFD), kSdkOk);
    EXPECT_EQ(controls::ExposureStepLabels().at(*ReadValue(kPropExposureCompensation)), "-1/3");

    // Refused: an aperture the lens lacks, a white balance no standard camera names, a
    // value for the mode dial, which only the user turns.
    EXPECT_EQ(WriteValue(kPropAv, 0x08), kSdkErrInvalidValue);
    EXPECT_EQ(ReadValue(kPropAv), kAvF8);
    EXPECT_EQ(WriteValue(kPropWhiteBalance, 2), kSdkErrInvalidValue);
    EXPECT_EQ(WriteValue(kPropShootingMode, 1), kSdkErrNotSupported);
}

TEST_F(ServedCameraTest, PictureTransfersWithProgressUnderItsOwnName) {
    Serve("[camera]\npicture_bytes = 600000\n");
    const uint32_t host = kSaveToHost;
    ASSERT_EQ(SdkSetPropertyData(camera_, kPropSaveTo, 0, sizeof host, &host), kSdkOk);
    ASSERT_EQ(SdkSendCommand(camera_, kCameraCommandTakePicture, 0), kSdkOk);
    SdkBaseRef item = events_.TakePicture();
    ASSERT_NE(item, nullptr);

    talbex::testing::TempFolder folder;
    Transfer transfer;
    SdkDirectoryItemInfo info{};
    ASSERT_EQ(transfer.Run(item, folder / "picture.jpg", &info), kSdkOk);
    SdkRelease(item);
    EXPECT_STREQ(info.fileName, "IMG_0001.JPG");
    EXPECT_GE(info.size, 600000u);
    ASSERT_GE(transfer.progress.size(), 3u);
    EXPECT_EQ(transfer.progress.front(), 0u);
    EXPECT_EQ(transfer.progress.back(), 100u);
    EXPECT_TRUE(std::is_sorted(transfer.progress.begin(), transfer.progress.end()));

    std::ifstream in(folder / "picture.jpg", std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    ASSERT_EQ(bytes.size(), info.size);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xD8");
}

TEST_F(ServedCameraTest, CameraGoingAwayMidTransfer) {
    Serve("[camera]\npicture_bytes = 4000000\ntransfer_ms = 4000\n");
    const uint32_t host = kSaveToHost;
    ASSERT_EQ(SdkSetPropertyData(camera_, kPropSaveTo, 0, sizeof host, &host), kSdkOk);
    ASSERT_EQ(SdkSendCommand(camera_, kCameraCommandTakePicture, 0), kSdkOk);
    SdkBaseRef item = events_.TakePicture();
    ASSERT_NE(item, nullptr);

    talbex::testing::TempFolder folder;
    Transfer transfer;
    transfer.onProgress = [&](uint32_t percent) {
        if (percent > 0 && percent < 100)
            server_.Kill();  // the camera drops off the network with the picture half sent
    };
    SdkDirectoryItemInfo info{};
    EXPECT_EQ(transfer.Run(item, folder / "picture.jpg", &info), kSdkErrCommDisconnected);
    SdkRelease(item);
    EXPECT_LT(transfer.progress.back(), 100u);
    EXPECT_TRUE(events_.WaitFor([](const SeenEvent& e) { return e.event == kStateEventShutdown; }));
    SdkDeviceInfo device{};
    EXPECT_EQ(SdkGetDeviceInfo(camera_, &device), kSdkErrCommDisconnected);
    EXPECT_EQ(ReadValue(kPropAv), std::nullopt);
}

TEST_F(ServedCameraTest, OperationsAGenericCameraCannotOffer) {
    Serve();
    const uint32_t on = 1;
    EXPECT_EQ(SdkSetPropertyData(camera_, kPropEvfMode, 0, sizeof on, &on), kSdkErrNotSupported);
    const uint32_t computer = kEvfOutputDeviceComputer;
    EXPECT_EQ(SdkSetPropertyData(camera_, kPropEvfOutputDevice, 0, sizeof computer, &computer),
              kSdkErrNotSupported);
    EXPECT_EQ(SdkSendCommand(camera_, kCameraCommandPressShutterButton, kShutterButtonHalfway),
              kSdkErrNotSupported);
    // A full press is the picture command itself.
    ASSERT_EQ(WriteValue(kPropSaveTo, kSaveToHost), kSdkOk);
    EXPECT_EQ(SdkSendCommand(camera_, kCameraCommandPressShutterButton, kShutterButtonCompletely),
              kSdkOk);
    SdkBaseRef picture = events_.TakePicture();
    EXPECT_NE(picture, nullptr);
    SdkRelease(picture);
    EXPECT_EQ(SdkSendCommand(camera_, kCameraCommandDoEvfAf, 1), kSdkErrNotSupported);
    EXPECT_EQ(SdkSendCommand(camera_, kCameraCommandDriveLensEvf, 1), kSdkErrNotSupported);
    EXPECT_EQ(WriteValue(kPropEvfZoom, 5), kSdkErrNotSupported);
    // Releasing a button nothing pressed is no failure.
    EXPECT_EQ(SdkSendCommand(camera_, kCameraCommandPressShutterButton, kShutterButtonOff), kSdkOk);
}

TEST_F(ServedCameraTest, TwoThreadsAtOnce) {
    Serve();
    std::atomic<int> failures{0};
    std::thread writer([&] {
        for (int i = 0; i < 20; ++i)
            if (WriteValue(kPropAv, i % 2 ? kAvF8 : kAvF56) != kSdkOk)
                ++failures;
    });
    std::thread reader([&] {
        for (int i = 0; i < 20; ++i) {
            auto av = ReadValue(kPropAv);
            if (!av || (*av != kAvF8 && *av != kAvF56))
                ++failures;
            if (ReadText(kPropBodySerial) != "2718281828")
                ++failures;
        }
    });
    writer.join();
    reader.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(ReadValue(kPropAv), kAvF8);
}

TEST_F(ServedCameraTest, ClosingTheCameraLeavesTheProgramsDescriptorsAlone) {
    // libgphoto2 closes descriptor 0 with every network camera it closes; a file the
    // program keeps there must survive that.
    talbex::testing::TempFolder folder;
    const int input = dup(0);
    ASSERT_GE(input, 0);
    close(0);
    ASSERT_EQ(open((folder / "kept").c_str(), O_RDWR | O_CREAT, 0600), 0);
    struct stat before {};
    fstat(0, &before);

    Serve();
    SdkRelease(camera_);
    camera_ = nullptr;  // the camera closes with its last reference
    SdkCameraListRef list = nullptr;
    ASSERT_EQ(SdkGetCameraList(&list), kSdkOk);  // opens it once more to see it is there
    SdkRelease(list);

    struct stat after {};
    const int status = fstat(0, &after);
    const bool same = status == 0 && after.st_ino == before.st_ino;
    dup2(input, 0);
    close(input);
    EXPECT_TRUE(same);
}

}  // namespace
}  // namespace talbex::gphoto::testing
