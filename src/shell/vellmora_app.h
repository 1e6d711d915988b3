// CVellmoraApp: the program's entry. It admits one running Talbex per user, then runs the
// main window in a loop: a main window that ends with OK (the camera was lost) is
// followed by a fresh one; any other end closes the program.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "camera/current_model.h"
#include "shell/talbex_main.h"

namespace talbex::shell {

class CVellmoraApp {
  public:
    /// `setup` is handed to every main window built.
    explicit CVellmoraApp(MainWindowSetup setup = {});

    /// Start-up and the restart loop. Answers 0 when the program ran and ended normally,
    /// 1 when it could not start (another instance, no usable program folder).
    int Run();

    /// Ends the program: the main window running now ends with Cancel and no new one is
    /// built. Any thread.
    void RequestStop();

    /// The camera model created last (not owned; only meaningful while a connection is
    /// open).
    static camera::CameraModel* currentModel() { return camera::currentModel; }

    /// Main windows built so far (the restart loop's passes).
    int windowsBuilt() const { return windowsBuilt_.load(); }

  private:
    MainWindowSetup setup_;
    std::mutex mutex_;
    CTALBEXMAIN* window_ = nullptr;  // guarded by mutex_: the window running now
    std::atomic<bool> stop_{false};
    std::atomic<int> windowsBuilt_{0};
};

}  // namespace talbex::shell
