// Drawing one live-view frame (decode, stretch onto the remote-control window's picture,
// overlay) against decoding the same JPEG alone. Prints the ratio; the goal is at most 1.3.
// The frame comes from the simulated camera in live-view mode, as the window gets it.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "bench_mode.h"
#include "camera/evf_data_set.h"
#include "camera/sdk/sdk.h"
#include "camera/sdk/sdk_backend.h"
#include "camera/sdk/sim/sim_backend.h"
#include "camera_frame.h"
#include "controls/evf_picture_box.h"
#include "platform/raster/jpeg_decoder.h"
#include "platform/ui/dialog.h"
#include "resources/dialog_templates.h"

namespace {

using namespace talbex;

const std::vector<uint8_t>& Frame() {
    static const std::vector<uint8_t> frame = bench::CameraFrame();
    return frame;
}

void BM_DecodeAlone(benchmark::State& state) {
    const auto& jpeg = Frame();
    raster::JpegDecoder decoder;
    raster::Bitmap out;
    for (auto _ : state) {
        decoder.Decode(jpeg.data(), jpeg.size(), out);
        benchmark::DoNotOptimize(out.Row(0));
    }
    state.counters["width"] = out.Width();
    state.counters["height"] = out.Height();
}
BENCHMARK(BM_DecodeAlone)->Unit(benchmark::kMillisecond)->MinTime(bench::Scaled(2.0, 0.2));

void BM_DrawFrame(benchmark::State& state) {
    const auto& jpeg = Frame();
    SdkUseBackend(MakeNoCameraBackend());
    SdkInitialize();
    auto stream = MakeMemoryStream(jpeg.size());
    stream->Write(jpeg.data(), jpeg.size());
    SdkStreamRef ref = SdkRegisterObject(stream);
    // The remote-control window's picture frame, with nine focus frames and the zoom
    // rectangle drawn over every frame.
    ui::Dialog window(resources::RemoteControlDialog());
    controls::CEVFPictureBox picture;
    window.AttachControl(1022, picture);
    camera::EvfDataSet data{};
    data.stream = ref;
    data.zoom = 1;
    data.zoomRect = {2400, 1600, 1200, 800};
    data.coordinateSystem = {6000, 4000};
    for (auto _ : state) {
        picture.DrawFrame(data);
        benchmark::DoNotOptimize(picture.Surface()->Row(0));
    }
    state.counters["width"] = picture.ClientWidth();
    state.counters["height"] = picture.ClientHeight();
    SdkRelease(ref);
    SdkTerminate();
    SdkUseBackend(nullptr);
}
BENCHMARK(BM_DrawFrame)->Unit(benchmark::kMillisecond)->MinTime(bench::Scaled(2.0, 0.2));

// Keeps each benchmark's time per iteration so the ratio can be printed after the run.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}  // no colour codes in the logs
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.iterations > 0) {
                const std::string& name = run.run_name.function_name;
                seconds[name] = run.real_accumulated_time / run.iterations;
                cpuSeconds[name] = run.cpu_accumulated_time / run.iterations;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> seconds;
    std::map<std::string, double> cpuSeconds;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (Frame().empty())
        return bench::Finish(false, "a live-view frame from the simulated camera");
    std::printf("live-view frame: %zu bytes\n", Frame().size());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double decode = reporter.seconds["BM_DecodeAlone"];
    const double draw = reporter.seconds["BM_DrawFrame"];
    const double decodeCpu = reporter.cpuSeconds["BM_DecodeAlone"];
    const double drawCpu = reporter.cpuSeconds["BM_DrawFrame"];
    const bool measured = decode > 0 && draw > 0 && decodeCpu > 0 && drawCpu > 0;
    if (measured) {
        // On a loaded machine the processor time is the steadier of the two.
        std::printf(
            "DrawFrame / decode alone = %.3f by wall time (%.3f ms vs %.3f ms), "
            "%.3f by processor time (%.3f ms vs %.3f ms); goal <= 1.3\n",
            draw / decode, draw * 1e3, decode * 1e3, drawCpu / decodeCpu, drawCpu * 1e3,
            decodeCpu * 1e3);
    }
    benchmark::Shutdown();
    return bench::Finish(measured, "drawing a frame against decoding it");
}
