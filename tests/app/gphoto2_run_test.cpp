// The whole program through libgphoto2: talbex --headless with TALBEX_CAMERA=gphoto2:PORT
// against the simulated camera served over PTP/IP by a process of its own.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

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

    static bool Has(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }

    testing::ServedCameraProcess server_;
};

TEST_F(Gphoto2Run, IdentifiesTheServedCamera) {
    Serve("[camera]\nowner = Jane\n");
    const Outcome run = Talbex({"--headless", "--seconds", "4", "--language", "en"});
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
    const Outcome run = Talbex({"--headless", "--seconds", "6", "--language", "en"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "identity: model=SimCam S1; lens=; serial=0420001234;")) << run.out;
    EXPECT_TRUE(Has(run.out, "control 1014 enabled: 1")) << run.out;
}

TEST_F(Gphoto2Run, ACameraThatLeavesTheNetworkIsLost) {
    Serve();
    std::thread leave([&] {
        std::this_thread::sleep_for(std::chrono::seconds(3));
        server_.Kill();
    });
    const Outcome run = Talbex({"--headless", "--seconds", "7", "--language", "en"});
    leave.join();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "control 1015 text: SimCam S1 already link!")) << run.out;
    EXPECT_TRUE(Has(run.out, "Cannot detect camera.")) << run.out;
}

}  // namespace
}  // namespace talbex
