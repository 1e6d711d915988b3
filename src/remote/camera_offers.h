// What a camera may lack of the remote-control window's buttons, in groups: a group is
// disabled when the camera shows it has none of it, either by a property it does not
// have (live view, its zoom) or by answering "not supported" when a button of the group
// is pressed (the shutter button, focus drive, live-view autofocus).
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "camera/sdk/sdk_types.h"

namespace talbex::remote {

enum class Offer { kHalfPress, kShutterButton, kLiveView, kFocusDrive, kLiveViewAutofocus, kZoom };

/// The window's controls of a group.
std::span<const int> ControlsOf(Offer offer);
/// The group a button's action belongs to; nothing for the others (the picture button).
std::optional<Offer> OfferOfAction(std::string_view action);
/// The property whose absence shows the camera lacks the group at once; nothing for the
/// groups only a refused press tells.
std::optional<SdkPropertyId> PropertyOf(Offer offer);

inline constexpr Offer kOffers[] = {Offer::kHalfPress,  Offer::kShutterButton,     Offer::kLiveView,
                                    Offer::kFocusDrive, Offer::kLiveViewAutofocus, Offer::kZoom};

}  // namespace talbex::remote
