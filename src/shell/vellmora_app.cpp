#include "shell/vellmora_app.h"

#include <optional>

#include "platform/os/diagnostics.h"
#include "platform/os/program_directory.h"
#include "platform/os/quit_request.h"
#include "platform/os/single_instance.h"
#include "platform/ui/prompts.h"
#include "shell/main_window_texts.h"
#include "shell/staging_area.h"

namespace talbex::shell {

CVellmoraApp::CVellmoraApp(MainWindowSetup setup) : setup_(std::move(setup)) {}

int CVellmoraApp::Run() {
    std::string problem;
    if (!os::EnsureProgramDirectory(&problem)) {
        ui::ShowMessageBox(problem);
        return 1;
    }
    // One run per program folder whatever the environment (a cron job or an ssh login
    // has no runtime folder), and one per user where the session has a runtime folder.
    // Both are held until Run returns.
    const std::string programDirectory = os::ProgramDirectory();
    os::SingleInstanceLock folderLock(programDirectory, "talbex");
    std::optional<os::SingleInstanceLock> userLock;
    if (const std::string user = os::SingleInstanceDirectory(programDirectory);
        user != programDirectory)
        userLock.emplace(user, "talbex");
    if (folderLock.unavailable())
        os::Diagnostic("no single-instance lock could be taken in %s; running without one\n",
                       programDirectory.c_str());
    const auto heldElsewhere = [](const os::SingleInstanceLock& lock) {
        return !lock.unavailable() && !lock.acquired();
    };
    if (heldElsewhere(folderLock) || (userLock && heldElsewhere(*userLock))) {
        ui::ShowMessageBox(kOnlyInstance);
        return 1;
    }
    // No other run uses the program folder, and no camera is open yet. A transfer's file
    // that a running program still writes is locked, and stays even so.
    if (folderLock.acquired())
        RemoveUnfinishedTransfers(programDirectory);
    // One store for every main window, in the program folder: a window rebuilt after the
    // camera was lost during a test shot, or the next run after a crash, still knows the
    // user's settings.
    if (!setup_.unrestoredSettings)
        setup_.unrestoredSettings =
            std::make_shared<UnrestoredSettings>(UnrestoredSettingsFile(programDirectory));
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
