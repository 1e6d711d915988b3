#include "web/answer_text.h"

namespace talbex::web {

std::string AnswerText(std::string_view raw, bool complete) {
    std::string text;
    text.reserve(raw.size() + raw.size() / 8);
    std::size_t start = 0;
    while (start < raw.size()) {
        const std::size_t end = raw.find('\n', start);
        if (end == std::string_view::npos) {
            if (complete) {
                text.append(raw.substr(start));
                text.append(kAnswerLineEnd);
            }
            break;
        }
        std::string_view line = raw.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        text.append(line);
        text.append(kAnswerLineEnd);
        start = end + 1;
    }
    return text;
}

}  // namespace talbex::web
