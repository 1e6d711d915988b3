// Chooses the backend from TALBEX_CAMERA: unset, empty or "sim" gives one simulated camera,
// "none" no camera, "sim:PATH" the simulated cameras of a settings file, "gphoto2" the
// cameras libgphoto2 detects and "gphoto2:PORT" the camera on one libgphoto2 port.
#include <cstdlib>
#include <string>

#include "camera/sdk/gphoto2/gphoto2_backend.h"
#include "camera/sdk/sdk_backend.h"
#include "camera/sdk/sim/settings_file.h"
#include "camera/sdk/sim/sim_backend.h"

std::shared_ptr<SdkBackend> MakeBackendFromEnvironment(std::string* error) {
    const char* value = std::getenv("TALBEX_CAMERA");
    const std::string choice = value ? value : "";
    if (choice.empty() || choice == "sim")
        return std::make_shared<talbex::sim::SimBackend>(
            std::vector<talbex::sim::CameraSettings>{talbex::sim::CameraSettings{}});
    if (choice == "none")
        return MakeNoCameraBackend();
    if (choice.rfind("sim:", 0) == 0) {
        const std::string path = choice.substr(4);
        if (path.empty()) {
            *error = "TALBEX_CAMERA=sim: names no settings file";
            return nullptr;
        }
        // Read everything first: a file with an error gives no camera at all.
        std::vector<talbex::sim::CameraSettings> cameras;
        if (!talbex::sim::ReadSettingsFile(path, &cameras, error))
            return nullptr;
        return std::make_shared<talbex::sim::SimBackend>(std::move(cameras));
    }
    if (choice == "gphoto2")
        return std::make_shared<talbex::gphoto::Gphoto2Backend>("");
    if (choice.rfind("gphoto2:", 0) == 0) {
        const std::string port = choice.substr(8);
        if (port.empty()) {
            *error = "TALBEX_CAMERA=gphoto2: names no port";
            return nullptr;
        }
        return std::make_shared<talbex::gphoto::Gphoto2Backend>(port);
    }
    *error =
        "TALBEX_CAMERA=" + choice + ": expected nothing, none, sim:PATH, gphoto2 or gphoto2:PORT";
    return nullptr;
}
