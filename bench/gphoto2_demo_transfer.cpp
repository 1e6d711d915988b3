// The whole process against the gphoto2 command: `talbex --demo` (find the camera, print
// its identity, take a 25 MB picture and transfer it into the program's folder, flushed
// to disk) against `gphoto2 --capture-image-and-download` (take and transfer the same
// picture into a folder, not flushed), both through libgphoto2 from one `talbex sim-serve`,
// alternating, each going first in turn, in one run: the medians of the wall time, of the
// processor time (user and system, the process and its threads) and of the peak resident
// memory. Goal: talbex's wall and processor times at most the gphoto2 command's.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_mode.h"
#include "picture_arrival.h"
#include "support/served_camera_process.h"
#include "support/temp_folder.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace talbex;
using Clock = std::chrono::steady_clock;

constexpr uint64_t kPictureBytes = 25ull << 20;

struct Run {
    double wall = 0;     // seconds
    double cpu = 0;      // seconds, user and system
    double peakMiB = 0;  // the largest resident memory
    bool ok = false;     // ended with status 0 and left one picture of the size
};

struct Side {
    std::vector<double> wall, cpu, peak;
    void Add(const Run& run) {
        wall.push_back(run.wall);
        cpu.push_back(run.cpu);
        peak.push_back(run.peakMiB);
    }
};
Side gTalbex, gGphoto2;

testing::ServedCameraProcess* gServer = nullptr;

// Runs `argv` in `folder` with `environment` added; its output goes nowhere.
Run Measure(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
            const std::string& folder) {
    std::vector<std::string> env;
    // What `environment` sets replaces the inherited value: the first of two is the one
    // read, and libgphoto2 would otherwise keep its settings in the tester's own HOME.
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('=') + 1);
        bool replaced = false;
        for (const std::string& set : environment)
            replaced = replaced || set.rfind(name, 0) == 0;
        if (!replaced)
            env.push_back(entry);
    }
    env.insert(env.end(), environment.begin(), environment.end());
    std::vector<char*> envp, args;
    for (auto& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> copy = argv;
    for (auto& a : copy)
        args.push_back(a.data());
    args.push_back(nullptr);

    Run run;
    const auto begin = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(folder.c_str()) != 0)
            _exit(126);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execvpe(args[0], args.data(), envp.data());
        _exit(127);
    }
    if (pid < 0)
        return run;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return run;
    run.wall = std::chrono::duration<double>(Clock::now() - begin).count();
    run.cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
              static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    run.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes
    // Exactly one picture of the size, which is then removed for the next run.
    int pictures = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().extension() == ".JPG") {
            pictures += entry.file_size() == kPictureBytes ? 1 : 100;
            fs::remove(entry.path());
        }
    }
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && pictures == 1;
    return run;
}

Run Talbex(const testing::TempFolder& home) {
    return Measure({testing::ServedCameraProcess::ProgramPath(), "--camera",
                    "gphoto2:" + gServer->GphotoPort(), "--demo"},
                   {"HOME=" + home.path(), "TALBEX_HOME=" + home.path(), "TALBEX_VENDOR_HOST="},
                   home.path());
}

Run Gphoto2(const testing::TempFolder& home) {
    return Measure({"gphoto2", "--port", gServer->GphotoPort(), "--camera", "PTP/IP Camera",
                    "--capture-image-and-download", "--force-overwrite"},
                   {"HOME=" + home.path()}, home.path());
}

void BM_DemoAgainstGphoto2(benchmark::State& state) {
    // Each in a home of its own (libgphoto2 keeps its settings there); the folders are
    // on the same file system.
    testing::TempFolder talbexHome("talbex-bench-demo"), gphoto2Home("talbex-bench-gphoto2");
    // The camera builds the first picture of a size; both programs have run once.
    if (!Talbex(talbexHome).ok || !Gphoto2(gphoto2Home).ok) {
        state.SkipWithError("a first picture did not come through");
        return;
    }
    for (auto _ : state) {
        const bool talbexFirst = gTalbex.wall.size() % 2 == 0;
        Run talbex, gphoto2;
        if (talbexFirst) {
            talbex = Talbex(talbexHome);
            gphoto2 = Gphoto2(gphoto2Home);
        } else {
            gphoto2 = Gphoto2(gphoto2Home);
            talbex = Talbex(talbexHome);
        }
        if (!talbex.ok || !gphoto2.ok) {
            state.SkipWithError(talbex.ok ? "gphoto2 brought no picture"
                                          : "talbex --demo brought no picture");
            return;
        }
        gTalbex.Add(talbex);
        gGphoto2.Add(gphoto2);
        state.SetIterationTime(talbex.wall);
    }
}
BENCHMARK(BM_DemoAgainstGphoto2)
    ->Iterations(talbex::bench::Scaled(15, 3))
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    {
        testing::ServedCameraProcess server;
        std::string error;
        if (server.Start("[camera]\npicture_bytes = " + std::to_string(kPictureBytes) + "\n",
                         &error)) {
            gServer = &server;
            benchmark::RunSpecifiedBenchmarks();
            gServer = nullptr;
        } else {
            std::fprintf(stderr, "sim-serve: %s\n", error.c_str());
        }
    }
    benchmark::Shutdown();
    const bool measured = !gTalbex.wall.empty();
    if (measured) {
        using bench::Median;
        const double wall = Median(gTalbex.wall) / Median(gGphoto2.wall);
        const double cpu = Median(gTalbex.cpu) / Median(gGphoto2.cpu);
        const double peak = Median(gTalbex.peak) / Median(gGphoto2.peak);
        std::printf(
            "\nmedian of %zu runs each: talbex --demo %.0f ms wall, %.0f ms processor, %.1f MiB "
            "peak; gphoto2 --capture-image-and-download %.0f ms wall, %.0f ms processor, %.1f "
            "MiB peak\n",
            gTalbex.wall.size(), Median(gTalbex.wall) * 1e3, Median(gTalbex.cpu) * 1e3,
            Median(gTalbex.peak), Median(gGphoto2.wall) * 1e3, Median(gGphoto2.cpu) * 1e3,
            Median(gGphoto2.peak));
        std::printf(
            "talbex --demo / gphoto2 --capture-image-and-download, a 25 MB picture through "
            "libgphoto2: wall time %.2f, processor time %.2f (goal <= 1.0: %s), peak memory "
            "%.2f\n",
            wall, cpu, wall <= 1.0 && cpu <= 1.0 ? "met" : "NOT met", peak);
    }
    return bench::Finish(measured, "talbex --demo against the gphoto2 command");
}
