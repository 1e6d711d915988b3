// Whether the computer has a live network connection (an interface other than the
// loopback that is up and running).
#pragma once

namespace talbex::os {

bool IsNetworkAlive();

}  // namespace talbex::os
