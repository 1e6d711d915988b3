// A loopback port that takes connections and closes them at once: where a network camera
// counts as there for the program's libgphoto2 backend, which connects to see it without
// saying a word. Close() is the camera leaving the network.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

namespace talbex::testing {

class OpenPort {
  public:
    OpenPort();
    ~OpenPort() { Close(); }
    OpenPort(const OpenPort&) = delete;
    OpenPort& operator=(const OpenPort&) = delete;

    uint16_t port() const { return port_; }
    /// "ptpip:127.0.0.1:PORT", the libgphoto2 port of the camera behind it.
    std::string GphotoPort() const { return "ptpip:127.0.0.1:" + std::to_string(port_); }
    /// The connections taken so far.
    int connections() const { return connections_; }
    void Close();

  private:
    int fd_ = -1;
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    std::thread thread_;
};

/// The libgphoto2 camera driver built with the tests (tests/camlib), as --camera names
/// it on `port`.
inline std::string TestCameraChoice(const OpenPort& port) {
    return "gphoto2:Talbex Test Camera@" + port.GphotoPort();
}

}  // namespace talbex::testing
