// talbex: command line entry.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/demo.h"
#if !TALBEX_WINDOWS_APART
#include "app/desktop_run.h"
#endif
#include "app/main_window_options.h"
#include "app/main_window_run.h"
#include "app/serial_command.h"
#include "app/sim_serve_command.h"
#include "camera/thread.h"
#include "platform/os/diagnostics.h"

namespace {

void PrintHelp() {
    std::printf(
        "Usage: talbex [OPTION]...\n"
        "  or:  talbex [--camera CAMERA] --demo\n"
        "  or:  talbex --help | --version\n"
        "  or:  talbex serial [--verbose] FILE...\n"
        "  or:  talbex sim-serve [--listen HOST:PORT] [--seconds N]\n"
        "Camera identification, parameters and remote control.\n"
        "\n"
        "Without options Talbex runs its main window on the cameras libgphoto2 detects\n"
        "(see --camera): it looks for a camera every two seconds, identifies it (with a\n"
        "test shot when the camera does not tell its serial number), reports it to the\n"
        "vendor web service and watches until it is unplugged.\n"
        "On a desktop (X11 or Wayland) the windows open there. Without a display, or with\n"
        "--headless, --script or --answer, the window runs headless: one line is printed\n"
        "per change a user would see (window caption, connect button caption, buttons\n"
        "enabled or disabled, pages requested, a list's rows once filled, the text a list\n"
        "shows, a progress bar when empty and full, a live-view picture when it first\n"
        "shows), every message box and folder chooser with the answer given, and the\n"
        "identity read from the camera.\n"
        "\n"
        "  --camera CAMERA\n"
        "               the camera to use (before TALBEX_CAMERA, which takes the same\n"
        "               values): gphoto2 (the default) the cameras libgphoto2 detects;\n"
        "               gphoto2:PORT the camera on one libgphoto2 port, e.g. usb:001,004\n"
        "               or ptpip:ADDRESS (numeric); gphoto2:MODEL@PORT that camera with\n"
        "               the driver of a model libgphoto2 lists (gphoto2 --list-cameras);\n"
        "               sim the built-in simulated camera; sim:PATH simulated cameras from a\n"
        "               settings file; none no camera\n"
        "  --headless   run the main window without a display, even where there is one\n"
        "  --seconds N  end the run after N seconds (fractions allowed); without it the\n"
        "               run goes on until the window is closed, the script quits or a\n"
        "               SIGINT, SIGTERM or SIGHUP arrives\n"
        "  --language en|zh\n"
        "               English or Chinese instead of the language of the locale\n"
        "  --answer \"START\"=OK|Yes|No\n"
        "               answer for message boxes whose text starts with START; unmatched\n"
        "               boxes get OK, and No to questions (the update offer); repeatable\n"
        "  --script FILE\n"
        "               drive the windows from FILE, one command a line, always acting on\n"
        "               the topmost window:\n"
        "                 wait SECONDS        let the program run\n"
        "                 click ID            click a button, check box or picture\n"
        "                 doubleclick ID      double-click a picture\n"
        "                 key NAME            press a key of the window: Space, Escape,\n"
        "                                     Return, Left, F1 ... or one character (L, +)\n"
        "                 pick ID ROW         pick row ROW (from 0) of a drop-down list\n"
        "                 pick ID \"label\"     pick the row with that text\n"
        "                 type ID \"text\"      type into an edit field\n"
        "                 answer \"START\" OK|Yes|No\n"
        "                                     answer for the message boxes that follow\n"
        "                 folder PATH         answer of the next folder chooser\n"
        "                 close               close the topmost window (its close box)\n"
        "                 quit                end the program\n"
        "               blank lines and lines starting with # are skipped; a line that\n"
        "               cannot be understood stops the run with its line number (status 2);\n"
        "               each action waits up to 10 s for a window to act on; FILE must be\n"
        "               a regular file of at most 4 MiB\n"
        "  --demo       find the camera, print its identity, take a picture and\n"
        "               transfer it into the program's folder\n"
        "  --help       show this text\n"
        "  --version    show the program version\n"
        "\n"
        "  serial [--verbose] FILE...\n"
        "               print each JPEG picture's camera serial number: NAME, a tab, then\n"
        "               the serial, '-' when there is none, or 'error: REASON' (exit\n"
        "               status 1); --verbose lists the EXIF serial tags on stderr. In\n"
        "               NAME a backslash, tab, line break or carriage return is written\n"
        "               \\\\, \\t, \\n, \\r, another control character \\xHH\n"
        "\n"
        "  sim-serve [--listen HOST:PORT] [--seconds N]\n"
        "               serve the simulated camera over PTP/IP (default 127.0.0.1:15740,\n"
        "               port 0 picks a free one) until a signal or N seconds; both\n"
        "               connections use the one port: ptpip:HOST:PORT:PORT;\n"
        "               TALBEX_CAMERA=sim:PATH describes the camera served\n"
        "\n"
        "Main window controls (for click): 1015 connect button, 1013 camera parameters,\n"
        "1014 remote control, 1000 language switch.\n"
        "Remote-control window: buttons 1000 take picture, 1001 / 1030 / 1031 shutter\n"
        "halfway / completely / off, 1013 / 1014 start / end live view, 1015-1020 focus\n"
        "near to far, 1023-1026 focus point up, left, right, down, 1027 / 1028 zoom fit /\n"
        "zoom, 1032 / 1033 live-view autofocus on / off, 1068 set the photo path (answered\n"
        "by `folder`); lists (for pick) 1007 AE mode, 1035 drive mode, 1059 Tv, 1060 Av,\n"
        "1061 ISO, 1062 metering, 1063 AF mode, 1064 image quality, 1036 colour space,\n"
        "1037 flash, 1038 flash exposure compensation, 1058 exposure compensation,\n"
        "1039 white balance, 1040 noise reduction, 1042 red eye, 1029 live-view AF mode;\n"
        "check boxes 1081 / 1082 rule-of-thirds grid / centre mark; pictures 1022 the live\n"
        "view (doubleclick: alone in a large window), 1083 the last picture (click: open\n"
        "it with xdg-open). Keys: Space take picture, L live view on / off, + / - zoom /\n"
        "fit, , / . focus near / far, [ / ] in large steps, G / C the guides, Escape leaves\n"
        "the live view alone (else closes the window).\n"
        "Pictures wait in incoming/ in the program's folder until they are moved to the\n"
        "photo path (remembered in saveto.txt) under date-time names.\n"
        "\n"
        "Exit status: 0 after a normal run, 1 when Talbex could not start (another\n"
        "instance runs: \"Only instance can run!\"; the program folder is not writable,\n"
        "belongs to another user or is writable by other users),\n"
        "2 for wrong options or a wrong script.\n"
        "\n"
        "Environment:\n"
        "  TALBEX_CAMERA       the camera, as --camera (which wins); unset: the cameras\n"
        "                      libgphoto2 detects\n"
        "  TALBEX_HOME         the program's own folder (default ~/.local/share/talbex/)\n"
        "  XDG_RUNTIME_DIR     where the one-per-user lock is taken (one run per\n"
        "                      program folder holds whatever the environment)\n"
        "  TALBEX_VENDOR_HOST  vendor web service host[:port]; empty: no web service\n"
        "  DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM\n"
        "                      where the windows open (QT_QPA_PLATFORM=offscreen: nowhere\n"
        "                      visible); QT_SCALE_FACTOR enlarges them\n"
        "  LC_ALL, LC_MESSAGES, LANG\n"
        "                      the locale: en_US, zh_TW and the C locale (also when\n"
        "                      none is set) start in English, others in Chinese\n"
        "\n"
        "Problems no window shows (a vendor host that is not usable, a failed request, an\n"
        "updater that could not be started) are written to the standard error.\n");
}

// Takes "--camera VALUE" out of `args`: it chooses the camera for the whole run, as
// TALBEX_CAMERA does, and wins over it. False with the reason when it has no value.
bool TakeCameraChoice(std::vector<std::string>& args, std::string* error) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--camera")
            continue;
        if (i + 1 >= args.size() || args[i + 1].empty()) {
            *error =
                "option '--camera' needs a value: sim, sim:PATH, gphoto2, gphoto2:PORT, "
                "gphoto2:MODEL@PORT or none";
            return false;
        }
        setenv("TALBEX_CAMERA", args[i + 1].c_str(), 1);
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                   args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
        --i;
    }
    return true;
}

// A camera worker left stuck in the camera library (a camera that drips its handshake)
// may still use what the static destructors would free: the program then ends without
// running them.
int Finish(int status) {
    if (talbex::camera::AbandonedThreads() > 0) {
        std::cout.flush();
        std::cerr.flush();
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}

#if TALBEX_WINDOWS_APART
// The program with its Qt windows, installed beside this one (the build's own folder, or
// PREFIX/libexec/talbex for PREFIX/bin).
std::string DesktopProgram() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return {};
    for (const std::filesystem::path& candidate :
         {self.parent_path() / "talbex-desktop",
          self.parent_path().parent_path() / "libexec/talbex/talbex-desktop"})
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    return {};
}
#endif

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    talbex::os::SendDiagnosticsToStandardError();
    if (!args.empty() && args[0] == "serial")
        return talbex::app::RunSerialCommand(argc - 2, argv + 2);
    if (!args.empty() && args[0] == "sim-serve")
        return talbex::app::RunSimServeCommand(argc - 2, argv + 2);
    std::string cameraError;
    if (!TakeCameraChoice(args, &cameraError)) {
        std::fprintf(stderr, "talbex: %s (see talbex --help)\n", cameraError.c_str());
        return 2;
    }
    talbex::app::MainWindowRunOptions options;
    options.version = TALBEX_VERSION;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--demo")
            return Finish(talbex::app::RunDemo(stdout, stderr));
        if (args[i] == "--help") {
            PrintHelp();
            return 0;
        }
        if (args[i] == "--version") {
            std::printf("talbex %s\n", TALBEX_VERSION);
            return 0;
        }
        std::string error;
        if (!talbex::app::ParseMainWindowOption(args, i, options, &error)) {
            std::fprintf(stderr, "talbex: %s (see talbex --help)\n", error.c_str());
            return 2;
        }
    }
    std::string noDisplay;
#if TALBEX_WINDOWS_APART
    // Nothing has been taken yet (no lock, no camera, no thread): the desktop program
    // starts afresh with the same command line and decides on a display itself.
    if (talbex::app::MayShowWindows(options)) {
        const std::string desktop = DesktopProgram();
        if (!desktop.empty()) {
            argv[0] = const_cast<char*>(desktop.c_str());
            ::execv(desktop.c_str(), argv);
        }
        noDisplay = "the desktop windows (talbex-desktop) are not installed beside talbex";
    }
#else
    if (const auto platform = talbex::app::DesktopFor(options, &noDisplay))
        return Finish(talbex::app::RunDesktopWindows(options, *platform, std::cerr));
#endif
    if (!options.headless && !noDisplay.empty())
        std::fprintf(stderr, "talbex: %s; running without windows\n", noDisplay.c_str());
    return Finish(talbex::app::RunMainWindow(options, std::cout, std::cerr));
}
