// Nikon's own routes: what its bodies show in entries of their own, or in the common
// entries with texts of their own.
#include "camera/sdk/gphoto2/families.h"

namespace talbex::gphoto {

namespace {

constexpr Route kRoutes[] = {
    // The standard's exposure time prints as "%0.4fs", so the fastest speeds collapse
    // onto one another; Nikon's own entry gives the exact fraction.
    {kPropTv, {"shutterspeed2", "shutterspeed"}, Codec::kShutterSpeed, {}, true},
};

}  // namespace

std::span<const Route> NikonRoutes() {
    return kRoutes;
}

}  // namespace talbex::gphoto
