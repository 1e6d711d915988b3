// Serves a camera over the protocol's TCP/IP transport: one listening port takes both
// connections of each initiator (command and event), as the standard's single port does.
//
//   talbex::ptpip::PtpIpServer server(*camera);
//   if (!server.Listen("127.0.0.1", 0, &error)) ...
//   server.Run(stopFlag, deadline);   // until the flag is set or the deadline passes
//
// Several initiators may be connected at once. When the camera vanishes every
// connection is dropped and new ones are refused, as from a camera that left the network.
// No client can hold the server: every wait on a client has a bound (ServerLimits), and
// Run returns within a fraction of a second of its stop, whatever clients do.
//
// Threads. Run's thread accepts and reaps; each new connection's handshake runs on a
// thread of its own, which hands a command connection to the client's serving thread
// and an event connection to its client. `mutex_` guards the lists of handshakes and
// clients; a client's `eventMutex` guards its two socket numbers (closing them included),
// so the camera's event thread (Broadcast) and Run's thread (DropAll, Reap) never use a
// number the system has given to another socket. Only the serving thread reads and
// writes the command socket; events are written only under `eventMutex`, never waiting.
// SetLog is called before Run; the log is called from any of these threads, one line at
// a time.
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

/// The bounds on what a client may make the server wait for. Tests shorten them.
struct ServerLimits {
    /// A new connection's whole handshake, from its accepting to its acknowledgement.
    std::chrono::milliseconds handshake{5000};
    /// A connection that sends no whole packet for this long is closed.
    std::chrono::milliseconds idle{60000};
    /// How long an answer may wait for a client to take it: this floor, and its data at
    /// `leastRate` bytes a second (a 20 MB picture: 10 s + 20 s).
    std::chrono::milliseconds sendFloor{10000};
    uint64_t leastRate = 1 << 20;
    /// Initiators served at once, and connections in their handshake at once; each has a
    /// thread of its own. Those beyond are refused as busy.
    size_t maxClients = 8;
    size_t maxHandshakes = 16;
};

class PtpIpServer {
  public:
    explicit PtpIpServer(ServedCamera& camera, ServerLimits limits = {});
    ~PtpIpServer();

    /// Binds `host:port` (port 0: any free port). Answers false with a message.
    bool Listen(const std::string& host, uint16_t port, std::string* error);
    uint16_t Port() const { return port_; }

    /// Serves until `stop` is set or `deadline` passes; then drops every connection.
    void Run(const std::atomic<bool>& stop,
             std::optional<std::chrono::steady_clock::time_point> deadline);

    /// One line per connection opened or closed (for the command's output). A line holds
    /// the client's own name as it sent it: whoever prints it makes it printable.
    void SetLog(std::function<void(const std::string&)> log) { log_ = std::move(log); }

  private:
    struct Client;
    struct Pending;

    void Accept();
    void Handshake(int fd);
    void AdmitCommand(int fd, const InitCommandRequest* request,
                      std::chrono::steady_clock::time_point deadline);
    void AttachEvents(int fd, std::optional<uint32_t> connection);
    void Serve(const std::shared_ptr<Client>& client, const std::string& name,
               std::chrono::steady_clock::time_point ackBy);
    void Broadcast(uint16_t code, uint32_t transaction, const std::vector<uint32_t>& params);
    void DropAll();
    void Reap(bool all);
    void Log(const std::string& line);

    ServedCamera& camera_;
    const ServerLimits limits_;
    int listenFd_ = -1;
    uint16_t port_ = 0;
    std::function<void(const std::string&)> log_;
    std::mutex logMutex_;

    std::mutex mutex_;
    std::list<std::shared_ptr<Pending>> handshakes_;
    std::list<std::shared_ptr<Client>> clients_;
    uint32_t nextConnection_ = 1;
    std::atomic<bool> stopping_{false};
    std::atomic<uint32_t> sessionsOpened_{0};
};

}  // namespace talbex::ptpip
