// The whole program on a camera reached through libgphoto2's own widgets: the test camera
// driver (tests/camlib) that libgphoto2 loads from the folder CAMLIBS names, on a
// network port where a loopback port stands for the camera being there. Also which
// camera a run uses when none is named.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/talbex_process.h"
#include "support/open_port.h"

namespace talbex {
namespace {

using apptest::Outcome;
namespace fs = std::filesystem;

class TestCameraRun : public apptest::TalbexProcessTest {
  protected:
    Outcome Talbex(const std::vector<std::string>& args, const std::string& more = "") {
        return RunTalbex(args,
                         "env -u TALBEX_CAMERA -u DISPLAY -u WAYLAND_DISPLAY LC_ALL=C "
                         "TALBEX_VENDOR_HOST= TALBEX_HOME='" +
                             dir_ / "home/" +
                             "' CAMLIBS='" TALBEX_TEST_CAMLIBS "' TALBEX_TEST_CAMERA_LOG='" + log_ +
                             "' " + more);
    }
    std::string Script(const std::string& lines) {
        const std::string path = dir_ / "script.txt";
        std::ofstream(path) << lines;
        return path;
    }
    static bool Has(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }
    /// True when `lines` appear in the camera's log in this order (others between).
    ::testing::AssertionResult LoggedInOrder(const std::vector<std::string>& lines) {
        const std::string log = Slurp(log_);
        size_t at = 0;
        for (const std::string& line : lines) {
            at = log.find(line + "\n", at);
            if (at == std::string::npos)
                return ::testing::AssertionFailure() << "no '" << line << "' in order in\n" << log;
            at += line.size();
        }
        return ::testing::AssertionSuccess();
    }

    testing::OpenPort camera_;
    const std::string log_ = dir_ / "camera.log";
};

TEST_F(TestCameraRun, ARemoteSessionWithLiveViewZoomFocusAndBothPressesBringsThePicture) {
    const std::string photos = dir_ / "photos";
    fs::create_directories(photos);
    const Outcome run =
        Talbex({"--camera", testing::TestCameraChoice(camera_), "--headless", "--language", "en",
                "--script",
                Script("wait 3\nfolder " + photos +
                       "\nclick 1014\nwait 2\nclick 1068\nclick 1013\nwait 1\n"
                       "click 1028\nwait 0.5\nclick 1017\nwait 0.5\nclick 1025\nwait 0.5\n"
                       "click 1001\nclick 1030\nwait 1\nclick 1031\nwait 3\n"
                       "click 1014\nwait 0.5\nclose\nwait 0.5\nquit\n")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out,
                    "identity: model=Talbex Test Camera; lens=TEST 50mm; "
                    "serial=3141592653; shutter count=4321; firmware=9.9;"))
        << run.out;
    EXPECT_TRUE(Has(run.out, "[Remote Control] control 1022 picture: ")) << run.out;
    // The frames follow the zoom and the focus; the zoom's area starts in the middle of the
    // frame and moves a step right. The full press takes the picture, which stays on the
    // camera's card (its capture target already says the camera's memory, so it is left
    // as it is).
    EXPECT_TRUE(LoggedInOrder({"set viewfinder=1", "preview zoom=1 focus=500", "set eoszoom=5",
                               "preview zoom=5 focus=500", "set manualfocusdrive=Near 1",
                               "preview zoom=5 focus=490", "set eoszoomposition=256,96"}));
    EXPECT_TRUE(LoggedInOrder({"set eosremoterelease=Press Half", "set eosremoterelease=Press Full",
                               "capture IMG_0001.JPG"}));
    EXPECT_FALSE(Has(Slurp(log_), "delete ")) << Slurp(log_);
    EXPECT_FALSE(Has(Slurp(log_), "set capturetarget")) << Slurp(log_);
    EXPECT_TRUE(LoggedInOrder({"set eosremoterelease=Release Full",
                               "set eosremoterelease=Release Half", "set viewfinder=0"}));
    std::vector<std::string> saved;
    for (const auto& entry : fs::directory_iterator(photos))
        saved.push_back(entry.path().filename());
    ASSERT_EQ(saved.size(), 1u) << run.out;
    EXPECT_EQ(saved[0].rfind("IMG20", 0), 0u);
    // What the camera lacks stays disabled; what it has does not.
    EXPECT_TRUE(Has(run.out, "[Remote Control] control 1039 enabled: 0")) << run.out;
    EXPECT_FALSE(Has(run.out, "[Remote Control] control 1059 enabled: 0")) << run.out;
    EXPECT_FALSE(Has(run.out, "message box:")) << run.out;
}

TEST_F(TestCameraRun, ACameraAnotherProgramHoldsIsToldHowToFreeAndFoundOnceFree) {
    const struct {
        const char* language;
        const char* told;
        const char* linked;
    } cases[] = {{"en", "message box: The camera is in use by another program",
                  "Talbex Test Camera already link!"},
                 {"zh", "message box: 相机正被其他程序占用", "Talbex Test Camera 已经连接!"}};
    const std::string held = dir_ / "held";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        std::ofstream(held) << "a file manager";
        std::thread free([&] {
            std::this_thread::sleep_for(std::chrono::seconds(5));
            fs::remove(held);
        });
        const Outcome run = Talbex({"--camera", testing::TestCameraChoice(camera_), "--headless",
                                    "--seconds", "9", "--language", c.language},
                                   "TALBEX_TEST_CAMERA_HELD='" + held + "'");
        free.join();
        EXPECT_EQ(run.status, 0) << run.err;
        const size_t told = run.out.find(c.told);
        ASSERT_NE(told, std::string::npos) << run.out;
        EXPECT_EQ(run.out.find(c.told, told + 1), std::string::npos) << "told once\n" << run.out;
        EXPECT_NE(run.out.find(c.linked, told), std::string::npos) << run.out;
        EXPECT_FALSE(Has(run.out, "Cannot detect camera")) << run.out;
    }
}

// Without a camera setting the run uses the cameras libgphoto2 detects (none here, with
// only the test driver loaded); --camera wins over TALBEX_CAMERA.
TEST_F(TestCameraRun, RealCamerasUnlessACameraIsNamed) {
    const std::string connect = Script("wait 2.5\nclick 1015\nwait 0.5\nquit\n");
    Outcome run = Talbex({"--headless", "--language", "en", "--script", connect});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "message box: Cannot detect camera.")) << run.out;
    EXPECT_FALSE(Has(run.out, "already link!")) << run.out;

    run = Talbex({"--camera", "sim", "--headless", "--language", "en", "--script", connect},
                 "TALBEX_CAMERA=none");
    EXPECT_TRUE(Has(run.out, "SimCam S1 already link!")) << run.out;
}

}  // namespace
}  // namespace talbex
