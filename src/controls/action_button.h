// A push button that is an action source: a click fires its action command (with a null
// argument) to its listeners, on the window thread.
#pragma once

#include "camera/action_source.h"
#include "platform/ui/window.h"

namespace talbex::controls {

class CActionButton : public ui::Window, public camera::ActionSource {
  protected:
    const ui::MessageMap* GetMessageMap() const override;

  private:
    void OnClicked();
};

}  // namespace talbex::controls
