// Template 135: the camera-parameters window. Row labels are push buttons whose click
// does nothing; their positions line up with the fields they name. Controls after the
// visible ones are never shown: the current-folder field with its label, a spare field,
// the refill and delete buttons, a spare label, and OK and Cancel, which only serve the
// keyboard.
#include "resources/dialog_templates.h"

namespace talbex::resources {

namespace {

using ui::ControlKind;
using ui::ControlTemplate;
using ui::kStyleHidden;

constexpr ControlKind kButton = ControlKind::kPushButton;
constexpr ControlKind kEdit = ControlKind::kEdit;

constexpr ControlTemplate kControls[] = {
    {1014, kButton, {7, 17, 92, 14}, "相机型号", "Model", 0},
    {1005, kEdit, {106, 17, 203, 14}, "", "", 0},
    {1015, kButton, {7, 36, 92, 14}, "序列号", "SN", 0},
    {1034, kEdit, {106, 36, 203, 14}, "", "", 0},
    {1016, kButton, {7, 55, 92, 14}, "快门数", "Shutter Count", 0},
    {1033, kEdit, {106, 55, 203, 14}, "", "", 0},
    {1017, kButton, {7, 86, 92, 14}, "固件版本", "Firware", 0},
    {1007, kEdit, {106, 86, 203, 14}, "", "", 0},
    {1018, kButton, {7, 106, 92, 14}, "电池电量", "Battery level", 0},
    {1038, kEdit, {106, 106, 203, 14}, "", "", 0},
    {1019, kButton, {7, 125, 92, 14}, "电池状态", "Battery Quarity", 0},
    {1037, kEdit, {105, 125, 204, 14}, "", "", 0},
    {1020, kButton, {7, 145, 92, 14}, "相机时间", "Date&Time", 0},
    {1039, kEdit, {106, 145, 204, 14}, "", "", 0},
    {1021, kButton, {7, 184, 92, 14}, "拥有者", "Owner", 0},
    {1006, kEdit, {105, 184, 203, 14}, "", "", 0},
    {1022, kButton, {7, 203, 92, 14}, "艺术家", "Artist", 0},
    {1036, kEdit, {105, 203, 203, 14}, "", "", 0},
    {1023, kButton, {7, 222, 92, 14}, "版权", "CopyRight", 0},
    {1035, kEdit, {105, 222, 204, 14}, "", "", 0},
    {1000, kButton, {47, 270, 91, 20}, "保存设置", "Save", 0},
    {1001, kButton, {177, 269, 92, 21}, "同步时间", "Synch Time", 0},

    // Hidden: never shown, kept for their handlers.
    {1024, kButton, {0, 0, 92, 14}, "保存路径(Save Path)", "", kStyleHidden},
    {1041, kEdit, {0, 0, 203, 14}, "", "", kStyleHidden},
    {1040, kEdit, {0, 0, 203, 14}, "", "", kStyleHidden},
    {1013, kButton, {0, 0, 50, 14}, "Button2", "", kStyleHidden},
    {1025, kButton, {0, 0, 50, 14}, "Button12", "", kStyleHidden},
    {1003, kButton, {0, 0, 92, 14}, "快门数(Shutter Count)", "", kStyleHidden},
    {1, kButton, {0, 0, 50, 14}, "确定", "", kStyleHidden},
    {2, kButton, {0, 0, 50, 14}, "取消", "", kStyleHidden},
};

constexpr ui::DialogTemplate kTemplate{
    kCameraParametersDialogId, "相机参数", "Camera Para", 316, 298, kControls};

}  // namespace

const ui::DialogTemplate& CameraParametersDialog() {
    return kTemplate;
}

}  // namespace talbex::resources
