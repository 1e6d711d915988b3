// Template 102: the remote-control window. Lists carry the drop-down height (193) as
// their height. Row labels are push buttons whose click does nothing. Controls after the
// visible ones exist only for their handlers and are never shown.
#include "resources/dialog_templates.h"

namespace talbex::resources {

namespace {

using ui::ControlKind;
using ui::ControlTemplate;
using ui::kStyleDisabled;
using ui::kStyleHidden;
using ui::kStyleSorted;

constexpr ControlKind kButton = ControlKind::kPushButton;
constexpr ControlKind kList = ControlKind::kDropDownList;
constexpr int kDrop = 193;

constexpr ControlTemplate kControls[] = {
    {1003, kButton, {7, 8, 92, 14}, "场景", "AEMode", 0},
    {1007, kList, {100, 9, 150, kDrop}, "", "", kStyleSorted},
    {1004, kButton, {7, 33, 92, 14}, "拍照模式", "Drive Mode", 0},
    {1035, kList, {100, 34, 149, kDrop}, "", "", 0},
    {1043, kButton, {7, 58, 91, 14}, "快门", "Tv", 0},
    {1059, kList, {99, 59, 150, kDrop}, "", "", 0},
    {1044, kButton, {7, 83, 91, 14}, "光圈", "Av", 0},
    {1060, kList, {100, 83, 150, kDrop}, "", "", 0},
    {1045, kButton, {7, 107, 92, 14}, "感光度", "ISO", 0},
    {1061, kList, {100, 107, 150, kDrop}, "", "", 0},
    {1046, kButton, {7, 132, 91, 14}, "测光模式", "Metering Mode", 0},
    {1062, kList, {100, 133, 150, kDrop}, "", "", 0},
    {1047, kButton, {7, 158, 92, 14}, "对焦模式", "AFMode", 0},
    {1063, kList, {100, 159, 150, kDrop}, "", "", 0},
    {1048, kButton, {7, 184, 91, 14}, "照片质量", "Iamage Quality", 0},
    {1064, kList, {99, 185, 150, kDrop}, "", "", 0},
    {1049, kButton, {252, 7, 91, 14}, "色彩空间", "Color Space", 0},
    {1036, kList, {346, 9, 154, kDrop}, "", "", 0},
    {1050, kButton, {252, 33, 91, 14}, "闪光灯开关", "Flash Model", 0},
    {1037, kList, {347, 34, 153, kDrop}, "", "", 0},
    {1051, kButton, {251, 59, 91, 14}, "闪光补偿", "Flash Exp Comp", 0},
    {1038, kList, {348, 60, 153, kDrop}, "", "", 0},
    {1052, kButton, {252, 83, 91, 14}, "曝光补偿", "Exposure Comp", 0},
    {1058, kList, {348, 84, 153, kDrop}, "", "", 0},
    {1053, kButton, {252, 106, 91, 14}, "白平衡", "White Balance", 0},
    {1039, kList, {347, 107, 154, kDrop}, "", "", 0},
    {1054, kButton, {253, 132, 91, 14}, "自动包围曝光", "Auto Expo Bracket", 0},
    {1041, kList, {348, 132, 154, kDrop}, "", "", 0},
    {1055, kButton, {253, 158, 91, 14}, "降噪", "Noise Reduction", 0},
    {1040, kList, {349, 159, 153, kDrop}, "", "", 0},
    {1056, kButton, {254, 183, 91, 14}, "防红眼功能", "Red Eye", 0},
    {1042, kList, {350, 183, 153, kDrop}, "", "", 0},
    {1006, ControlKind::kProgressBar, {7, 200, 495, 14}, "", "", 0},
    {1068, kButton, {7, 215, 92, 14}, "设置照片保存路径", "Set the photo path", 0},
    {1069, ControlKind::kEdit, {100, 215, 402, 14}, "", "", kStyleDisabled},
    {1001, kButton, {7, 230, 88, 21}, "半按", "Halfway", 0},
    {1030, kButton, {154, 231, 85, 20}, "全按", "Completely", 0},
    {1031, kButton, {302, 231, 60, 20}, "释放", "Press Off", 0},
    {1000, kButton, {421, 231, 81, 20}, "拍照", "Take Picture", 0},
    {1013, kButton, {504, 7, 50, 14}, "实时取景", "Start EVF", 0},
    {1014, kButton, {574, 7, 50, 14}, "关闭取景", "End EVF", 0},
    {1072, kButton, {639, 7, 80, 11}, "焦点位置", "Focus Position", 0},
    {1073, kButton, {504, 25, 50, 14}, "取景模式", "EvfMode:", 0},
    {1029, kList, {575, 25, 86, kDrop}, "", "", kStyleSorted},
    {1023, kButton, {687, 18, 31, 14}, "上", "Up", 0},
    {1024, kButton, {668, 33, 31, 14}, "左", "Left", 0},
    {1025, kButton, {706, 33, 31, 14}, "右", "Right", 0},
    {1026, kButton, {687, 48, 31, 14}, "下", "Down", 0},
    {1032, kButton, {504, 44, 50, 14}, "启动对焦", "EVF AF On", 0},
    {1033, kButton, {574, 43, 50, 14}, "关闭对焦", "EVF AF Off", 0},
    {1027, kButton, {504, 61, 50, 14}, "还原", "Fit", 0},
    {1028, kButton, {574, 61, 50, 14}, "放大", "Zoom", 0},
    {1075, kButton, {504, 78, 31, 14}, "对焦", "Focus", 0},
    {1015, kButton, {537, 79, 19, 14}, "<<<", "<<<", 0},
    {1016, kButton, {557, 79, 19, 14}, "<<", "<<", 0},
    {1017, kButton, {577, 79, 19, 14}, "<", "<", 0},
    {1018, kButton, {597, 79, 19, 14}, ">", ">", 0},
    {1019, kButton, {617, 79, 19, 14}, ">>", ">>", 0},
    {1020, kButton, {637, 79, 19, 14}, ">>>", ">>>", 0},
    {1022, ControlKind::kPicture, {506, 115, 231, 136}, "", "", 0},

    // Hidden: never shown, kept for their handlers.
    {1008, kList, {0, 0, 50, kDrop}, "", "", kStyleHidden},
    {1009, kList, {0, 0, 50, kDrop}, "", "", kStyleHidden},
    {1010, kList, {0, 0, 50, kDrop}, "", "", kStyleHidden},
    {1011, kList, {0, 0, 50, kDrop}, "", "", kStyleHidden},
    {1012, kList, {0, 0, 50, kDrop}, "", "", kStyleHidden},
    {1021, kList, {0, 0, 50, kDrop}, "", "", kStyleHidden},
    {1057, kList, {0, 0, 50, kDrop}, "", "", kStyleHidden},
    {1034, kList, {0, 0, 50, kDrop}, "", "", kStyleHidden},
    {1005, ControlKind::kEdit, {0, 0, 50, 14}, "", "", kStyleHidden},
    {1074, kButton, {0, 0, 50, 14}, "放大", "Zoom", kStyleHidden},
    {1002, kButton, {0, 0, 50, 14}, "", "", kStyleHidden},
    {1065, kButton, {0, 0, 50, 14}, "", "", kStyleHidden},
    {1066, kButton, {0, 0, 50, 14}, "删除", "", kStyleHidden},
    {1067, kButton, {0, 0, 50, 14}, "改名", "", kStyleHidden},
    {1070, kButton, {0, 0, 50, 14}, "获取照片", "", kStyleHidden},
    {1071, kButton, {0, 0, 50, 14}, "移动文件", "", kStyleHidden},
    {1076, kButton, {0, 0, 50, 14}, "", "", kStyleHidden},
};

constexpr ui::DialogTemplate kTemplate{
    kRemoteControlDialogId, "相机遥控界面", "Remote Control", 744, 258, kControls};

}  // namespace

const ui::DialogTemplate& RemoteControlDialog() {
    return kTemplate;
}

}  // namespace talbex::resources
