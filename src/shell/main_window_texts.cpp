#include "shell/main_window_texts.h"

namespace talbex::shell {

int DetectSystemLanguage(uint32_t localeId) {
    switch (localeId) {
        case 1028:
        case 1033:
            return kEnglish;
        case 2052:
            return 2;
        default:
            return 0;
    }
}

std::string AdvertisementPath(int language, const std::string& date) {
    return std::string(IsEnglish(language) ? "/ad/index_en.htm?" : "/ad/index_cn.htm?") + date;
}

const char* OfflinePageName(int language) {
    return IsEnglish(language) ? "index_en.htm" : "index_cn.htm";
}

}  // namespace talbex::shell
