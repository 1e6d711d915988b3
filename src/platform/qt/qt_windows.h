// The change listener of the Qt backend: opens a window when a dialog starts its modal
// run on the GUI thread, shows every change of its data there, and closes the window
// when the run ends. Changes made on other threads (a worker enabling a button) are
// handed to the GUI thread through the mailbox. A window appears when its window thread
// first waits, so the user never sees it before its initialisation is done. Qt's own
// texts follow the language a window's icon tells (qt_translations.h).
#pragma once

#include <QWidget>

#include <memory>
#include <vector>

#include "platform/qt/dialog_window.h"
#include "platform/qt/gui_mailbox.h"
#include "platform/qt/page_view.h"
#include "platform/qt/qt_translations.h"
#include "platform/ui/change_listener.h"

namespace talbex::qt {

class QtWindows final : public ui::ChangeListener {
  public:
    /// `next`, when given, hears every change too (a printing listener, a test's);
    /// `translations`, when given, follows the windows' language (it must outlive this).
    QtWindows(std::shared_ptr<GuiMailbox> mailbox, PageServices pages,
              ui::ChangeListener* next = nullptr, QtTranslations* translations = nullptr);
    ~QtWindows() override;

    void OnChange(const ui::ChangeEvent& event) override;

    /// GUI thread: shows the windows opened since the last call.
    void ShowPending();
    /// GUI thread: the window of `dialog` (nullptr when it has none), the topmost one.
    DialogWindow* WindowOf(const ui::Dialog& dialog) const;
    DialogWindow* Topmost() const;

  private:
    void Apply(ui::Dialog* dialog, int controlId, ui::ChangeEvent::What what);
    bool OnGuiThread() const;

    std::shared_ptr<GuiMailbox> mailbox_;
    PageServices pages_;
    ui::ChangeListener* next_;
    QtTranslations* translations_;
    std::shared_ptr<bool> alive_;  // changes handed to the GUI thread hold a weak reference
    std::vector<std::unique_ptr<DialogWindow>> windows_;  // in opening order
    std::vector<DialogWindow*> pending_;                  // opened, not shown yet
};

}  // namespace talbex::qt
