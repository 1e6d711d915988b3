// A 25 MB picture brought from the simulated camera into a file by the transfer command,
// against writing the same bytes to a file in the same folder, in one run. A transfer
// names its file only once the bytes are on disk, so the plain write it is measured
// against is flushed to disk too; the ratio against a write left in the page cache is
// printed beside it.
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <future>
#include <mutex>
#include <vector>

#include "bench_mode.h"
#include "camera/camera_model.h"
#include "camera/download_command.h"
#include "camera/sdk/sdk.h"
#include "camera/sdk/sim/sim_backend.h"
#include "camera/session_commands.h"
#include "picture_arrival.h"

namespace {

namespace fs = std::filesystem;
using namespace talbex;
using Clock = std::chrono::steady_clock;

constexpr uint64_t kPictureBytes = 25ull << 20;

// The camera's "picture waiting" event hands its item over here.
struct Session {
    Session() {
        backend = sim::InstallSimulatedCameras({sim::CameraSettings{}});
        backend->Camera(0)->SetPictureBytes(kPictureBytes);
        SdkInitialize();
        SdkCameraListRef list = nullptr;
        SdkGetCameraList(&list);
        SdkGetChildAtIndex(list, 0, &camera);
        SdkRelease(list);
        SdkDeviceInfo info{};
        SdkGetDeviceInfo(camera, &info);
        model = camera::createCameraModel(camera, info);
        SdkSetObjectEventHandler(camera, kObjectEventAll, &bench::PictureArrival::OnObject,
                                 nullptr);
        camera::OpenSessionCommand(model.get()).execute();
        folder =
            fs::temp_directory_path() / ("talbex_transfer_bench_" + std::to_string(::getpid()));
        fs::create_directories(folder);
    }
    ~Session() {
        camera::CloseSessionCommand(model.get()).execute();
        SdkRelease(camera);
        SdkTerminate();
        SdkUseBackend(nullptr);
        fs::remove_all(folder);
    }
    std::shared_ptr<sim::SimBackend> backend;
    SdkCameraRef camera = nullptr;
    std::unique_ptr<camera::CameraModel> model;
    fs::path folder;
};

Session* gSession = nullptr;
std::vector<double> gTransfer;
std::vector<double> gWrite;
std::vector<double> gCachedWrite;

double transferOnce() {
    SdkDirectoryItemRef item = bench::PictureArrival::Take(gSession->camera);
    camera::DownloadCommand command(gSession->model.get(), item, gSession->folder.string());
    auto begin = Clock::now();
    command.execute();
    double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    fs::remove(gSession->folder / gSession->backend->Camera(0)->LastPictureName());
    return seconds;
}

double writeOnce(const std::vector<uint8_t>& bytes, bool flush) {
    fs::path path = gSession->folder / "plain.JPG";
    auto begin = Clock::now();
    std::FILE* file = std::fopen(path.c_str(), "w+b");
    if (file != nullptr) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fflush(file);
        if (flush)
            ::fsync(::fileno(file));
        std::fclose(file);
    }
    double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    fs::remove(path);
    return seconds;
}

// Transfers and plain writes alternate (each going first in turn), so both see the same
// state of the disk cache and the same load from other programs.
void BM_TransferAgainstPlainWrite(benchmark::State& state) {
    transferOnce();  // the first picture of a size is built by the camera: not measured
    std::vector<uint8_t> bytes = gSession->backend->Camera(0)->LastPicture();
    for (auto _ : state) {
        double transfer, write, cached;
        if (gTransfer.size() % 2 == 0) {
            transfer = transferOnce();
            write = writeOnce(bytes, true);
            cached = writeOnce(bytes, false);
        } else {
            cached = writeOnce(bytes, false);
            write = writeOnce(bytes, true);
            transfer = transferOnce();
        }
        gTransfer.push_back(transfer);
        gWrite.push_back(write);
        gCachedWrite.push_back(cached);
        state.SetIterationTime(transfer);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPictureBytes));
}

BENCHMARK(BM_TransferAgainstPlainWrite)
    ->Iterations(talbex::bench::Scaled(24, 3))
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    Session session;
    gSession = &session;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    double transfer = bench::Median(gTransfer);
    double write = bench::Median(gWrite);
    const bool measured = transfer > 0 && write > 0;
    if (measured) {
        // Each transfer is paired with the writes next to it in time; the median of the
        // pairs' ratios shrugs off the moments when other programs take the disk or the CPU.
        std::vector<double> ratios, cachedRatios;
        for (size_t i = 0; i < gTransfer.size(); ++i) {
            ratios.push_back(gWrite[i] / gTransfer[i]);
            cachedRatios.push_back(gCachedWrite[i] / gTransfer[i]);
        }
        double mb = kPictureBytes / 1048576.0;
        double cached = bench::Median(gCachedWrite);
        std::printf(
            "\nmedian of %zu: transfer %.1f ms (%.0f MB/s), plain write flushed to disk %.1f ms "
            "(%.0f MB/s), left in the page cache %.1f ms (%.0f MB/s)\n",
            gTransfer.size(), transfer * 1e3, mb / transfer, write * 1e3, mb / write, cached * 1e3,
            mb / cached);
        double ratio = bench::Median(ratios);
        std::printf(
            "transfer / flushed plain write throughput ratio (median of pairs): %.2f (goal > 0.8: "
            "%s)\n",
            ratio, ratio > 0.8 ? "met" : "NOT met");
        std::printf("transfer / page-cache write throughput ratio (median of pairs): %.2f\n",
                    bench::Median(cachedRatios));
    }
    gSession = nullptr;
    return bench::Finish(measured, "a transfer against a plain write");
}
