#include "app/main_window_setup.h"

#include "info/camera_parameters_runner.h"
#include "remote/remote_control_runner.h"
#include "web/vendor_host.h"

namespace talbex::app {

shell::MainWindowSetup ProgramMainWindowSetup(const MainWindowRunOptions& options,
                                              os::Launcher* launcher) {
    shell::MainWindowSetup setup;
    setup.launcher = launcher;
    if (options.localeId) {
        const uint32_t id = *options.localeId;
        setup.localeId = [id] { return id; };
    }
    setup.vendorHost = web::VendorHost();
    setup.runRemoteControl = remote::RemoteControlRunner(launcher);
    setup.runCameraParameters = info::CameraParametersRunner();
    return setup;
}

}  // namespace talbex::app
