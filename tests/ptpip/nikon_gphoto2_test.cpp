// The served camera as a Nikon body, proven with libgphoto2's own Nikon code through the
// gphoto2 command: identity, settings read and written, pictures taken into the camera's
// memory, a live-view frame, and focus drive. The camera is served in this process, so
// each case can see what it did to the simulated camera.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "camera/sdk/sdk_types.h"
#include "served_simulator.h"
#include "support/gphoto2_command.h"
#include "support/served_camera_process.h"
#include "support/temp_folder.h"

namespace talbex::ptpip::testing {
namespace {

using talbex::testing::Gphoto2Installed;
using talbex::testing::Gphoto2Run;
using talbex::testing::TempFolder;

constexpr const char* kLens = "AF-S Nikkor 24-70mm 1:2.8G ED DX";

sim::CameraSettings NikonBody() {
    sim::CameraSettings s;
    s.model = "Z-Sim 1";
    s.serial = "3012345";
    s.firmware = "V1.10";
    s.lens = kLens;
    s.artist = "Ansel Tester";
    s.copyright = "Talbex 2024";
    s.liveViewSize = {640, 424};
    return s;
}

ServedOptions AsNikon() {
    ServedOptions options;
    options.vendor = ServedVendor::kNikon;
    return options;
}

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A JPEG's frame size from its start-of-frame segment; {0, 0} when it has none.
std::pair<int, int> JpegSize(const std::string& jpeg) {
    for (size_t i = 2; i + 9 < jpeg.size(); ++i)
        if (static_cast<uint8_t>(jpeg[i]) == 0xFF && static_cast<uint8_t>(jpeg[i + 1]) == 0xC0) {
            auto at = [&](size_t k) { return static_cast<uint8_t>(jpeg[i + k]); };
            return {at(7) << 8 | at(8), at(5) << 8 | at(6)};
        }
    return {0, 0};
}

class NikonGphoto2Test : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!Gphoto2Installed())
            GTEST_SKIP() << "the gphoto2 command is not installed";
        served_.Start();
    }

    Gphoto2Run Gphoto2(const std::string& arguments) {
        return talbex::testing::RunGphoto2("ptpip:127.0.0.1:" + std::to_string(served_.port()) +
                                               ":" + std::to_string(served_.port()),
                                           arguments, folder_.path());
    }
    uint32_t Value(SdkPropertyId id) { return served_.simulated().PropertyValue(id).value_or(~0u); }

    ServedSimulator served_{NikonBody(), AsNikon()};
    TempFolder folder_{"talbex-nikon"};
};

TEST_F(NikonGphoto2Test, TheSettingsFileChoosesTheNikonBody) {
    // A vendor sim-serve cannot present stops it, naming the line.
    std::ofstream(folder_ / "refused.ini") << "[camera]\nvendor = pentax\n";
    const std::string command =
        "env TALBEX_HOME='" + folder_.path() + "' TALBEX_CAMERA='sim:" + folder_ / "refused.ini" +
        "' timeout 10 '" + talbex::testing::ServedCameraProcess::ProgramPath() +
        "' sim-serve --listen 127.0.0.1:0 --seconds 1 >'" + folder_ / "refused.out" + "' 2>&1";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    const std::string said = FileText(folder_ / "refused.out");
    EXPECT_NE(said.find("refused.ini:2: vendor: 'pentax' is neither standard nor nikon"),
              std::string::npos)
        << said;

    std::string error;

    talbex::testing::ServedCameraProcess server;
    ASSERT_TRUE(
        server.Start("[camera]\nvendor = nikon\nmodel = Z-Sim 1\nserial = 3012345\n"
                     "firmware = V1.10\n",
                     &error))
        << error;
    const Gphoto2Run run =
        talbex::testing::RunGphoto2(server.GphotoPort(), "--summary", folder_.path());
    EXPECT_EQ(run.status, 0) << run.output;
    for (const char* line : {"Manufacturer: Nikon Corporation", "Model: Z-Sim 1", "Version: V1.10",
                             "Serial Number: 3012345", "Vendor Extension ID: 0xa"})
        EXPECT_NE(run.output.find(line), std::string::npos) << line << "\n" << run.output;
    EXPECT_NE(server.Output().find("Nikon's extension"), std::string::npos) << server.Output();
}

TEST_F(NikonGphoto2Test, SettingsReadAsTheSimulatedCameraHasThem) {
    const std::pair<const char*, std::string> cases[] = {
        {"/main/capturesettings/imagequality", "Current: JPEG Fine"},
        {"/main/capturesettings/shutterspeed2", "Current: 1/60"},
        {"/main/capturesettings/shutterspeed", "Current: 0.0167s"},
        {"/main/capturesettings/f-number", "Current: f/5.6"},
        {"/main/capturesettings/exposurecompensation", "Current: 0"},
        {"/main/capturesettings/exposuremetermode", "Current: Multi Spot"},
        {"/main/capturesettings/focusmode", "Current: AF-S"},
        {"/main/capturesettings/expprogram", "Current: M"},
        {"/main/capturesettings/capturemode", "Current: Single Shot"},
        {"/main/imgsettings/iso", "Current: 100"},
        {"/main/imgsettings/autoiso", "Current: Off"},
        {"/main/imgsettings/whitebalance", "Current: Automatic"},
        {"/main/status/batterylevel", "Current: 100%"},
        {"/main/status/lensname", std::string("Current: ") + kLens},
        {"/main/status/serialnumber", "Current: 3012345"},
        {"/main/status/deviceversion", "Current: V1.10"},
        {"/main/settings/artist", "Current: Ansel Tester"},
        {"/main/settings/copyright", "Current: Talbex 2024"},
        {"/main/actions/autofocusdrive", "Type: TOGGLE"},
        {"/main/actions/manualfocusdrive", "Type: RANGE"},
        {"/main/actions/viewfinder", "Current: 0"},
    };
    const Gphoto2Run list = Gphoto2("--list-config");
    ASSERT_EQ(list.status, 0) << list.output;
    for (const auto& [entry, expected] : cases) {
        EXPECT_NE(list.output.find(std::string(entry) + "\n"), std::string::npos) << entry;
        const Gphoto2Run got = Gphoto2(std::string("--get-config ") + entry);
        EXPECT_EQ(got.status, 0) << entry << "\n" << got.output;
        EXPECT_NE(got.output.find(expected + "\n"), std::string::npos) << entry << "\n"
                                                                       << got.output;
    }
    // Nikon's texts for the image qualities the camera offers.
    const std::string quality = Gphoto2("--get-config imagequality").output;
    for (const char* choice : {"NEF (Raw)", "NEF+Fine", "JPEG Fine", "JPEG Normal"})
        EXPECT_NE(quality.find(std::string(" ") + choice + "\n"), std::string::npos) << choice;
}

TEST_F(NikonGphoto2Test, SettingsWrittenChangeTheSimulatedCamera) {
    struct Case {
        const char* setting;
        SdkPropertyId property;
        uint32_t code;
    };
    const std::vector<std::vector<Case>> rounds = {
        {{"imagequality='NEF (Raw)'", kPropImageQuality, 0x0064FF0F},
         {"shutterspeed2=1/8000", kPropTv, 0xA0},
         {"iso=400", kPropIsoSpeed, 0x58},
         {"whitebalance=Shade", kPropWhiteBalance, 8},
         {"f-number=f/8", kPropAv, 0x38},
         {"exposurecompensation=-1", kPropExposureCompensation, 0xF8},
         {"focusmode=Manual", kPropAfMode, 3},
         {"capturemode=Burst", kPropDriveMode, 1}},
        {{"imagequality=NEF+Fine", kPropImageQuality, 0x00640013},
         {"shutterspeed2=25/10", kPropTv, 0x2D},
         {"autoiso=On", kPropIsoSpeed, 0},
         {"exposuremetermode='Center Spot'", kPropMeteringMode, 1}},
        {{"imagequality='JPEG Fine'", kPropImageQuality, 0x0013FF0F},
         {"shutterspeed=0.0010s", kPropTv, 0x88},
         {"autoiso=Off", kPropIsoSpeed, 0x48}},
    };
    for (const auto& round : rounds) {
        std::string arguments;
        for (const Case& c : round)
            arguments += std::string(" --set-config ") + c.setting;
        const Gphoto2Run run = Gphoto2(arguments);
        EXPECT_EQ(run.status, 0) << arguments << "\n" << run.output;
        for (const Case& c : round)
            EXPECT_EQ(Value(c.property), c.code) << c.setting << "\n" << run.output;
    }
    const Gphoto2Run texts =
        Gphoto2("--set-config artist='New Artist' --set-config copyright=Mine");
    EXPECT_EQ(texts.status, 0) << texts.output;
    EXPECT_EQ(served_.simulated().PropertyText(kPropArtist), "New Artist");
    EXPECT_EQ(served_.simulated().PropertyText(kPropCopyright), "Mine");
}

TEST_F(NikonGphoto2Test, PicturesTakenIntoMemoryArriveWhole) {
    const std::pair<const char*, uint32_t> cases[] = {
        {"--capture-image-and-download", 1},
        {"--trigger-capture --wait-event-and-download=3s", 2},
    };
    for (const auto& [arguments, taken] : cases) {
        const Gphoto2Run run = Gphoto2(arguments);
        EXPECT_EQ(run.status, 0) << arguments << "\n" << run.output;
        EXPECT_EQ(served_.simulated().PicturesTaken(), taken) << arguments;
        const std::vector<uint8_t> picture = served_.simulated().LastPicture();
        const std::string saved = FileText(folder_ / "capt0000.jpg");
        ASSERT_GT(picture.size(), 1000u) << arguments;
        EXPECT_EQ(saved, std::string(picture.begin(), picture.end())) << arguments << "\n"
                                                                      << run.output;
        std::filesystem::remove(folder_ / "capt0000.jpg");
    }
}

TEST_F(NikonGphoto2Test, PicturesTakenOntoTheCardArriveOnce) {
    // The card as capture target: libgphoto2's standard capture, and the picture's event.
    ASSERT_EQ(Gphoto2("--set-config capturetarget='Memory card'").status, 0);
    const std::pair<const char*, const char*> cases[] = {
        {"--capture-image-and-download", "IMG_0001.JPG"},
        {"--trigger-capture --wait-event-and-download=3s", "IMG_0002.JPG"},
    };
    for (const auto& [arguments, name] : cases) {
        const Gphoto2Run run = Gphoto2(arguments);
        EXPECT_EQ(run.status, 0) << arguments << "\n" << run.output;
        const std::vector<uint8_t> picture = served_.simulated().LastPicture();
        EXPECT_EQ(FileText(folder_ / name), std::string(picture.begin(), picture.end()))
            << arguments << "\n"
            << run.output;
        // Announced once: one picture saved, one capture completed.
        EXPECT_EQ(run.output.find("Saving file", run.output.find("Saving file") + 1),
                  std::string::npos)
            << run.output;
        EXPECT_EQ(run.output.find("CAPTURECOMPLETE", run.output.find("CAPTURECOMPLETE") + 1),
                  std::string::npos)
            << run.output;
    }
    EXPECT_EQ(served_.simulated().PicturesTaken(), 2u);
}

TEST_F(NikonGphoto2Test, PreviewIsALiveViewFrameAndLiveViewEndsWithTheSession) {
    const Gphoto2Run run = Gphoto2("--capture-preview");
    EXPECT_EQ(run.status, 0) << run.output;
    const std::string frame = FileText(folder_ / "capture_preview.jpg");
    ASSERT_GT(frame.size(), 100u) << run.output;
    EXPECT_EQ(frame.substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(frame.substr(frame.size() - 2), "\xFF\xD9");
    EXPECT_EQ(JpegSize(frame), std::make_pair(640, 424));
    EXPECT_EQ(Value(kPropEvfOutputDevice) & kEvfOutputDeviceComputer, 0u);
}

TEST_F(NikonGphoto2Test, FocusDrivesMoveTheLens) {
    struct Case {
        const char* arguments;
        int status;
        int32_t lens;  // the lens position afterwards
    };
    const Case cases[] = {
        {"--set-config viewfinder=1 --set-config manualfocusdrive=-1000", 0, 500 - 150},
        {"--set-config viewfinder=1 --set-config manualfocusdrive=100", 0, 350 + 30},
        // Nikon's manual focus works only in live view.
        {"--set-config manualfocusdrive=-10", 1, 380},
        // The camera focuses on the centre point's subject, 500.
        {"--set-config autofocusdrive=1", 0, 500},
    };
    ASSERT_EQ(served_.simulated().LensPosition(), 500);
    for (const Case& c : cases) {
        const Gphoto2Run run = Gphoto2(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments << "\n" << run.output;
        EXPECT_EQ(served_.simulated().LensPosition(), c.lens) << c.arguments << "\n" << run.output;
    }
    EXPECT_EQ(Value(kPropEvfOutputDevice) & kEvfOutputDeviceComputer, 0u);
}

}  // namespace
}  // namespace talbex::ptpip::testing
