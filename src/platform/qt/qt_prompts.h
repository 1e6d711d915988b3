// Real message boxes (OK; Yes/No with the question icon) and the folder chooser, through
// the framework's prompt interface. Each is modal to the whole program; while it is open
// the window thread goes on serving its windows' messages and timers, as it does under a
// modal dialog. Only the GUI thread can show them; asked on another thread, they answer
// at once as if dismissed (OK, No, cancelled) and say so on the standard error.
#pragma once

#include <QPointer>
#include <QWidget>

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/folder_chooser.h"
#include "platform/ui/message_box.h"

namespace talbex::qt {

class QtPrompts final : public ui::MessageBoxes, public ui::FolderChooser {
  public:
    /// `owner` answers the window the prompts belong to (nullptr: none).
    explicit QtPrompts(std::function<QWidget*()> owner);

    ui::MessageBoxAnswer Show(const std::string& text, const std::string& caption,
                              ui::MessageBoxKind kind) override;
    std::optional<std::string> ChooseFolder(const std::string& title) override;

    /// GUI thread: closes every open prompt as if the user dismissed it, and answers every
    /// later one so at once (the program is ending).
    void DismissAll();

  private:
    bool OnGuiThread() const;
    /// Shows `prompt` modally and runs the window thread's loop until it is finished.
    void RunModal(QWidget& prompt, const bool& finished);

    std::function<QWidget*()> owner_;
    std::vector<QPointer<QWidget>> open_;
    std::atomic<bool> dismissing_{false};
};

}  // namespace talbex::qt
