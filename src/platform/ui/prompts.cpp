#include "platform/ui/prompts.h"

#include <atomic>
#include <iostream>

#include "platform/ui/headless_prompts.h"

namespace talbex::ui {

namespace {
std::atomic<MessageBoxes*> gBoxes{nullptr};
std::atomic<FolderChooser*> gChooser{nullptr};

HeadlessPrompts& StandIn() {
    static HeadlessPrompts prompts(&std::cout);
    return prompts;
}
}  // namespace

void SetMessageBoxes(MessageBoxes* boxes) {
    gBoxes.store(boxes);
}
void SetFolderChooser(FolderChooser* chooser) {
    gChooser.store(chooser);
}

MessageBoxes& CurrentMessageBoxes() {
    MessageBoxes* boxes = gBoxes.load();
    return boxes ? *boxes : StandIn();
}

FolderChooser& CurrentFolderChooser() {
    FolderChooser* chooser = gChooser.load();
    return chooser ? *chooser : StandIn();
}

MessageBoxAnswer ShowMessageBox(const std::string& text, MessageBoxKind kind,
                                const std::string& caption) {
    return CurrentMessageBoxes().Show(text, caption, kind);
}

std::optional<std::string> ChooseFolder(const std::string& title) {
    return CurrentFolderChooser().ChooseFolder(title);
}

}  // namespace talbex::ui
