// Message boxes and folder chooser without a screen: each is printed, one line, with the
// answer given, and answered from rules (the first rule whose text starts the message
// wins) or a default. Folder answers are taken from a script in order, then the default.
// Thread-safe.
#pragma once

#include <deque>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/ui/folder_chooser.h"
#include "platform/ui/message_box.h"

namespace talbex::ui {

class HeadlessPrompts final : public MessageBoxes, public FolderChooser {
  public:
    struct Shown {
        std::string text;
        std::string caption;
        MessageBoxKind kind;
        MessageBoxAnswer answer;
    };

    /// `out` may be nullptr for silence.
    explicit HeadlessPrompts(std::ostream* out);

    /// Boxes whose text starts with `textStart` get `answer` (OK boxes always get OK). A
    /// rule for a text already ruled replaces that rule's answer.
    void AddRule(std::string textStart, MessageBoxAnswer answer);
    /// Answer of Yes/No boxes that no rule matches; Yes unless changed.
    void SetDefaultYesNo(MessageBoxAnswer answer);
    /// The next folder choice answers `folder` (nothing: cancelled).
    void QueueFolder(std::optional<std::string> folder);
    /// Answer once the queue is empty; cancelled unless changed.
    void SetDefaultFolder(std::optional<std::string> folder);

    MessageBoxAnswer Show(const std::string& text, const std::string& caption,
                          MessageBoxKind kind) override;
    std::optional<std::string> ChooseFolder(const std::string& title) override;

    std::vector<Shown> ShownBoxes() const;
    std::vector<std::string> FolderTitles() const;

  private:
    struct Rule {
        std::string textStart;
        MessageBoxAnswer answer;
    };
    mutable std::mutex mutex_;
    std::ostream* out_;
    std::vector<Rule> rules_;
    MessageBoxAnswer defaultYesNo_ = MessageBoxAnswer::kYes;
    std::deque<std::optional<std::string>> folders_;
    std::optional<std::string> defaultFolder_;
    std::vector<Shown> shown_;
    std::vector<std::string> folderTitles_;
};

const char* ToString(MessageBoxAnswer answer);

}  // namespace talbex::ui
