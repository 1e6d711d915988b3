#include "platform/ui/headless_prompts.h"

#include "platform/ui/printable_text.h"

namespace talbex::ui {

const char* ToString(MessageBoxAnswer answer) {
    switch (answer) {
        case MessageBoxAnswer::kOk:
            return "OK";
        case MessageBoxAnswer::kYes:
            return "Yes";
        case MessageBoxAnswer::kNo:
            return "No";
    }
    return "?";
}

HeadlessPrompts::HeadlessPrompts(std::ostream* out) : out_(out) {}

void HeadlessPrompts::AddRule(std::string textStart, MessageBoxAnswer answer) {
    std::lock_guard lock(mutex_);
    // A later rule for the same text replaces the earlier one (scripts change answers).
    for (Rule& rule : rules_) {
        if (rule.textStart == textStart) {
            rule.answer = answer;
            return;
        }
    }
    rules_.push_back(Rule{std::move(textStart), answer});
}

void HeadlessPrompts::SetDefaultYesNo(MessageBoxAnswer answer) {
    std::lock_guard lock(mutex_);
    defaultYesNo_ = answer;
}

void HeadlessPrompts::QueueFolder(std::optional<std::string> folder) {
    std::lock_guard lock(mutex_);
    folders_.push_back(std::move(folder));
}

void HeadlessPrompts::SetDefaultFolder(std::optional<std::string> folder) {
    std::lock_guard lock(mutex_);
    defaultFolder_ = std::move(folder);
}

MessageBoxAnswer HeadlessPrompts::Show(const std::string& text, const std::string& caption,
                                       MessageBoxKind kind) {
    std::lock_guard lock(mutex_);
    MessageBoxAnswer answer = MessageBoxAnswer::kOk;
    if (kind == MessageBoxKind::kYesNoQuestion) {
        answer = defaultYesNo_;
        for (const Rule& rule : rules_) {
            if (text.compare(0, rule.textStart.size(), rule.textStart) == 0 &&
                rule.answer != MessageBoxAnswer::kOk) {
                answer = rule.answer;
                break;
            }
        }
    }
    shown_.push_back(Shown{text, caption, kind, answer});
    if (out_) {
        // Texts may carry a camera's (a firmware version): one box stays one clean line.
        *out_ << "message box" << (caption.empty() ? "" : " [" + caption + "]") << ": "
              << PrintableText(text) << (kind == MessageBoxKind::kOk ? " (OK)" : " (Yes/No)")
              << " -> " << ToString(answer) << '\n';
        out_->flush();
    }
    return answer;
}

std::optional<std::string> HeadlessPrompts::ChooseFolder(const std::string& title) {
    std::lock_guard lock(mutex_);
    std::optional<std::string> answer = defaultFolder_;
    if (!folders_.empty()) {
        answer = std::move(folders_.front());
        folders_.pop_front();
    }
    folderTitles_.push_back(title);
    if (out_) {
        *out_ << "folder chooser: " << title << " -> " << (answer ? *answer : "(cancelled)")
              << '\n';
        out_->flush();
    }
    return answer;
}

std::vector<HeadlessPrompts::Shown> HeadlessPrompts::ShownBoxes() const {
    std::lock_guard lock(mutex_);
    return shown_;
}

std::vector<std::string> HeadlessPrompts::FolderTitles() const {
    std::lock_guard lock(mutex_);
    return folderTitles_;
}

}  // namespace talbex::ui
