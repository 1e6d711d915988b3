// Runs the built program's main window headless: talbex --headless ...
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/talbex_process.h"
#include "platform/os/single_instance.h"

namespace talbex {
namespace {

namespace fs = std::filesystem;

using apptest::Outcome;

class HeadlessRun : public apptest::TalbexProcessTest {
  protected:
    void SetUp() override {
        TalbexProcessTest::SetUp();
        home_ = dir_ / "home/";
    }

    std::string Write(const std::string& name, const std::string& text) {
        const std::string path = dir_ / name;
        std::ofstream(path) << text;
        return path;
    }

    /// A run that hangs is ended after a minute (status 124).
    Outcome Talbex(const std::vector<std::string>& args, const std::string& camera = "",
                   const std::string& vendorHost = "") {
        std::string environment =
            "timeout 60 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "
            "TALBEX_HOME='" +
            home_ + "' TALBEX_VENDOR_HOST='" + vendorHost + "' LC_ALL=C";
        environment += " TALBEX_CAMERA='" + (camera.empty() ? "sim" : camera) + "'";
        return RunTalbex(args, environment);
    }

    static bool Has(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }

    std::string home_;
};

TEST_F(HeadlessRun, TheSimulatedCameraIsFoundAndIdentified) {
    const Outcome run = Talbex({"--headless", "--seconds", "3.5", "--language", "en"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "[Talbex V4.5] opened: Talbex V4.5")) << run.out;
    EXPECT_TRUE(Has(run.out, "control 1015 text: Please connect your camera")) << run.out;
    EXPECT_TRUE(Has(run.out, "control 1031 address: " + home_ + "index_en.htm")) << run.out;
    EXPECT_TRUE(Has(run.out, "control 1015 text: SimCam S1 already link!")) << run.out;
    EXPECT_TRUE(Has(run.out,
                    "identity: model=SimCam S1; lens=SIM 24-70mm f/2.8; "
                    "serial=2718281828; shutter count=1520; firmware=1.2.0"))
        << run.out;
    EXPECT_TRUE(Has(run.out, "control 1013 enabled: 1")) << run.out;
    EXPECT_TRUE(Has(run.out, "time is up after 3.5 s")) << run.out;
    // The shipped files are in place for the next run.
    EXPECT_TRUE(fs::exists(home_ + "index_cn.htm"));
    EXPECT_TRUE(fs::exists(home_ + "ver.htm"));
}

TEST_F(HeadlessRun, ATestShotGivesTheSerialTheCameraDoesNotTell) {
    const std::string settings = Write("cam.ini",
                                       "[camera]\n"
                                       "model = SimCam T2\n"
                                       "serial = 12AB5\n");
    const Outcome run = Talbex({"--language", "en", "--seconds", "4.5"}, "sim:" + settings);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "control 1015 text: SimCam T2 already link!")) << run.out;
    EXPECT_TRUE(Has(run.out,
                    "identity: model=SimCam T2; lens=SIM 24-70mm f/2.8; "
                    "serial=0420001234;"))
        << run.out;
    EXPECT_TRUE(Has(run.out, "control 1014 enabled: 1")) << run.out;
    // The test shot's picture is gone again.
    for (const auto& entry : fs::recursive_directory_iterator(home_))
        EXPECT_EQ(entry.path().filename().string().find("IMG"), std::string::npos) << entry.path();
}

// The picture --demo reports as saved is the user's: a later run leaves it where it is.
// Nor does it replace a file of the user's that has the camera's name for it.
TEST_F(HeadlessRun, ThePictureOfTheDemoOutlivesTheNextRunAndReplacesNothing) {
    fs::create_directories(home_);
    std::ofstream(home_ + "IMG_0001.JPG") << "mine";
    Outcome run = Talbex({"--demo"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string saved = "Picture saved: ";
    const size_t at = run.out.find(saved);
    ASSERT_NE(at, std::string::npos) << run.out;
    const std::string picture =
        run.out.substr(at + saved.size(), run.out.find('\n', at) - at - saved.size());
    ASSERT_TRUE(fs::exists(picture)) << picture;
    EXPECT_EQ(picture, home_ + "IMG_0001_1.JPG");
    EXPECT_EQ(Slurp(home_ + "IMG_0001.JPG"), "mine");
    run = Talbex({"--headless", "--seconds", "0.5"}, "none");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::exists(picture)) << picture;
}

// A script is clicking while the window it aims at ends (the run's time is up during
// the mode message): the click goes nowhere and nothing of the ended window is touched.
TEST_F(HeadlessRun, AClickAimedAtAWindowThatEndsIsHarmless) {
    const std::string settings = Write("cam.ini", "[camera]\nserial = 12AB5\nmode_dial = 1\n");
    const std::string script = Write("late.txt", "wait 1\nclick 1015\n");
    const Outcome run =
        Talbex({"--headless", "--seconds", "2", "--script", script}, "sim:" + settings);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "time is up after 2 s")) << run.out;
    EXPECT_TRUE(Has(run.out, "[Talbex V4.5] closed: 2")) << run.out;
}

// A camera's texts reach the transcript without their control characters.
TEST_F(HeadlessRun, CameraTextsArePrintedWithoutControlCharacters) {
    const std::string settings =
        Write("cam.ini", "[camera]\nmodel = \"Evil\x1b[2JCam\"\nfirmware = \"1.0\x07\"\n");
    const Outcome run =
        Talbex({"--headless", "--language", "en", "--seconds", "3"}, "sim:" + settings);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "control 1015 text: Evil?[2JCam already link!")) << run.out;
    EXPECT_TRUE(Has(run.out, "identity: model=Evil?[2JCam;")) << run.out;
    EXPECT_TRUE(Has(run.out, "firmware=1.0?;")) << run.out;
    EXPECT_FALSE(Has(run.out, "\x1b")) << run.out;
    EXPECT_FALSE(Has(run.out, "\x07")) << run.out;
}

// Problems no window shows are told on the standard error.
TEST_F(HeadlessRun, AnUnusableVendorHostIsToldOnTheStandardError) {
    const Outcome run = Talbex({"--headless", "--seconds", "0.5"}, "none", "http://host");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.err, "TALBEX_VENDOR_HOST 'http://host'")) << run.err;
}

TEST_F(HeadlessRun, AModeDialOffMIsAskedForAgainAndAgain) {
    const std::string settings = Write("cam.ini",
                                       "[camera]\n"
                                       "model = SimCam T2\n"
                                       "serial = 12AB5\n"
                                       "mode_dial = 1\n");
    const std::string script = Write("turn.txt", "wait 4\nquit\n");
    const Outcome run =
        Talbex({"--language", "zh", "--seconds", "8", "--script", script}, "sim:" + settings);
    EXPECT_EQ(run.status, 0) << run.err;
    // Nobody turns the dial: the message comes again and again until the run ends.
    const std::string message = "message box: 检测到相机场景没有设置为M档";
    const size_t first = run.out.find(message);
    ASSERT_NE(first, std::string::npos) << run.out;
    EXPECT_NE(run.out.find(message, first + 1), std::string::npos) << run.out;
    EXPECT_FALSE(Has(run.out, "identity:")) << run.out;
    EXPECT_FALSE(Has(run.out, "time is up")) << run.out;  // the script's quit ended it
}

TEST_F(HeadlessRun, TheScriptClicksTheLanguageSwitch) {
    // The first click comes before the window is up: it waits for it.
    const std::string script = Write("switch.txt",
                                     "# switch the language\n"
                                     "click 1000\n"
                                     "click 1013\n"
                                     "quit\n");
    const Outcome run =
        Talbex({"--headless", "--language", "zh", "--seconds", "20", "--script", script}, "none");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "control 1014 text: 遥控相机")) << run.out;
    EXPECT_TRUE(Has(run.out, "control 1000 text: 切换中文")) << run.out;
    EXPECT_TRUE(Has(run.out, "control 1015 text: Please connect your camera")) << run.out;
    EXPECT_TRUE(Has(run.out, "script line 3: click 1013 had no effect")) << run.out;  // disabled
    EXPECT_FALSE(Has(run.out, "time is up")) << run.out;
}

// The remote-control window as a user drives it: what it fills, two settings, two
// pictures in the chosen folder, the close box.
TEST_F(HeadlessRun, ARemoteControlSessionShowsWhatTheUserSees) {
    const std::string photos = dir_ / "photos";
    fs::create_directories(photos);
    const std::string script = Write("remote.txt",
                                     "wait 3.5\n"
                                     "click 1014\n"
                                     "wait 1.5\n"
                                     "pick 1058 \"-1/3\"\n"
                                     "pick 1061 \"400\"\n"
                                     "folder " +
                                         photos +
                                         "\n"
                                         "click 1068\n"
                                         "click 1000\n"
                                         "wait 1\n"
                                         "click 1000\n"
                                         "wait 1\n"
                                         "close\n"
                                         "quit\n");
    const Outcome run = Talbex({"--language", "en", "--script", script});
    EXPECT_EQ(run.status, 0) << run.err;
    for (const std::string& line : std::vector<std::string>{
             "[Remote Control] control 1058 rows (41): 0 | +1/3 | +1/2",
             "[Remote Control] control 1035 text: Single Shooting",
             "[Remote Control] control 1064 text: Large Fine Jpeg",
             "message box: ExposureComp Set successfully! (OK) -> OK",
             "message box: ISOSpeed Set successfully! (OK) -> OK",
             "[Remote Control] control 1069 text: " + photos,
             "[Remote Control] control 1006 progress: 100\n[Remote Control] control 1006 progress: "
             "0",
             "[Remote Control] control 1000 enabled: 0",
             "[Remote Control] closed: 2",
         })
        EXPECT_TRUE(Has(run.out, line)) << line << "\n" << run.out;
    EXPECT_FALSE(Has(run.out, "progress: 50")) << run.out;
    EXPECT_EQ(std::distance(fs::directory_iterator(photos), {}), 2) << run.out;
    EXPECT_EQ(Slurp(home_ + "saveto.txt"), photos);
}

TEST_F(HeadlessRun, ABadScriptLineOrOptionStopsTheRun) {
    const std::string script = Write("bad.txt", "wait 1\nklick 1000\n");
    Outcome run = Talbex({"--headless", "--script", script});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(Has(run.err, "line 2: cannot understand: klick 1000")) << run.err;
    EXPECT_FALSE(Has(run.out, "opened")) << run.out;

    // Only a regular file of a script's size is read: a FIFO or device would block or
    // flood the run, a folder is no script.
    const std::string fifo = dir_ / "fifo.txt";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string large = Write("large.txt", std::string((4u << 20) + 1, '#'));
    for (const std::string& path :
         {dir_ / "missing.txt", fifo, std::string("/dev/zero"), dir_.path(), large}) {
        run = Talbex({"--headless", "--script", path});
        EXPECT_EQ(run.status, 2) << path;
        EXPECT_TRUE(Has(run.err, "talbex: cannot read the script " + path + ": ")) << run.err;
        EXPECT_FALSE(Has(run.out, "opened")) << run.out;
    }

    for (const std::vector<std::string>& args : {std::vector<std::string>{"--language", "fr"},
                                                 {"--seconds", "soon"},
                                                 {"--answer", "Detection=Maybe"},
                                                 {"--seconds"},
                                                 {"--colour"}}) {
        run = Talbex(args);
        EXPECT_EQ(run.status, 2) << args[0];
        EXPECT_TRUE(Has(run.err, "see talbex --help")) << run.err;
    }
}

TEST_F(HeadlessRun, ASecondInstanceIsRefused) {
    fs::create_directories(home_);
    os::SingleInstanceLock first(home_, "talbex");
    ASSERT_TRUE(first.acquired());
    const Outcome run = Talbex({"--headless", "--seconds", "5"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Has(run.out, "message box: Only instance can run! (OK) -> OK")) << run.out;
    EXPECT_FALSE(Has(run.out, "opened")) << run.out;
}

TEST_F(HeadlessRun, AProgramFolderThatCannotBeMadeIsNamed) {
    std::ofstream(dir_ / "file") << "x";
    home_ = dir_ / "file/talbex/";
    const Outcome run = Talbex({"--headless", "--seconds", "5"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Has(run.out, dir_ / "file/talbex")) << run.out;
}

TEST_F(HeadlessRun, AWrongCameraSettingIsReported) {
    const Outcome run = Talbex({"--headless", "--seconds", "5"}, "sim:" + dir_ / "nothing.ini");
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(Has(run.err, "nothing.ini")) << run.err;
}

}  // namespace
}  // namespace talbex
