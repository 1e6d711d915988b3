// Live view through libgphoto2 (its preview capture, from the test camera driver that
// libgphoto2 loads) against the simulated camera's own path, in one run: the whole loop
// of the remote-control window's live view, headless, with frames of the same size.
// Goals: at least 0.8 of the frames a second, at most 1.5 times the processor time a
// frame.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <time.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "bench_mode.h"
#include "camera/sdk/gphoto2/gphoto2_backend.h"
#include "live_view_rig.h"
#include "platform/ui/user_input.h"
#include "support/open_port.h"

namespace {

using namespace talbex;
using namespace std::chrono_literals;

struct Loop {
    double framesPerSecond = 0;
    double cpuPerFrame = 0;  // seconds
};
Loop gSimulated, gThroughLibgphoto2;

double ProcessSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

// Runs the loop on the rig's camera and measures it once warmed up.
Loop Measure(bench::LiveViewRig& rig) {
    if (!rig.ok())
        return {};
    bench::FrameCounter counter;
    ui::SetChangeListener(&counter);
    std::thread windowThread([&] { rig.window->DoModal(); });
    while (!rig.window->IsRunning())
        std::this_thread::sleep_for(1ms);
    rig.commander->run();
    camera::fireActionEvent(rig.commander.get(), "startEVF", nullptr);
    const auto limit = std::chrono::steady_clock::now() + 10s;
    while (counter.frames < 5 && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(1ms);
    Loop loop;
    if (counter.frames >= 5) {
        std::this_thread::sleep_for(bench::Scaled(1000ms, 300ms));
        const long frames0 = counter.frames;
        const double cpu0 = ProcessSeconds();
        const auto start = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(bench::Scaled(10s, 2s));
        const long frames = counter.frames - frames0;
        const double cpu = ProcessSeconds() - cpu0;
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (frames > 0)
            loop = {frames / seconds, cpu / frames};
    }
    ui::user::CloseWindow(*rig.window);
    windowThread.join();
    ui::SetChangeListener(nullptr);
    return loop;
}

void BM_SimulatedCamera(benchmark::State& state) {
    for (auto _ : state) {
        bench::LiveViewRig rig;
        gSimulated = Measure(rig);
        state.counters["frames_per_s"] = gSimulated.framesPerSecond;
    }
}
BENCHMARK(BM_SimulatedCamera)->Iterations(1)->Unit(benchmark::kSecond);

void BM_ThroughLibgphoto2(benchmark::State& state) {
    for (auto _ : state) {
        testing::OpenPort port;  // where the network camera counts as there
        bench::LiveViewRig rig(
            std::make_shared<gphoto::Gphoto2Backend>("Talbex Test Camera", port.GphotoPort()));
        gThroughLibgphoto2 = Measure(rig);
        state.counters["frames_per_s"] = gThroughLibgphoto2.framesPerSecond;
    }
}
BENCHMARK(BM_ThroughLibgphoto2)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    // Before libgphoto2 loads its drivers: the test camera alone, with frames the size of
    // the simulated camera's.
    setenv("CAMLIBS", TALBEX_TEST_CAMLIBS, 1);
    const SdkSize size = sim::CameraSettings{}.liveViewSize;
    setenv("TALBEX_TEST_CAMERA_FRAME",
           (std::to_string(size.width) + "x" + std::to_string(size.height)).c_str(), 1);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const Loop& sim = gSimulated;
    const Loop& gp = gThroughLibgphoto2;
    const bool measured = sim.framesPerSecond > 0 && gp.framesPerSecond > 0;
    if (measured) {
        const double rate = gp.framesPerSecond / sim.framesPerSecond;
        const double cpu = gp.cpuPerFrame / sim.cpuPerFrame;
        std::printf(
            "live view through libgphoto2 against the simulated camera's own path: %.1f against "
            "%.1f frames/s = %.2f (goal >= 0.8: %s); processor time a frame %.2f ms against "
            "%.2f ms = %.2f times (goal <= 1.5: %s)\n",
            gp.framesPerSecond, sim.framesPerSecond, rate, rate >= 0.8 ? "met" : "NOT met",
            gp.cpuPerFrame * 1e3, sim.cpuPerFrame * 1e3, cpu, cpu <= 1.5 ? "met" : "NOT met");
    }
    return bench::Finish(measured, "live view through libgphoto2 against the simulated camera");
}
