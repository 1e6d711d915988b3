// Template 101: the main window. The web area shows the advertisement page; the wide
// button below it is both the connect button and the connection status line. The six
// small buttons are never shown; they exist for their handlers.
#include "resources/dialog_templates.h"

namespace talbex::resources {

namespace {

using ui::ControlKind;
using ui::ControlTemplate;
using ui::kStyleDisabled;
using ui::kStyleHidden;

constexpr ControlKind kButton = ControlKind::kPushButton;

constexpr ControlTemplate kControls[] = {
    {1031, ControlKind::kWebBrowser, {7, 7, 619, 239}, "", "", 0},
    {1015, kButton, {7, 247, 619, 30}, "请连接相机", "", 0},
    {1013, kButton, {7, 277, 268, 30}, "相机参数", "", kStyleDisabled},
    {1000, kButton, {285, 277, 70, 30}, "Switch English", "", 0},
    {1014, kButton, {363, 277, 263, 30}, "相机遥控", "", kStyleDisabled},
    {1016, kButton, {252, 273, 50, 14}, "Button5", "", kStyleHidden},
    {1017, kButton, {339, 276, 50, 14}, "Button6", "", kStyleHidden},
    {1018, kButton, {372, 254, 50, 14}, "Button7", "", kStyleHidden},
    {1019, kButton, {427, 255, 50, 14}, "Button8", "", kStyleHidden},
    {1020, kButton, {491, 254, 50, 14}, "Button9", "", kStyleHidden},
    {1023, kButton, {564, 257, 50, 14}, "Button10", "", kStyleHidden},
};

constexpr ui::DialogTemplate kTemplate{
    kMainWindowDialogId, "Talbex V4.5", "Talbex V4.5", 633, 314, kControls};

}  // namespace

const ui::DialogTemplate& MainWindowDialog() {
    return kTemplate;
}

}  // namespace talbex::resources
