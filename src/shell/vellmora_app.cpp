#include "shell/vellmora_app.h"

#include "platform/os/diagnostics.h"
#include "platform/os/program_directory.h"
#include "platform/os/quit_request.h"
#include "platform/os/single_instance.h"
#include "platform/ui/prompts.h"
#include "shell/main_window_texts.h"
#include "shell/staging_area.h"

namespace talbex::shell {

CVellmoraApp::CVellmoraApp(MainWindowSetup setup) : setup_(std::move(setup)) {
    // One store for every main window: a window rebuilt after the camera was lost during
    // a test shot still knows the user's settings.
    if (!setup_.unrestoredSettings)
        setup_.unrestoredSettings = std::make_shared<UnrestoredSettings>();
}

int CVellmoraApp::Run() {
    std::string problem;
    if (!os::EnsureProgramDirectory(&problem)) {
        ui::ShowMessageBox(problem);
        return 1;
    }
    // Per user, whatever program folder each run uses: the lock lives in the user's
    // runtime folder (else the program folder). Held until Run returns.
    const std::string lockDirectory = os::SingleInstanceDirectory(os::ProgramDirectory());
    os::SingleInstanceLock lock(lockDirectory, "talbex");
    if (lock.unavailable())
        os::Diagnostic("no single-instance lock could be taken in %s; running without one\n",
                       lockDirectory.c_str());
    if (!lock.unavailable() && !lock.acquired()) {
        ui::ShowMessageBox(kOnlyInstance);
        return 1;
    }
    // No other run uses the program folder (when the lock says so), and no camera is
    // open yet.
    if (lock.acquired())
        RemoveUnfinishedTransfers(os::ProgramDirectory());
    int result = ui::kIdOk;
    while (result == ui::kIdOk && !stop_) {
        auto window = std::make_unique<CTALBEXMAIN>(setup_);
        {
            std::lock_guard guard(mutex_);
            window_ = window.get();
        }
        ++windowsBuilt_;
        if (stop_)
            window->RequestStop();
        result = window->DoModal();
        {
            std::lock_guard guard(mutex_);
            window_ = nullptr;
        }
    }
    return 0;
}

void CVellmoraApp::RequestStop() {
    os::RequestQuit();
    stop_ = true;
    std::lock_guard guard(mutex_);
    if (window_ != nullptr)
        window_->RequestStop();
}

}  // namespace talbex::shell
