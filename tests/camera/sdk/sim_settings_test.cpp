// The simulator settings file and the choice of backend from TALBEX_CAMERA.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "camera/sdk/sim/settings_file.h"
#include "platform/os/file_io.h"
#include "sim_fixture.h"

namespace talbex::sim::testing {
namespace {

class SettingsTest : public SimCameraTest {
  protected:
    void TearDown() override {
        SimCameraTest::TearDown();
        unsetenv("TALBEX_CAMERA");
        for (const auto& path : files_)
            std::filesystem::remove(path);
    }

    // Each file gets a name of its own: the library keeps the backend of an unchanged
    // TALBEX_CAMERA for the whole process.
    std::string WriteSettings(const std::string& text) {
        static int counter = 0;
        const std::string path = ::testing::TempDir() + "sim_settings_" + std::to_string(getpid()) +
                                 "_" + std::to_string(++counter) + ".ini";
        std::ofstream(path) << text;
        files_.push_back(path);
        return path;
    }

    // Parses text and answers the error message ("" when it parsed).
    static std::string ErrorOf(const std::string& text) {
        std::vector<CameraSettings> cameras;
        std::string error;
        if (ParseSettings(text, "cams.ini", &cameras, &error))
            return "";
        return error;
    }

    std::vector<std::string> files_;
};

TEST_F(SettingsTest, EveryKeyIsRead) {
    const std::string text =
        "# two cameras\n"
        "[camera]\n"
        "model = SimCam Two\n"
        "lens = SIM 50mm f/1.8\n"
        "serial = 12AB5\n"
        "owner = \"  spaced  \"\n"
        "artist = absent\n"
        "copyright = \"absent\"  # the word itself\n"
        "current_folder = \"# 1 \"\n"
        "firmware = 2.0.1\n"

        "shutter_count = absent\n"
        "battery_level = 42\n"
        "battery_quality = 0x2\n"
        "clock = 2023-06-15 08:30:05\n"
        "legacy = 1\n"
        "mode_dial = 2\n"
        "live_view_size = 640x424\n"
        "picture_size = 800 x 533\n"
        "picture_bytes = 1000000\n"
        "exif_byte_order = big\n"
        "exif_serial = 987654\n"
        "exif_body_serial = absent\n"
        "busy = take_picture:2, set_property_data@0x405:1\n"
        "fail = download:1:0x20\n"
        "unplug_after_ms = 5000\n"
        "shutdown_after_ms = 7000\n"
        "transfer_ms = 250   # slow cable\n"
        "busy_after_shot_ms = 400\n"
        "busy_while_transferring = 0\n"
        "live_view_fps = 12\n"
        "mains_power = 1\n"
        "battery_drain = 5\n"
        "text_limit = 31\n"
        "widest_aperture = 0x28\n"
        "narrowest_aperture = 0x50\n"
        "image_quality = 0x00240013\n"
        "color_space = 2\n"
        "\n"
        "[camera]\n"
        "; all defaults\n";
    std::vector<CameraSettings> cameras;
    std::string error;
    ASSERT_TRUE(ParseSettings(text, "cams.ini", &cameras, &error)) << error;
    ASSERT_EQ(cameras.size(), 2u);
    const CameraSettings& c = cameras[0];
    EXPECT_EQ(c.model, "SimCam Two");
    EXPECT_EQ(c.lens, "SIM 50mm f/1.8");
    EXPECT_EQ(c.serial, "12AB5");
    EXPECT_EQ(c.owner, "  spaced  ");
    EXPECT_FALSE(c.artist);
    EXPECT_EQ(c.copyright, "absent");
    EXPECT_EQ(c.firmware, "2.0.1");
    EXPECT_EQ(c.currentFolder, "# 1 ");
    EXPECT_FALSE(c.shutterCount);
    EXPECT_EQ(c.batteryLevel, 42u);
    EXPECT_EQ(c.batteryQuality, 2u);
    ASSERT_TRUE(c.clock);
    EXPECT_EQ(c.clock->year, 2023u);
    EXPECT_EQ(c.clock->second, 5u);
    EXPECT_TRUE(c.legacy);
    EXPECT_EQ(c.modeDial, 2u);
    EXPECT_EQ(c.liveViewSize.width, 640);
    EXPECT_EQ(c.pictureSize.height, 533);
    EXPECT_EQ(c.pictureBytes, 1000000u);
    EXPECT_TRUE(c.exifBigEndian);
    EXPECT_EQ(c.ResolvedMakerNoteSerial(), 987654u);
    EXPECT_FALSE(c.ResolvedBodySerial());
    ASSERT_EQ(c.faults.size(), 3u);
    EXPECT_EQ(c.faults[0].operation, Operation::TakePicture);
    EXPECT_EQ(c.faults[0].count, 2u);
    EXPECT_EQ(c.faults[0].code, kSdkErrDeviceBusy);
    EXPECT_EQ(c.faults[1].property, kPropAv);
    EXPECT_EQ(c.faults[2].operation, Operation::Download);
    EXPECT_EQ(c.faults[2].code, 0x20u);
    EXPECT_EQ(c.unplugAfterMs, 5000);
    EXPECT_EQ(c.shutdownAfterMs, 7000);
    EXPECT_EQ(c.transferMs, 250u);
    EXPECT_EQ(c.busyAfterShotMs, 400u);
    EXPECT_FALSE(c.busyWhileTransferring);
    EXPECT_EQ(c.liveViewFps, 12u);
    EXPECT_TRUE(c.mainsPower);
    EXPECT_EQ(c.batteryDrainPerShot, 5u);
    EXPECT_EQ(c.textLimit, 31u);
    EXPECT_EQ(c.widestAperture, 0x28u);
    EXPECT_EQ(c.narrowestAperture, 0x50u);
    EXPECT_EQ(c.imageQuality, 0x00240013u);
    EXPECT_EQ(c.colorSpace, 2u);
    // The second camera has the defaults: a usable serial that its pictures carry too.
    EXPECT_EQ(cameras[1].serial, "2718281828");
    EXPECT_EQ(cameras[1].ResolvedMakerNoteSerial(), 2718281828u);
    EXPECT_EQ(cameras[1].ResolvedBodySerial(), "2718281828");
}

TEST_F(SettingsTest, ErrorsNameTheFileAndTheLine) {
    EXPECT_EQ(ErrorOf("[camera]\nmodel = A\nmodle = B\n"), "cams.ini:3: unknown key 'modle'");
    EXPECT_EQ(ErrorOf("model = A\n"), "cams.ini:1: 'model' outside a [camera] section");
    EXPECT_EQ(ErrorOf("[camera]\n\n# x\nlegacy = yes\n"),
              "cams.ini:4: legacy: 'yes' is neither 0 nor 1");
    EXPECT_EQ(ErrorOf("[camera]\nserial = 1\nserial = 2\n"),
              "cams.ini:3: 'serial' given twice for this camera");
    EXPECT_EQ(ErrorOf("[cameras]\n"), "cams.ini:1: unknown section [cameras] (only [camera])");
    EXPECT_EQ(ErrorOf("[camera]\njust words\n"), "cams.ini:2: expected 'key = value'");
    EXPECT_EQ(ErrorOf("[camera]\nlegacy = absent\n"), "cams.ini:2: legacy cannot be absent");
    EXPECT_EQ(ErrorOf("[camera]\nowner = \"Ada\n"), "cams.ini:2: missing closing quote");
    EXPECT_EQ(ErrorOf("[camera]\nowner = \"Ada\" Lovelace\n"),
              "cams.ini:2: text after the closing quote");
    // Bad values of the other kinds all name their line.
    const char* bad[] = {
        "clock = 2023-02-30 10:00:00", "clock = yesterday",     "mode_dial = 0x55",
        "live_view_size = 1024",       "live_view_size = 8x8",  "battery_level = many",
        "busy = take_picture",         "busy = fly:1",          "fail = download:1",
        "fail = download:1:0",         "busy = take_picture:0", "transfer_ms = 9999999",
        "mains_power = yes",           "text_limit = 100",      "image_quality = high",
        "exif_byte_order = middle",    "picture_bytes = -1"};
    for (const char* line : bad) {
        const std::string error = ErrorOf(std::string("[camera]\n") + line + "\n");
        EXPECT_EQ(error.rfind("cams.ini:2: ", 0), 0u) << line << " gave: " << error;
    }
    EXPECT_EQ(ErrorOf("[camera]\nowner = " + std::string(100, 'x') + "\n"),
              "cams.ini:2: text longer than 99 bytes");
    // Values that are fine alone but not together name the camera's section.
    EXPECT_EQ(ErrorOf("[camera]\nimage_quality = 0x00240013\n[camera]\n"),
              "cams.ini:1: image_quality 0x240013 is not a quality of the current protocol");
    EXPECT_EQ(ErrorOf("[camera]\n[camera]\nwidest_aperture = 0x50\nnarrowest_aperture = 0x28\n"),
              "cams.ini:2: widest_aperture is narrower than narrowest_aperture");
    EXPECT_EQ(ErrorOf("[camera]\ncolor_space = 3\n"),
              "cams.ini:1: color_space 0x3 is neither 1 (sRGB) nor 2 (Adobe RGB)");
    EXPECT_EQ(ErrorOf(""), "") << "an empty file attaches no camera";
}

// Whatever the path names, the answer is at once a message naming the file: a FIFO is
// never waited on, a device or a huge file is never read into memory.
TEST_F(SettingsTest, UnreadableFileNamesTheFile) {
    const std::string fifo = ::testing::TempDir() + "sim_settings_fifo_" + std::to_string(getpid());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    files_.push_back(fifo);
    const std::string huge = WriteSettings("[camera]\n");
    std::filesystem::resize_file(huge, os::kMaxTextFileBytes + 1);
    const std::string paths[] = {::testing::TempDir() + "no_such_settings.ini",
                                 ::testing::TempDir(), fifo, "/dev/zero", huge};
    for (const std::string& path : paths) {
        std::vector<CameraSettings> cameras(1);
        std::string error;
        EXPECT_FALSE(ReadSettingsFile(path, &cameras, &error)) << path;
        EXPECT_EQ(error.rfind(path + ": cannot be read (", 0), 0u) << error;
        EXPECT_EQ(cameras.size(), 1u) << "left untouched";
    }
}

TEST_F(SettingsTest, ByteOrderMarkAtTheStartIsAccepted) {
    std::vector<CameraSettings> cameras;
    std::string error;
    ASSERT_TRUE(
        ReadSettingsFile(WriteSettings("\xEF\xBB\xBF[camera]\nmodel = Marked\n"), &cameras, &error))
        << error;
    ASSERT_EQ(cameras.size(), 1u);
    EXPECT_EQ(cameras[0].model, "Marked");
}

TEST_F(SettingsTest, EnvironmentChoosesTheBackend) {
    setenv("TALBEX_CAMERA", "sim", 1);
    SdkUseBackend(nullptr);
    ASSERT_EQ(SdkInitialize(), kSdkOk);
    camera_ = CameraAt(0);
    ASSERT_NE(camera_, nullptr) << "one simulated camera";
    SdkRelease(camera_);
    camera_ = nullptr;
    ASSERT_EQ(SdkTerminate(), kSdkOk);

    setenv("TALBEX_CAMERA", "none", 1);
    ASSERT_EQ(SdkInitialize(), kSdkOk);
    EXPECT_EQ(CameraAt(0), nullptr);
    ASSERT_EQ(SdkTerminate(), kSdkOk);

    const std::string path =
        WriteSettings("[camera]\nmodel = First\nartist = absent\n[camera]\nmodel = Second\n");
    setenv("TALBEX_CAMERA", ("sim:" + path).c_str(), 1);
    ASSERT_EQ(SdkInitialize(), kSdkOk) << SdkLastInitializeError();
    camera_ = CameraAt(0);
    SdkCameraRef second = CameraAt(1);
    ASSERT_NE(second, nullptr);
    SdkDeviceInfo info{};
    ASSERT_EQ(SdkGetDeviceInfo(second, &info), kSdkOk);
    EXPECT_STREQ(info.deviceDescription, "Second");
    SdkRelease(second);
    ASSERT_EQ(SdkOpenSession(camera_), kSdkOk);
    SdkDataType type;
    uint32_t size;
    EXPECT_EQ(SdkGetPropertySize(camera_, kPropArtist, 0, &type, &size),
              kSdkErrPropertyUnavailable);
}

TEST_F(SettingsTest, WrongSettingsFailInitializeWithTheFileAndLine) {
    const std::string path = WriteSettings("[camera]\nmodel = Fine\n[camera]\nbusy = nap:1\n");
    setenv("TALBEX_CAMERA", ("sim:" + path).c_str(), 1);
    SdkUseBackend(nullptr);
    EXPECT_NE(SdkInitialize(), kSdkOk);
    EXPECT_EQ(SdkLastInitializeError(), path + ":4: busy: unknown operation 'nap'");
    SdkCameraListRef list = nullptr;
    EXPECT_EQ(SdkGetCameraList(&list), kSdkErrNotInitialized) << "no half-configured camera";

    setenv("TALBEX_CAMERA", "sim:", 1);
    EXPECT_NE(SdkInitialize(), kSdkOk);
    EXPECT_NE(SdkLastInitializeError(), "");
    setenv("TALBEX_CAMERA", "sim:/dev/zero", 1);
    EXPECT_NE(SdkInitialize(), kSdkOk);
    EXPECT_EQ(SdkLastInitializeError().rfind("/dev/zero: cannot be read", 0), 0u);
    setenv("TALBEX_CAMERA", "camera-please", 1);
    EXPECT_NE(SdkInitialize(), kSdkOk);
    EXPECT_NE(SdkLastInitializeError().find("camera-please"), std::string::npos);
}

}  // namespace
}  // namespace talbex::sim::testing
