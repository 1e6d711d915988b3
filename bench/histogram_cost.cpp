// What the live histogram costs: drawing a live-view frame in the remote-control window
// maximised to 1600 x 1000 (decode, stretch with the histogram counted in the same pass,
// guides, overlay, and the histogram drawn under the picture, as the window does it),
// against the part of that which is the histogram's: the stretch with the histogram
// counted less the same stretch without, plus drawing the histogram. Each round times
// all of them in turn on this thread (processor time), so a busy machine weighs on them
// alike, and every figure is the median of the rounds' (the counting cost the median of
// each round's difference of the two stretches), so a round the machine slowed does not
// swing it. Goal: the histogram at most 10 % of a frame's drawing time.
#include <benchmark/benchmark.h>
#include <time.h>

#include <cstdio>
#include <vector>

#include "bench_mode.h"
#include "camera/evf_data_set.h"
#include "camera/sdk/sdk.h"
#include "camera/sdk/sdk_backend.h"
#include "camera_frame.h"
#include "controls/evf_picture_box.h"
#include "controls/histogram_view.h"
#include "median.h"
#include "platform/raster/jpeg_decoder.h"
#include "platform/raster/stretch.h"
#include "platform/ui/dialog.h"
#include "remote/remote_control_layout.h"
#include "resources/dialog_templates.h"

namespace {

using namespace talbex;

constexpr int kWindowWidth = 1600;
constexpr int kWindowHeight = 1000;

double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Each round's processor seconds.
struct Rounds {
    std::vector<double> frame;             // DrawFrame with the histogram view drawn
    std::vector<double> withHistogram;     // decode + stretch counting the histogram
    std::vector<double> withoutHistogram;  // decode + stretch alone
    std::vector<double> countingCost;      // with less without the histogram
    std::vector<double> view;              // drawing the histogram
    int pictureWidth = 0, pictureHeight = 0, viewWidth = 0, viewHeight = 0;
} gRounds;

void BM_HistogramCost(benchmark::State& state) {
    const std::vector<uint8_t> jpeg = bench::CameraFrame();
    if (jpeg.empty()) {
        state.SkipWithError("no frame from the simulated camera");
        return;
    }
    SdkUseBackend(MakeNoCameraBackend());
    SdkInitialize();
    auto stream = MakeMemoryStream(jpeg.size());
    stream->Write(jpeg.data(), jpeg.size());
    SdkStreamRef ref = SdkRegisterObject(stream);

    // The remote-control window at 1600 x 1000: its picture and histogram where the
    // window lays them out for the camera's frames.
    int frameWidth = 0, frameHeight = 0;
    raster::JpegSize(jpeg.data(), jpeg.size(), &frameWidth, &frameHeight);
    const ui::DialogTemplate& dialog = resources::RemoteControlDialog();
    const remote::RemoteLayout layout = remote::LayOutRemoteControl(
        dialog, kWindowWidth, kWindowHeight, frameWidth, frameHeight, false);
    ui::Dialog window(dialog);
    controls::CEVFPictureBox picture;
    controls::CHistogramView view;
    window.AttachControl(1022, picture);
    window.AttachControl(1080, view);
    picture.MoveWindow(layout.picture);
    view.MoveWindow(layout.histogram);
    picture.setGuides(controls::kGuideThirds | controls::kGuideCentre);
    picture.setFrameDrawn(
        [&](const raster::Histogram& histogram, int, int) { view.Show(histogram); });
    camera::EvfDataSet data{};
    data.stream = ref;
    data.zoom = 1;
    data.zoomRect = {2400, 1600, 1200, 800};
    data.coordinateSystem = {6000, 4000};

    raster::JpegDecoder decoder;
    raster::Bitmap scratch;
    raster::Bitmap target(picture.Surface()->Width(), picture.Surface()->Height());
    const raster::Rect whole{0, 0, target.Width(), target.Height()};
    raster::Histogram counted, shown;
    for (auto _ : state) {
        double t0 = ThreadSeconds();
        picture.DrawFrame(data);
        double t1 = ThreadSeconds();
        gRounds.frame.push_back(t1 - t0);

        // The two stretches take turns at going first.
        double stretch[2] = {0, 0};  // without, with the histogram
        for (int turn = 0; turn < 2; ++turn) {
            const bool counting = (turn == 0) == (gRounds.frame.size() % 2 == 0);
            counted.Clear();
            t0 = ThreadSeconds();
            raster::DecodeJpegOnto(decoder, jpeg.data(), jpeg.size(), scratch, target, whole,
                                   nullptr, counting ? &counted : nullptr);
            t1 = ThreadSeconds();
            stretch[counting ? 1 : 0] = t1 - t0;
            if (counting)
                shown = counted;
        }
        gRounds.withoutHistogram.push_back(stretch[0]);
        gRounds.withHistogram.push_back(stretch[1]);
        gRounds.countingCost.push_back(stretch[1] - stretch[0]);

        t0 = ThreadSeconds();
        view.Show(shown);
        t1 = ThreadSeconds();
        gRounds.view.push_back(t1 - t0);
    }
    gRounds.pictureWidth = picture.Surface()->Width();
    gRounds.pictureHeight = picture.Surface()->Height();
    gRounds.viewWidth = view.Surface()->Width();
    gRounds.viewHeight = view.Surface()->Height();
    state.counters["picture_width"] = gRounds.pictureWidth;
    state.counters["picture_height"] = gRounds.pictureHeight;
    SdkRelease(ref);
    SdkTerminate();
    SdkUseBackend(nullptr);
}
BENCHMARK(BM_HistogramCost)->Unit(benchmark::kMillisecond)->MinTime(bench::Scaled(10.0, 1.0));

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    using bench::Median;
    const double frame = Median(gRounds.frame);
    const bool measured = frame > 0;
    if (measured) {
        // A median below zero says counting costs less than this run can tell apart.
        const double difference = Median(gRounds.countingCost);
        const double counting = difference > 0 ? difference : 0;
        const double drawing = Median(gRounds.view);
        const double share = (counting + drawing) / frame;
        std::printf(
            "\n%zu frames: picture %dx%d, histogram %dx%d; per frame (processor time, median) "
            "drawing %.3f ms, stretch with the histogram %.3f ms, without %.3f ms, histogram "
            "drawn %.3f ms\n",
            gRounds.frame.size(), gRounds.pictureWidth, gRounds.pictureHeight, gRounds.viewWidth,
            gRounds.viewHeight, frame * 1e3, Median(gRounds.withHistogram) * 1e3,
            Median(gRounds.withoutHistogram) * 1e3, drawing * 1e3);
        if (difference <= 0)
            std::printf(
                "counting the histogram cost less than the noise between two stretches "
                "(median difference %.3f ms)\n",
                difference * 1e3);
        std::printf(
            "the histogram (counted %.3f ms + drawn %.3f ms) / a frame's drawing: %.1f %% "
            "(goal <= 10 %%: %s)\n",
            counting * 1e3, drawing * 1e3, share * 100, share <= 0.10 ? "met" : "NOT met");
    }
    return bench::Finish(measured, "the histogram's share of drawing a frame");
}
