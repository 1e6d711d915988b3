// Everything a user would see change: dialogs opening and closing, captions, enabled and
// visible states, list rows, selections, progress, pages shown. The headless backend
// prints these; a desktop backend updates its widgets from them.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>

namespace talbex::ui {

class Dialog;

struct ChangeEvent {
    enum class What {
        kDialogOpened,  // value: the caption
        kDialogClosed,  // value: the modal result
        kText,          // caption of the dialog (controlId 0) or text of a control
        kEnabled,       // value "1" or "0"
        kVisible,       // value "1" or "0"
        kEntries,       // the rows of a list changed; value: rows joined by " | "
        kSelection,     // value: index of the selected row, -1 for none
        kProgress,      // value: position 0..100
        kAddress,       // a web area was asked for this address
        kSurface,       // a picture frame's pixels were redrawn; value: "WxH"
        kIcon,          // the dialog's icon; value: "small ID" or "big ID" (resource ids)
        kRect,          // a control was moved or sized; value: "LEFT,TOP WxH" in pixels
        kCheck,         // a check box's mark; value "1" or "0"
        kToolTip,       // a control's tooltip; value: its text
        kPlacement,     // the dialog asked to be placed; value: "LEFT,TOP WxH" and " maximised"
    };
    int dialogId = 0;         // template id of the dialog
    std::string dialogTitle;  // its caption when the change happened
    int controlId = 0;        // 0: the dialog itself
    What what = What::kText;
    std::string value;
    Dialog* dialog = nullptr;  // the dialog the change belongs to (alive while it is told)
};

/// Called on the thread that made the change (normally the window thread, sometimes a
/// worker that enables a control directly); implementations must be thread-safe.
class ChangeListener {
  public:
    virtual ~ChangeListener() = default;
    virtual void OnChange(const ChangeEvent& event) = 0;
};

/// Installs the process-wide listener (nullptr: none). Install it before windows run.
void SetChangeListener(ChangeListener* listener);
ChangeListener* CurrentChangeListener();

const char* ToString(ChangeEvent::What what);

/// Prints one line per change: `[title] control 1001 text: Halfway`, as a user would
/// notice them: a list filled row by row is printed once, with all its rows, when
/// another control changes; a text only when it differs from the one printed before in
/// the same opening of its window; a progress bar only when it is empty (0) or full (100);
/// a picture (live view) when it first shows in its window and when its size changes, not
/// each time it is redrawn (many times a second); icons, tooltips and controls moved as
/// a window is resized not at all.
class PrintingChangeListener final : public ChangeListener {
  public:
    explicit PrintingChangeListener(std::ostream& out) : out_(out) {}
    ~PrintingChangeListener() override;
    void OnChange(const ChangeEvent& event) override;

  private:
    void PrintLocked(const ChangeEvent& event, const std::string& what);
    void FlushRowsLocked();

    std::mutex mutex_;
    std::ostream& out_;
    std::optional<ChangeEvent> rows_;  // the newest rows of the list being filled
    // The size each picture showed last, by dialog and control id.
    std::map<std::pair<int, int>, std::string> shownPictures_;
    size_t rowCount_ = 0;
    std::map<std::pair<int, int>, std::string> texts_;  // (dialog, control) → text printed
};

}  // namespace talbex::ui
