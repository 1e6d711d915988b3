// Runs the built program's main window headless: talbex --headless ...
#include <gtest/gtest.h>
#include <stdlib.h>
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

    Outcome Talbex(const std::vector<std::string>& args, const std::string& camera = "") {
        std::string environment =
            "env -u TALBEX_CAMERA -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM TALBEX_HOME='" +
            home_ + "' TALBEX_VENDOR_HOST= LC_ALL=C";
        if (!camera.empty())
            environment += " TALBEX_CAMERA='" + camera + "'";
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
    for (const auto& entry : fs::directory_iterator(home_))
        EXPECT_EQ(entry.path().filename().string().find("IMG"), std::string::npos) << entry.path();
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
    const std::string script = Write("switch.txt",
                                     "# switch once the window is up\n"
                                     "wait 0.3\n"
                                     "click 1000\n"
                                     "click 1013\n"
                                     "quit\n");
    const Outcome run =
        Talbex({"--headless", "--language", "zh", "--seconds", "20", "--script", script}, "none");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "control 1014 text: 遥控相机")) << run.out;
    EXPECT_TRUE(Has(run.out, "control 1000 text: 切换中文")) << run.out;
    EXPECT_TRUE(Has(run.out, "control 1015 text: Please connect your camera")) << run.out;
    EXPECT_TRUE(Has(run.out, "script line 4: click 1013 had no effect")) << run.out;  // disabled
    EXPECT_FALSE(Has(run.out, "time is up")) << run.out;
}

TEST_F(HeadlessRun, ABadScriptLineOrOptionStopsTheRun) {
    const std::string script = Write("bad.txt", "wait 1\nklick 1000\n");
    Outcome run = Talbex({"--headless", "--script", script});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(Has(run.err, "line 2: cannot understand: klick 1000")) << run.err;
    EXPECT_FALSE(Has(run.out, "opened")) << run.out;

    run = Talbex({"--headless", "--script", dir_ / "missing.txt"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(Has(run.err, "cannot read the script")) << run.err;

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
