// A small HTTP server on 127.0.0.1 for tests of the web client. It records the raw bytes
// of every request it receives and answers each connection from a script, in order.
// One thread of its own serves the connections one after another; the recorded requests
// are read from the test thread under a lock.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace talbex::test {

struct ScriptedReply {
    enum class Kind {
        kAnswer,       // read the request, send `bytes`, close
        kNeverAnswer,  // read the request, keep the connection open until the server stops
        kCloseAtOnce,  // read the request, close without answering
    };
    Kind kind = Kind::kAnswer;
    std::string bytes;

    /// 200 with `body`, its length and "Connection: close".
    static ScriptedReply Ok(const std::string& body);
    /// Exactly `bytes` as the whole answer (status line, headers and body).
    static ScriptedReply Raw(std::string bytes);
    static ScriptedReply NeverAnswer();
    static ScriptedReply CloseAtOnce();
};

class LoopbackHttpServer {
  public:
    /// Listens on a free port of 127.0.0.1. Connections beyond the script get a 404.
    explicit LoopbackHttpServer(std::vector<ScriptedReply> script);
    /// Answers each request by what `answer` makes of its raw bytes (for clients whose
    /// requests come in no fixed order). Called on the server's thread.
    explicit LoopbackHttpServer(std::function<ScriptedReply(const std::string&)> answer);
    ~LoopbackHttpServer();  // stops and closes every connection

    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    int port() const { return port_; }
    /// "127.0.0.1:port", as a vendor host.
    std::string host() const;
    /// "http://127.0.0.1:port" + path.
    std::string Url(const std::string& path) const;

    /// Raw bytes of each request received so far, one entry per connection.
    std::vector<std::string> Requests() const;
    /// Waits up to `timeout` until `count` requests have been received.
    bool WaitForRequests(std::size_t count, std::chrono::milliseconds timeout) const;

  private:
    LoopbackHttpServer(std::vector<ScriptedReply> script,
                       std::function<ScriptedReply(const std::string&)> answer);
    void Serve();
    std::string ReadRequest(int fd);

    int listenFd_ = -1;
    int wakeRead_ = -1;  // closed by the destructor's write end to stop Serve
    int wakeWrite_ = -1;
    int port_ = 0;
    const std::vector<ScriptedReply> script_;  // read only by the server thread
    const std::function<ScriptedReply(const std::string&)> answer_;
    std::vector<int> heldOpen_;  // server thread only
    mutable std::mutex mutex_;
    mutable std::condition_variable received_;
    std::vector<std::string> requests_;  // guarded by mutex_
    std::thread thread_;
};

/// A port of 127.0.0.1 on which nothing listens (bound, then released).
int UnusedLoopbackPort();

/// Bytes as a C-style literal: printable ASCII as is, "\r", "\n", "\0", "\\", "\"" and
/// every other byte as "\xHH".
std::string Escaped(const std::string& bytes);

}  // namespace talbex::test

namespace talbex::test {

/// A port of 127.0.0.1 that takes no new connection and refuses none: its listening queue
/// is full and never served, so a connect hangs as it does towards a host that swallows
/// packets.
class BlackHolePort {
  public:
    BlackHolePort();
    ~BlackHolePort();
    BlackHolePort(const BlackHolePort&) = delete;
    BlackHolePort& operator=(const BlackHolePort&) = delete;

    int port() const { return port_; }
    /// True when a further connect indeed hangs (checked at construction).
    bool holding() const { return holding_; }

  private:
    int listenFd_ = -1;
    std::vector<int> fillers_;
    int port_ = 0;
    bool holding_ = false;
};

}  // namespace talbex::test
