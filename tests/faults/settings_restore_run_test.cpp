// The camera's own settings after the test shot, read back as another program sees them
// (the gphoto2 command, from the simulated camera served over PTP/IP): a camera busy for
// 9 s after its shot gets them back once it takes them, and a program killed while the
// test shot comes leaves them for the next run, which puts them back.
#include <signal.h>
#include <sys/wait.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <thread>

#include "faults/fault_run.h"
#include "support/served_camera_process.h"

namespace talbex::faults {
namespace {

class SettingsRestoreRun : public FaultRun {
  protected:
    void SetUp() override {
        FaultRun::SetUp();
        if (std::system("command -v gphoto2 >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "the gphoto2 command is not installed";
    }

    void Serve(const std::string& settings) {
        std::string error;
        ASSERT_TRUE(camera_.Start(settings, &error)) << error;
        environment_ = "TALBEX_CAMERA=gphoto2:" + camera_.GphotoPort();
    }

    /// ISO, shutter speed and focus mode as the gphoto2 command reads them ("Current:"
    /// lines); asked again while the camera cannot answer (busy after a shot).
    std::string Settings() {
        const std::string log = dir_ / "get-config";
        const std::string command = "LANG=C timeout 30 gphoto2 --port " + camera_.GphotoPort() +
                                    " --camera 'PTP/IP Camera' --get-config iso --get-config "
                                    "shutterspeed --get-config focusmode >'" +
                                    log + "' 2>&1";
        std::string current;
        for (int attempt = 0; attempt < 20; ++attempt) {
            current.clear();
            const int raw = std::system(command.c_str());
            std::istringstream lines(Slurp(log));
            int found = 0;
            for (std::string line; std::getline(lines, line);)
                if (line.rfind("Current: ", 0) == 0) {
                    current += line + "\n";
                    ++found;
                }
            if (WIFEXITED(raw) && WEXITSTATUS(raw) == 0 && found == 3)
                return current;
            std::this_thread::sleep_for(1s);
        }
        ADD_FAILURE() << "gphoto2 could not read the settings:\n" << Slurp(log);
        return current;
    }

    std::string Unrestored() const { return home_ + "unrestored.txt"; }

    talbex::testing::ServedCameraProcess camera_;
    std::string environment_;
};

TEST_F(SettingsRestoreRun, ACameraBusyAfterItsShotGetsTheSettingsBack) {
    Serve("[camera]\nserial = 12AB5\nbusy_after_shot_ms = 9000\n");
    const std::string before = Settings();
    const Outcome run = Run("wait 16\nquit\n", 60s, {}, environment_);
    ExpectClean(run);
    EXPECT_TRUE(Has(run.out, "identity: model=SimCam S1; lens=; serial=0420001234;")) << run.out;
    EXPECT_FALSE(Has(run.out, "message box:")) << run.out << run.err;  // all came back
    EXPECT_FALSE(fs::exists(Unrestored()));
    EXPECT_EQ(Settings(), before);
}

TEST_F(SettingsRestoreRun, AfterTheProgramWasKilledTheNextRunPutsThemBack) {
    Serve("[camera]\nserial = 12AB5\npicture_bytes = 3000000\ntransfer_ms = 6000\n");
    const std::string before = Settings();
    Start("wait 30\nquit\n", {}, environment_);
    ASSERT_TRUE(TransferUnderWay(home_ + "test-shots/"));
    ::kill(pid_, SIGKILL);
    Finish(10s);
    ASSERT_TRUE(fs::exists(Unrestored()));
    ASSERT_NE(Settings(), before);  // the test shot's are in force

    const Outcome run = Run("wait 14\nquit\n", 60s, {}, environment_);
    ExpectClean(run);
    EXPECT_TRUE(Has(run.out, "identity: model=SimCam S1; lens=; serial=0420001234;")) << run.out;
    EXPECT_FALSE(fs::exists(Unrestored()));
    EXPECT_EQ(Settings(), before);
}

}  // namespace
}  // namespace talbex::faults
