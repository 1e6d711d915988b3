// Where the vendor's web service lives: configuration of the deployment. The build option
// TALBEX_VENDOR_HOST gives the default; the environment variable of the same name, when
// set (even to the empty text), replaces it. No host means no web service: every request
// answers the empty text at once.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace talbex::web {

/// Checks a configured host: a host name or IPv4 address, optionally followed by ":" and a
/// port from 1 to 65535. Answers the text unchanged when it is one, nothing otherwise (so a
/// configured value can never add a path, a user or another scheme to an address).
std::optional<std::string> ParseVendorHost(std::string_view text);

/// The host given when the program was built (the empty text when none was).
std::string_view BuiltInVendorHost();

/// The configured host, or the empty text when there is none or it is not valid.
std::string VendorHost();

/// "http://" + host + path; the empty text when `host` is empty.
std::string VendorAddress(const std::string& host, std::string_view path);

}  // namespace talbex::web
