#include "app/desktop_run.h"

#include <functional>
#include <mutex>
#include <thread>

#include "app/main_window_setup.h"
#include "app/run_ending.h"
#include "camera/sdk/sdk_backend.h"
#include "platform/os/launcher.h"
#include "platform/os/program_directory.h"
#include "platform/os/quit_signals.h"
#include "platform/qt/desktop_platform.h"
#include "platform/qt/desktop_windows.h"
#include "shell/shipped_files.h"
#include "shell/vellmora_app.h"
#include "web/http_client.h"

namespace talbex::app {

std::optional<std::string> DesktopFor(const MainWindowRunOptions& options, std::string* why) {
    if (!MayShowWindows(options))
        return std::nullopt;
    return qt::DesktopPlatform(why);
}

int RunDesktopWindows(const MainWindowRunOptions& options, const std::string& platform,
                      std::ostream& err) {
    // First, before any thread starts (Qt starts some): a quit signal, like the time
    // running out, dismisses what is open and ends the windows.
    std::mutex stopMutex;
    std::function<void()> stop;  // guarded by stopMutex; set while the windows run
    bool stopAsked = false;      // guarded by stopMutex
    os::QuitSignals quitSignals([&](int) {
        std::lock_guard lock(stopMutex);
        stopAsked = true;
        if (stop)
            stop();
    });

    std::string problem;
    if (!MakeBackendFromEnvironment(&problem)) {
        err << "talbex: " << problem << std::endl;
        return 2;
    }
    os::SystemLauncher launcher;
    qt::PageServices pages;
    pages.fetch = [](const std::string& address) { return web::CHttpClient().Get(address); };
    pages.openLink = [&launcher](const std::string& address) {
        launcher.OpenInBackground(address);
    };
    qt::DesktopWindows windows(platform, pages);

    if (os::EnsureProgramDirectory(nullptr))
        shell::InstallShippedFiles(os::ProgramDirectory(), options.version);
    shell::MainWindowSetup setup = ProgramMainWindowSetup(options, &launcher);
    shell::CVellmoraApp app(setup);
    {
        std::lock_guard lock(stopMutex);
        // Nobody is there to answer what is open: it is dismissed, then the windows end.
        stop = [&windows, &app] {
            windows.DismissPrompts();
            app.RequestStop();
        };
        if (stopAsked)
            stop();
    }

    Ending ending;
    std::thread timer;
    if (options.seconds) {
        timer = std::thread([&] {
            if (!ending.WaitFor(std::chrono::duration<double>(*options.seconds)))
                return;
            std::lock_guard lock(stopMutex);
            stop();
        });
    }
    const int status = app.Run();
    {
        std::lock_guard lock(stopMutex);
        stop = nullptr;
    }
    ending.Finished();
    if (timer.joinable())
        timer.join();
    return status;
}

}  // namespace talbex::app
