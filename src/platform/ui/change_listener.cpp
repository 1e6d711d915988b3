#include "platform/ui/change_listener.h"

#include <atomic>

namespace talbex::ui {

namespace {
std::atomic<ChangeListener*> gListener{nullptr};
}

void SetChangeListener(ChangeListener* listener) {
    gListener.store(listener);
}

ChangeListener* CurrentChangeListener() {
    return gListener.load();
}

const char* ToString(ChangeEvent::What what) {
    switch (what) {
        case ChangeEvent::What::kDialogOpened:
            return "opened";
        case ChangeEvent::What::kDialogClosed:
            return "closed";
        case ChangeEvent::What::kText:
            return "text";
        case ChangeEvent::What::kEnabled:
            return "enabled";
        case ChangeEvent::What::kVisible:
            return "visible";
        case ChangeEvent::What::kEntries:
            return "rows";
        case ChangeEvent::What::kSelection:
            return "selection";
        case ChangeEvent::What::kProgress:
            return "progress";
        case ChangeEvent::What::kAddress:
            return "address";
        case ChangeEvent::What::kSurface:
            return "picture";
        case ChangeEvent::What::kIcon:
            return "icon";
    }
    return "?";
}

void PrintingChangeListener::OnChange(const ChangeEvent& event) {
    if (event.what == ChangeEvent::What::kSurface || event.what == ChangeEvent::What::kIcon)
        return;
    std::lock_guard lock(mutex_);
    out_ << '[' << event.dialogTitle << ']';
    if (event.controlId != 0)
        out_ << " control " << event.controlId;
    out_ << ' ' << ToString(event.what) << ": " << event.value << '\n';
    out_.flush();
}

}  // namespace talbex::ui
