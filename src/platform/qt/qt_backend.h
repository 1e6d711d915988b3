// The Qt 6 backend of the window framework, installed for as long as the object lives:
// the window thread (the thread that made the QApplication) waits on Qt's event loop,
// every dialog run on it gets a real window, and message boxes and the folder chooser
// are real ones, their standard buttons in the windows' language where Qt's translations
// are installed. Dialog code is the same as on the headless backend.
#pragma once

#include <QApplication>
#include <QSocketNotifier>

#include <functional>
#include <memory>
#include <string>

#include "platform/qt/gui_mailbox.h"
#include "platform/qt/page_view.h"
#include "platform/qt/qt_prompts.h"
#include "platform/qt/qt_queue_wait.h"
#include "platform/qt/qt_translations.h"
#include "platform/qt/qt_windows.h"

namespace talbex::qt {

struct QtBackendOptions {
    /// Remote pages and links of the page area (see page_view.h).
    PageServices pages;
    /// Hears every change too (the windows are shown either way).
    ui::ChangeListener* alsoTell = nullptr;
};

class QtBackend {
  public:
    /// On the thread that made the QApplication, before any window runs.
    explicit QtBackend(QtBackendOptions options = {});
    ~QtBackend();
    QtBackend(const QtBackend&) = delete;
    QtBackend& operator=(const QtBackend&) = delete;

    QtWindows& windows() { return *windows_; }
    QtPrompts& prompts() { return *prompts_; }
    QtTranslations& translations() { return *translations_; }
    /// Any thread: runs `task` on the GUI thread soon.
    void PostToGui(std::function<void()> task) { mailbox_->Post(std::move(task)); }

  private:
    std::shared_ptr<GuiMailbox> mailbox_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::unique_ptr<QtTranslations> translations_;  // outlives the windows that use it
    std::unique_ptr<QtWindows> windows_;
    std::unique_ptr<QtPrompts> prompts_;
    std::shared_ptr<QtQueueWait> wait_;
};

/// Makes the program's QApplication: its name, its icon and a 9-point font (dialog units
/// are measured in it) that also covers Chinese. `argc` must outlive it.
std::unique_ptr<QApplication> MakeApplication(int& argc, char** argv);

}  // namespace talbex::qt
