// The built program against network cameras that are slow in the ways real ones are: one
// that takes more than a second to open is waited for and identified once, the window
// staying up; one that answers its handshake a byte at a time never holds the program,
// which ends within seconds of being asked to, whichever way it is asked.
#include <signal.h>

#include <string>
#include <thread>

#include "faults/fault_run.h"
#include "support/served_camera_process.h"
#include "support/slow_links.h"

namespace talbex::faults {
namespace {

using talbex::testing::DelayingProxy;
using talbex::testing::DrippingServer;

class SlowCameraRun : public FaultRun {};

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// Every connection's first answer 0.6 s late: opening the camera takes well over the
// window's first second of waiting.
TEST_F(SlowCameraRun, ACameraSlowToOpenIsIdentifiedOnceAndTheWindowStaysUp) {
    talbex::testing::ServedCameraProcess camera;
    std::string error;
    ASSERT_TRUE(camera.Start("", &error)) << error;
    DelayingProxy slow(camera.port(), 600ms);
    ASSERT_TRUE(slow.listening());
    const Outcome run =
        Run("wait 12\nquit\n", 40s, {}, "TALBEX_CAMERA=gphoto2:" + slow.GphotoPort());
    ExpectClean(run);
    EXPECT_EQ(Count(run.out, "identity: model=SimCam S1; lens=; serial=2718281828;"), 1u)
        << run.out;
    EXPECT_TRUE(Has(run.out, "control 1015 text: SimCam S1 already link!")) << run.out;
    EXPECT_FALSE(Has(run.out, "closed: 1")) << run.out;  // never ended to be rebuilt
    EXPECT_FALSE(Has(run.out, "message box:")) << run.out;
    EXPECT_EQ(Count(camera.Output(), "session opened"), 1u) << camera.Output();
}

// One byte every 2 s, each within libgphoto2's read time-out: the library waits on the
// camera as long as it drips. Asked to quit by a signal, by --seconds or by closing the
// window, the program ends within seconds; the window stays up (and works: the language
// switch answers) meanwhile.
TEST_F(SlowCameraRun, ADrippingCameraNeverHoldsTheProgram) {
    DrippingServer dripping(2000ms);
    ASSERT_TRUE(dripping.listening());
    const struct {
        const char* how;
        std::string script;
        std::vector<std::string> args;
        bool signal;
        std::chrono::seconds askedAt;
    } cases[] = {
        {"signal", "wait 60\nquit\n", {}, true, 6s},
        {"--seconds", "wait 60\nquit\n", {"--seconds", "8"}, false, 8s},
        {"closing the window",
         "wait 4\nclick 1000\nwait 2\nclose\n",
         {"--language", "zh"},
         false,
         6s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        const int before = dripping.connections();
        Start(c.script, c.args, "TALBEX_CAMERA=gphoto2:" + dripping.GphotoPort());
        if (c.signal) {
            std::this_thread::sleep_for(c.askedAt);
            ::kill(pid_, SIGTERM);
        }
        const Outcome run = Finish(60s);
        ExpectClean(run);
        EXPECT_GT(dripping.connections(), before);  // the camera was being opened
        EXPECT_LT(run.took, c.askedAt + 6s) << run.out;
        EXPECT_FALSE(Has(run.out, "closed: 1")) << run.out;
        EXPECT_FALSE(Has(run.out, "identity:")) << run.out;
        if (c.args.size() == 2 && c.args[1] == "zh") {
            EXPECT_TRUE(Has(run.out, "control 1000 text: 切换中文")) << run.out;
        }
    }
}

}  // namespace
}  // namespace talbex::faults
