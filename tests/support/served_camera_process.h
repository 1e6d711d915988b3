// The simulated camera served over PTP/IP by the built program (`talbex sim-serve`) in a
// process of its own, on a free loopback port, for tests that reach it as a network
// camera. The process ends with the fixture; Kill() ends it at once, as a camera that
// drops off the network.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "temp_folder.h"

namespace talbex::testing {

class ServedCameraProcess {
  public:
    ServedCameraProcess() = default;
    ~ServedCameraProcess();
    ServedCameraProcess(const ServedCameraProcess&) = delete;
    ServedCameraProcess& operator=(const ServedCameraProcess&) = delete;

    /// Starts the server; `settings` is a simulator settings file's text (empty: the
    /// default camera). Answers false with what went wrong.
    bool Start(const std::string& settings, std::string* error);
    /// Ends the server at once (SIGKILL): its connections drop without a goodbye.
    void Kill();

    uint16_t port() const { return port_; }
    /// The libgphoto2 port of the served camera: "ptpip:127.0.0.1:PORT:PORT".
    std::string GphotoPort() const;
    /// What the server printed so far.
    std::string Output();

    /// The built program, beside the test programs: <build>/src/talbex.
    static std::string ProgramPath();

  private:
    void Stop(int signal);

    TempFolder home_{"talbex-served"};
    pid_t pid_ = -1;
    int outFd_ = -1;
    uint16_t port_ = 0;
    std::thread reader_;
    std::mutex mutex_;
    std::string output_;
};

}  // namespace talbex::testing
