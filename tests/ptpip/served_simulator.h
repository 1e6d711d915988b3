// The simulated camera served by a PtpIpServer in this process, on a free loopback port,
// and a plain initiator to reach it, for tests that play clients a library never would.
#pragma once

#include <chrono>
#include <cstdint>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "camera/sdk/sim/sim_camera.h"
#include "camera/sdk/sim/sim_settings.h"
#include "ptpip/ptpip_packet.h"
#include "ptpip/ptpip_server.h"
#include "ptpip/served_camera.h"

namespace talbex::ptpip::testing {

using Bytes = std::vector<uint8_t>;
using namespace std::chrono_literals;

class ServedSimulator {
  public:
    /// Serves a camera with `settings`; call Start once the camera is set up.
    explicit ServedSimulator(sim::CameraSettings settings = {}, ServedOptions options = {});
    ~ServedSimulator();

    ServedCamera& camera() { return *camera_; }
    /// The simulated camera behind it, to see what the served operations did to it.
    sim::SimCamera& simulated() { return *simulated_; }
    /// Listens on a free port and serves on a thread of its own.
    void Start(ServerLimits limits = {});
    uint16_t port() const { return port_; }
    /// Asks the server to stop; true when Run returned within `patience`.
    bool StopWithin(std::chrono::milliseconds patience);
    /// Waits up to `wait` for the server to log a line holding `text`.
    bool Logged(const std::string& text, std::chrono::milliseconds wait = 3s);

  private:
    std::shared_ptr<sim::SimCamera> simulated_;
    std::unique_ptr<ServedCamera> camera_;
    std::unique_ptr<PtpIpServer> server_;
    std::atomic<bool> stop_{false};
    std::future<void> running_;
    std::mutex logMutex_;
    std::vector<std::string> log_;
    uint16_t port_ = 0;
};

/// One connection to the server, as an initiator sees it.
class Initiator {
  public:
    /// Connects; `receiveBuffer` > 0 shrinks the socket's buffer (a client that reads slowly).
    explicit Initiator(uint16_t port, int receiveBuffer = 0);
    ~Initiator();
    Initiator(const Initiator&) = delete;
    Initiator& operator=(const Initiator&) = delete;

    bool Send(const Bytes& bytes);
    /// The next packet; nullopt when the stream ends or none comes within `wait`.
    std::optional<Packet> Read(std::chrono::milliseconds wait = 3s);
    /// Takes up to `count` bytes of what has come (none: nothing waits); false when the
    /// stream has ended.
    bool Drain(size_t count);
    /// True when the server closes the connection within `wait` (what it sends is read).
    bool ClosedWithin(std::chrono::milliseconds wait);

    /// The command connection's handshake: the connection number, or nullopt with the
    /// Init Fail's reason in `*failReason` (0: no answer at all).
    std::optional<uint32_t> Hello(const std::string& name, uint32_t* failReason = nullptr);
    bool EventHello(uint32_t connection);

    struct Response {
        uint16_t code = 0;
        std::vector<uint32_t> params;
        Bytes data;
    };
    /// One operation with its data phase to the camera (`dataOut`), if any.
    std::optional<Response> Operation(uint16_t code, std::vector<uint32_t> params = {},
                                      const Bytes* dataOut = nullptr);
    /// Waits for an event with `code`; its parameters.
    std::optional<std::vector<uint32_t>> Event(uint16_t code, std::chrono::milliseconds wait = 5s);

    static Bytes Request(uint16_t code, uint32_t transaction, const std::vector<uint32_t>& params,
                         bool dataOut = false);
    uint32_t NextTransaction() { return ++transaction_; }

  private:
    int fd_ = -1;
    PacketStream stream_{64 << 20};
    uint32_t transaction_ = 0;
};

}  // namespace talbex::ptpip::testing
