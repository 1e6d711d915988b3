#include "resources/dialog_templates.h"

namespace talbex::resources {

const ui::DialogTemplate* FindDialogTemplate(int id) {
    // One entry per template; each lives in its own file.
    const ui::DialogTemplate* all[] = {&MainWindowDialog(), &RemoteControlDialog(),
                                       &CameraParametersDialog(), &ClockSyncDialog()};
    for (const ui::DialogTemplate* t : all)
        if (t->id == id)
            return t;
    return nullptr;
}

}  // namespace talbex::resources
