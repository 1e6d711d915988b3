// Network cameras that are slow in the ways real ones are, for the fault scenarios: a
// proxy in front of a served camera that holds back the first answer of every connection
// (a body that takes its time to open, as many do over Wi-Fi), and a server that answers
// a handshake one byte at a time, each byte just within libgphoto2's read time-out, so the
// library waits on it for as long as it drips. Both listen on a free loopback port and
// both connections of a libgphoto2 client use it ("ptpip:127.0.0.1:PORT:PORT").
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace talbex::testing {

class SlowLink {
  public:
    virtual ~SlowLink();
    SlowLink(const SlowLink&) = delete;
    SlowLink& operator=(const SlowLink&) = delete;

    /// Listening; false when no port could be had.
    bool listening() const { return port_ != 0; }
    uint16_t port() const { return port_; }
    /// "ptpip:127.0.0.1:PORT:PORT".
    std::string GphotoPort() const;
    /// The connections taken so far.
    int connections() const { return connections_; }
    /// Stops listening and ends every connection.
    void Stop();

  protected:
    SlowLink();
    /// Starts taking connections; the derived class's constructor calls it last.
    void Listen();
    /// Serves one accepted connection until it ends or `stopping()`; on its own thread.
    virtual void Serve(int client) = 0;
    bool stopping() const { return stop_; }
    /// Sleeps `time`, or less when stopping.
    void Pause(std::chrono::milliseconds time) const;

  private:
    int fd_ = -1;
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    std::thread acceptor_;
    std::mutex mutex_;
    std::vector<std::thread> served_;  // under mutex_
};

/// Forwards each connection to 127.0.0.1:`upstream`, holding back the first bytes the
/// upstream answers on it by `delay`; everything else passes at once.
class DelayingProxy final : public SlowLink {
  public:
    DelayingProxy(uint16_t upstream, std::chrono::milliseconds delay)
        : upstream_(upstream), delay_(delay) {
        Listen();
    }
    ~DelayingProxy() override { Stop(); }

  private:
    void Serve(int client) override;
    const uint16_t upstream_;
    const std::chrono::milliseconds delay_;
};

/// Reads whatever a client sends and answers with the start of a PTP/IP packet that
/// announces a megabyte, one byte every `period`.
class DrippingServer final : public SlowLink {
  public:
    explicit DrippingServer(std::chrono::milliseconds period) : period_(period) { Listen(); }
    ~DrippingServer() override { Stop(); }

  private:
    void Serve(int client) override;
    const std::chrono::milliseconds period_;
};

}  // namespace talbex::testing
