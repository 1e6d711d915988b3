// libgphoto2's lasting capture target (~/.gphoto/settings), which every later libgphoto2
// program shoots by, across the program's sessions on a body whose capture target is that
// setting: the simulated camera served as a Nikon body, so libgphoto2's own Nikon code
// reads and writes it. Identification without a test shot leaves it untouched; a test
// shot points it at the camera's memory and puts the user's back; a run killed meanwhile
// leaves it for the next start, which puts it back even with no camera there.
#include <signal.h>

#include <memory>
#include <string>

#include "faults/fault_run.h"
#include "support/served_camera_process.h"

namespace talbex::faults {
namespace {

class LastingCaptureTargetRun : public FaultRun {
  protected:
    void Serve(const std::string& serial, const std::string& more = "") {
        // A body of its own each time: a served camera starts once.
        camera_ = std::make_unique<talbex::testing::ServedCameraProcess>();
        std::string error;
        ASSERT_TRUE(camera_->Start(
            "[camera]\nvendor = nikon\nserial = " + serial + "\nexif_serial = 4012345678\n" + more,
            &error))
            << error;
    }
    /// A HOME of the run's own where the user shoots to the card.
    std::string Environment(const std::string& camera) {
        fs::create_directories(dir_ / "user/.gphoto");
        std::ofstream(dir_ / "user/.gphoto/settings") << kUsers;
        return "HOME='" + dir_ / "user" + "' TALBEX_CAMERA=" + camera;
    }
    std::string Lasting() const { return Slurp(dir_ / "user/.gphoto/settings"); }
    std::string Note() const { return home_ + ".capture-target-to-restore"; }

    static constexpr char kUsers[] = "ptp2=capturetarget=card\n";
    std::unique_ptr<talbex::testing::ServedCameraProcess> camera_;
};

TEST_F(LastingCaptureTargetRun, IsTheUsersAfterIdentificationWithAndWithoutATestShot) {
    const struct {
        const char* serial;
        const char* identity;
    } cases[] = {{"30123456789", "serial=30123456789;"}, {"3012345", "serial=4012345678;"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.serial);
        Serve(c.serial);
        const std::string environment = Environment("gphoto2:" + camera_->GphotoPort());
        const Outcome run = Run("wait 12\nquit\n", 60s, {}, environment);
        ExpectClean(run);
        EXPECT_TRUE(Has(run.out, c.identity)) << run.out << run.err;
        EXPECT_EQ(Lasting().find("ptp2=capturetarget=sdram"), std::string::npos) << Lasting();
        EXPECT_NE(Lasting().find(kUsers), std::string::npos) << Lasting();
        EXPECT_FALSE(fs::exists(Note()));
        camera_->Kill();
    }
}

TEST_F(LastingCaptureTargetRun, AKilledRunLeavesItToTheNextStartWhichPutsItBack) {
    // A slow picture: the run is killed while it comes, the capture target on memory.
    Serve("3012345", "picture_bytes = 3000000\ntransfer_ms = 6000\n");
    const std::string environment = Environment("gphoto2:" + camera_->GphotoPort());
    Start("wait 30\nquit\n", {}, environment);
    ASSERT_TRUE(WaitUntil([&] { return Has(Lasting(), "ptp2=capturetarget=sdram"); }, 20s))
        << Lasting();
    ::kill(pid_, SIGKILL);
    Finish(10s);
    ASSERT_TRUE(fs::exists(Note()));
    camera_->Kill();

    // The next start, with the camera gone: other programs read the setting all the same.
    const Outcome run = Run("wait 3\nquit\n", 30s, {}, environment);
    ExpectClean(run);
    EXPECT_TRUE(Has(run.err, "putting back libgphoto2's capture target")) << run.err;
    EXPECT_NE(Lasting().find(kUsers), std::string::npos) << Lasting();
    EXPECT_EQ(Lasting().find("sdram"), std::string::npos) << Lasting();
    EXPECT_FALSE(fs::exists(Note()));
}

}  // namespace
}  // namespace talbex::faults
