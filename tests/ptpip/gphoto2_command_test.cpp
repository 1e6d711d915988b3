// The served camera checked with a client written elsewhere: the gphoto2 command.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "support/gphoto2_command.h"
#include "support/served_camera_process.h"
#include "support/temp_folder.h"

namespace talbex::testing {
namespace {

class Gphoto2CommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!Gphoto2Installed())
            GTEST_SKIP() << "the gphoto2 command is not installed";
        std::string error;
        ASSERT_TRUE(server_.Start("", &error)) << error;
    }

    // Runs gphoto2 against the served camera in `folder`; answers what it printed.
    std::string Gphoto2(const std::string& arguments, const std::string& folder) {
        const Gphoto2Run run = RunGphoto2(server_.GphotoPort(), arguments, folder);
        status_ = run.status;
        return run.output;
    }

    ServedCameraProcess server_;
    TempFolder folder_{"talbex-gphoto2"};
    int status_ = -1;
};

TEST_F(Gphoto2CommandTest, SummaryShowsTheSimulatedCamera) {
    const std::string summary = Gphoto2("--summary", folder_.path());
    EXPECT_EQ(status_, 0) << summary;
    EXPECT_NE(summary.find("Model: SimCam S1"), std::string::npos) << summary;
    EXPECT_NE(summary.find("Serial Number: 2718281828"), std::string::npos) << summary;
    EXPECT_NE(summary.find("Version: 1.2.0"), std::string::npos) << summary;
    EXPECT_NE(summary.find("F-Number(0x5007)"), std::string::npos) << summary;
}

TEST_F(Gphoto2CommandTest, CapturedPictureArrivesAsJpeg) {
    const std::string log = Gphoto2("--capture-image-and-download", folder_.path());
    EXPECT_EQ(status_, 0) << log;
    EXPECT_NE(log.find("/DCIM/100SIMCM/IMG_0001.JPG"), std::string::npos) << log;
    std::ifstream picture(folder_ / "IMG_0001.JPG", std::ios::binary);
    ASSERT_TRUE(picture) << log;
    const std::string bytes(std::istreambuf_iterator<char>(picture), {});
    ASSERT_GT(bytes.size(), 1000u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\xFF\xD9");
}

}  // namespace
}  // namespace talbex::testing
