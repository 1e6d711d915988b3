#include "platform/qt/desktop_windows.h"

#include <stdlib.h>

#include "platform/qt/qt_backend.h"

namespace talbex::qt {

struct DesktopWindows::Parts {
    std::unique_ptr<QApplication> application;
    std::unique_ptr<QtBackend> backend;
};

DesktopWindows::DesktopWindows(const std::string& platform, PageServices pages)
    : parts_(std::make_unique<Parts>()) {
    setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
    // Qt sees no option of the command line: it is the program's.
    static char name[] = "talbex";
    static char* argv[] = {name, nullptr};
    static int argc = 1;
    parts_->application = MakeApplication(argc, argv);
    QtBackendOptions options;
    options.pages = std::move(pages);
    parts_->backend = std::make_unique<QtBackend>(std::move(options));
}

DesktopWindows::~DesktopWindows() {
    parts_->backend.reset();  // before the application it lives in
}

void DesktopWindows::DismissPrompts() {
    QtBackend* backend = parts_->backend.get();
    backend->PostToGui([backend] { backend->prompts().DismissAll(); });
}

}  // namespace talbex::qt
