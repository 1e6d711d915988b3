#include "loopback_http_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace talbex::test {

namespace {

constexpr int kReadTimeoutMs = 5000;  // a request that stalls this long is taken as is

int ListenOnLoopback(int* port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw std::runtime_error("socket failed");
    const int yes = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(fd);
        throw std::runtime_error("bind on 127.0.0.1 failed");
    }
    *port = ntohs(address.sin_port);
    return fd;
}

void SendAll(int fd, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;  // the client went away
        sent += static_cast<std::size_t>(n);
    }
}

// Content-Length of a request head, 0 when it has none.
std::size_t ContentLength(const std::string& head) {
    std::size_t at = 0;
    while ((at = head.find("\r\n", at)) != std::string::npos) {
        at += 2;
        static constexpr char kName[] = "content-length:";
        if (strncasecmp(head.c_str() + at, kName, sizeof kName - 1) == 0)
            return std::strtoul(head.c_str() + at + sizeof kName - 1, nullptr, 10);
    }
    return 0;
}

}  // namespace

ScriptedReply ScriptedReply::Ok(const std::string& body) {
    return Raw("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
               std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
}

ScriptedReply ScriptedReply::Raw(std::string bytes) {
    return {Kind::kAnswer, std::move(bytes)};
}

ScriptedReply ScriptedReply::NeverAnswer() {
    return {Kind::kNeverAnswer, {}};
}

ScriptedReply ScriptedReply::CloseAtOnce() {
    return {Kind::kCloseAtOnce, {}};
}

LoopbackHttpServer::LoopbackHttpServer(std::function<ScriptedReply(const std::string&)> answer)
    : LoopbackHttpServer(std::vector<ScriptedReply>{}, std::move(answer)) {}

LoopbackHttpServer::LoopbackHttpServer(std::vector<ScriptedReply> script)
    : LoopbackHttpServer(std::move(script), nullptr) {}

LoopbackHttpServer::LoopbackHttpServer(std::vector<ScriptedReply> script,
                                       std::function<ScriptedReply(const std::string&)> answer)
    : script_(std::move(script)), answer_(std::move(answer)) {
    listenFd_ = ListenOnLoopback(&port_);
    if (listen(listenFd_, 16) != 0) {
        close(listenFd_);
        throw std::runtime_error("listen failed");
    }
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        close(listenFd_);
        throw std::runtime_error("pipe failed");
    }
    wakeRead_ = pipeFds[0];
    wakeWrite_ = pipeFds[1];
    thread_ = std::thread([this] { Serve(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    close(wakeWrite_);  // wakes Serve, which sees the end of the pipe
    thread_.join();
    for (int fd : heldOpen_)
        close(fd);
    close(wakeRead_);
    close(listenFd_);
}

std::string LoopbackHttpServer::host() const {
    return "127.0.0.1:" + std::to_string(port_);
}

std::string LoopbackHttpServer::Url(const std::string& path) const {
    return "http://" + host() + path;
}

std::vector<std::string> LoopbackHttpServer::Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

bool LoopbackHttpServer::WaitForRequests(std::size_t count,
                                         std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return received_.wait_for(lock, timeout, [&] { return requests_.size() >= count; });
}

std::string LoopbackHttpServer::ReadRequest(int fd) {
    std::string bytes;
    std::size_t wanted = std::string::npos;  // known once the head is complete
    char buffer[65536];
    while (wanted == std::string::npos || bytes.size() < wanted) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        const int ready = poll(fds, 2, kReadTimeoutMs);
        if (ready <= 0 || (fds[1].revents & (POLLIN | POLLHUP)) != 0)
            break;
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
        if (wanted == std::string::npos) {
            const std::size_t headEnd = bytes.find("\r\n\r\n");
            if (headEnd != std::string::npos)
                wanted = headEnd + 4 + ContentLength(bytes.substr(0, headEnd + 2));
        }
    }
    return bytes;
}

void LoopbackHttpServer::Serve() {
    std::size_t next = 0;
    for (;;) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if ((fds[1].revents & (POLLIN | POLLHUP)) != 0)
            return;
        const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        const std::string request = ReadRequest(fd);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            requests_.push_back(request);
        }
        received_.notify_all();
        const ScriptedReply reply = answer_                 ? answer_(request)
                                    : next < script_.size() ? script_[next++]
                                                            : ScriptedReply::Raw(
                                                                  "HTTP/1.1 404 Not Found\r\n"
                                                                  "Content-Length: 0\r\n"
                                                                  "Connection: close\r\n\r\n");
        switch (reply.kind) {
            case ScriptedReply::Kind::kAnswer:
                SendAll(fd, reply.bytes);
                shutdown(fd, SHUT_WR);
                close(fd);
                break;
            case ScriptedReply::Kind::kNeverAnswer:
                heldOpen_.push_back(fd);
                break;
            case ScriptedReply::Kind::kCloseAtOnce:
                close(fd);
                break;
        }
    }
}

int UnusedLoopbackPort() {
    int port = 0;
    const int fd = ListenOnLoopback(&port);
    close(fd);  // bound but never listening: connections are refused
    return port;
}

std::string Escaped(const std::string& bytes) {
    std::string out;
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\0':
                out += "\\0";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            default:
                if (c >= 0x20 && c < 0x7F) {
                    out += ch;
                } else {
                    char hex[5];
                    std::snprintf(hex, sizeof hex, "\\x%02X", c);
                    out += hex;
                }
        }
    }
    return out;
}

}  // namespace talbex::test

namespace talbex::test {

namespace {

// Starts a connect to 127.0.0.1:`port` without waiting; answers the socket.
int ConnectWithoutWaiting(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    return fd;
}

}  // namespace

BlackHolePort::BlackHolePort() {
    listenFd_ = ListenOnLoopback(&port_);
    listen(listenFd_, 0);
    // Fill the queue until a connect stays pending: from then on the kernel drops SYNs.
    for (int i = 0; i < 8 && !holding_; ++i) {
        const int fd = ConnectWithoutWaiting(port_);
        fillers_.push_back(fd);
        pollfd pending = {fd, POLLOUT, 0};
        holding_ = poll(&pending, 1, 100) == 0;
    }
}

BlackHolePort::~BlackHolePort() {
    for (int fd : fillers_)
        close(fd);
    close(listenFd_);
}

}  // namespace talbex::test
