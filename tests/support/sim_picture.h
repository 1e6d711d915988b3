// One picture of a simulated camera, as its bytes: for tests that need a real camera
// picture (with or without a serial in it) outside a camera flow.
#pragma once

#include <cstdint>
#include <vector>

#include "camera/sdk/sim/sim_settings.h"

namespace talbex::testing {

/// Installs a simulated camera of these settings, takes one picture and removes the
/// camera again (the SDK is left without a backend): call it before installing the
/// test's own cameras.
std::vector<uint8_t> TakeSimulatedPicture(const sim::CameraSettings& settings = {});

}  // namespace talbex::testing
