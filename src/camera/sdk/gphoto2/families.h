// How libgphoto2 presents each family of camera bodies: which configuration entries hold
// the program's properties and how their texts become the program's codes (the family's
// routes, property_routes.h), where the body keeps its serial and how its own tools show
// it, which of libgphoto2's action widgets it has and what writing them does, and what its
// capture target offers. One table per family, as libgphoto2's ptp2 driver keeps its
// entries in one table by vendor; the session picks its camera's family once, when it
// opens, and decides everything else by these tables and by the widgets' types.
//
// Every text here is libgphoto2's untranslated one: the session talks to libgphoto2 with
// the message locale "C" (gphoto2_library.h).
#pragma once

#include <array>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "camera/sdk/gphoto2/property_routes.h"

namespace talbex::gphoto {

/// What the program does through one of libgphoto2's action widgets.
enum class Control {
    kViewfinder,     // toggle: the camera's own live-view switch on or off
    kHalfPress,      // the shutter button pressed half way, and let go
    kFullPress,      // the shutter button pressed fully, and let go
    kAutofocus,      // live-view autofocus on, and off where the body can stop it
    kFocusDrive,     // focus moved towards near or far by a step of size 1, 2 or 3
    kZoom,           // text: the live-view magnification ("1", "5", "10")
    kZoomPosition,   // text: the magnified area's place, "x,y"
    kCaptureTarget,  // where the program's own pictures go: the camera's memory or its card
    kFocusInfo,      // text: the autofocus points and which are in focus
};
inline constexpr size_t kControlCount = 9;

/// One action widget of a family and how the program writes it; the widget's type (read
/// from the camera) decides the rest: a toggle takes 1 and 0, a choice widget `choices`,
/// a range a number.
struct ControlUse {
    Control control;
    const char* entry;
    /// For choice widgets: what starts and what ends the action ("Press Half", "Release
    /// Half"); for the capture target: the camera's memory, then its card.
    std::array<const char*, 2> choices{};
    /// For focus drive on a range widget: the value of a step of size 1, 2 and 3 towards
    /// far (towards near the same, negative).
    std::array<float, 3> steps{};
    /// Any write starts the action, whatever the value (libgphoto2 runs the action on
    /// every set): the program writes only to start it, never to end it.
    bool writeStarts = false;
};

/// How the body serial reads and how the family's own tools show it.
enum class SerialForm {
    kAsGiven,     // the text as the camera gives it
    kZeroPadded,  // a number padded with zeros to a fixed width: shown without them
};

struct Family {
    const char* name;  // for diagnostics and tests ("nikon")
    /// Words of libgphoto2's "manufacturer" entry that tell the family (compared without
    /// case); entries only this family has tell it too.
    std::span<const char* const> makers;
    std::span<const char* const> markers;
    /// The family's own routes, tried before the common ones.
    std::span<const Route> routes;
    std::span<const ControlUse> controls;
    SerialForm serial = SerialForm::kAsGiven;
    /// libgphoto2 announces every picture of the card it has not seen yet as new (its
    /// event wait for Fujifilm bodies, library.c around 6960): the session lets it see the
    /// card first, so only pictures taken from then on arrive.
    bool announcesUnseen = false;
};

/// The families, the generic one (the standard's bodies) last.
std::span<const Family* const> Families();
const Family& GenericFamily();

/// The family of a camera whose "manufacturer" entry reads `manufacturer` and that has
/// the entries for which `hasEntry` answers true; the generic family when none fits.
const Family& FamilyOf(std::string_view manufacturer,
                       const std::function<bool(const char*)>& hasEntry);

/// The route of `id` for `family`: its own, else the common one; null when none.
const Route* FindRoute(const Family& family, SdkPropertyId id);
/// The properties that read the entry `name` on `family`.
std::vector<SdkPropertyId> PropertiesOfEntry(const Family& family, std::string_view name);
/// How `family` reaches `control`; null when its bodies have no widget for it.
const ControlUse* FindControl(const Family& family, Control control);

/// The body serial as the family's own tools show it.
std::string NormalisedSerial(const Family& family, std::string_view serial);

/// A focus step of the program (1, 2, 3 towards near; 0x8001, 0x8002, 0x8003 towards
/// far) as libgphoto2's choice ("Near 2", "Far 1"); nothing for any other step.
std::optional<std::string> FocusChoiceOf(uint32_t step);
/// The same step on a range widget with `steps` (towards far; negative towards near).
std::optional<float> FocusRangeValueOf(uint32_t step, const std::array<float, 3>& steps);

// The families' own routes (family_routes_*.cpp).
std::span<const Route> EosRoutes();
std::span<const Route> NikonRoutes();
std::span<const Route> SonyRoutes();
std::span<const Route> FujifilmRoutes();
std::span<const Route> PanasonicRoutes();
std::span<const Route> OlympusRoutes();

}  // namespace talbex::gphoto
