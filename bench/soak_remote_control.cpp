// The soak run: the program's main window and remote-control window on the headless
// backend with the built-in simulated camera, driven by the program's own script driver as
// `talbex --script` drives them. Live view runs the whole time and a picture is taken every
// ten seconds into a save folder. Each minute prints resident memory, open descriptors,
// threads and the live-view frames per second of that minute; at the end, whether every
// picture taken is in the save folder and whether memory, descriptors and threads stayed
// flat (from the second minute on: the first one fills caches and pools). Not a test (it
// runs for minutes): bench/soak.sh builds and runs it.
//
//   bench_soak_remote_control [MINUTES [SECONDS_BETWEEN_PICTURES]]   (default 10 and 10)
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/script.h"
#include "app/script_driver.h"
#include "camera/sdk/sdk.h"
#include "camera/sdk/sim/sim_backend.h"
#include "info/camera_parameters_runner.h"
#include "platform/os/launcher.h"
#include "platform/ui/change_listener.h"
#include "platform/ui/headless_prompts.h"
#include "platform/ui/prompts.h"
#include "remote/remote_control_runner.h"
#include "shell/vellmora_app.h"

namespace {

using namespace talbex;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

struct Sample {
    long residentKiB = 0;
    long descriptors = 0;
    long threads = 0;
};

Sample TakeSample() {
    Sample s;
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    s.residentKiB = resident * (sysconf(_SC_PAGESIZE) / 1024);
    std::error_code ec;
    for (auto it = fs::directory_iterator("/proc/self/fd", ec); it != fs::directory_iterator();
         it.increment(ec))
        ++s.descriptors;
    --s.descriptors;  // the listing's own
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("Threads:", 0) == 0)
            s.threads = std::stol(line.substr(8));
    }
    return s;
}

// Counts the live-view pictures drawn in the remote-control window.
class FrameCounter final : public ui::ChangeListener {
  public:
    void OnChange(const ui::ChangeEvent& e) override {
        if (e.what == ui::ChangeEvent::What::kSurface && e.dialogId == 102 && e.controlId == 1022)
            ++frames;
    }
    std::atomic<long> frames{0};
};

class NoLauncher final : public os::Launcher {
  public:
    void OpenInBackground(const std::string&) override {}
    bool Run(const std::string&) override { return false; }
};

long CountFiles(const std::string& folder) {
    long n = 0;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        n += entry.is_regular_file();
    return n;
}

}  // namespace

int main(int argc, char** argv) {
    const int minutes = argc > 1 ? std::atoi(argv[1]) : 10;
    const int every = argc > 2 ? std::atoi(argv[2]) : 10;
    if (minutes < 2 || every < 1) {
        std::fprintf(stderr, "usage: %s [MINUTES (2 or more) [SECONDS_BETWEEN_PICTURES]]\n",
                     argv[0]);
        return 2;
    }
    char pattern[] = "/tmp/talbex-soak-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        return 2;
    const std::string root = std::string(pattern) + "/";
    const std::string home = root + "home/", photos = root + "photos";
    fs::create_directories(photos);
    setenv("TALBEX_HOME", home.c_str(), 1);

    // The script a person would follow: open the window, choose the folder, start live
    // view, then a picture every `every` seconds; stop live view, close, quit.
    std::ostringstream text;
    text << "wait 2.5\nclick 1014\nwait 1\nfolder " << photos << "\nclick 1068\nclick 1013\n";
    const int pictures = minutes * 60 / every;
    for (int i = 0; i < pictures; ++i)
        text << "wait " << every << "\nclick 1000\n";
    text << "wait 3\nclick 1014\nwait 1\nclose\nwait 1\nquit\n";
    app::Script script;
    std::string problem;
    if (!app::ParseScript(text.str(), &script, &problem)) {
        std::fprintf(stderr, "soak script: %s\n", problem.c_str());
        return 2;
    }

    auto backend = sim::InstallSimulatedCameras({sim::CameraSettings{}});
    ui::HeadlessPrompts prompts(&std::cout);
    FrameCounter frames;
    NoLauncher launcher;
    ui::SetMessageBoxes(&prompts);
    ui::SetFolderChooser(&prompts);
    ui::SetChangeListener(&frames);

    shell::MainWindowSetup setup;
    setup.localeId = [] { return 1033u; };
    setup.launcher = &launcher;
    setup.runRemoteControl = remote::RemoteControlRunner();
    setup.runCameraParameters = info::CameraParametersRunner();
    shell::CVellmoraApp application(setup);

    std::mutex mutex;
    std::condition_variable ended;
    bool finished = false;
    std::ostringstream driverOut;
    std::thread driver([&] {
        app::ScriptDriver run(
            prompts, driverOut, [&] { application.RequestStop(); },
            [&] {
                std::lock_guard lock(mutex);
                return finished;
            });
        run.Run(script);
    });

    std::vector<Sample> samples;
    std::thread sampler([&] {
        std::printf("minute  resident MiB  descriptors  threads  frames/s  pictures taken/saved\n");
        long framesBefore = 0;
        auto next = std::chrono::steady_clock::now() + 60s;
        for (int minute = 1;; ++minute) {
            {
                std::unique_lock lock(mutex);
                if (ended.wait_until(lock, next, [&] { return finished; }))
                    return;
            }
            next += 60s;
            const Sample s = TakeSample();
            const long drawn = frames.frames.load();
            samples.push_back(s);
            std::printf("%6d  %12.1f  %11ld  %7ld  %8.1f  %ld/%ld\n", minute,
                        s.residentKiB / 1024.0, s.descriptors, s.threads,
                        (drawn - framesBefore) / 60.0,
                        static_cast<long>(backend->Camera(0)->PicturesTaken()), CountFiles(photos));
            std::fflush(stdout);
            framesBefore = drawn;
        }
    });

    const int status = application.Run();
    {
        std::lock_guard lock(mutex);
        finished = true;
    }
    ended.notify_all();
    driver.join();
    sampler.join();
    ui::SetChangeListener(nullptr);
    ui::SetFolderChooser(nullptr);
    ui::SetMessageBoxes(nullptr);
    std::cout << driverOut.str();

    const long taken = backend->Camera(0)->PicturesTaken();
    const long saved = CountFiles(photos);
    bool flat = samples.size() >= 2;
    if (flat) {
        const Sample& from = samples[1 < samples.size() - 1 ? 1 : 0];
        for (size_t i = 1; i < samples.size(); ++i) {
            flat &=
                samples[i].descriptors == from.descriptors && samples[i].threads == from.threads;
        }
        // Memory: within 4 MiB of the second minute's (allocator pools breathe a little).
        flat &= samples.back().residentKiB - from.residentKiB < 4 * 1024;
    }
    std::printf(
        "pictures asked for %d, taken %ld, in the save folder %ld; memory, descriptors and "
        "threads %s\n",
        pictures, taken, saved, flat ? "flat" : "NOT flat");
    const bool met = status == 0 && flat && taken > 0 && saved == taken;
    std::printf("soak goal %s\n", met ? "met" : "MISSED");
    std::error_code ec;
    if (met)
        fs::remove_all(root, ec);
    else
        std::printf("kept for a look: %s\n", root.c_str());
    return met ? 0 : 1;
}
