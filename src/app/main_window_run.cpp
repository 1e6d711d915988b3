#include "app/main_window_run.h"

#include <chrono>
#include <thread>

#include "app/locked_output.h"
#include "app/main_window_setup.h"
#include "app/printing_launcher.h"
#include "app/run_ending.h"
#include "app/script_driver.h"
#include "camera/sdk/sdk_backend.h"
#include "info/camera_parameters_runner.h"
#include "platform/os/file_io.h"
#include "platform/os/program_directory.h"
#include "platform/os/quit_signals.h"
#include "platform/ui/change_listener.h"
#include "platform/ui/headless_prompts.h"
#include "platform/ui/printable_text.h"
#include "platform/ui/prompts.h"
#include "shell/shipped_files.h"
#include "shell/vellmora_app.h"

namespace talbex::app {

namespace {

// Every text here comes from the camera.
void PrintIdentity(std::ostream& out, const web::CameraIdentity& id) {
    using ui::PrintableText;
    out << "identity: model=" << PrintableText(id.model) << "; lens=" << PrintableText(id.lens)
        << "; serial=" << PrintableText(id.serialNumber)
        << "; shutter count=" << PrintableText(id.shutterCount)
        << "; firmware=" << PrintableText(id.firmware) << "; owner=" << PrintableText(id.owner)
        << "; artist=" << PrintableText(id.artist) << "; copyright=" << PrintableText(id.copyright)
        << std::endl;
}

}  // namespace

int RunMainWindow(const MainWindowRunOptions& options, std::ostream& target, std::ostream& err) {
    // First, before any thread starts: a quit signal becomes the program's stop request.
    std::mutex quitMutex;
    shell::CVellmoraApp* running = nullptr;  // guarded by quitMutex
    int quitSignal = 0;                      // guarded by quitMutex
    os::QuitSignals signals([&](int signal) {
        std::lock_guard lock(quitMutex);
        quitSignal = signal;
        if (running != nullptr)
            running->RequestStop();
    });

    Script script;
    std::string problem;
    if (!options.scriptPath.empty()) {
        // Never a FIFO or device (it could block or flood the run) and never more than a
        // script of any sensible length.
        const std::optional<std::string> text =
            os::ReadRegularFile(options.scriptPath, os::kMaxTextFileBytes, &problem);
        if (!text) {
            err << "talbex: cannot read the script " << problem << std::endl;
            return 2;
        }
        if (!ParseScript(*text, &script, &problem)) {
            err << "talbex: script " << options.scriptPath << " " << problem << std::endl;
            return 2;
        }
    }
    if (!MakeBackendFromEnvironment(&problem)) {
        err << "talbex: " << problem << std::endl;
        return 2;
    }

    LockedBuffer shared(target);
    std::ostream out(&shared);  // window thread
    ui::HeadlessPrompts prompts(&out);
    prompts.SetDefaultYesNo(ui::MessageBoxAnswer::kNo);  // no to the update offer
    for (const auto& [text, answer] : options.answers)
        prompts.AddRule(text, answer);
    ui::PrintingChangeListener changes(out);
    PrintingLauncher launcher(out);
    ui::SetMessageBoxes(&prompts);
    ui::SetFolderChooser(&prompts);
    ui::SetChangeListener(&changes);

    if (os::EnsureProgramDirectory(nullptr))
        shell::InstallShippedFiles(os::ProgramDirectory(), options.version);

    shell::MainWindowSetup setup = ProgramMainWindowSetup(options, &launcher);
    setup.modeCheckPause = std::chrono::milliseconds(500);
    setup.onIdentified = [&out](const web::CameraIdentity& id) { PrintIdentity(out, id); };
    shell::CVellmoraApp app(setup);
    {
        std::lock_guard lock(quitMutex);
        running = &app;
        if (quitSignal != 0)
            app.RequestStop();
    }

    Ending ending;
    std::thread timer;
    if (options.seconds) {
        timer = std::thread([&] {
            if (ending.WaitFor(std::chrono::duration<double>(*options.seconds))) {
                std::ostream(&shared)
                    << "time is up after " << *options.seconds << " s" << std::endl;
                app.RequestStop();
            }
        });
    }
    std::thread driver;
    if (!options.scriptPath.empty()) {
        driver = std::thread([&] {
            std::ostream driverOut(&shared);
            ScriptDriver run(
                prompts, driverOut, [&] { app.RequestStop(); },
                [&] { return ending.IsFinished(); });
            run.Run(script);
        });
    }
    const int status = app.Run();
    {
        std::lock_guard lock(quitMutex);
        running = nullptr;
        if (quitSignal != 0)
            out << "asked to quit by signal " << quitSignal << std::endl;
    }
    ending.Finished();
    if (timer.joinable())
        timer.join();
    if (driver.joinable())
        driver.join();
    ui::SetChangeListener(nullptr);
    ui::SetMessageBoxes(nullptr);
    ui::SetFolderChooser(nullptr);
    out.flush();
    return status;
}

}  // namespace talbex::app
