// The simulated camera's speed where the program depends on it: one live-view frame
// fetched through the boundary and decoded (the live-view loop must reach 60 frames a
// second with drawing on top, so this alone must be faster), a 25 MB picture transferred
// into a file, a picture taken.
#include <benchmark/benchmark.h>
#include <jpeglib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_mode.h"
#include "camera/sdk/sdk.h"
#include "camera/sdk/sim/scene.h"
#include "camera/sdk/sim/sim_backend.h"

namespace {

using talbex::bench::Scaled;
using talbex::sim::CameraSettings;

double gFramesPerSecond = 0;

// One open camera behind the boundary for the length of a benchmark.
class Session {
  public:
    explicit Session(CameraSettings settings = {}) {
        backend_ = talbex::sim::InstallSimulatedCameras({settings});
        SdkInitialize();
        SdkCameraListRef list = nullptr;
        SdkGetCameraList(&list);
        SdkGetChildAtIndex(list, 0, &camera_);
        SdkRelease(list);
        SdkOpenSession(camera_);
    }
    ~Session() {
        SdkCloseSession(camera_);
        SdkRelease(camera_);
        SdkTerminate();
        SdkUseBackend(nullptr);
    }
    SdkCameraRef camera() const { return camera_; }
    talbex::sim::SimCamera& sim() { return *backend_->Camera(0); }

  private:
    std::shared_ptr<talbex::sim::SimBackend> backend_;
    SdkCameraRef camera_ = nullptr;
};

void Decode(const void* data, uint64_t size, std::vector<unsigned char>* rgb) {
    jpeg_decompress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, static_cast<const unsigned char*>(data), static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    rgb->resize(static_cast<size_t>(info.output_width) * info.output_height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row =
            rgb->data() + static_cast<size_t>(info.output_scanline) * info.output_width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
}

void BM_LiveViewFrameAndDecode(benchmark::State& state) {
    // What serving a frame costs, not the camera's frame rate: frames are always ready.
    CameraSettings settings;
    settings.liveViewFps = 1000000;
    Session session(settings);
    const uint32_t on = 1;
    SdkSetPropertyData(session.camera(), kPropEvfMode, 0, 4, &on);
    const uint32_t device = kEvfOutputDeviceComputer;
    SdkSetPropertyData(session.camera(), kPropEvfOutputDevice, 0, 4, &device);
    std::vector<unsigned char> rgb;
    int frames = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        // As the program does it: a fresh stream and image per frame.
        SdkStreamRef stream = nullptr;
        SdkEvfImageRef image = nullptr;
        SdkCreateMemoryStream(0x200000, &stream);
        SdkCreateEvfImageRef(stream, &image);
        if (SdkDownloadEvfImage(session.camera(), image) == kSdkOk) {
            const void* data = nullptr;
            uint64_t length = 0;
            SdkGetPointer(stream, &data);
            SdkGetLength(stream, &length);
            Decode(data, length, &rgb);
            ++frames;
        }
        SdkRelease(image);
        SdkRelease(stream);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.counters["frames/s"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
    gFramesPerSecond = seconds > 0 ? frames / seconds : 0;  // the last (measured) run's
}
BENCHMARK(BM_LiveViewFrameAndDecode)->Unit(benchmark::kMillisecond)->MinTime(Scaled(2.0, 0.2));

SdkError CountProgress(uint32_t, void* context, bool* cancel) {
    ++*static_cast<int*>(context);
    *cancel = false;
    return kSdkOk;
}

void BM_Transfer25MegabytePicture(benchmark::State& state) {
    Session session;
    session.sim().SetPictureBytes(25u << 20);
    const uint32_t host = kSaveToHost;
    SdkSetPropertyData(session.camera(), kPropSaveTo, 0, 4, &host);
    SdkSetCapacity(session.camera(), SdkCapacity{0x7FFFFFFF, 0x1000, 1});
    SdkSendCommand(session.camera(), kCameraCommandTakePicture, 0);
    const std::vector<uint8_t> bytes = session.sim().LastPicture();
    if (bytes.empty()) {
        state.SkipWithError("the camera took no picture");
        return;
    }
    // Transfer the picture's item, made the way the camera announces it.
    auto item = std::make_shared<talbex::sim::SimCamera::Item>();
    uint64_t generation = 0;
    session.sim().Present(&generation);
    item->camera = session.sim().shared_from_this();
    item->generation = generation;
    item->fileName = session.sim().LastPictureName();
    item->bytes = std::make_shared<const std::vector<uint8_t>>(bytes);
    SdkDirectoryItemRef ref = SdkRegisterObject(item);
    const std::string path = "/tmp/talbex_bench_" + std::to_string(getpid()) + ".jpg";
    int reports = 0;
    for (auto _ : state) {
        SdkStreamRef stream = nullptr;
        SdkCreateFileStream(path.c_str(), kFileCreateAlways, kAccessReadWrite, &stream);
        SdkSetProgressCallback(stream, CountProgress, kProgressPeriodically, &reports);
        if (SdkDownload(ref, bytes.size(), stream) != kSdkOk)
            state.SkipWithError("transfer failed");
        SdkRelease(stream);
    }
    SdkRelease(ref);
    std::remove(path.c_str());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_Transfer25MegabytePicture)->Unit(benchmark::kMillisecond)->MinTime(Scaled(0.5, 0.1));

// A frame drawn and encoded for the first time (later passes of the cycle reuse it).
void BM_DrawLiveViewFrame(benchmark::State& state) {
    double phase = 0;
    for (auto _ : state) {
        const auto image = talbex::sim::RenderScene(1024, 680, phase);
        benchmark::DoNotOptimize(talbex::sim::EncodeJpeg(image, 70));
        phase += 0.01;
    }
}
BENCHMARK(BM_DrawLiveViewFrame)->Unit(benchmark::kMillisecond)->MinTime(Scaled(0.5, 0.1));

void BM_TakePicture(benchmark::State& state) {
    Session session;
    for (auto _ : state)
        SdkSendCommand(session.camera(), kCameraCommandTakePicture, 0);
}
BENCHMARK(BM_TakePicture)->Unit(benchmark::kMillisecond)->MinTime(Scaled(0.5, 0.1));

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (gFramesPerSecond > 0)
        std::printf(
            "live-view frames fetched and decoded: %.0f a second, %.1f times the live-view "
            "loop's 60 (goal > 60 a second: %s)\n",
            gFramesPerSecond, gFramesPerSecond / 60, gFramesPerSecond > 60 ? "met" : "NOT met");
    return talbex::bench::Finish(gFramesPerSecond > 0, "the simulated camera's frame rate");
}
