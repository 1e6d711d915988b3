// The eos… family's own routes: what its bodies show in entries of their own, or in the
// common entries with texts of their own.
#include "camera/sdk/gphoto2/families.h"

namespace talbex::gphoto {

namespace {

constexpr Route kRoutes[] = {
    // The device information's serial is 32 hexadecimal characters; the body's own
    // serial is an entry of its own (config.c's camera_status_menu).
    {kPropBodySerial, {"eosserialnumber", "serialnumber"}, Codec::kText, {}, false},
    // Its "datetime" goes through libgphoto2's own time-zone conversion (config.c around
    // 7191–7240); the UTC entry does not.
    {kPropDateTime, {"datetimeutc", "datetime"}, Codec::kDateTime, {}, true},
};

}  // namespace

std::span<const Route> EosRoutes() {
    return kRoutes;
}

}  // namespace talbex::gphoto
