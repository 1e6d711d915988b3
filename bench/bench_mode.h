// How long a benchmark runs, and how it ends. With TALBEX_BENCH_SHORT=1 in the
// environment (CI sets it through ctest) every benchmark runs for a few seconds with
// small counts and still prints its goal line; otherwise it runs its full counts. A
// benchmark that could not measure its figure ends with status 1, one that misses its
// goal only says so in its goal line.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace talbex::bench {

inline bool ShortRun() {
    const char* value = std::getenv("TALBEX_BENCH_SHORT");
    return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
}

/// `full` in a full run, `brief` in a short one (counts, seconds, minimum times).
template <class T>
T Scaled(T full, T brief) {
    return ShortRun() ? brief : full;
}

/// The program's exit status: 0 when its figure was measured, else 1 with `what` could
/// not be measured on the standard error.
inline int Finish(bool measured, const char* what) {
    if (measured)
        return 0;
    std::fprintf(stderr, "no figure: %s could not be measured\n", what);
    return 1;
}

}  // namespace talbex::bench
