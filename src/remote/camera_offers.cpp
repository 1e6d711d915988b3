#include "remote/camera_offers.h"

namespace talbex::remote {

namespace {

// A body may focus on no half press of its own and still take its picture at the full
// one: the half press goes alone.
constexpr int kHalfPress[] = {1001};
constexpr int kShutterButton[] = {1001, 1030, 1031};
// Everything that works only while live view runs.
constexpr int kLiveView[] = {1013, 1014, 1029, 1032, 1033, 1023, 1024, 1025, 1026,
                             1027, 1028, 1015, 1016, 1017, 1018, 1019, 1020};
constexpr int kFocusDrive[] = {1015, 1016, 1017, 1018, 1019, 1020};
constexpr int kLiveViewAutofocus[] = {1032, 1033};
// The zoom and the moves of the zoomed area.
constexpr int kZoom[] = {1027, 1028, 1023, 1024, 1025, 1026};

bool StartsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

}  // namespace

std::span<const int> ControlsOf(Offer offer) {
    switch (offer) {
        case Offer::kHalfPress:
            return kHalfPress;
        case Offer::kShutterButton:
            return kShutterButton;
        case Offer::kLiveView:
            return kLiveView;
        case Offer::kFocusDrive:
            return kFocusDrive;
        case Offer::kLiveViewAutofocus:
            return kLiveViewAutofocus;
        case Offer::kZoom:
            return kZoom;
    }
    return {};
}

std::optional<Offer> OfferOfAction(std::string_view action) {
    if (action == "pressingHalfway")
        return Offer::kHalfPress;
    if (StartsWith(action, "pressing"))
        return Offer::kShutterButton;
    if (action == "startEVF")
        return Offer::kLiveView;
    if (StartsWith(action, "focus_Near") || StartsWith(action, "focus_Far"))
        return Offer::kFocusDrive;
    if (StartsWith(action, "evfAF"))
        return Offer::kLiveViewAutofocus;
    if (StartsWith(action, "zoom_") || StartsWith(action, "focus_"))
        return Offer::kZoom;
    return std::nullopt;
}

std::optional<SdkPropertyId> PropertyOf(Offer offer) {
    switch (offer) {
        case Offer::kLiveView:
            return kPropEvfOutputDevice;
        case Offer::kZoom:
            return kPropEvfZoom;
        default:
            return std::nullopt;
    }
}

}  // namespace talbex::remote
