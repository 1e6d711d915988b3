// The main of every test program. Each run gets a HOME of its own, a fresh temporary
// folder removed at the end: what the tests run (the program on a libgphoto2 camera, the
// gphoto2 command, clients of sim-serve) reads and writes libgphoto2's lasting settings
// (~/.gphoto/settings) and other per-user files there, never in the tester's own home.
// The tester's HOME stays in TALBEX_TESTER_HOME.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

int main(int argc, char** argv) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp == '/' ? tmp : "/tmp") + "/talbex-test-home-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("talbex tests: no HOME of their own");
        return 1;
    }
    if (const char* home = std::getenv("HOME"))
        ::setenv("TALBEX_TESTER_HOME", home, 1);
    ::setenv("HOME", pattern.c_str(), 1);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(pattern, ignored);
    return result;
}
