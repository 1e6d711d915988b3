// A second start on the program folder while the first run brings a picture in, from an
// environment without the user's runtime folder (an ssh login, a cron job): it is refused
// as a second instance and touches nothing, and the picture arrives.
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "faults/fault_run.h"

namespace talbex::faults {
namespace {

class SecondStartRun : public FaultRun {};

TEST_F(SecondStartRun, ASecondStartDuringATransferIsRefusedAndThePictureArrives) {
    const std::string runtime = dir_ / "run";
    fs::create_directories(runtime);
    ::chmod(runtime.c_str(), 0700);
    Camera("[camera]\npicture_bytes = 3000000\ntransfer_ms = 8000\n");
    // The 8 s transfer has room to finish on a machine slowed by the sanitizers.
    Start("wait 2.5\nclick 1014\nwait 1\n" + ChoosePhotos() + "click 1000\nwait 24\nclose\nquit\n",
          {}, "XDG_RUNTIME_DIR='" + runtime + "'");
    ASSERT_TRUE(TransferUnderWay(incoming_));
    std::this_thread::sleep_for(3s);
    const std::vector<std::string> during = Names(incoming_);
    ASSERT_EQ(during.size(), 1u);
    ASSERT_EQ(during[0].rfind(".transfer-", 0), 0u) << during[0];

    const std::string second =
        "env -u XDG_RUNTIME_DIR -u TALBEX_VENDOR_HOST LC_ALL=C TALBEX_HOME='" + home_ +
        "' TALBEX_CAMERA='sim:" + dir_ / "cam.ini" + "' timeout 30 '" + program_.string() +
        "' --headless --language en --seconds 3 >'" + dir_ / "out2" + "' 2>'" + dir_ / "err2" + "'";
    const int raw = std::system(second.c_str());
    const std::string out2 = Slurp(dir_ / "out2"), err2 = Slurp(dir_ / "err2");
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 1) << raw << "\n" << out2 << err2;
    EXPECT_TRUE(Has(out2, "message box: Only instance can run! (OK) -> OK")) << out2;
    EXPECT_FALSE(Has(err2, "removed")) << err2;
    EXPECT_EQ(Names(incoming_), during);

    const Outcome run = Finish(60s);
    ExpectClean(run);
    EXPECT_FALSE(Has(run.out, "message box:")) << run.out;
    const std::vector<std::string> saved = Names(photos_);
    ASSERT_EQ(saved.size(), 1u) << run.out;
    EXPECT_TRUE(IsWholePicture(photos_ + saved[0]));
    EXPECT_TRUE(Names(incoming_).empty());
}

}  // namespace
}  // namespace talbex::faults
