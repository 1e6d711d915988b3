#include "app/sim_serve_command.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "camera/sdk/sim/settings_file.h"
#include "platform/ui/printable_text.h"
#include "ptpip/ptpip_server.h"

namespace talbex::app {

namespace {

std::atomic<bool> gStop{false};

void OnSignal(int) {
    gStop = true;
}

int Usage(const std::string& problem) {
    std::fprintf(stderr,
                 "talbex sim-serve: %s\n"
                 "usage: talbex sim-serve [--listen HOST:PORT] [--seconds N]\n",
                 problem.c_str());
    return 2;
}

bool ParseListen(const std::string& text, std::string* host, uint16_t* port) {
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0)
        return false;
    *host = text.substr(0, colon);
    const std::string digits = text.substr(colon + 1);
    if (digits.empty() || digits.size() > 5 ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const unsigned long value = std::stoul(digits);
    if (value > 65535)
        return false;
    *port = static_cast<uint16_t>(value);
    return true;
}

}  // namespace

int RunSimServeCommand(int argc, char** argv) {
    std::string host = "127.0.0.1";
    uint16_t port = 15740;  // the protocol's own port
    std::optional<double> seconds;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--listen" && i + 1 < argc) {
            if (!ParseListen(argv[++i], &host, &port))
                return Usage("--listen wants HOST:PORT, e.g. 127.0.0.1:15740");
        } else if (arg == "--seconds" && i + 1 < argc) {
            char* end = nullptr;
            const double value = std::strtod(argv[++i], &end);
            // The main program's bound: beyond it (or inf, nan) the time is no time at all.
            if (end == argv[i] || *end != '\0' || !(value > 0) || value > 1e6)
                return Usage("--seconds wants a number of seconds above 0, at most 1000000");
            seconds = value;
        } else {
            return Usage("unknown argument " + arg);
        }
    }
    // It serves the simulated camera, whatever the program's own default.
    const char* chosen = std::getenv("TALBEX_CAMERA");
    if (chosen == nullptr || *chosen == '\0')
        setenv("TALBEX_CAMERA", "sim", 1);
    if (const char* choice = std::getenv("TALBEX_CAMERA");
        std::string(choice).rfind("gphoto2", 0) == 0) {
        std::fprintf(stderr,
                     "talbex sim-serve: serves the simulated camera, not TALBEX_CAMERA=%s\n",
                     choice);
        return 1;
    }

    // The served body as the settings file describes its first camera.
    std::string error;
    ptpip::ServedOptions options;
    if (const std::string choice = std::getenv("TALBEX_CAMERA"); choice.rfind("sim:", 0) == 0) {
        std::vector<sim::CameraSettings> cameras;
        if (sim::ReadSettingsFile(choice.substr(4), &cameras, &error) && !cameras.empty()) {
            options.offered = cameras[0].servedProperties;
            options.vendor = cameras[0].vendor == sim::CameraSettings::Vendor::kNikon
                                 ? ptpip::ServedVendor::kNikon
                                 : ptpip::ServedVendor::kStandard;
            const SdkSize size = cameras[0].pictureSize;
            options.imageSize = std::to_string(size.width) + "x" + std::to_string(size.height);
        }
    }
    auto camera = ptpip::ServedCamera::Open(&error, options);
    if (!camera) {
        std::fprintf(stderr, "talbex sim-serve: %s\n", error.c_str());
        return 1;
    }
    int status = 0;
    {
        ptpip::PtpIpServer server(*camera);
        if (!server.Listen(host, port, &error)) {
            std::fprintf(stderr, "talbex sim-serve: %s\n", error.c_str());
            return 1;
        }
        // A line can hold a client's own name: its control characters must not forge lines.
        server.SetLog([](const std::string& line) {
            std::printf("%s\n", ui::PrintableText(line).c_str());
            std::fflush(stdout);
        });
        const std::string where = host + ":" + std::to_string(server.Port());
        const std::string serial = camera->SerialNumber();
        std::printf("serving %s (serial %s) over PTP/IP on %s\n", camera->ModelName().c_str(),
                    serial.empty() ? "none" : serial.c_str(), where.c_str());
        if (options.vendor == ptpip::ServedVendor::kNikon)
            std::printf("  as a body speaking Nikon's extension\n");
        std::printf("  gphoto2 --port ptpip:%s:%u --camera \"PTP/IP Camera\" --summary\n",
                    where.c_str(), server.Port());
        std::printf("  talbex --camera gphoto2:ptpip:%s:%u\n", where.c_str(), server.Port());
        std::fflush(stdout);

        struct sigaction action {};
        action.sa_handler = OnSignal;
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);
        std::optional<std::chrono::steady_clock::time_point> deadline;
        if (seconds)
            deadline = std::chrono::steady_clock::now() +
                       std::chrono::milliseconds(static_cast<int64_t>(*seconds * 1000));
        server.Run(gStop, deadline);
    }
    std::printf("stopped\n");
    return status;
}

}  // namespace talbex::app
