// How long a request to the web service may take, and how much of an answer is kept.
#pragma once

#include <chrono>
#include <cstddef>

namespace talbex::web {

struct HttpOptions {
    // Close to what the Windows internet library allows by default, and bounded as a
    // whole: every request runs on the window thread, so a host that swallows packets or
    // accepts and never answers must not freeze the window for minutes.
    std::chrono::milliseconds connectTimeout{30000};
    std::chrono::milliseconds totalTimeout{60000};
    // The service answers a few bytes; a server that streams without end is cut here and
    // the complete lines received so far are the answer.
    std::size_t maxAnswerBytes = 16 * 1024 * 1024;
};

}  // namespace talbex::web
