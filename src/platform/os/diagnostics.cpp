#include "platform/os/diagnostics.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

namespace talbex::os {

namespace {

struct Channel {
    std::mutex mutex;
    DiagnosticSink sink;
};

Channel gProblems;
Channel gTraces;

DiagnosticSink Replace(Channel& channel, DiagnosticSink sink) {
    std::lock_guard lock(channel.mutex);
    DiagnosticSink old = std::move(channel.sink);
    channel.sink = std::move(sink);
    return old;
}

void Write(Channel& channel, const char* format, va_list args) {
    std::lock_guard lock(channel.mutex);
    if (!channel.sink)
        return;
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length <= 0)
        return;
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<size_t>(length));
    channel.sink(text);
}

}  // namespace

DiagnosticSink SetDiagnosticSink(DiagnosticSink sink) {
    return Replace(gProblems, std::move(sink));
}

DiagnosticSink SetTraceSink(DiagnosticSink sink) {
    return Replace(gTraces, std::move(sink));
}

void SendDiagnosticsToStandardError() {
    SetDiagnosticSink([](std::string_view text) {
        std::fwrite(text.data(), 1, text.size(), stderr);
        std::fflush(stderr);
    });
}

void Diagnostic(const char* format, ...) {
    va_list args;
    va_start(args, format);
    Write(gProblems, format, args);
    va_end(args);
}

void Trace(const char* format, ...) {
    va_list args;
    va_start(args, format);
    Write(gTraces, format, args);
    va_end(args);
}

}  // namespace talbex::os
