#include "platform/ui/change_listener.h"

#include <atomic>
#include <map>

#include "platform/ui/printable_text.h"

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
        case ChangeEvent::What::kRect:
            return "rect";
        case ChangeEvent::What::kCheck:
            return "checked";
        case ChangeEvent::What::kToolTip:
            return "tooltip";
        case ChangeEvent::What::kPlacement:
            return "placement";
    }
    return "?";
}

PrintingChangeListener::~PrintingChangeListener() {
    std::lock_guard lock(mutex_);
    FlushRowsLocked();
}

void PrintingChangeListener::OnChange(const ChangeEvent& event) {
    if (event.what == ChangeEvent::What::kIcon || event.what == ChangeEvent::What::kToolTip ||
        event.what == ChangeEvent::What::kRect)
        return;
    std::lock_guard lock(mutex_);
    if (event.what == ChangeEvent::What::kDialogOpened) {
        // A window opened anew shows its texts and pictures anew.
        const auto ofThisWindow = [&](const auto& shown) {
            return shown.first.first == event.dialogId;
        };
        std::erase_if(shownPictures_, ofThisWindow);
        std::erase_if(texts_, ofThisWindow);
    }
    if (event.what == ChangeEvent::What::kSurface) {
        std::string& shown = shownPictures_[{event.dialogId, event.controlId}];
        if (shown == event.value)
            return;  // redrawn, as live view does many times a second
        shown = event.value;
    }
    if (event.what == ChangeEvent::What::kEntries) {
        if (rows_ && (rows_->dialogId != event.dialogId || rows_->controlId != event.controlId))
            FlushRowsLocked();
        rows_ = event;
        rowCount_ = event.value.empty() ? 0 : 1;
        for (size_t at = event.value.find(" | "); at != std::string::npos;
             at = event.value.find(" | ", at + 3))
            ++rowCount_;
        return;
    }
    // The list's own text does not end its filling: a list rebuilt from the camera's
    // values puts back the text it showed.
    const bool sameList = rows_ && rows_->dialogId == event.dialogId &&
                          rows_->controlId == event.controlId &&
                          event.what == ChangeEvent::What::kText;
    if (!sameList)
        FlushRowsLocked();
    if (event.what == ChangeEvent::What::kProgress && event.value != "0" && event.value != "100")
        return;
    if (event.what == ChangeEvent::What::kText) {
        auto [shown, added] = texts_.try_emplace({event.dialogId, event.controlId}, event.value);
        if (!added && shown->second == event.value)
            return;  // the same text again: nothing a user would notice
        shown->second = event.value;
    }
    PrintLocked(event, ToString(event.what));
}

void PrintingChangeListener::FlushRowsLocked() {
    if (!rows_)
        return;
    PrintLocked(*rows_, "rows (" + std::to_string(rowCount_) + ")");
    // Emptying a list empties its text too.
    if (rows_->value.empty())
        texts_.erase({rows_->dialogId, rows_->controlId});
    rows_.reset();
}

void PrintingChangeListener::PrintLocked(const ChangeEvent& event, const std::string& what) {
    out_ << '[' << event.dialogTitle << ']';
    if (event.controlId != 0)
        out_ << " control " << event.controlId;
    // Values carry texts from the camera: one change stays one clean line.
    out_ << ' ' << what << ": " << PrintableText(event.value) << '\n';
    out_.flush();
}

}  // namespace talbex::ui
