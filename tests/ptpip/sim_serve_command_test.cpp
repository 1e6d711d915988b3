// `talbex sim-serve` as a user runs it: its command line and what it prints.
#include <gtest/gtest.h>

#include <thread>

#include "served_simulator.h"
#include "support/served_camera_process.h"

namespace talbex::ptpip::testing {
namespace {

using talbex::testing::ServedCameraProcess;

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

}  // namespace
}  // namespace talbex::ptpip::testing
