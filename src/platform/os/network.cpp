#include "platform/os/network.h"

#include <ifaddrs.h>
#include <net/if.h>

namespace talbex::os {

bool IsNetworkAlive() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return false;
    bool alive = false;
    for (ifaddrs* a = list; a != nullptr && !alive; a = a->ifa_next) {
        const unsigned flags = a->ifa_flags;
        alive = (flags & IFF_UP) && (flags & IFF_RUNNING) && !(flags & IFF_LOOPBACK);
    }
    freeifaddrs(list);
    return alive;
}

}  // namespace talbex::os
