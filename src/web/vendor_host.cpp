#include "web/vendor_host.h"

#include <cstdlib>

#include "platform/os/diagnostics.h"

#ifndef TALBEX_DEFAULT_VENDOR_HOST
#define TALBEX_DEFAULT_VENDOR_HOST ""
#endif

namespace talbex::web {

namespace {

bool IsHostCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.';
}

}  // namespace

std::optional<std::string> ParseVendorHost(std::string_view text) {
    const std::size_t colon = text.find(':');
    const std::string_view name = text.substr(0, colon);
    if (name.empty() || name.size() > 253 || name.front() == '.' || name.front() == '-')
        return std::nullopt;
    for (char c : name) {
        if (!IsHostCharacter(c))
            return std::nullopt;
    }
    if (colon != std::string_view::npos) {
        const std::string_view port = text.substr(colon + 1);
        if (port.empty() || port.size() > 5)
            return std::nullopt;
        long value = 0;
        for (char c : port) {
            if (c < '0' || c > '9')
                return std::nullopt;
            value = value * 10 + (c - '0');
        }
        if (value < 1 || value > 65535)
            return std::nullopt;
    }
    return std::string(text);
}

std::string_view BuiltInVendorHost() {
    return TALBEX_DEFAULT_VENDOR_HOST;
}

std::string VendorHost() {
    const char* configured = std::getenv("TALBEX_VENDOR_HOST");
    const std::string text(configured != nullptr ? configured : BuiltInVendorHost());
    if (text.empty())
        return {};
    std::optional<std::string> host = ParseVendorHost(text);
    if (!host) {
        os::Diagnostic("TALBEX_VENDOR_HOST '%s' is not host or host:port; no web service\n",
                       text.c_str());
        return {};
    }
    return *host;
}

std::string VendorAddress(const std::string& host, std::string_view path) {
    if (host.empty())
        return {};
    std::string address = "http://" + host;
    address.append(path);
    return address;
}

}  // namespace talbex::web
