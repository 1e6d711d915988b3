// What cameras offer beyond the standard protocol, reached through libgphoto2's own
// configuration widgets: the names libgphoto2 gives those widgets and the choices it
// offers in them, kept here as data. A camera has a widget or not; the session looks each
// one up once and treats a missing one as "not supported".
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace talbex::gphoto {

enum class Control {
    kViewfinder,        // toggle: live view on the camera's side on or off
    kRemoteRelease,     // radio: press and release the shutter button half or fully
    kAutofocusDrive,    // toggle: run the autofocus once
    kManualFocusDrive,  // radio of near/far steps, or a range of signed steps
    kZoom,              // text: the live-view magnification ("1", "5", "10")
    kZoomPosition,      // text: the magnified area's place, "x,y"
    kCaptureTarget,     // radio: where pictures go, the camera's memory or its card
};
inline constexpr size_t kControlCount = 7;

/// libgphoto2's widget name of a control.
const char* WidgetNameOf(Control control);

// Choices libgphoto2 offers in the radio widgets.
inline constexpr char kReleaseNone[] = "None";
inline constexpr char kPressHalf[] = "Press Half";
inline constexpr char kPressFull[] = "Press Full";
inline constexpr char kReleaseHalf[] = "Release Half";
inline constexpr char kReleaseFull[] = "Release Full";
inline constexpr char kTargetMemory[] = "Internal RAM";
inline constexpr char kTargetCard[] = "Memory card";

/// A focus step of the program (1, 2, 3 towards near; 0x8001, 0x8002, 0x8003 towards
/// far) as libgphoto2's choice ("Near 2", "Far 1"); nothing for any other step.
std::optional<std::string> FocusChoiceOf(uint32_t step);
/// The same step on a range widget: signed, negative towards near, growing tenfold with
/// each step size.
std::optional<float> FocusRangeValueOf(uint32_t step);

}  // namespace talbex::gphoto
