#include "platform/qt/qt_windows.h"

#include <QCoreApplication>
#include <QScreen>
#include <QThread>

#include <algorithm>

namespace talbex::qt {

QtWindows::QtWindows(std::shared_ptr<GuiMailbox> mailbox, PageServices pages,
                     ui::ChangeListener* next, QtTranslations* translations)
    : mailbox_(std::move(mailbox)),
      pages_(std::move(pages)),
      next_(next),
      translations_(translations),
      alive_(std::make_shared<bool>(true)) {}

QtWindows::~QtWindows() = default;

bool QtWindows::OnGuiThread() const {
    return QCoreApplication::instance() != nullptr &&
           QThread::currentThread() == QCoreApplication::instance()->thread();
}

void QtWindows::OnChange(const ui::ChangeEvent& event) {
    if (next_ != nullptr)
        next_->OnChange(event);
    if (event.dialog == nullptr)
        return;
    if (OnGuiThread()) {
        Apply(event.dialog, event.controlId, event.what);
        return;
    }
    // Opening and closing happen on the dialog's own thread: a dialog run elsewhere has
    // no window, and the change finds none.
    std::weak_ptr<bool> alive = alive_;
    mailbox_->Post([this, alive, dialog = event.dialog, id = event.controlId, what = event.what] {
        if (!alive.expired())
            Apply(dialog, id, what);
    });
}

void QtWindows::Apply(ui::Dialog* dialog, int controlId, ui::ChangeEvent::What what) {
    using What = ui::ChangeEvent::What;
    if (what == What::kDialogOpened) {
        if (!OnGuiThread())
            return;
        // No Qt parent: windows end in any order without taking others along.
        windows_.push_back(std::make_unique<DialogWindow>(*dialog, pages_, mailbox_, nullptr));
        pending_.push_back(windows_.back().get());
        return;
    }
    auto it = std::find_if(windows_.begin(), windows_.end(),
                           [&](const auto& w) { return &w->dialog() == dialog; });
    if (it == windows_.end())
        return;
    if (what == What::kDialogClosed) {
        std::erase(pending_, it->get());
        (*it)->hide();
        windows_.erase(it);
        return;
    }
    if (what == What::kIcon && controlId == 0 && translations_ != nullptr)
        translations_->FollowIcon(*dialog);
    (*it)->Sync(controlId, what);
}

void QtWindows::ShowPending() {
    std::vector<DialogWindow*> pending;
    pending.swap(pending_);
    for (DialogWindow* window : pending) {
        // Centred on the window it was opened from, the first one on the screen.
        const auto self = std::find_if(windows_.begin(), windows_.end(),
                                       [&](const auto& w) { return w.get() == window; });
        const QWidget* below = self == windows_.begin() ? nullptr : std::prev(self)->get();
        const QRect area = below != nullptr              ? below->frameGeometry()
                           : window->screen() != nullptr ? window->screen()->availableGeometry()
                                                         : QRect();
        if (area.isValid() && !window->positioned())
            window->move(area.center() - window->rect().center());
        window->setWindowModality(Qt::ApplicationModal);
        window->show();
        window->raise();
        window->activateWindow();
    }
}

DialogWindow* QtWindows::WindowOf(const ui::Dialog& dialog) const {
    for (const auto& window : windows_)
        if (&window->dialog() == &dialog)
            return window.get();
    return nullptr;
}

DialogWindow* QtWindows::Topmost() const {
    return windows_.empty() ? nullptr : windows_.back().get();
}

}  // namespace talbex::qt
