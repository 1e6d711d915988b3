#include "app/serial_command.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "controls/exif/exif_reader.h"
#include "platform/os/diagnostics.h"

namespace talbex::app {

namespace {

// A serial comes from the picture's bytes: control characters would break the one line
// per file, so they are shown as '?'.
std::string Printable(std::string text) {
    for (char& c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            c = '?';
    }
    return text;
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
        if (!reader.Open(file, &error)) {
            std::printf("%s\terror: %s\n", file.c_str(), error.c_str());
            failed = true;
        } else if (reader.HasUsableSerial()) {
            std::printf("%s\t%s\n", file.c_str(), Printable(reader.serialText()).c_str());
        } else {
            std::printf("%s\t-\n", file.c_str());
        }
    }
    std::fflush(stdout);
    if (verbose)
        os::SetTraceSink(std::move(previous));
    return failed ? 1 : 0;
}

}  // namespace talbex::app
