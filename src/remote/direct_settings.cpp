#include "remote/direct_settings.h"

namespace talbex::remote {

namespace {

constexpr DirectSetting kSettings[] = {
    {1035,
     kPropDriveMode,
     true,
     {"Drive Mode Set successfully!", "拍照模式(Drive Mode)设置成功！", "Failed to set Drive Mode!",
      "拍照模式(Drive Mode)设置失败！"}},
    {1061,
     kPropIsoSpeed,
     false,
     {"ISOSpeed Set successfully!", "感光度(ISO)设置成功！", "Failed to set ISOSpeed!",
      "感光度(ISO)设置失败！"}},
    {1062,
     kPropMeteringMode,
     true,
     {"MeteringMode Set successfully!", "测光模式(MeteringMode)设置成功！",
      "Failed to set MeteringMode!", "测光模式(MeteringMode)设置失败！"}},
    {1060,
     kPropAv,
     false,
     {"Av Set successfully!", "光圈(Av)设置成功！", "Failed to set Av!", "光圈(Av)设置失败！"}},
    {1059,
     kPropTv,
     false,
     {"Tv Set successfully!", "快门(Tv)设置成功！", "Failed to set Tv!", "快门(Tv)设置失败！"}},
    {1063,
     kPropAfMode,
     true,
     {"AFMode Set successfully!", "对焦模式(AFMode)设置成功！", "Failed to set AFMode!",
      "对焦模式(AFMode)设置失败！"}},
    {1064,
     kPropImageQuality,
     true,
     {"IamageQuality Set successfully!", "照片质量(IamageQuality)设置成功！",
      "Failed to set IamageQuality!", "照片质量(IamageQuality)设置失败！"}},
    {1036,
     kPropColorSpace,
     true,
     {"Color Space Set successfully!", "色彩空间(Color Space)设置成功！",
      "Failed to set Color Space!", "色彩空间(Color Space)设置失败！"}},
    {1037,
     kPropFlashOn,
     true,
     {"FlashModel Set successfully!", "闪光灯开关(FlashModel)设置成功！",
      "Failed to set FlashModel!", "闪光灯开关(FlashModel)设置失败！"}},
    {1042,
     kPropRedEye,
     true,
     {"RedEye Set successfully!", "防红眼功能(RedEye)设置成功！", "Failed to set RedEye!",
      "防红眼功能(RedEye)设置失败！"}},
    {1038,
     kPropFlashCompensation,
     false,
     {"Flash Exp Comp Set successfully!", "闪光补偿(Flash Exp Comp)设置成功！",
      "Failed to set Flash Exp Comp!", "闪光补偿(Flash Exp Comp)设置失败！"}},
    {1058,
     kPropExposureCompensation,
     false,
     {"ExposureComp Set successfully!", "曝光补偿(ExposureComp)设置成功！",
      "Failed to set ExposureComp!", "曝光补偿(ExposureComp)设置失败！"}},
    {1040,
     kPropNoiseReduction,
     true,
     {"NoiseReduction Set successfully!", "降噪(NoiseReduction)设置成功！",
      "Failed to set NoiseReduction!", "降噪(NoiseReduction)设置失败！"}},
    {1039,
     kPropWhiteBalance,
     true,
     {"White Balance Set successfully!", "白平衡(White Balance)设置成功！",
      "Failed to set White Balance!", "白平衡(White Balance)设置失败！"}},
};

}  // namespace

std::span<const DirectSetting> DirectSettings() {
    return kSettings;
}

const DirectSetting* FindDirectSetting(int listId) {
    for (const DirectSetting& setting : kSettings)
        if (setting.listId == listId)
            return &setting;
    return nullptr;
}

}  // namespace talbex::remote
