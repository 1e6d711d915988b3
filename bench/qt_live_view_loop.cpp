// The live-view loop in the desktop window against the same loop headless, in one run:
// simulated camera → download command → "EvfDataChanged" → hand-over to the window
// thread → draw → (Qt: shown in the picture widget, repainted on Qt's offscreen
// platform) → next request. The window is the tethering view maximised on a 1600 x 1000
// screen: the live view as large as the window lays it out, both guides over it and the
// histogram of every frame under it; the headless loop draws the same at the same size.
// Over 10,000 frames each (300 in a short run): frames per second, processor time per
// frame (all threads of the process), and resident memory. Goals: at least 60 frames per
// second in the window, at most 1.5 times the headless processor time per frame, and
// memory flat.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "bench_mode.h"
#include "camera/camera_commander.h"
#include "camera/camera_model.h"
#include "camera/sdk/sdk.h"
#include "camera/sdk/sdk_backend.h"
#include "camera/sdk/sim/sim_backend.h"
#include "controls/evf_picture_box.h"
#include "live_view_rig.h"
#include "platform/qt/qt_backend.h"
#include "platform/qt/surface_view.h"
#include "platform/ui/change_listener.h"
#include "platform/ui/dialog.h"
#include "platform/ui/user_input.h"
#include "resources/dialog_templates.h"

namespace {

using namespace talbex;
using namespace std::chrono_literals;

const long kFrames = bench::Scaled(10000L, 300L);
// The screen Qt's offscreen platform gets, and the window maximised on it.
constexpr int kScreenWidth = 1600;
constexpr int kScreenHeight = 1000;
// The first frames still fill the decoder's buffers, the scene's cache and the memory
// allocator's pools; memory is measured from there on.
const long kWarmUpFrames = bench::Scaled(2000L, 100L);

double ProcessCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

using bench::FrameCounter;
using bench::ResidentKilobytes;

struct Result {
    int pictureWidth = 0, pictureHeight = 0;  // the live view's surface
    double framesPerSecond = 0;
    double cpuMsPerFrame = 0;
    double paintsPerSecond = 0;  // Qt only
    long rssStart = 0, rssEnd = 0, rssPeak = 0;
};
Result gHeadless, gQt;

// One loop of kFrames frames. `inQt`: the window runs on this (the GUI) thread in a real
// Qt window; otherwise headless on a window thread of its own.
Result MeasureLoop(bool inQt) {
    Result result;
    bench::LiveViewRig rig(bench::LiveViewShape{true, kScreenWidth, kScreenHeight});
    if (!rig.ok())
        return result;
    auto& window = rig.window;
    auto& commander = rig.commander;

    FrameCounter counter;
    std::unique_ptr<qt::QtBackend> qtBackend;
    if (inQt) {
        qt::QtBackendOptions options;
        options.alsoTell = &counter;
        qtBackend = std::make_unique<qt::QtBackend>(options);
    } else {
        ui::SetChangeListener(&counter);
    }
    qt::SurfaceView* view = nullptr;  // read on the GUI thread only

    auto measure = [&] {
        while (!window->IsRunning())
            std::this_thread::sleep_for(1ms);
        ui::user::WaitUntilIdle(*window, 5s);  // set up: the picture has its listener
        commander->run();
        camera::fireActionEvent(commander.get(), "startEVF", nullptr);
        while (counter.frames < kWarmUpFrames)
            std::this_thread::sleep_for(1ms);
        uint64_t paints0 = 0, paints1 = 0;
        if (inQt)
            ui::user::RunOnWindowThread(*window, [&] {
                view = dynamic_cast<qt::SurfaceView*>(
                    qtBackend->windows().WindowOf(*window)->Control(1022));
                paints0 = view->framesPainted();
            });
        ui::user::WaitUntilIdle(*window, 5s);
        result.rssStart = result.rssPeak = ResidentKilobytes();
        const long frames0 = counter.frames;
        const double cpu0 = ProcessCpuSeconds();
        const auto t0 = std::chrono::steady_clock::now();
        const long step = kFrames / 10;  // memory is sampled ten times
        for (long next = frames0 + step; next <= frames0 + kFrames; next += step) {
            while (counter.frames < next)
                std::this_thread::sleep_for(1ms);
            result.rssPeak = std::max(result.rssPeak, ResidentKilobytes());
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        const double cpu = ProcessCpuSeconds() - cpu0;
        const long frames = counter.frames - frames0;
        result.rssEnd = ResidentKilobytes();
        if (inQt) {
            ui::user::RunOnWindowThread(*window, [&] { paints1 = view->framesPainted(); });
            ui::user::WaitUntilIdle(*window, 5s);
        }
        result.framesPerSecond = static_cast<double>(frames) / seconds;
        result.cpuMsPerFrame = cpu * 1000.0 / static_cast<double>(frames);
        result.paintsPerSecond = static_cast<double>(paints1 - paints0) / seconds;
        ui::user::RunOnWindowThread(*window, [&] {
            result.pictureWidth = window->picture.Surface()->Width();
            result.pictureHeight = window->picture.Surface()->Height();
        });
        ui::user::WaitUntilIdle(*window, 5s);
        ui::user::CloseWindow(*window);
    };

    if (inQt) {
        std::thread measurer(measure);
        window->DoModal();
        measurer.join();
    } else {
        std::thread windowThread([&] { window->DoModal(); });
        measure();
        windowThread.join();
    }
    qtBackend.reset();
    ui::SetChangeListener(nullptr);
    return result;
}

void Report(benchmark::State& state, const char* name, const Result& r) {
    state.counters["frames_per_s"] = r.framesPerSecond;
    state.counters["cpu_ms_per_frame"] = r.cpuMsPerFrame;
    state.counters["rss_growth_kB"] = static_cast<double>(r.rssEnd - r.rssStart);
    std::printf(
        "%s: live view %dx%d, %ld frames at %.1f frames/s, %.3f ms processor time per frame; "
        "resident memory %ld kB -> %ld kB (peak %ld kB, growth %+ld kB)\n",
        name, r.pictureWidth, r.pictureHeight, kFrames, r.framesPerSecond, r.cpuMsPerFrame,
        r.rssStart, r.rssEnd, r.rssPeak, r.rssEnd - r.rssStart);
}

void BM_HeadlessLiveViewLoop(benchmark::State& state) {
    for (auto _ : state)
        gHeadless = MeasureLoop(false);
    Report(state, "headless", gHeadless);
}
BENCHMARK(BM_HeadlessLiveViewLoop)->Iterations(1)->Unit(benchmark::kSecond);

void BM_QtLiveViewLoop(benchmark::State& state) {
    for (auto _ : state)
        gQt = MeasureLoop(true);
    Report(state, "Qt window", gQt);
    state.counters["paints_per_s"] = gQt.paintsPerSecond;
    std::printf("Qt window: the picture widget repainted %.1f times/s\n", gQt.paintsPerSecond);
}
BENCHMARK(BM_QtLiveViewLoop)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    // A screen of the size the window is maximised on, without window frames.
    char configPath[] = "/tmp/talbex-bench-screen-XXXXXX";
    const int config = mkstemp(configPath);
    if (config < 0)
        return talbex::bench::Finish(false, "the offscreen screen's settings");
    const std::string json =
        "{\"windowFrameMargins\": false, \"screens\": [{\"name\": \"bench\", \"x\": 0, "
        "\"y\": 0, \"width\": " +
        std::to_string(kScreenWidth) + ", \"height\": " + std::to_string(kScreenHeight) +
        ", \"logicalDpi\": 96, \"logicalBaseDpi\": 96}]}\n";
    const bool written =
        write(config, json.data(), json.size()) == static_cast<ssize_t>(json.size());
    close(config);
    if (!written)
        return talbex::bench::Finish(false, "the offscreen screen's settings");
    setenv("QT_QPA_PLATFORM", (std::string("offscreen:configfile=") + configPath).c_str(), 1);
    int qtArgc = 1;
    char name[] = "bench_qt_live_view_loop";
    char* qtArgv[] = {name, nullptr};
    std::unique_ptr<QApplication> application = talbex::qt::MakeApplication(qtArgc, qtArgv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    unlink(configPath);
    const bool measured = gHeadless.cpuMsPerFrame > 0 && gQt.cpuMsPerFrame > 0;
    if (measured)
        std::printf(
            "Qt window maximised to %dx%d with histogram and guides against headless: %.2f "
            "times the processor time per frame (goal <= 1.5: %s), %.1f frames/s (goal >= 60: "
            "%s)\n",
            kScreenWidth, kScreenHeight, gQt.cpuMsPerFrame / gHeadless.cpuMsPerFrame,
            gQt.cpuMsPerFrame / gHeadless.cpuMsPerFrame <= 1.5 ? "met" : "NOT met",
            gQt.framesPerSecond, gQt.framesPerSecond >= 60 ? "met" : "NOT met");
    return talbex::bench::Finish(measured, "the Qt window's live-view loop against headless");
}
