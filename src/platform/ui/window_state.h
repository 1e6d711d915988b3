// What a dialog and each of its controls hold: the data a user sees. Owned by the dialog;
// guarded by the dialog's lock, because a control may be enabled from a worker thread.
// The picture surface is the exception: only the window thread draws on it.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/raster/bitmap.h"
#include "platform/ui/dialog_template.h"
#include "platform/ui/dialog_units.h"

namespace talbex::ui {
class Dialog;
}

namespace talbex::ui::detail {

struct ListEntry {
    std::string text;
    uint32_t itemData = 0;
};

struct WindowState;

struct DialogShared {
    std::mutex mutex;
    Dialog* owner = nullptr;
    int dialogId = 0;
    WindowState* dialog = nullptr;  // the dialog's own state; its text is the caption
    int smallIcon = 0;              // resource ids; 0: none set
    int bigIcon = 0;
    // Device pixels per pixel of the screen the window is on; picture surfaces have as
    // many pixels as the screen shows of them.
    double pixelRatio = 1.0;
    // Where the window is when not maximised (its client area), and whether it is.
    PixelRect normal;
    bool positioned = false;  // normal.left/top hold a place on the screen
    bool maximised = false;
};

struct WindowState {
    DialogShared* shared = nullptr;
    int id = 0;  // 0: the dialog itself
    bool isDialog = false;
    ControlKind kind = ControlKind::kLabel;
    bool sorted = false;
    PixelRect rect;

    std::string text;
    std::string tip;
    bool checked = false;
    bool enabled = true;
    bool visible = true;
    std::vector<ListEntry> entries;
    int selection = -1;
    int progress = 0;
    std::string address;
    raster::Bitmap surface;  // window thread only; rect's size times the pixel ratio
};

}  // namespace talbex::ui::detail
