// Window icons drawn from the program's own SVG icons (resources/icons.h).
#pragma once

#include <QIcon>

namespace talbex::qt {

/// The icon of a window: the small icon at title-bar sizes, the big one at the larger
/// sizes (task switcher, dock). A resource id of 0 or an unknown one is left out; the big
/// icon stands in for a missing small one and the other way round.
QIcon WindowIcon(int smallIconId, int bigIconId);

}  // namespace talbex::qt
