// Any bytes a server sends as the answer to the version fetch or to the camera report,
// whole or broken off: the published version is at most ten characters without a
// backslash, and the verdict is what follows the answer's first "=", at most two
// characters.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "web/answer_text.h"
#include "web/service_answers.h"
#include "web/versions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const bool complete = (data[0] & 1) != 0;
    const std::string_view raw(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string answer = talbex::web::AnswerText(raw, complete);

    const std::string version = talbex::web::PublishedVersion(answer);
    if (version.size() > 10 || version.find('\\') != std::string::npos ||
        answer.compare(0, version.size(), version) != 0)
        __builtin_trap();
    talbex::web::CompareVersions(version, "4.5.0");

    const std::optional<std::string> verdict = talbex::web::ReportVerdict(answer);
    const size_t equals = answer.find('=');
    if (verdict.has_value() != (equals != std::string::npos))
        __builtin_trap();
    if (verdict && (verdict->size() > 2 || answer.compare(equals + 1, verdict->size(), *verdict)))
        __builtin_trap();
    return 0;
}
