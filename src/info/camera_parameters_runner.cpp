#include "info/camera_parameters_runner.h"

#include "info/camera_parameters_dialog.h"
#include "platform/os/program_directory.h"
#include "shell/test_shot.h"

namespace talbex::info {

void RunCameraParameters(shell::CameraConnection& connection, int language,
                         const web::CameraIdentity& identity) {
    const std::string& serial = identity.serialNumber;
    CMSG dialog(connection, language, shell::IsValidSerial(serial) ? serial : std::string(),
                os::ProgramDirectory());
    dialog.DoModal();
}

}  // namespace talbex::info
