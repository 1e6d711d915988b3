#include "slow_links.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace talbex::testing {

namespace {

// Writes all of `bytes`; false once the peer is gone.
bool SendAll(int fd, const char* bytes, size_t size) {
    while (size > 0) {
        const ssize_t n = ::send(fd, bytes, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

SlowLink::SlowLink() {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd_, 16) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return;
    port_ = ntohs(address.sin_port);
}

void SlowLink::Listen() {
    if (port_ == 0)
        return;
    acceptor_ = std::thread([this] {
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            const int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0)
                continue;
            ++connections_;
            std::lock_guard lock(mutex_);
            served_.emplace_back([this, client] {
                Serve(client);
                ::close(client);
            });
        }
    });
}

SlowLink::~SlowLink() {
    // The derived class has stopped every thread that could still call Serve.
    if (fd_ >= 0)
        ::close(fd_);
}

std::string SlowLink::GphotoPort() const {
    return "ptpip:127.0.0.1:" + std::to_string(port_) + ":" + std::to_string(port_);
}

void SlowLink::Stop() {
    stop_ = true;
    if (acceptor_.joinable())
        acceptor_.join();
    std::vector<std::thread> served;
    {
        std::lock_guard lock(mutex_);
        served.swap(served_);
    }
    for (std::thread& t : served)
        t.join();
}

void SlowLink::Pause(std::chrono::milliseconds time) const {
    const auto end = std::chrono::steady_clock::now() + time;
    while (!stop_ && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

void DelayingProxy::Serve(int client) {
    const int upstream = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(upstream_);
    if (upstream < 0 ||
        ::connect(upstream, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (upstream >= 0)
            ::close(upstream);
        return;
    }
    bool answered = false;
    char buffer[65536];
    while (!stopping()) {
        pollfd p[2] = {{client, POLLIN, 0}, {upstream, POLLIN, 0}};
        if (::poll(p, 2, 50) <= 0)
            continue;
        if (p[0].revents != 0) {
            const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
            if (n <= 0 || !SendAll(upstream, buffer, static_cast<size_t>(n)))
                break;
        }
        if (p[1].revents != 0) {
            const ssize_t n = ::recv(upstream, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            if (!answered) {
                answered = true;
                Pause(delay_);
            }
            if (!SendAll(client, buffer, static_cast<size_t>(n)))
                break;
        }
    }
    ::close(upstream);
}

void DrippingServer::Serve(int client) {
    // A header announcing a packet of a megabyte (an init acknowledgement), then its body.
    const char header[] = {0x00, 0x00, 0x10, 0x00, 0x02, 0x00, 0x00, 0x00};
    for (size_t sent = 0; !stopping(); ++sent) {
        char buffer[4096];
        while (::recv(client, buffer, sizeof buffer, MSG_DONTWAIT) > 0) {
        }
        const char byte = sent < sizeof header ? header[sent] : 0;
        if (!SendAll(client, &byte, 1))
            return;
        Pause(period_);
    }
}

}  // namespace talbex::testing
