#include "info/camera_parameters_runner.h"

#include "info/camera_parameters_dialog.h"
#include "platform/os/program_directory.h"
#include "shell/test_shot.h"

namespace talbex::info {

shell::MainWindowSetup::DialogRunner CameraParametersRunner() {
    return [](shell::CameraConnection& connection, int language,
              const web::CameraIdentity& identity) -> std::unique_ptr<ui::Dialog> {
        if (connection.commander() == nullptr)
            return nullptr;
        const std::string& serial = identity.serialNumber;
        return std::make_unique<CMSG>(connection, language,
                                      shell::IsValidSerial(serial) ? serial : std::string(),
                                      os::ProgramDirectory());
    };
}

}  // namespace talbex::info
