// talbex: command line entry.
#include <cstdio>
#include <cstring>
#include <string>

#include "app/demo.h"
#include "app/serial_command.h"

namespace {

void PrintHelp() {
    std::printf(
        "Usage: talbex [OPTIONS]\n"
        "       talbex serial [--verbose] FILE...\n"
        "Camera identification, parameters and remote control.\n"
        "\n"
        "  --demo       find the camera, print its identity, take a picture and\n"
        "               transfer it into the program's folder (also without options)\n"
        "  --help       show this text\n"
        "  --version    show the program version\n"
        "\n"
        "  serial [--verbose] FILE...\n"
        "               print each JPEG picture's camera serial number: NAME, a tab, then\n"
        "               the serial, '-' when there is none, or 'error: REASON' (exit\n"
        "               status 1); --verbose lists the EXIF serial tags on stderr\n"
        "\n"
        "Environment:\n"
        "  TALBEX_CAMERA       unset: one simulated camera; none: no camera;\n"
        "                      sim:PATH: simulated cameras from a settings file\n"
        "  TALBEX_HOME         the program's own folder (default ~/.local/share/talbex/)\n"
        "  TALBEX_VENDOR_HOST  vendor web service host[:port]; empty: no web service\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 1)
        return talbex::app::RunDemo(stdout, stderr);
    if (std::strcmp(argv[1], "serial") == 0)
        return talbex::app::RunSerialCommand(argc - 2, argv + 2);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--demo") == 0)
            return talbex::app::RunDemo(stdout, stderr);
        if (std::strcmp(argv[i], "--help") == 0) {
            PrintHelp();
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("talbex %s\n", TALBEX_VERSION);
            return 0;
        }
        std::fprintf(stderr, "talbex: unknown option '%s' (see talbex --help)\n", argv[i]);
        return 2;
    }
    PrintHelp();
    return 0;
}
