// The whole program through libgphoto2: talbex --headless with TALBEX_CAMERA=gphoto2:PORT
// against the simulated camera served over PTP/IP by a process of its own.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "app/talbex_process.h"
#include "support/served_camera_process.h"

namespace talbex {
namespace {

using apptest::Outcome;

class Gphoto2Run : public apptest::TalbexProcessTest {
  protected:
    void Serve(const std::string& settings = "") {
        std::string error;
        ASSERT_TRUE(server_.Start(settings, &error)) << error;
    }

    Outcome Talbex(const std::vector<std::string>& args) {
        const std::string environment =
            "env TALBEX_HOME='" + dir_ / "home/" +
            "' TALBEX_VENDOR_HOST= LC_ALL=C TALBEX_CAMERA='gphoto2:" + server_.GphotoPort() + "'";
        return RunTalbex(args, environment);
    }

    std::string Script(const std::string& name, const std::string& lines) {
        const std::string path = dir_ / name;
        std::ofstream(path) << lines;
        return path;
    }

    static bool Has(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }

    testing::ServedCameraProcess server_;
};

TEST_F(Gphoto2Run, IdentifiesTheServedCamera) {
    Serve("[camera]\nowner = Jane\n");
    const Outcome run = Talbex(
        {"--headless", "--language", "en", "--script", Script("s.txt", "await 1014\nquit\n")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "control 1015 text: SimCam S1 already link!")) << run.out;
    // A camera of the standard protocol names no lens and keeps no shutter count.
    EXPECT_TRUE(Has(run.out,
                    "identity: model=SimCam S1; lens=; serial=2718281828; shutter count=; "
                    "firmware=1.2.0; owner=Jane;"))
        << run.out;
    EXPECT_TRUE(Has(run.out, "control 1014 enabled: 1")) << run.out;
}

TEST_F(Gphoto2Run, ATestShotThroughLibgphoto2GivesTheSerial) {
    Serve("[camera]\nserial = 12AB5\n");
    const Outcome run = Talbex(
        {"--headless", "--language", "en", "--script", Script("s.txt", "await 1014\nquit\n")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "identity: model=SimCam S1; lens=; serial=0420001234;")) << run.out;
    EXPECT_TRUE(Has(run.out, "control 1014 enabled: 1")) << run.out;
}

TEST_F(Gphoto2Run, ACameraThatLeavesTheNetworkIsLost) {
    Serve();
    // It leaves a while after the program opened it, however long the opening took.
    std::thread leave([&] {
        for (int i = 0; i < 3000 && !Has(server_.Output(), "session opened"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::this_thread::sleep_for(std::chrono::seconds(2));
        server_.Kill();
    });
    const Outcome run = Talbex({"--headless", "--language", "en", "--script",
                                Script("s.txt", "await 1014 20\nwait 5\nquit\n")});
    leave.join();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "control 1015 text: SimCam S1 already link!")) << run.out;
    EXPECT_TRUE(Has(run.out, "Cannot detect camera.")) << run.out;
}

TEST_F(Gphoto2Run, TheParametersWindowReadsAndWritesTextsAndTheClock) {
    Serve("[camera]\nbattery_level = 77\nclock = 2020-01-02 03:04:05\n");
    const std::string edit = Script("edit.txt",
                                    "await 1013\nclick 1013\nawait 1006\n"
                                    "type 1006 \"Jane Roe\"\ntype 1036 \"Ann\"\nclick 1000\n"
                                    "click 1001\nwait 1.5\nclick 1\nwait 0.5\nquit\n");
    Outcome run = Talbex({"--headless", "--language", "en", "--script", edit});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "[Camera Para] control 1005 text: SimCam S1")) << run.out;
    EXPECT_TRUE(Has(run.out, "[Camera Para] control 1034 text: 2718281828")) << run.out;
    EXPECT_TRUE(Has(run.out, "[Camera Para] control 1007 text: 1.2.0")) << run.out;
    EXPECT_TRUE(Has(run.out, "[Camera Para] control 1038 text: 77")) << run.out;
    EXPECT_TRUE(Has(run.out, "[Camera Para] control 1039 text: 2020-1-2 3:4:")) << run.out;
    EXPECT_TRUE(Has(run.out, "message box: Successfully saved.")) << run.out;
    EXPECT_TRUE(Has(run.out, "message box: Synch time Successfully!")) << run.out;

    // The camera kept both: the next opening shows them.
    const std::string look = Script("look.txt", "await 1013\nclick 1013\nawait 1006\nquit\n");
    run = Talbex({"--headless", "--language", "en", "--script", look});
    EXPECT_TRUE(Has(run.out, "[Camera Para] control 1006 text: Jane Roe")) << run.out;
    EXPECT_TRUE(Has(run.out, "[Camera Para] control 1036 text: Ann")) << run.out;
    EXPECT_FALSE(Has(run.out, "[Camera Para] control 1039 text: 2020-")) << run.out;
}

TEST_F(Gphoto2Run, TheRemoteWindowSetsTakesPicturesAndTellsWhatTheCameraLacks) {
    Serve();
    const std::string save = dir_ / "saved";
    std::filesystem::create_directories(save);
    const std::string remote =
        Script("remote.txt", "await 1014\nfolder " + save +
                                 "\nclick 1014\nwait 2\n"
                                 "pick 1060 \"8\"\npick 1039 \"Cloudy\"\n"
                                 "click 1000\nwait 4\nclick 1013\nwait 6\nquit\n");
    const Outcome run = Talbex({"--headless", "--language", "en", "--script", remote});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "[Remote Control] control 1060 text: 5.6")) << run.out;
    EXPECT_TRUE(Has(run.out, "message box: Av Set successfully!")) << run.out;
    EXPECT_TRUE(Has(run.out, "[Remote Control] control 1009 text: 8")) << run.out;
    // A white balance a camera of the standard protocol does not name is refused.
    EXPECT_TRUE(Has(run.out, "message box: Failed to set White Balance!")) << run.out;
    EXPECT_TRUE(Has(run.out, "message box: Live view is not available on this camera.")) << run.out;
    int pictures = 0;
    for (const auto& entry : std::filesystem::directory_iterator(save))
        pictures += entry.path().extension() == ".JPG";
    EXPECT_EQ(pictures, 1) << run.out;
}

// A body that offers only the standard's basic properties, tells the serial "0.1" and keeps
// no exposure program, owner, artist, copyright, lens or shutter count.
constexpr char kBasicBody[] =
    "[camera]\nmodel = VC\nserial = 0.1\nowner = absent\nartist = absent\n"
    "copyright = absent\nlens = absent\nshutter_count = absent\n"
    "served_properties = battery_level, image_size, f_number, exposure_bias, exposure_time, "
    "date_time\n";

int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// It is identified once from its test shot, without a rebuild; a minute of the idle
// window's probes opens no session on it, and when it leaves the network the next probes
// notice.
TEST_F(Gphoto2Run, ABasicBodyIsIdentifiedOnceAndIdleProbesNeverOpenIt) {
    Serve(kBasicBody);
    std::thread leave([&] {
        std::this_thread::sleep_for(std::chrono::seconds(64));
        server_.Kill();
    });
    const Outcome run = Talbex({"--headless", "--seconds", "69", "--language", "en"});
    leave.join();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out,
                    "identity: model=VC; lens=; serial=0420001234; shutter count=; "
                    "firmware=1.2.0; owner=; artist=; copyright="))
        << run.out;
    EXPECT_EQ(Count(run.out, "[Talbex V4.5] closed:"), 2) << "rebuilt once, when lost\n" << run.out;
    EXPECT_EQ(Count(server_.Output(), "session opened"), 1) << server_.Output();
    EXPECT_TRUE(Has(run.out, "message box: Cannot detect camera.")) << run.out;
}

// Its windows leave disabled what it lacks, and what it has works: the clock, the
// aperture, a picture; live view and the half press are told or disabled once refused.
TEST_F(Gphoto2Run, TheWindowsOfABasicBodyOfferWhatItHas) {
    Serve(kBasicBody);
    const std::string save = dir_ / "saved";
    std::filesystem::create_directories(save);
    const Outcome run =
        Talbex({"--headless", "--language", "en", "--script",
                Script("basic.txt",
                       "await 1013\nclick 1013\nawait 1001\nclick 1001\nwait 1.5\nclick 1\n"
                       "wait 0.5\nclose\nwait 0.5\nfolder " +
                           save +
                           "\nclick 1014\nwait 2\npick 1060 \"8\"\nclick 1013\n"
                           "wait 1\nclick 1001\nwait 1\nclick 1000\nwait 4\nquit\n")});
    EXPECT_EQ(run.status, 0) << run.err;
    for (const char* line :
         {"[Camera Para] control 1006 enabled: 0", "[Camera Para] control 1036 enabled: 0",
          "[Camera Para] control 1000 enabled: 0", "message box: Synch time Successfully!",
          "[Remote Control] control 1039 enabled: 0", "[Remote Control] control 1007 enabled: 0",
          "message box: Av Set successfully!", "message box: Live view is not available",
          "[Remote Control] control 1014 enabled: 0", "[Remote Control] control 1030 enabled: 0"})
        EXPECT_TRUE(Has(run.out, line)) << line << "\n" << run.out;
    EXPECT_FALSE(Has(run.out, "[Remote Control] control 1060 enabled: 0")) << run.out;
    int pictures = 0;
    for (const auto& entry : std::filesystem::directory_iterator(save))
        pictures += entry.path().extension() == ".JPG";
    EXPECT_EQ(pictures, 1) << run.out;
}

// A body speaking Nikon's extension, through libgphoto2's own Nikon code: identified from
// its test shot (its 7-digit serial tells nothing) without a lens it cannot name, its
// settings under the labels the windows use, live view, a focus step, the half press with
// its release, and two pictures (full press, shoot button) into the save folder, in both
// of the windows' languages.
TEST_F(Gphoto2Run, ANikonBodyWorksEveryWindowInBothLanguages) {
    Serve(
        "[camera]\nmodel = Z-Sim 1\nserial = 3012345\nexif_serial = 4012345678\n"
        "vendor = nikon\n");
    const struct {
        const char* language;
        std::vector<std::string> lines;
    } runs[] = {
        {"en",
         {"[Camera Para] control 1005 text: Z-Sim 1", "[Remote Control] control 1007 text: M",
          "[Remote Control] control 1064 text: Large Fine Jpeg",
          "[Remote Control] control 1063 text: One-Shot AF",
          "[Remote Control] control 1039 text: Auto", "[Remote Control] control 1008 text: 1/60",
          "[Remote Control] control 1022 picture: "}},
        {"zh",
         {"[相机参数] control 1005 text: Z-Sim 1", "[相机遥控界面] control 1007 text: 全手动",
          "[相机遥控界面] control 1064 text: 大 优质 照片 ",
          "[相机遥控界面] control 1063 text: 单次自动对焦",
          "[相机遥控界面] control 1039 text: 自动", "[相机遥控界面] control 1008 text: 1/60",
          "[相机遥控界面] control 1022 picture: "}},
    };
    for (const auto& r : runs) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
        if (std::string(r.language) == "en")
            continue;  // one language is enough under the sanitizers
#endif
        SCOPED_TRACE(r.language);
        const std::string save = dir_ / (std::string("saved-") + r.language);
        std::filesystem::create_directories(save);
        std::filesystem::remove(dir_ / "home/saveto.txt");  // the folder is asked again
        const Outcome run = Talbex(
            {"--headless", "--language", r.language, "--script",
             Script("nikon.txt", "await 1013\nclick 1013\nwait 3\nclose\nwait 1\nfolder " + save +
                                     "\nclick 1014\nwait 3\nclick 1001\nwait 1\nclick 1031\n"
                                     "wait 1\nclick 1013\nwait 2\nclick 1017\nwait 1\n"
                                     "click 1030\nwait 4\nclick 1031\nwait 1\nclick 1000\n"
                                     "wait 4\nclose\nwait 1\nquit\n")});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_TRUE(Has(run.out, "identity: model=Z-Sim 1; lens=; serial=4012345678;")) << run.out;
        for (const std::string& line : r.lines)
            EXPECT_TRUE(Has(run.out, line)) << line << "\n" << run.out;
        EXPECT_FALSE(Has(run.out, "message box:")) << run.out;
        int pictures = 0;
        for (const auto& entry : std::filesystem::directory_iterator(save))
            pictures += entry.path().extension() == ".jpg";
        EXPECT_EQ(pictures, 2) << run.out << server_.Output();
    }
}

// libgphoto2 2.5.30 reaches network cameras only by a numeric address and opens a named
// driver only when it has one: a camera setting it cannot open is refused at start,
// saying what is wrong, instead of failing unseen at every look (or freezing the window
// while a name is looked up).
TEST_F(Gphoto2Run, CameraSettingsLibgphoto2CannotOpenAreRefusedAtStart) {
    const struct {
        std::string camera;
        std::string said;
    } cases[] = {
        {"gphoto2:ptpip:camera.local", "'camera.local' is no numeric IPv4 address"},
        {"gphoto2:PTP/IP Camera@ptpip:localhost:15740:15740",
         "'localhost' is no numeric IPv4 address"},
        {"gphoto2:ptpip:127.0.0.1:http", "'http' is no port number"},
        {"gphoto2:No Such Camera@ptpip:127.0.0.1",
         "libgphoto2 knows no camera model 'No Such Camera'"},
    };
    const std::string environment =
        "env TALBEX_HOME='" + dir_ / "home/" + "' TALBEX_VENDOR_HOST= LC_ALL=C";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.camera);
        const Outcome run =
            RunTalbex({"--camera", c.camera, "--headless", "--seconds", "3"}, environment);
        EXPECT_EQ(run.status, 2) << run.out;
        EXPECT_TRUE(Has(run.err, "talbex: camera " + c.camera + ": " + c.said)) << run.err;
        EXPECT_FALSE(Has(run.out, "opened")) << run.out;
    }
    // A numeric address in libgphoto2's own forms is taken.
    const Outcome run = RunTalbex(
        {"--camera", "gphoto2:PTP/IP Camera@ptpip:127.1:1:1", "--headless", "--seconds", "1"},
        environment);
    EXPECT_EQ(run.status, 0) << run.err;
}

}  // namespace
}  // namespace talbex
