// The autofocus points libgphoto2 reports for the eos… family in its "focusinfo" entry, as
// the program's focus-information record: libgphoto2 writes them as
// "eosversion=V,size=WxH,size2=WxH,points={{x,y,w,h},...},select={i,...},unknown={...}"
// (ptp-pack.c around 1860), each point centred on (x, y) from the middle of a W x H area,
// y growing upwards, and "select" the points in focus.
#pragma once

#include <optional>
#include <string_view>

#include "camera/sdk/sdk_types.h"

namespace talbex::gphoto {

struct FocusPoints {
    SdkSize area{};       // the coordinates the points (and the live-view zoom) are given in
    SdkFocusInfo info{};  // imageRect is the whole area; rectangles from its top left
};

/// The points of a "focusinfo" text; nothing when it is not one (libgphoto2 answers "no
/// focus points returned by camera" or "bad size ..." when it could not read them).
std::optional<FocusPoints> ParseFocusPoints(std::string_view text);

}  // namespace talbex::gphoto
