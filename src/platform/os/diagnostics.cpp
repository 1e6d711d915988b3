#include "platform/os/diagnostics.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

namespace talbex::os {

namespace {
std::mutex gMutex;
DiagnosticSink gSink;
}  // namespace

DiagnosticSink SetDiagnosticSink(DiagnosticSink sink) {
    std::lock_guard lock(gMutex);
    DiagnosticSink old = std::move(gSink);
    gSink = std::move(sink);
    return old;
}

void SendDiagnosticsToStandardError() {
    SetDiagnosticSink(
        [](std::string_view text) { std::fwrite(text.data(), 1, text.size(), stderr); });
}

void Diagnostic(const char* format, ...) {
    std::lock_guard lock(gMutex);
    if (!gSink)
        return;
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length > 0) {
        std::string text(static_cast<size_t>(length) + 1, '\0');
        std::vsnprintf(text.data(), text.size(), format, args);
        text.resize(static_cast<size_t>(length));
        gSink(text);
    }
    va_end(args);
}

}  // namespace talbex::os
