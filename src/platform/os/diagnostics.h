// The program's diagnostic output: trace lines and listings meant for developers, never
// for the user. Off unless a sink is set (talbex --verbose sends it to the standard error).
#pragma once

#include <functional>
#include <string_view>

namespace talbex::os {

using DiagnosticSink = std::function<void(std::string_view)>;

/// Replaces the sink (empty: diagnostics are dropped); answers the old one. Thread-safe.
DiagnosticSink SetDiagnosticSink(DiagnosticSink sink);

/// Sends diagnostics to the standard error.
void SendDiagnosticsToStandardError();

/// Writes printf-formatted text to the sink, if any.
void Diagnostic(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace talbex::os
