#include "app/serial_command.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "controls/exif/exif_reader.h"
#include "platform/os/diagnostics.h"
#include "platform/ui/printable_text.h"

namespace talbex::app {

namespace {

// A file name may hold any byte but '/': a tab or line break in it would break the two
// columns, so they are written as \t, \n and \r, other control characters as \xHH, and
// a backslash as \\, which keeps every name readable back.
std::string EscapedName(const std::string& name) {
    std::string out;
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (byte < 0x20 || byte == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

int RunSerialCommand(int argc, char** argv) {
    bool verbose = false;
    bool options = true;
    std::vector<std::string> files;
    for (int i = 0; i < argc; ++i) {
        const char* arg = argv[i];
        if (options && std::strcmp(arg, "--") == 0) {
            options = false;
        } else if (options && std::strcmp(arg, "--verbose") == 0) {
            verbose = true;
        } else if (options && std::strncmp(arg, "--", 2) == 0) {
            std::fprintf(stderr, "talbex serial: unknown option '%s' (see talbex --help)\n", arg);
            return 2;
        } else {
            files.emplace_back(arg);
        }
    }
    if (files.empty()) {
        std::fprintf(stderr, "Usage: talbex serial [--verbose] FILE...\n");
        return 2;
    }
    os::DiagnosticSink previous;
    if (verbose)
        previous = os::SetTraceSink([](std::string_view text) {
            std::fflush(stdout);  // keep the listing next to the line it belongs to
            std::fwrite(text.data(), 1, text.size(), stderr);
        });

    bool failed = false;
    for (const std::string& file : files) {
        exif::ExifReader reader;
        std::string error;
        const std::string name = EscapedName(file);
        if (!reader.Open(file, &error)) {
            std::printf("%s\terror: %s\n", name.c_str(), ui::PrintableText(error).c_str());
            failed = true;
        } else if (reader.HasUsableSerial()) {
            // A serial comes from the picture's bytes.
            std::printf("%s\t%s\n", name.c_str(), ui::PrintableText(reader.serialText()).c_str());
        } else {
            std::printf("%s\t-\n", name.c_str());
        }
    }
    std::fflush(stdout);
    if (verbose)
        os::SetTraceSink(std::move(previous));
    return failed ? 1 : 0;
}

}  // namespace talbex::app
