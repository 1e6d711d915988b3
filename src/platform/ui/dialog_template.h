// What a dialog is built from: its caption in both languages, its size and its controls,
// all in dialog units. Templates are constant data compiled into the program
// (resources/), so every backend builds the same windows.
#pragma once

#include <cstdint>
#include <span>

#include "platform/ui/keys.h"

namespace talbex::ui {

enum class ControlKind {
    kPushButton,    // clickable button; also used as a plain row label whose click does nothing
    kLabel,         // static text
    kEdit,          // single-line edit field
    kDropDownList,  // drop-down list with an edit field; entries carry a 32-bit item value
    kProgressBar,   // position 0..100
    kPicture,       // picture frame with a pixel surface
    kWebBrowser,    // area that shows a web page; records the address it was asked for
    kCheckBox,      // button with a check mark that a click turns on and off
};

/// Style bits of a control template.
inline constexpr uint32_t kStyleHidden = 1u << 0;
inline constexpr uint32_t kStyleDisabled = 1u << 1;
inline constexpr uint32_t kStyleSorted = 1u << 2;  // lists: added rows are kept in order

/// Style bits of a dialog template.
inline constexpr uint32_t kDialogResizable = 1u << 0;  // the user may resize and maximise it

struct DialogUnitRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct ControlTemplate {
    int id = 0;
    ControlKind kind = ControlKind::kLabel;
    DialogUnitRect rect;
    const char* chinese = "";  // the caption the resource carries
    const char* english = "";  // set by the dialog in English; empty: keeps the Chinese one
    uint32_t style = 0;
    const char* tipChinese = "";  // the tooltip; empty: none
    const char* tipEnglish = "";  // the tooltip in English; empty: keeps the Chinese one
};

/// A key the whole window answers: a click on the button (or check box) `commandId`,
/// else the command `commandId` sent to the dialog with the notification kAccelerator.
struct Accelerator {
    Key key = 0;
    int commandId = 0;
};

struct DialogTemplate {
    int id = 0;
    const char* chinese = "";
    const char* english = "";
    int width = 0;  // dialog units
    int height = 0;
    std::span<const ControlTemplate> controls;
    uint32_t style = 0;
    /// At most one entry per key; the first one counts.
    std::span<const Accelerator> accelerators = {};

    const ControlTemplate* Find(int controlId) const {
        for (const ControlTemplate& c : controls)
            if (c.id == controlId)
                return &c;
        return nullptr;
    }
};

}  // namespace talbex::ui
