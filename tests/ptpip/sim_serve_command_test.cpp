// `talbex sim-serve` as a user runs it: its command line and what it prints.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <fstream>
#include <thread>

#include "served_simulator.h"
#include "support/served_camera_process.h"
#include "support/temp_folder.h"

namespace talbex::ptpip::testing {
namespace {

using talbex::testing::ServedCameraProcess;
using talbex::testing::TempFolder;

TEST(SimServeCommandTest, AClientsNameCannotForgeALogLine) {
    ServedCameraProcess server;
    std::string error;
    ASSERT_TRUE(server.Start("", &error)) << error;
    Initiator client(server.port());
    ASSERT_TRUE(client.Hello("evil\nconnection 99 from \"forged\"\x1b[31m"));
    std::string out;
    for (int i = 0;
         i < 300 && (out = server.Output()).find("connection 1 from") == std::string::npos; ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_NE(out.find("connection 1 from \"evil?connection 99 from \"forged\"?[31m\"\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(out.find("\nconnection 99"), std::string::npos) << out;
    EXPECT_EQ(out.find('\x1b'), std::string::npos) << out;
}

TEST(SimServeCommandTest, SecondsOutOfRangeAreRefusedWithTheUsage) {
    struct Case {
        const char* seconds;
        int status;
        const char* says;
    };
    const Case cases[] = {
        {"1e300", 2, "usage: talbex sim-serve"}, {"inf", 2, "usage: talbex sim-serve"},
        {"nan", 2, "usage: talbex sim-serve"},   {"1e7", 2, "usage: talbex sim-serve"},
        {"0", 2, "usage: talbex sim-serve"},     {"0.2", 0, "stopped"},
    };
    TempFolder home("talbex-sim-serve");
    for (const Case& c : cases) {
        const std::string out = home / "out.txt";
        const std::string command = "env -u TALBEX_CAMERA TALBEX_HOME='" + home.path() +
                                    "' timeout 10 '" + ServedCameraProcess::ProgramPath() +
                                    "' sim-serve --listen 127.0.0.1:0 --seconds " + c.seconds +
                                    " >'" + out + "' 2>&1";
        const int status = std::system(command.c_str());
        std::ifstream in(out);
        const std::string said(std::istreambuf_iterator<char>(in), {});
        ASSERT_TRUE(WIFEXITED(status)) << c.seconds;
        EXPECT_EQ(WEXITSTATUS(status), c.status) << c.seconds << ": " << said;
        EXPECT_NE(said.find(c.says), std::string::npos) << c.seconds << ": " << said;
    }
}

}  // namespace
}  // namespace talbex::ptpip::testing
