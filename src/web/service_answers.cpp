#include "web/service_answers.h"

namespace talbex::web {

std::string PublishedVersion(std::string_view answer) {
    std::string_view version = answer.substr(0, 10);
    const std::size_t backslash = version.find('\\');
    if (backslash != std::string_view::npos)
        version = version.substr(0, backslash);
    return std::string(version);
}

std::optional<std::string> ReportVerdict(std::string_view answer) {
    const std::size_t equals = answer.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return std::string(answer.substr(equals + 1, 2));
}

}  // namespace talbex::web
