// Chooses the backend from TALBEX_CAMERA (which --camera sets): unset, empty or "gphoto2"
// gives the cameras libgphoto2 detects, "gphoto2:PORT" the camera on one libgphoto2 port
// and "gphoto2:MODEL@PORT" that camera with the driver of MODEL (where detection cannot
// tell, as on a network port; the model must be one libgphoto2 knows, and a network port
// must name a numeric address); "sim" one simulated camera, "sim:PATH" the simulated
// cameras of a settings file, "none" no camera.
#include <cstdlib>
#include <string>

#include "camera/sdk/gphoto2/gphoto2_backend.h"
#include "camera/sdk/gphoto2/network_presence.h"
#include "camera/sdk/sdk_backend.h"
#include "camera/sdk/sim/settings_file.h"
#include "camera/sdk/sim/sim_backend.h"

std::shared_ptr<SdkBackend> MakeBackendFromEnvironment(std::string* error) {
    const char* value = std::getenv("TALBEX_CAMERA");
    const std::string choice = value ? value : "";
    if (choice.empty() || choice == "gphoto2")
        return std::make_shared<talbex::gphoto::Gphoto2Backend>("", "");
    if (choice == "sim")
        return std::make_shared<talbex::sim::SimBackend>(
            std::vector<talbex::sim::CameraSettings>{talbex::sim::CameraSettings{}});
    if (choice == "none")
        return MakeNoCameraBackend();
    if (choice.rfind("sim:", 0) == 0) {
        const std::string path = choice.substr(4);
        if (path.empty()) {
            *error = "camera sim: names no settings file";
            return nullptr;
        }
        // Read everything first: a file with an error gives no camera at all.
        std::vector<talbex::sim::CameraSettings> cameras;
        if (!talbex::sim::ReadSettingsFile(path, &cameras, error))
            return nullptr;
        return std::make_shared<talbex::sim::SimBackend>(std::move(cameras));
    }
    if (choice.rfind("gphoto2:", 0) == 0) {
        std::string port = choice.substr(8);
        std::string model;
        if (const size_t at = port.rfind('@'); at != std::string::npos) {
            model = port.substr(0, at);
            port = port.substr(at + 1);
            if (model.empty()) {
                *error = "camera " + choice + ": names no model before '@'";
                return nullptr;
            }
        }
        if (port.empty()) {
            *error = "camera " + choice + ": names no port";
            return nullptr;
        }
        // Refused here, once and plainly, rather than failing silently at every look.
        if (talbex::gphoto::IsNetworkPort(port)) {
            if (const std::string problem = talbex::gphoto::NetworkPortProblem(port);
                !problem.empty()) {
                *error = "camera " + choice + ": " + problem;
                return nullptr;
            }
        }
        if (!model.empty() && !talbex::gphoto::Gphoto2Backend::KnowsModel(model)) {
            *error = "camera " + choice + ": libgphoto2 knows no camera model '" + model +
                     "' (gphoto2 --list-cameras lists them)";
            return nullptr;
        }
        return std::make_shared<talbex::gphoto::Gphoto2Backend>(model, port);
    }
    *error = "camera " + choice +
             ": expected gphoto2, gphoto2:PORT, gphoto2:MODEL@PORT, sim, sim:PATH or none";
    return nullptr;
}
