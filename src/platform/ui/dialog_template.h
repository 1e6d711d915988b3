// What a dialog is built from: its caption in both languages, its size and its controls,
// all in dialog units. Templates are constant data compiled into the program
// (resources/), so every backend builds the same windows.
#pragma once

#include <cstdint>
#include <span>

namespace talbex::ui {

enum class ControlKind {
    kPushButton,    // clickable button; also used as a plain row label whose click does nothing
    kLabel,         // static text
    kEdit,          // single-line edit field
    kDropDownList,  // drop-down list with an edit field; entries carry a 32-bit item value
    kProgressBar,   // position 0..100
    kPicture,       // picture frame with a pixel surface
    kWebBrowser,    // area that shows a web page; records the address it was asked for
};

/// Style bits of a control template.
inline constexpr uint32_t kStyleHidden = 1u << 0;
inline constexpr uint32_t kStyleDisabled = 1u << 1;
inline constexpr uint32_t kStyleSorted = 1u << 2;  // lists: added rows are kept in order

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
};

struct DialogTemplate {
    int id = 0;
    const char* chinese = "";
    const char* english = "";
    int width = 0;  // dialog units
    int height = 0;
    std::span<const ControlTemplate> controls;

    const ControlTemplate* Find(int controlId) const {
        for (const ControlTemplate& c : controls)
            if (c.id == controlId)
                return &c;
        return nullptr;
    }
};

}  // namespace talbex::ui
