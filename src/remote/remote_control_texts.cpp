#include "remote/remote_control_texts.h"

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

std::string LiveViewUnavailableText(int language) {
    if (ui::IsEnglish(language))
        return "Live view is not available on this camera.";
    return "此相机不支持实时取景。";
}

}  // namespace talbex::remote
