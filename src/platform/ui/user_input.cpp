#include "platform/ui/user_input.h"

#include <algorithm>

#include "platform/ui/message_queue.h"

namespace talbex::ui::user {

namespace {
const ControlTemplate* Usable(Dialog& dialog, int controlId, ControlKind kind) {
    const ControlTemplate* control = dialog.Template().Find(controlId);
    if (!control || control->kind != kind)
        return nullptr;
    Window& window = dialog.Item(controlId);
    if (!window.IsWindowVisible() || !window.IsWindowEnabled() || !dialog.IsWindowEnabled())
        return nullptr;
    return control;
}
}  // namespace

bool CanUse(Dialog& dialog, int controlId) {
    const ControlTemplate* control = dialog.Template().Find(controlId);
    return dialog.IsRunning() && control && Usable(dialog, controlId, control->kind);
}

bool Click(Dialog& dialog, int controlId) {
    if (!dialog.IsRunning())
        return false;
    if (Usable(dialog, controlId, ControlKind::kPushButton) ||
        Usable(dialog, controlId, ControlKind::kPicture)) {
        dialog.NotifyFromControl(controlId, kBnClicked);  // kStnClicked is the same code
        return true;
    }
    if (!Usable(dialog, controlId, ControlKind::kCheckBox))
        return false;
    Window& box = dialog.Item(controlId);
    box.SetCheck(!box.GetCheck());
    dialog.NotifyFromControl(controlId, kBnClicked);
    return true;
}

bool DoubleClick(Dialog& dialog, int controlId) {
    if (!dialog.IsRunning() || !Usable(dialog, controlId, ControlKind::kPicture))
        return false;
    dialog.NotifyFromControl(controlId, kStnDblClk);
    return true;
}

bool PressKey(Dialog& dialog, Key key) {
    if (!dialog.IsRunning() || !dialog.IsWindowEnabled())
        return false;
    const DialogTemplate& t = dialog.Template();
    const Accelerator* accelerator = nullptr;
    for (const Accelerator& a : t.accelerators)
        if (a.key == key) {
            accelerator = &a;
            break;
        }
    if (accelerator == nullptr)
        return false;
    const int id = accelerator->commandId;
    const ControlTemplate* control = t.Find(id);
    if (control == nullptr) {
        dialog.WindowProc(kWmCommand, MakeCommandWParam(id, kAccelerator), 0);
        return true;
    }
    if ((control->kind != ControlKind::kPushButton && control->kind != ControlKind::kCheckBox) ||
        !dialog.Item(id).IsWindowEnabled())
        return false;
    if (control->kind == ControlKind::kCheckBox)
        dialog.Item(id).SetCheck(!dialog.Item(id).GetCheck());
    dialog.NotifyFromControl(id, kBnClicked);
    return true;
}

bool PickRow(Dialog& dialog, int controlId, int index) {
    if (!dialog.IsRunning() || !Usable(dialog, controlId, ControlKind::kDropDownList))
        return false;
    Window& list = dialog.Item(controlId);
    if (index < 0 || index >= list.GetCount())
        return false;
    list.SetCurSel(index);
    dialog.NotifyFromControl(controlId, kCbnSelChange);
    return true;
}

bool PickRow(Dialog& dialog, int controlId, const std::string& label) {
    const int index = dialog.Item(controlId).FindStringExact(label);
    return index >= 0 && PickRow(dialog, controlId, index);
}

bool TypeText(Dialog& dialog, int controlId, const std::string& text) {
    if (!dialog.IsRunning())
        return false;
    const bool edit = Usable(dialog, controlId, ControlKind::kEdit) != nullptr;
    const bool list = !edit && Usable(dialog, controlId, ControlKind::kDropDownList) != nullptr;
    if (!edit && !list)
        return false;
    dialog.Item(controlId).SetWindowText(text);
    dialog.NotifyFromControl(controlId, edit ? kEnChange : kCbnEditChange);
    return true;
}

bool CloseWindow(Dialog& dialog) {
    return dialog.PostMessage(kWmClose);
}

bool RunOnWindowThread(Dialog& dialog, std::function<void()> action) {
    return windows::PostTask(dialog.Handle(), std::move(action));
}

bool WaitUntilIdle(Dialog& dialog, std::chrono::milliseconds timeout) {
    auto queue = windows::QueueOf(dialog.Handle());
    if (!queue)
        return false;
    // In slices, so a dialog that ends meanwhile (its thread will not idle in this loop
    // again) is noticed at once.
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (queue->WaitUntilIdle(std::min(left, std::chrono::milliseconds(10))))
            return true;
        if (!dialog.IsRunning() || left <= std::chrono::milliseconds(0))
            return false;
    }
}

}  // namespace talbex::ui::user
