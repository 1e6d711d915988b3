#include "remote/remote_control_runner.h"

#include "platform/os/program_directory.h"
#include "remote/remote_control_dialog.h"

namespace talbex::remote {

shell::MainWindowSetup::DialogRunner RemoteControlRunner(os::Launcher* launcher) {
    return [launcher](shell::CameraConnection& connection, int language,
                      const web::CameraIdentity&) -> std::unique_ptr<ui::Dialog> {
        if (connection.commander() == nullptr || connection.model() == nullptr)
            return nullptr;
        auto dialog = std::make_unique<CVellmoraDlg>(connection.commander(), connection.camera(),
                                                     os::ProgramDirectory(), language, launcher);
        connection.model()->addObserver(dialog.get());
        return dialog;
    };
}

}  // namespace talbex::remote
