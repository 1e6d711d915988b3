// Where the remote-control window's live view and histogram go at a window size: the
// settings and buttons keep their template places; the live-view picture takes the room
// right of the settings and below the live-view buttons, in the shape of the camera's
// frames (once one has come; till then the whole room), and the histogram lies under it
// as wide as it. Below the settings the last picture grows into the room the window
// gains, its name, folder and "saved" above it. At the template's own size that is
// exactly the template's layout. Alone, the picture fills the window in the frames'
// shape, centred, and nothing else shows.
#pragma once

#include "platform/ui/dialog_template.h"
#include "platform/ui/dialog_units.h"

namespace talbex::remote {

struct RemoteLayout {
    ui::PixelRect picture;
    ui::PixelRect histogram;
    // The last picture: its thumbnail, the heading and the name, folder and "saved" lines.
    ui::PixelRect thumbnail;
    ui::PixelRect lines[4];  // 1087, 1084, 1085, 1086

    static constexpr int kLineIds[4] = {1087, 1084, 1085, 1086};
};

/// The layout for a client area of `width` x `height` pixels and frames of
/// `frameWidth` x `frameHeight` (0: none yet), after the template's picture (1022) and
/// histogram (1080).
RemoteLayout LayOutRemoteControl(const ui::DialogTemplate& dialog, int width, int height,
                                 int frameWidth, int frameHeight, bool alone);

}  // namespace talbex::remote
