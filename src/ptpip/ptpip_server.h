// Serves a camera over the protocol's TCP/IP transport: one listening port takes both
// connections of each initiator (command and event), as the standard's single port does.
//
//   talbex::ptpip::PtpIpServer server(*camera);
//   if (!server.Listen("127.0.0.1", 0, &error)) ...
//   server.Run(stopFlag, deadline);   // until the flag is set or the deadline passes
//
// Several initiators may be connected at once. When the camera vanishes every
// connection is dropped and new ones are refused, as from a camera that left the network.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "ptpip/served_camera.h"

namespace talbex::ptpip {

class PtpIpServer {
  public:
    explicit PtpIpServer(ServedCamera& camera);
    ~PtpIpServer();

    /// Binds `host:port` (port 0: any free port). Answers false with a message.
    bool Listen(const std::string& host, uint16_t port, std::string* error);
    uint16_t Port() const { return port_; }

    /// Serves until `stop` is set or `deadline` passes; then drops every connection.
    void Run(const std::atomic<bool>& stop,
             std::optional<std::chrono::steady_clock::time_point> deadline);

    /// One line per connection opened or closed (for the command's output).
    void SetLog(std::function<void(const std::string&)> log) { log_ = std::move(log); }

  private:
    struct Client;

    void Accept();
    void Handshake(int fd);
    void Serve(const std::shared_ptr<Client>& client);
    void Broadcast(uint16_t code, uint32_t transaction, const std::vector<uint32_t>& params);
    void DropAll();
    void Reap(bool all);
    void Log(const std::string& line);

    ServedCamera& camera_;
    int listenFd_ = -1;
    uint16_t port_ = 0;
    std::function<void(const std::string&)> log_;
    std::mutex logMutex_;

    std::mutex mutex_;
    std::list<std::shared_ptr<Client>> clients_;
    uint32_t nextConnection_ = 1;
    std::atomic<bool> stopping_{false};
};

}  // namespace talbex::ptpip
