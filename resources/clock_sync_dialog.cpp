// Template 136: the clock-synchronisation window: a question as its heading, the camera's
// and the computer's time side by side, OK and Cancel.
#include "resources/dialog_templates.h"

namespace talbex::resources {

namespace {

using ui::ControlKind;
using ui::ControlTemplate;

constexpr ControlKind kButton = ControlKind::kPushButton;
constexpr ControlKind kEdit = ControlKind::kEdit;

constexpr ControlTemplate kControls[] = {
    {1000,
     kButton,
     {23, 23, 269, 24},
     "将相机同步为电脑时间？",
     "Sync Camera datetime to local computer",
     0},
    {1013, kButton, {25, 68, 118, 14}, "相机时间", "Camera Time", 0},
    {1005, kEdit, {147, 68, 144, 14}, "", "", 0},
    {1014, kButton, {26, 92, 118, 14}, "电脑时间", "Computer Time", 0},
    {1006, kEdit, {148, 92, 144, 14}, "", "", 0},
    {1, kButton, {98, 148, 50, 14}, "确定", "OK", 0},
    {2, kButton, {152, 148, 50, 14}, "取消", "Cancel", 0},
};

constexpr ui::DialogTemplate kTemplate{
    kClockSyncDialogId, "同步相机时间", "Sync Camera Time", 316, 176, kControls};

}  // namespace

const ui::DialogTemplate& ClockSyncDialog() {
    return kTemplate;
}

}  // namespace talbex::resources
