// How long a request to the web service may take, how much of an answer is kept, how
// many redirects a fetch follows, and the flag that ends a request early.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>

namespace talbex::web {

struct HttpOptions {
    // What a desktop user waits for: every request runs on the window thread, so a host
    // that swallows packets or accepts and never answers holds the window this long at
    // most.
    std::chrono::milliseconds connectTimeout{10000};
    std::chrono::milliseconds totalTimeout{20000};
    // The service answers a few bytes; a server that streams without end is cut here and
    // the complete lines received so far are the answer.
    std::size_t maxAnswerBytes = 16 * 1024 * 1024;
    // A fetch (GET) follows at most this many redirects, to http or https addresses only;
    // the camera report's POST never follows one.
    long maxRedirects = 5;
    // When set, a request in progress ends (cancelled) within a fraction of a second of
    // the flag turning true: the program was asked to quit. Not owned; must outlive every
    // request made with these options.
    const std::atomic<bool>* abort = nullptr;
};

}  // namespace talbex::web
