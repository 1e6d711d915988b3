// A 25 MB picture brought through libgphoto2 from `talbex sim-serve` (the simulated
// camera served over PTP/IP by a process of its own, on loopback) into a file by the
// transfer command, against writing the same bytes to a file in the same folder and
// flushing them, in one run. Goal: at least 0.3 of the plain write's throughput.
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>
#include <vector>

#include "bench_mode.h"
#include "camera/camera_model.h"
#include "camera/download_command.h"
#include "camera/sdk/gphoto2/gphoto2_backend.h"
#include "camera/sdk/sdk.h"
#include "camera/session_commands.h"
#include "picture_arrival.h"
#include "support/served_camera_process.h"

namespace {

namespace fs = std::filesystem;
using namespace talbex;
using Clock = std::chrono::steady_clock;

constexpr uint64_t kPictureBytes = 25ull << 20;

struct Session {
    bool Open() {
        std::string error;
        if (!server.Start("[camera]\npicture_bytes = " + std::to_string(kPictureBytes) + "\n",
                          &error)) {
            std::fprintf(stderr, "sim-serve: %s\n", error.c_str());
            return false;
        }
        SdkUseBackend(std::make_shared<gphoto::Gphoto2Backend>("", server.GphotoPort()));
        if (SdkInitialize() != kSdkOk)
            return false;
        SdkCameraListRef list = nullptr;
        SdkGetCameraList(&list);
        SdkGetChildAtIndex(list, 0, &camera);
        SdkRelease(list);
        SdkDeviceInfo info{};
        if (camera == nullptr || SdkGetDeviceInfo(camera, &info) != kSdkOk)
            return false;
        model = camera::createCameraModel(camera, info);
        SdkSetObjectEventHandler(camera, kObjectEventAll, &bench::PictureArrival::OnObject,
                                 nullptr);
        camera::OpenSessionCommand(model.get()).execute();  // pictures to the computer
        folder = fs::temp_directory_path() /
                 ("talbex_gphoto2_transfer_bench_" + std::to_string(::getpid()));
        fs::create_directories(folder);
        return true;
    }
    ~Session() {
        if (model)
            camera::CloseSessionCommand(model.get()).execute();
        if (camera != nullptr)
            SdkRelease(camera);
        SdkTerminate();
        SdkUseBackend(nullptr);
        fs::remove_all(folder);
    }
    testing::ServedCameraProcess server;
    SdkCameraRef camera = nullptr;
    std::unique_ptr<camera::CameraModel> model;
    fs::path folder;
};

Session* gSession = nullptr;
std::vector<double> gTransfer, gWrite;
std::vector<char> gBytes;  // the last picture, for the plain writes

// Seconds of one transfer; 0 when none came.
double TransferOnce() {
    SdkDirectoryItemRef item = bench::PictureArrival::Take(gSession->camera);
    if (item == nullptr)
        return 0;
    std::string landed;
    camera::DownloadCommand::Hooks hooks;
    hooks.landed = [&](const std::string& path) { landed = path; };
    camera::DownloadCommand command(gSession->model.get(), item, gSession->folder.string(), hooks);
    const auto begin = Clock::now();
    command.execute();
    const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    if (landed.empty() || fs::file_size(landed) != kPictureBytes)
        return 0;
    std::ifstream in(landed, std::ios::binary);
    gBytes.assign(std::istreambuf_iterator<char>(in), {});
    fs::remove(landed);
    return seconds;
}

double WriteOnce() {
    const fs::path path = gSession->folder / "plain.JPG";
    const auto begin = Clock::now();
    if (std::FILE* file = std::fopen(path.c_str(), "w+b")) {
        std::fwrite(gBytes.data(), 1, gBytes.size(), file);
        std::fflush(file);
        ::fsync(::fileno(file));
        std::fclose(file);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    fs::remove(path);
    return seconds;
}

// Transfers and plain writes alternate, each going first in turn.
void BM_TransferThroughLibgphoto2(benchmark::State& state) {
    if (TransferOnce() <= 0) {  // the first picture of a size is built by the camera
        state.SkipWithError("no picture came through libgphoto2");
        return;
    }
    for (auto _ : state) {
        double transfer, write;
        if (gTransfer.size() % 2 == 0) {
            transfer = TransferOnce();
            write = WriteOnce();
        } else {
            write = WriteOnce();
            transfer = TransferOnce();
        }
        if (transfer <= 0) {
            state.SkipWithError("a picture did not come");
            return;
        }
        gTransfer.push_back(transfer);
        gWrite.push_back(write);
        state.SetIterationTime(transfer);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPictureBytes));
}
BENCHMARK(BM_TransferThroughLibgphoto2)
    ->Iterations(talbex::bench::Scaled(12, 2))
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    bool measured = false;
    {
        Session session;
        if (session.Open()) {
            gSession = &session;
            benchmark::RunSpecifiedBenchmarks();
            gSession = nullptr;
        }
    }
    benchmark::Shutdown();
    if (!gTransfer.empty()) {
        std::vector<double> ratios;
        for (size_t i = 0; i < gTransfer.size(); ++i)
            ratios.push_back(gWrite[i] / gTransfer[i]);
        const double mb = kPictureBytes / 1048576.0;
        const double ratio = bench::Median(ratios);
        std::printf(
            "\nmedian of %zu: through libgphoto2 %.0f ms (%.0f MB/s), plain write flushed "
            "%.0f ms (%.0f MB/s)\n",
            gTransfer.size(), bench::Median(gTransfer) * 1e3, mb / bench::Median(gTransfer),
            bench::Median(gWrite) * 1e3, mb / bench::Median(gWrite));
        std::printf(
            "transfer through libgphoto2 / flushed plain write throughput ratio (median "
            "of pairs): %.2f (goal >= 0.3: %s)\n",
            ratio, ratio >= 0.3 ? "met" : "NOT met");
        measured = true;
    }
    return bench::Finish(measured, "a transfer through libgphoto2 against a plain write");
}
