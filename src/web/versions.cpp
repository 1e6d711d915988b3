#include "web/versions.h"

#include <cstdlib>
#include <string>

namespace talbex::web {

long VersionNumber(std::string_view version) {
    std::string digits;
    for (char c : version.substr(0, 5)) {
        if (c != '.')
            digits += c;
    }
    // Leading white space, a sign and then leading digits, as the C library reads them.
    return std::strtol(digits.c_str(), nullptr, 10);
}

bool CompareVersions(std::string_view remote, std::string_view local) {
    return VersionNumber(remote) > VersionNumber(local);
}

}  // namespace talbex::web
