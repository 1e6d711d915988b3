#include "platform/qt/desktop_platform.h"

#include <netdb.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QLibraryInfo>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace talbex::qt {

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// Connects to a local socket; `abstract`: in the abstract name space (leading zero byte).
bool LocalSocketAnswers(const std::string& path, bool abstract) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const size_t offset = abstract ? 1 : 0;
    if (path.empty() || path.size() + offset >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path + offset, path.data(), path.size());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const auto length =
        static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
    const bool answered = connect(fd, reinterpret_cast<sockaddr*>(&address), length) == 0;
    close(fd);
    return answered;
}

bool TcpAnswers(const std::string& host, int port) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0)
        return false;
    bool answered = false;
    for (addrinfo* a = found; a != nullptr && !answered; a = a->ai_next) {
        const int fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0)
            continue;
        answered = connect(fd, a->ai_addr, a->ai_addrlen) == 0;
        close(fd);
    }
    freeaddrinfo(found);
    return answered;
}

bool WaylandPluginInstalled() {
    const QDir platforms(QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforms");
    return !platforms.entryList({"libqwayland*.so"}, QDir::Files).isEmpty();
}

}  // namespace

bool XDisplayAnswers(const std::string& display) {
    // [host]:number[.screen]
    const size_t colon = display.rfind(':');
    if (colon == std::string::npos || colon + 1 >= display.size())
        return false;
    const std::string host = display.substr(0, colon);
    char* end = nullptr;
    const long number = std::strtol(display.c_str() + colon + 1, &end, 10);
    if (end == display.c_str() + colon + 1 || number < 0 || number > 60000 ||
        (*end != '\0' && *end != '.'))
        return false;
    if (host.empty() || host == "unix") {
        const std::string path = "/tmp/.X11-unix/X" + std::to_string(number);
        return LocalSocketAnswers(path, true) || LocalSocketAnswers(path, false);
    }
    return TcpAnswers(host, 6000 + static_cast<int>(number));
}

bool WaylandAnswers(const std::string& socket) {
    if (socket.empty())
        return false;
    if (socket.front() == '/')
        return LocalSocketAnswers(socket, false);
    const std::string runtime = Env("XDG_RUNTIME_DIR");
    return !runtime.empty() && LocalSocketAnswers(runtime + "/" + socket, false);
}

std::optional<std::string> DesktopPlatform(std::string* why) {
    const std::string chosen = Env("QT_QPA_PLATFORM");
    const std::string wayland = Env("WAYLAND_DISPLAY");
    const std::string x = Env("DISPLAY");
    const bool waylandAnswers = !wayland.empty() && WaylandAnswers(wayland);
    const bool xAnswers = !x.empty() && XDisplayAnswers(x);
    if (!chosen.empty()) {
        // Qt ends the process when no platform of the list ("wayland;xcb", each maybe with
        // ":options") reaches its display; for the two desktop platforms that is known
        // beforehand. Others are taken as they are.
        for (size_t start = 0; start <= chosen.size();) {
            const size_t end = std::min(chosen.find(';', start), chosen.size());
            const std::string entry = chosen.substr(start, end - start);
            const std::string name = entry.substr(0, entry.find(':'));
            const bool reachable = name == "xcb"                   ? xAnswers
                                   : name.rfind("wayland", 0) == 0 ? waylandAnswers
                                                                   : !name.empty();
            if (reachable)
                return chosen;
            start = end + 1;
        }
        if (why != nullptr)
            *why = "QT_QPA_PLATFORM=" + chosen + " names a display that does not answer";
        return std::nullopt;
    }
    if (waylandAnswers && WaylandPluginInstalled())
        return "wayland";
    if (xAnswers)
        return "xcb";
    if (why != nullptr) {
        if (x.empty() && wayland.empty())
            *why = "no display (neither DISPLAY nor WAYLAND_DISPLAY is set)";
        else if (!x.empty())
            *why = "the X display " + x + " does not answer";
        else
            *why = "the Wayland display " + wayland +
                   " does not answer or Qt's Wayland support (qt6-wayland) is not installed";
    }
    return std::nullopt;
}

}  // namespace talbex::qt
