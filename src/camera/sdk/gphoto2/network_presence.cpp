#include "camera/sdk/gphoto2/network_presence.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <string>

namespace talbex::gphoto {

namespace {

constexpr char kPrefix[] = "ptpip:";
constexpr char kDefaultPort[] = "15740";

// A connection attempt that gives up at `deadline`.
bool Connects(const addrinfo& address, std::chrono::steady_clock::time_point deadline) {
    const int fd = ::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                            address.ai_protocol);
    if (fd < 0)
        return false;
    bool connected = ::connect(fd, address.ai_addr, address.ai_addrlen) == 0;
    if (!connected && errno == EINPROGRESS) {
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                break;
            pollfd p{fd, POLLOUT, 0};
            const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready > 0) {
                int error = 0;
                socklen_t size = sizeof error;
                connected =
                    ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
            }
            break;
        }
    }
    ::close(fd);
    return connected;
}

}  // namespace

std::string NetworkPortProblem(const std::string& port) {
    if (!IsNetworkPort(port))
        return "not a network port";
    const std::string rest = port.substr(sizeof kPrefix - 1);
    const size_t colon = rest.find(':');
    const std::string host = rest.substr(0, colon);
    in_addr address{};
    // As libgphoto2 reads the address: inet_aton, so "127.1" passes as it does there.
    if (host.empty() || ::inet_aton(host.c_str(), &address) == 0)
        return "'" + host +
               "' is no numeric IPv4 address, and libgphoto2 reaches network cameras only "
               "by address (ptpip:192.168.1.10)";
    std::string ports = colon == std::string::npos ? "" : rest.substr(colon + 1);
    for (int i = 0; i < 2 && !ports.empty(); ++i) {
        const std::string number = ports.substr(0, ports.find(':'));
        if (number.empty() || number.size() > 5 ||
            number.find_first_not_of("0123456789") != std::string::npos ||
            std::stoi(number) > 65535)
            return "'" + number + "' is no port number";
        ports = ports.find(':') == std::string::npos ? "" : ports.substr(ports.find(':') + 1);
    }
    if (!ports.empty())
        return "'" + ports + "' follows the event port";
    return {};
}

bool IsNetworkPort(const std::string& port) {
    return port.rfind(kPrefix, 0) == 0;
}

bool NetworkCameraAnswers(const std::string& port, std::chrono::milliseconds limit) {
    if (!IsNetworkPort(port))
        return false;
    const std::string rest = port.substr(sizeof kPrefix - 1);
    const size_t colon = rest.find(':');
    const std::string host = rest.substr(0, colon);
    std::string service = colon == std::string::npos ? "" : rest.substr(colon + 1);
    service = service.substr(0, service.find(':'));  // the command port; the event port follows
    if (host.empty())
        return false;
    if (service.empty())
        service = kDefaultPort;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    // Never a name lookup: it has no deadline, and this runs on the window thread.
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0 || found == nullptr)
        return false;
    std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> addresses(found, &::freeaddrinfo);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (const addrinfo* a = found; a != nullptr; a = a->ai_next)
        if (Connects(*a, deadline))
            return true;
    return false;
}

}  // namespace talbex::gphoto
