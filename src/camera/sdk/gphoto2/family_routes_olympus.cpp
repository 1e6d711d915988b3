// Olympus's own routes: what its bodies show in entries of their own, or in the common
// entries with texts of their own.
#include "camera/sdk/gphoto2/families.h"

namespace talbex::gphoto {

std::span<const Route> OlympusRoutes() {
    return {};
}

}  // namespace talbex::gphoto
