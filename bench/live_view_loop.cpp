// The whole live-view loop, headless: simulated camera → download command →
// "EvfDataChanged" → hand-over to the window thread → draw → next request. Counts the
// frames drawn over 10 seconds (2 in a short run) and watches the memory meanwhile. Goal:
// at least 60 frames per second, and no growth of memory over the run.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <thread>

#include "bench_mode.h"
#include "camera/camera_commander.h"
#include "camera/camera_model.h"
#include "camera/sdk/sdk.h"
#include "camera/sdk/sim/sim_backend.h"
#include "controls/evf_picture_box.h"
#include "live_view_rig.h"
#include "platform/ui/change_listener.h"
#include "platform/ui/dialog.h"
#include "platform/ui/user_input.h"
#include "resources/dialog_templates.h"

namespace {

using namespace talbex;
using namespace std::chrono_literals;

using bench::FrameCounter;
using bench::ResidentKilobytes;

double gFramesPerSecond = 0;

void BM_LiveViewLoop(benchmark::State& state) {
    for (auto _ : state) {
        bench::LiveViewRig rig;
        if (!rig.ok()) {
            state.SkipWithError("the simulated camera did not start");
            return;
        }
        auto& window = rig.window;
        auto& commander = rig.commander;
        FrameCounter counter;
        ui::SetChangeListener(&counter);

        std::thread windowThread([&] { window->DoModal(); });
        while (!window->IsRunning())
            std::this_thread::sleep_for(1ms);
        commander->run();
        camera::fireActionEvent(commander.get(), "startEVF", nullptr);
        // Warm up: the first frames, and a full cycle of the camera's scene.
        const auto firstFrameLimit = std::chrono::steady_clock::now() + 10s;
        while (counter.frames < 1 && std::chrono::steady_clock::now() < firstFrameLimit)
            std::this_thread::sleep_for(1ms);
        if (counter.frames < 1) {
            ui::user::CloseWindow(*window);
            windowThread.join();
            ui::SetChangeListener(nullptr);
            state.SkipWithError("no live-view frame within 10 s");
            return;
        }
        std::this_thread::sleep_for(bench::Scaled(2000ms, 500ms));

        const long rssStart = ResidentKilobytes();
        const long framesStart = counter.frames;
        const auto start = std::chrono::steady_clock::now();
        long rssPeak = rssStart;
        for (int second = 0; second < bench::Scaled(10, 2); ++second) {
            std::this_thread::sleep_for(1s);
            rssPeak = std::max(rssPeak, ResidentKilobytes());
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const long frames = counter.frames - framesStart;
        const long rssEnd = ResidentKilobytes();

        ui::user::CloseWindow(*window);
        windowThread.join();
        ui::SetChangeListener(nullptr);

        const double fps = frames / seconds;
        gFramesPerSecond = fps;
        state.counters["frames_per_s"] = fps;
        state.counters["rss_start_kB"] = static_cast<double>(rssStart);
        state.counters["rss_end_kB"] = static_cast<double>(rssEnd);
        state.counters["rss_growth_kB"] = static_cast<double>(rssEnd - rssStart);
        std::printf(
            "live-view loop: %ld frames in %.2f s = %.1f frames/s (goal >= 60); "
            "resident memory %ld kB -> %ld kB (peak %ld kB, growth %+ld kB)\n",
            frames, seconds, fps, rssStart, rssEnd, rssPeak, rssEnd - rssStart);
    }
}
BENCHMARK(BM_LiveViewLoop)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return talbex::bench::Finish(gFramesPerSecond > 0, "the live-view loop's frame rate");
}
