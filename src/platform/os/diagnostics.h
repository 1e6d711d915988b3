// The program's diagnostic output, in two channels, each dropped unless a sink is set:
// - Diagnostic: problems whoever runs the program needs to hear of although no window
//   shows them (a refused vendor host, a failed request, a program that could not be
//   started). The program sends them to the standard error, headless or not.
// - Trace: listings for developers (every file a walk visits, an EXIF reader's tags).
//   `talbex serial --verbose` sends them to the standard error.
#pragma once

#include <functional>
#include <string_view>

namespace talbex::os {

using DiagnosticSink = std::function<void(std::string_view)>;

/// Replaces the problem sink (empty: problems are dropped); answers the old one.
/// Thread-safe.
DiagnosticSink SetDiagnosticSink(DiagnosticSink sink);
/// Replaces the trace sink (empty: traces are dropped); answers the old one. Thread-safe.
DiagnosticSink SetTraceSink(DiagnosticSink sink);

/// Sends problems to the standard error.
void SendDiagnosticsToStandardError();

/// Writes printf-formatted text to the problem sink, if any.
void Diagnostic(const char* format, ...) __attribute__((format(printf, 1, 2)));
/// Writes printf-formatted text to the trace sink, if any.
void Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace talbex::os
