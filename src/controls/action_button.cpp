#include "controls/action_button.h"

namespace talbex::controls {

const ui::MessageMap* CActionButton::GetMessageMap() const {
    static const ui::MessageMap map = ui::MessageMapBuilder<CActionButton>()
                                          .OnReflected(ui::kBnClicked, &CActionButton::OnClicked)
                                          .Build();
    return &map;
}

void CActionButton::OnClicked() {
    fireActionEvent(nullptr);
}

}  // namespace talbex::controls
