#include "remote/remote_control_texts.h"

#include <cstdio>

#include "platform/ui/language.h"
#include "remote/save_folder.h"

namespace talbex::remote {

std::string PicturesWaitingText(int language, size_t count) {
    const std::string n = std::to_string(count);
    if (ui::IsEnglish(language))
        return n +
               " pictures taken earlier are waiting for a photo path. Please set the photo "
               "path and they will be saved there.";
    return "有 " + n + " 张之前拍摄的照片等待保存，请设置照片保存路径，照片将保存到该路径。";
}

std::string SaveFolderTroubleText(int language, const std::string& folder,
                                  const std::string& reason) {
    if (ui::IsEnglish(language))
        return "Pictures cannot be saved to " + folder + " now (" + reason +
               "). They are kept and saved there as soon as it can take them.";
    return "照片现在无法保存到 " + folder + "（" + reason +
           "）。照片已保留，可以保存时将自动保存到该路径。";
}

std::string FolderTooLongText(int language) {
    const std::string limit = std::to_string(kMaxSaveFolderBytes);
    if (ui::IsEnglish(language))
        return "The path of this folder is too long (more than " + limit +
               " bytes). Please choose another folder.";
    return "该文件夹的路径太长（超过 " + limit + " 字节），请选择其他文件夹。";
}

std::string PictureLostText(int language, const std::string& folder, SdkError code) {
    const bool english = ui::IsEnglish(language);
    if (code == kSdkErrFileIo) {
        if (english)
            return "A picture from the camera could not be stored in " + folder +
                   ": the folder is full or cannot be written.";
        return "相机的照片无法保存到 " + folder + "：文件夹已满或无法写入。";
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%X", code);
    if (english)
        return std::string("A picture from the camera could not be received (error ") + hex + ").";
    return std::string("无法接收相机的照片（错误 ") + hex + "）。";
}

std::string LiveViewUnavailableText(int language) {
    if (ui::IsEnglish(language))
        return "Live view is not available on this camera.";
    return "此相机不支持实时取景。";
}

std::string SavedText(int language) {
    return ui::IsEnglish(language) ? "saved" : "已保存";
}

}  // namespace talbex::remote
