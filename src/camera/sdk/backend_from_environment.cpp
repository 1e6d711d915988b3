// Chooses the backend from TALBEX_CAMERA.
#include <cstdlib>
#include <string>

#include "camera/sdk/sdk_backend.h"

std::shared_ptr<SdkBackend> MakeBackendFromEnvironment(std::string* error) {
    const char* value = std::getenv("TALBEX_CAMERA");
    std::string choice = value ? value : "";
    if (choice == "none")
        return MakeNoCameraBackend();
    *error = "TALBEX_CAMERA=" + choice + ": the simulated camera is not available in this build";
    return nullptr;
}
