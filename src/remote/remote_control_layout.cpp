#include "remote/remote_control_layout.h"

#include <algorithm>
#include <cstdint>

namespace talbex::remote {

namespace {

constexpr int kPicture = 1022;
constexpr int kHistogram = 1080;
constexpr int kThumbnail = 1083;

ui::PixelRect PixelsOf(const ui::DialogTemplate& dialog, int id) {
    const ui::ControlTemplate* control = dialog.Find(id);
    return control != nullptr ? ui::DialogUnitsToPixels(control->rect) : ui::PixelRect{};
}

// The largest rectangle of the frames' shape in `room`, centred across, at its top unless
// `centreDown`; the whole room while the shape is unknown.
ui::PixelRect Fit(const ui::PixelRect& room, int frameWidth, int frameHeight, bool centreDown) {
    if (frameWidth <= 0 || frameHeight <= 0 || room.width <= 0 || room.height <= 0)
        return room;
    int w = room.width;
    int h = static_cast<int>(static_cast<int64_t>(w) * frameHeight / frameWidth);
    if (h > room.height) {
        h = room.height;
        w = static_cast<int>(static_cast<int64_t>(h) * frameWidth / frameHeight);
    }
    w = std::max(w, 1);
    h = std::max(h, 1);
    return ui::PixelRect{room.left + (room.width - w) / 2,
                         room.top + (centreDown ? (room.height - h) / 2 : 0), w, h};
}

}  // namespace

RemoteLayout LayOutRemoteControl(const ui::DialogTemplate& dialog, int width, int height,
                                 int frameWidth, int frameHeight, bool alone) {
    const ui::PixelRect window =
        ui::DialogUnitsToPixels(ui::DialogUnitRect{0, 0, dialog.width, dialog.height});
    const ui::PixelRect picture = PixelsOf(dialog, kPicture);
    const ui::PixelRect histogram = PixelsOf(dialog, kHistogram);
    RemoteLayout layout;
    layout.thumbnail = PixelsOf(dialog, kThumbnail);
    for (int i = 0; i < 4; ++i)
        layout.lines[i] = PixelsOf(dialog, RemoteLayout::kLineIds[i]);
    if (alone) {
        layout.picture = Fit(ui::PixelRect{0, 0, width, height}, frameWidth, frameHeight, true);
        layout.histogram = histogram;
        return layout;
    }
    // The margins the template leaves right of the picture, between picture and
    // histogram and under the histogram stay as they are.
    const int right = window.width - (picture.left + picture.width);
    const int gap = histogram.top - (picture.top + picture.height);
    const int bottom = window.height - (histogram.top + histogram.height);
    const ui::PixelRect room{picture.left, picture.top, std::max(1, width - right - picture.left),
                             std::max(1, height - bottom - histogram.height - gap - picture.top)};
    layout.picture = Fit(room, frameWidth, frameHeight, false);
    layout.histogram =
        ui::PixelRect{layout.picture.left, layout.picture.top + layout.picture.height + gap,
                      layout.picture.width, histogram.height};

    // With room below for a larger one, the last picture takes the settings' width under
    // its lines, which move to the left edge above it.
    const ui::PixelRect thumbnail = layout.thumbnail;
    const ui::PixelRect& last = layout.lines[3];
    const int top = last.top + last.height + gap;
    const int below = height - bottom - top;
    if (below >= thumbnail.height) {
        const int width = last.left + last.width - thumbnail.left;
        for (ui::PixelRect& line : layout.lines) {
            line.left = thumbnail.left;
            line.width = width;
        }
        layout.thumbnail = ui::PixelRect{thumbnail.left, top, width, below};
    }
    return layout;
}

}  // namespace talbex::remote
